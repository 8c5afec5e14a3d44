#include "locale/locale_tool.h"

#include <algorithm>
#include <map>

#include "engine/keymap_file.h"
#include "settings/configuration.h"
#include "shell/regional_language.h"

namespace korimo::locale_tool {
namespace {

using platform::Hive;
using platform::RegistryValue;

std::u16string folded(std::u16string text) {
  for (char16_t& c : text)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return text;
}

std::u16string joined(const std::vector<std::u16string>& parts, std::u16string_view separator) {
  std::u16string text;
  for (const std::u16string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

std::u16string decimal(std::uint32_t value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string hex4(std::uint32_t value) {
  constexpr char16_t digits[] = u"0123456789abcdef";
  std::u16string text;
  for (int shift = 12; shift >= 0; shift -= 4) text += digits[value >> shift & 0xf];
  return text;
}

// config.xml's language of each keymap file it lists, by folded file name,
// in its order; nothing when the file is missing or broken.
std::vector<std::pair<std::u16string, std::u16string>> configuredNames(
    const std::filesystem::path& appFolder) {
  std::vector<std::pair<std::u16string, std::u16string>> names;
  try {
    for (const ConfigurationEntry& entry : readConfiguration(appFolder).entries)
      names.emplace_back(folded(entry.filename), entry.language);
  } catch (const std::exception&) {
  }
  return names;
}

}  // namespace

KeymapLanguages keymapLanguages(const std::filesystem::path& appFolder) {
  KeymapLanguages result;
  const std::filesystem::path data = appFolder / "Data";
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(data, error))
    if (entry.is_regular_file(error) && folded(entry.path().extension().u16string()) == u".xml")
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());

  // The listed keymaps first, in config.xml's order.
  auto configured = configuredNames(appFolder);
  auto place = [&](const std::filesystem::path& file) {
    std::u16string name = folded(file.filename().u16string());
    auto it = std::find_if(configured.begin(), configured.end(),
                           [&](const auto& entry) { return entry.first == name; });
    return it == configured.end() ? configured.size()
                                  : static_cast<std::size_t>(it - configured.begin());
  };
  std::stable_sort(files.begin(), files.end(),
                   [&](const auto& a, const auto& b) { return place(a) < place(b); });

  for (const std::filesystem::path& file : files) {
    std::u16string fileName = file.filename().u16string();
    const std::optional<KeymapFile> keymap = readKeymapFile(file);
    if (!keymap || !isLanguageId(keymap->lcid)) {
      result.refused.push_back(fileName);
      continue;
    }
    const std::u16string& lcid = keymap->lcid;
    std::size_t at = place(file);
    std::u16string name =
        at < configured.size() && !configured[at].second.empty() ? configured[at].second : fileName;
    auto language =
        std::find_if(result.languages.begin(), result.languages.end(),
                     [&](const LanguageChoice& l) { return folded(l.lcid) == folded(lcid); });
    if (language == result.languages.end())
      language = result.languages.insert(result.languages.end(), {lcid, {}, {}});
    if (std::find(language->names.begin(), language->names.end(), name) == language->names.end())
      language->names.push_back(name);
  }
  return result;
}

std::vector<KeyboardLayout> readKeyboardLayouts(platform::ShellPlatform& shell) {
  std::vector<KeyboardLayout> layouts;
  for (const std::u16string& id : shell.registrySubkeys(Hive::LocalMachine, kKeyboardLayoutsKey)) {
    const std::u16string key = std::u16string(kKeyboardLayoutsKey) + u"\\" + id;
    KeyboardLayout layout{id, {}, {}};
    if (auto value = shell.readRegistry(Hive::LocalMachine, key, u"Layout Id"))
      layout.layoutId =
          value->type == RegistryValue::Type::Dword ? hex4(value->number) : value->text;
    if (auto value = shell.readRegistry(Hive::LocalMachine, key, u"Layout Text"))
      layout.text = value->text;
    layouts.push_back(std::move(layout));
  }
  return layouts;
}

LocaleOutcome writeLocales(platform::ShellPlatform& shell, KeymapLanguages keymaps,
                           const std::vector<KeyboardLayout>& layouts) {
  LocaleOutcome outcome;
  outcome.refused = std::move(keymaps.refused);
  for (LanguageChoice& language : keymaps.languages) {
    language.layout = layoutForLanguage(language.lcid, layouts);
    bool written = false;
    if (language.layout) {
      RegistryValue value;
      value.text = decimal(*packedLayoutNumber(*language.layout));
      written = shell.writeRegistry(Hive::CurrentUser, kProductKey, language.lcid, value);
    } else {
      // A value left from an earlier run would name a layout that is gone.
      written = shell.deleteRegistryValue(Hive::CurrentUser, kProductKey, language.lcid);
    }
    if (!written) outcome.unwritten.push_back(language.lcid);
    outcome.languages.push_back(std::move(language));
  }
  if (outcome.unwritten.empty()) {
    RegistryValue done;
    done.text = u"1";
    outcome.localesSet = shell.writeRegistry(Hive::CurrentUser, kProductKey, u"Locales", done);
    if (!outcome.localesSet) outcome.unwritten.push_back(u"Locales");
  }
  return outcome;
}

std::u16string reportText(const LocaleOutcome& outcome) {
  auto label = [](const LanguageChoice& l) {
    return joined(l.names, u", ") + u" (" + l.lcid + u")";
  };
  std::u16string text;
  std::vector<std::u16string> missing;
  for (const LanguageChoice& language : outcome.languages) {
    if (!language.layout) {
      missing.push_back(label(language));
      continue;
    }
    if (text.empty()) text = u"Input languages for the keymaps:\r\n";
    text += label(language) + u": ";
    if (!language.layout->text.empty()) text += language.layout->text + u", ";
    text += u"keyboard layout " + language.layout->id + u"\r\n";
  }
  if (outcome.languages.empty()) text = u"No keymaps were found in the Data folder.\r\n";
  if (!missing.empty())
    text += u"\r\nNo keyboard layout on this computer for: " + joined(missing, u"; ") +
            u". Add the language in the Windows language settings and run Vantrellocale.exe "
            u"again to use it.\r\n";
  if (!outcome.refused.empty())
    text += u"\r\nNot keymaps, passed over: " + joined(outcome.refused, u", ") + u".\r\n";
  text += u"\r\n";
  if (outcome.localesSet)
    text += u"Restart Vantrel Korimo to use these settings.";
  else
    text += u"Could not write to HKEY_CURRENT_USER\\" + std::u16string(kProductKey) + u" (" +
            joined(outcome.unwritten, u", ") +
            u"). Vantrel Korimo will start this tool again at its next start.";
  return text;
}

bool quietRequested(std::u16string_view arguments) {
  std::size_t at = 0;
  while (at < arguments.size()) {
    while (at < arguments.size() && (arguments[at] == u' ' || arguments[at] == u'\t')) ++at;
    std::size_t end = at;
    while (end < arguments.size() && arguments[end] != u' ' && arguments[end] != u'\t') ++end;
    if (end > at && folded(std::u16string(arguments.substr(at, end - at))) == kQuietSwitch)
      return true;
    at = end;
  }
  return false;
}

int runLocaleTool(platform::ShellPlatform& shell, bool quiet) {
  LocaleOutcome outcome =
      writeLocales(shell, keymapLanguages(shell.executableFolder()), readKeyboardLayouts(shell));
  if (!quiet) shell.messageBox(reportText(outcome), kApplicationTitle);
  return outcome.localesSet ? 0 : 1;
}

}  // namespace korimo::locale_tool
