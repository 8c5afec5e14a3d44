// The catalogue loader: reads the configuration, loads every keymap that has
// a usable toggle key into the catalogue, builds the toggle tables and the
// keymap sub-menu, and creates the hook components. What it leaves out, and
// why, it notes for the user (startupProblems).

#include <map>

#include "engine/written_values.h"
#include "platform/files.h"
#include "settings/configuration.h"
#include "shell/program_core.h"
#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

using xml::XmlElement;

std::u16string decimal(std::int64_t value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string utf16(const std::string& text) {
  try {
    return text::utf8ToUtf16(text);
  } catch (const text::EncodingError&) {
    return std::u16string(text.begin(), text.end());
  }
}

// A required element of the configuration file; its absence ends the loader.
struct LoaderStop {
  std::u16string element;
};

const XmlElement& required(const XmlElement& parent, std::u16string_view name) {
  const XmlElement* child = parent.childByName(name);
  if (!child) throw LoaderStop{std::u16string(name)};
  return *child;
}

}  // namespace

CatalogueSource ProgramCore::programFolderSource() {
  const std::filesystem::path folder = platforms_.shell.executableFolder();
  CatalogueSource source;
  source.keymapFolder = folder / "Data";
  const std::filesystem::path file = platform::findFileNoCase(folder, u"config.xml");
  if (!platforms_.shell.fileExists(file)) {
    source.problem = u"config.xml, the configuration, is missing beside the program";
    return source;
  }
  try {
    source.configuration = xml::XmlDocument::load(file);
  } catch (const xml::XmlError& error) {
    source.problem = u"config.xml, the configuration, could not be read: " + utf16(error.what());
  }
  return source;
}

void ProgramCore::loadCatalogue() { loadCatalogue(programFolderSource()); }

void ProgramCore::loadCatalogue(CatalogueSource source) {
  // A second run builds the catalogue afresh, with the engine off.
  catalogue = Catalogue{};
  engine.keymaps = LoadedKeymaps{};
  engine.keymap.deactivate();
  engine.composition.reset();
  keymapOn = false;
  activeKeymap.reset();
  startupProblems.clear();
  if (!source.problem.empty())
    startupProblems.push_back(source.problem + u"; no keymap is available");

  // The global settings. A missing, broken or cut-short file ends the
  // loading here: what it did give stays, the rest keeps the readers'
  // defaults, and no keymap is catalogued.
  bool readOn = source.configuration.has_value();
  if (readOn) {
    try {
      readGlobalSettings(*source.configuration);
    } catch (const LoaderStop& stop) {
      startupProblems.push_back(u"config.xml has no " + stop.element +
                                u" in its Local settings; no keymap is available");
      readOn = false;
    } catch (const xml::XmlError&) {
      readOn = false;
    }
  }
  if (source.configuration) readPauseSettings(*source.configuration);
  installToggleTables();
  if (readOn) {
    try {
      addKeymaps(*source.configuration, source.keymapFolder);
    } catch (const LoaderStop& stop) {
      startupProblems.push_back(u"config.xml stops short: an entry has no " + stop.element +
                                u"; the keymaps after it are left out");
    } catch (const std::exception&) {
    }
  }
  language.activateDefaultLayout();
  // The components exist whatever the loader met, so that the Keymap-off
  // key and the tray keep working.
  createHookComponents();
  changed(ViewPart::Tray | ViewPart::KeymapMenu);
}

void ProgramCore::readGlobalSettings(const xml::XmlDocument& document) {
  Catalogue& c = catalogue;
  const XmlElement& local = required(document.root(), u"Local");
  c.toggleMode = required(local, u"ToggleMode").valueAsInt(1) == 2 ? ToggleMode::FunctionKeys
                                                                   : ToggleMode::Alt;
  c.offKey =
      required(local, c.toggleMode == ToggleMode::FunctionKeys ? u"TKey2" : u"TKey1").valueAsInt(0);
  c.textServices = required(local, u"TextServices").valueAsBool(true);
  c.surroundActive = required(local, u"Surround").valueAsBool(true);
  c.surroundSetting = c.surroundActive;
}

// Where not to type is read from any configuration that was read, whatever
// else it lacks.
void ProgramCore::readPauseSettings(const xml::XmlDocument& document) {
  catalogue.pauseInFullScreen = readPauseInFullScreen(document);
  std::vector<std::u16string> leftOut;
  catalogue.neverTypeIn = readProgramList(document, &leftOut);
  for (const std::u16string& name : leftOut)
    startupProblems.push_back(u"config.xml names \"" + name +
                              u"\" among the programs never typed in; that is not a program's "
                              u"file name, so it is left out");
}

void ProgramCore::installToggleTables() {
  Catalogue& c = catalogue;
  if (c.toggleMode == ToggleMode::FunctionKeys) {
    if (c.offKey < 0 || c.offKey > 11) c.offKey = 0;  // no such key: the default one
    c.functionKeys[static_cast<std::size_t>(c.offKey)] = {true, std::nullopt};
    c.keymapMenu.append(
        std::u16string(functionKeyNames[static_cast<std::size_t>(c.offKey)]) + u"  Keymap off",
        std::nullopt);
  } else {
    if (c.offKey < 0 || c.offKey > 9) c.offKey = 0;
    c.altKeys[static_cast<std::size_t>(c.offKey)] = {true, std::nullopt};
    c.keymapMenu.append(u"Alt+" + decimal(c.offKey) + u"  Keymap off", std::nullopt);
  }
}

void ProgramCore::addKeymaps(const xml::XmlDocument& document,
                             const std::filesystem::path& keymapFolder) {
  Catalogue& c = catalogue;
  const bool fkeys = c.toggleMode == ToggleMode::FunctionKeys;
  const int lastKey = fkeys ? 11 : 9;
  auto keyName = [&](int n) {
    return fkeys ? std::u16string(functionKeyNames[static_cast<std::size_t>(n)])
                 : u"Alt+" + decimal(n);
  };
  auto leftOut = [this](const std::u16string& name, const std::u16string& why) {
    startupProblems.push_back(name + u" is left out: " + why);
  };
  // A keymap without a toggle key is checked once however many entries
  // name it: its keyboard layout is all that is wanted of it.
  std::map<std::u16string, bool> layoutLoaded;

  const XmlElement& keymaps = required(document.root(), u"Keymaps");
  for (std::size_t i = 0; i < keymaps.childCount(); ++i) {
    const XmlElement& entry = keymaps.child(i);
    const std::u16string& name = required(entry, u"Filename").value();
    if (!isKeymapFileName(name)) {
      leftOut(u"\"" + name + u"\"", u"not the name of a file in the Data folder");
      continue;
    }
    const std::filesystem::path path = keymapFolder / name;
    if (!platforms_.shell.fileExists(path)) {
      leftOut(name, u"there is no such file in the Data folder");
      continue;
    }
    const std::u16string& key = required(entry, fkeys ? u"TKey2" : u"TKey1").value();
    std::optional<std::int32_t> n = parseInteger(key);
    if (key == u"Null" || key == u"None" || !n) {
      // No toggle key: such a keymap is never catalogued, but while the
      // language support is incomplete its keyboard layout is loaded.
      if (language.loadUnassignedLayouts && !layoutLoaded.contains(name)) {
        layoutLoaded[name] = true;
        if (const auto file = readKeymapFile(path)) language.inputLocaleFor(file->lcid);
      }
      continue;
    }
    // Keys compare as numbers and are written one way only: "00", "+0" or
    // " 0" would pass for a key other than 0.
    if (*n < 0 || *n > lastKey || decimal(*n) != key) {
      leftOut(name,
              u"its toggle key \"" + key + u"\" is not a key number from 0 to " + decimal(lastKey));
      continue;
    }
    Catalogue::ToggleKey& toggle = fkeys ? c.functionKeys[static_cast<std::size_t>(*n)]
                                         : c.altKeys[static_cast<std::size_t>(*n)];
    if (toggle.assigned) {
      leftOut(name, keyName(*n) + (toggle.keymap ? u" is taken by " + *toggle.keymap
                                                 : u" is the Keymap-off key"));
      continue;
    }
    const int number = c.keymapCount + 1;
    std::string why;
    if (!engine.keymaps.load(number, path, &why)) {
      leftOut(name, utf16(why));
      continue;
    }
    toggle = {true, name};
    const std::u16string description = required(entry, u"Language").value() + u" " +
                                       required(entry, u"Keyboard").value() + u" " +
                                       required(entry, u"Encoding").value();
    c.keymapMenu.append(keyName(*n) + u"  " + description, name);
    language.resolveInputLocale(number, engine.keymaps[number].lcid);
    c.keymapCount = number;
  }
}

void ProgramCore::createHookComponents() {
  if (keyHook_ && mouseHook_) return;  // a second run keeps the running components
  platform::HookPlatform& hooks = platforms_.hooks;
  mouseHook_ = std::make_unique<hooks::MouseHook>(hooks);
  mouseHook_->setReportMessage(hooks.registerWindowMessage(u"mousehook_msg"));
  mouseHook_->setMouseHandler(
      [this](hooks::MouseHook&, const hooks::MouseReport& report) { onMouseReport(report); });
  mouseHook_->setHookLostHandler([this](hooks::MouseHook&, bool) { mouseHookLost(); });

  keyHook_ = std::make_unique<hooks::KeyHook>(hooks);
  keyHook_->setReportMessage(hooks.registerWindowMessage(u"keyhook_msg"));
  keyHook_->setWithholding(false);
  keyHook_->setLowLevel(true);
  keyHook_->setReportsInjected(false);
  // One dispatcher stays installed; switching keymaps changes which handler
  // it runs, from the next event on.
  keyHook_->setKeyHandler(
      [this](hooks::KeyHook&, const hooks::KeyReport& report) { onKeyReport(report); });
  keyHook_->setHookLostHandler(
      [this](hooks::KeyHook&, bool reinstalled) { hookLost(reinstalled); });
}

}  // namespace korimo
