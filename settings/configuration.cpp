#include "settings/configuration.h"

#include <system_error>

#include "engine/written_values.h"
#include "platform/files.h"
#include "text/unicode_text.h"

namespace korimo {
namespace {

using xml::XmlElement;

int integerOr(const XmlElement* parent, std::u16string_view name, int defaultValue) {
  const XmlElement* child = parent ? parent->childByName(name) : nullptr;
  return child ? child->valueAsInt(defaultValue) : defaultValue;
}

bool booleanOr(const XmlElement* parent, std::u16string_view name, bool defaultValue) {
  const XmlElement* child = parent ? parent->childByName(name) : nullptr;
  return child ? child->valueAsBool(defaultValue) : defaultValue;
}

std::u16string textOf(const XmlElement& parent, std::u16string_view name) {
  const XmlElement* child = parent.childByName(name);
  return child ? child->value() : std::u16string();
}

// Pause with its FullScreen and Program children, in that order.
void writePause(xml::XmlDocument& document, bool fullScreen,
                const std::vector<std::u16string>& programs) {
  XmlElement& pause = document.root().findOrCreateChild(u"Pause");
  pause.clearChildren();
  pause.writeBool(u"FullScreen", fullScreen);
  for (const std::u16string& program : programs) pause.addChild(u"Program").setValue(program);
}

// Writes the document beside the file and only then puts it in the file's place.
void replaceWith(const xml::XmlDocument& document, const std::filesystem::path& target) {
  std::filesystem::path fresh = target;
  fresh += u".new";
  try {
    document.save(fresh);
    platform::replaceFile(fresh, target);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(fresh, ignored);
    throw;
  }
}

std::u16string keyOf(const XmlElement& entry, std::u16string_view name) {
  std::u16string text = textOf(entry, name);
  if (text == u"None") return text;
  std::string digits = std::to_string(parseInteger(text).value_or(0));
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

bool isKeymapFileName(std::u16string_view name) {
  if (name.empty() || name.size() > 255 || name == u"." || name == u"..") return false;
  for (char16_t c : name)
    if (c < 0x20 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos)
      return false;
  // Windows drops trailing dots and blanks: "x.xml." would be another name.
  if (name.back() == u'.' || name.back() == u' ') return false;
  // Device names open a device whatever the extension: "NUL.xml" is NUL.
  std::u16string stem(name.substr(0, name.find(u'.')));
  while (!stem.empty() && stem.back() == u' ') stem.pop_back();
  for (char16_t& c : stem)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  static constexpr std::u16string_view kDevices[] = {u"CON", u"PRN",    u"AUX",
                                                     u"NUL", u"CONIN$", u"CONOUT$"};
  for (std::u16string_view device : kDevices)
    if (stem == device) return false;
  if (stem.size() == 4 && (stem.starts_with(u"COM") || stem.starts_with(u"LPT")) &&
      stem[3] >= u'0' && stem[3] <= u'9')
    return false;
  return true;
}

std::filesystem::path configurationPath(const std::filesystem::path& folder) {
  return platform::findFileNoCase(folder, u"Config.xml");
}

xml::XmlDocument configurationDocument(const Configuration& c) {
  xml::XmlDocument document(u"Config");
  document.setEncoding(u"UTF-8");
  XmlElement& local = document.root().addChild(u"Local");
  local.writeInt(u"ToggleMode", static_cast<int>(c.toggleMode));
  local.writeInt(u"TKey1", c.tkey1);
  local.writeInt(u"TKey2", c.tkey2);
  local.writeBool(u"TextServices", c.textServices);
  local.writeBool(u"Surround", c.surround);
  XmlElement& keymaps = document.root().addChild(u"Keymaps");
  for (const ConfigurationEntry& e : c.entries) {
    XmlElement& entry = keymaps.addChild(u"Entry");
    entry.addChild(u"Language").setValue(e.language);
    entry.addChild(u"Keyboard").setValue(e.keyboard);
    entry.addChild(u"Encoding").setValue(e.encoding);
    entry.addChild(u"Filename").setValue(e.filename);
    entry.addChild(u"TKey1").setValue(e.tkey1);
    entry.addChild(u"TKey2").setValue(e.tkey2);
  }
  writePause(document, c.pauseInFullScreen, c.neverTypeIn);
  return document;
}

void saveConfiguration(const Configuration& configuration, const std::filesystem::path& folder) {
  replaceWith(configurationDocument(configuration), configurationPath(folder));
}

bool isProgramFileName(std::u16string_view name) { return isKeymapFileName(name); }

bool sameProgram(std::u16string_view a, std::u16string_view b) {
  return text::equalsIgnoringAsciiCase(a, b);
}

bool listsProgram(const std::vector<std::u16string>& programs, std::u16string_view program) {
  for (const std::u16string& listed : programs)
    if (sameProgram(listed, program)) return true;
  return false;
}

bool readPauseInFullScreen(const xml::XmlDocument& document) {
  return booleanOr(document.root().childByName(u"Pause"), u"FullScreen", true);
}

std::vector<std::u16string> readProgramList(const xml::XmlDocument& document,
                                            std::vector<std::u16string>* leftOut) {
  std::vector<std::u16string> programs;
  const XmlElement* pause = document.root().childByName(u"Pause");
  for (std::size_t i = 0; pause && i < pause->childCount(); ++i) {
    const XmlElement& child = pause->child(i);
    if (!text::equalsIgnoringAsciiCase(child.name(), u"Program")) continue;
    const std::u16string& name = child.value();
    if (!isProgramFileName(name)) {
      if (leftOut) leftOut->push_back(name);
    } else if (!listsProgram(programs, name)) {
      programs.push_back(name);
    }
  }
  return programs;
}

void saveProgramList(const std::vector<std::u16string>& programs,
                     const std::filesystem::path& folder) {
  const std::filesystem::path target = configurationPath(folder);
  xml::XmlDocument document = xml::XmlDocument::load(target);
  writePause(document, readPauseInFullScreen(document), programs);
  replaceWith(document, target);
}

Configuration readConfiguration(const std::filesystem::path& folder) {
  xml::XmlDocument document = xml::XmlDocument::load(configurationPath(folder));
  const XmlElement& root = document.root();
  const XmlElement* local = root.childByName(u"Local");
  Configuration c;
  c.toggleMode =
      integerOr(local, u"ToggleMode", 1) == 2 ? ToggleMode::FunctionKeys : ToggleMode::Alt;
  c.tkey1 = integerOr(local, u"TKey1", 0);
  c.tkey2 = integerOr(local, u"TKey2", 0);
  c.textServices = booleanOr(local, u"TextServices", true);
  c.surround = booleanOr(local, u"Surround", true);
  if (const XmlElement* keymaps = root.childByName(u"Keymaps")) {
    for (std::size_t i = 0; i < keymaps->childCount(); ++i) {
      const XmlElement& entry = keymaps->child(i);
      ConfigurationEntry e{textOf(entry, u"Language"), textOf(entry, u"Keyboard"),
                           textOf(entry, u"Encoding"), textOf(entry, u"Filename"),
                           keyOf(entry, u"TKey1"),     keyOf(entry, u"TKey2")};
      std::error_code error;
      if (!isKeymapFileName(e.filename) ||
          !std::filesystem::is_regular_file(folder / "Data" / e.filename, error))
        continue;
      c.entries.push_back(std::move(e));
    }
  }
  c.pauseInFullScreen = readPauseInFullScreen(document);
  c.neverTypeIn = readProgramList(document);
  return c;
}

}  // namespace korimo
