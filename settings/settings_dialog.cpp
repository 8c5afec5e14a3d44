#include "settings/settings_dialog.h"

#include <algorithm>
#include <exception>
#include <tuple>

#include "engine/keymap_file.h"
#include "engine/written_values.h"
#include "platform/scope_exit.h"
#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

constexpr std::u16string_view kTitle = u"Vantrel Korimo";
constexpr std::u16string_view kNone = u"None";

std::u16string decimal(long long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// Two upper-case hexadecimal digits.
std::u16string hex2(int value) {
  const std::string digits = text::hex(static_cast<std::uint32_t>(value) & 0xFF, 2);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string withMark(std::u16string_view name) {
  return std::u16string(name) + u' ' + toggleKeyMark;
}

std::u16string folded(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return out;
}

// The hidden column's text of a key read from the configuration file
// (decimal, or "None"). Keys no menu of the mode can show a name for are
// no key: in mode 2 an index outside functionKeyNames; in mode 1 one that
// does not fit two hexadecimal digits (Alt+12 does, as the file may say).
std::u16string hiddenKey(ToggleMode mode, std::u16string_view stored) {
  if (stored == kNone) return std::u16string(kNone);
  const int n = parseInteger(stored).value_or(0);
  const int last =
      mode == ToggleMode::FunctionKeys ? static_cast<int>(functionKeyNames.size()) - 1 : 0xFF;
  return n >= 0 && n <= last ? hex2(n) : std::u16string(kNone);
}

// The key named by a menu item or a toggle-key text ("Alt+3", "F5 ◊"): the
// Alt digit or the index in functionKeyNames; nullopt for "None".
std::optional<int> keyIndex(ToggleMode mode, std::u16string_view text) {
  if (!text.empty() && text.back() == toggleKeyMark)
    text.remove_suffix(std::min<std::size_t>(2, text.size()));
  if (mode == ToggleMode::FunctionKeys) {
    auto at = std::find(functionKeyNames.begin(), functionKeyNames.end(), text);
    if (at == functionKeyNames.end()) return std::nullopt;
    return static_cast<int>(at - functionKeyNames.begin());
  }
  if (!text.starts_with(u"Alt+")) return std::nullopt;
  return parseInteger(text.substr(4));
}

// The item of menu that a shown key text checks: in mode 1 the item equal
// to its first five characters ("Alt+3" of "Alt+3 ◊"), in mode 2 the item
// equal to the text less its last two ("ScrLk" of "ScrLk ◊").
std::optional<std::size_t> itemFor(const RadioMenu& menu, ToggleMode mode,
                                   std::u16string_view shown) {
  const std::u16string_view name = mode == ToggleMode::FunctionKeys
                                       ? shown.substr(0, shown.size() >= 2 ? shown.size() - 2 : 0)
                                       : shown.substr(0, 5);
  auto at = std::find(menu.items.begin(), menu.items.end(), name);
  if (at == menu.items.end()) return std::nullopt;
  return static_cast<std::size_t>(at - menu.items.begin());
}

void sortPrograms(std::vector<std::u16string>& programs) {
  std::stable_sort(
      programs.begin(), programs.end(),
      [](const std::u16string& a, const std::u16string& b) { return folded(a) < folded(b); });
}

std::u16string errorText(const std::exception& error) {
  try {
    return text::utf8ToUtf16(error.what());
  } catch (const text::EncodingError&) {
    return u"The configuration file could not be read or written.";
  }
}

}  // namespace

std::u16string toggleKeyText(ToggleMode mode, std::u16string_view key) {
  if (key == kNone) return withMark(kNone);
  int n = 0;
  try {
    n = hexToInt(key);
  } catch (const ConversionError&) {
    return withMark(kNone);
  }
  if (mode != ToggleMode::FunctionKeys) return withMark(u"Alt+" + decimal(n));
  if (n < 0 || n >= static_cast<int>(functionKeyNames.size())) return withMark(kNone);
  return withMark(functionKeyNames[static_cast<std::size_t>(n)]);
}

SettingsDialogModel::SettingsDialogModel(platform::ShellPlatform& shell,
                                         std::function<void()> restartApplication)
    : shell_(shell), restartApplication_(std::move(restartApplication)) {
  offKey1 = withMark(u"Alt+0");
  offKey2 = withMark(functionKeyNames[0]);
}

std::filesystem::path SettingsDialogModel::dataFolder() const {
  return shell_.executableFolder() / "Data";
}

void SettingsDialogModel::message(std::u16string_view text) {
  shell_.messageBox(owner_, text, kTitle);
}

void SettingsDialogModel::open() {
  startWithWindows = runValueExists();
  try {
    showConfiguration(readConfiguration(shell_.executableFolder()));
  } catch (const std::exception& error) {
    // Nothing is read: the dialog keeps its design state.
    message(errorText(error));
  }
  sortRows();
}

bool SettingsDialogModel::runValueExists() {
  return shell_.readRegistry(platform::Hive::CurrentUser, kRunKey, kRunValue).has_value();
}

void SettingsDialogModel::showConfiguration(const Configuration& c) {
  toggleMode = c.toggleMode;
  // Keymap-off keys the menus cannot show are the first key of the mode,
  // as at start-up.
  offKey1 = withMark(u"Alt+" + decimal(c.tkey1 >= 0 && c.tkey1 <= 9 ? c.tkey1 : 0));
  offKey2 = withMark(functionKeyNames[c.tkey2 >= 0 && c.tkey2 <= 11 ? c.tkey2 : 0]);
  textServices = c.textServices;
  surround = c.surround;
  pauseInFullScreen = c.pauseInFullScreen;
  neverTypeIn = c.neverTypeIn;
  sortPrograms(neverTypeIn);
  rows.clear();
  for (const ConfigurationEntry& e : c.entries) {
    KeymapRow row;
    row.language = e.language;
    row.keyboard = e.keyboard;
    row.encoding = e.encoding;
    row.filename = e.filename;
    row.tkey1 = hiddenKey(ToggleMode::Alt, e.tkey1);
    row.tkey2 = hiddenKey(ToggleMode::FunctionKeys, e.tkey2);
    rows.push_back(std::move(row));
  }
  refreshToggleTexts();
}

Configuration SettingsDialogModel::dialogConfiguration() const {
  Configuration c;
  c.toggleMode = toggleMode;
  c.tkey1 = keyIndex(ToggleMode::Alt, offKey1).value_or(0);
  c.tkey2 = keyIndex(ToggleMode::FunctionKeys, offKey2).value_or(0);
  c.textServices = textServices;
  c.surround = surround;
  c.pauseInFullScreen = pauseInFullScreen;
  c.neverTypeIn = neverTypeIn;
  auto stored = [](const std::u16string& key) {
    return key == kNone ? std::u16string(kNone) : decimal(hexToInt(key));
  };
  for (const KeymapRow& row : rows)
    c.entries.push_back({row.language, row.keyboard, row.encoding, row.filename, stored(row.tkey1),
                         stored(row.tkey2)});
  return c;
}

// Every row shows its key of the current mode and is checked exactly when
// it has one.
void SettingsDialogModel::refreshToggleTexts() {
  for (KeymapRow& row : rows) {
    const std::u16string& key = toggleMode == ToggleMode::FunctionKeys ? row.tkey2 : row.tkey1;
    row.toggleKey = toggleKeyText(toggleMode, key);
    row.checked = key != kNone;
  }
}

void SettingsDialogModel::sortRows() {
  const ToggleMode mode = toggleMode;
  std::stable_sort(rows.begin(), rows.end(), [mode](const KeymapRow& a, const KeymapRow& b) {
    auto order = [mode](const KeymapRow& r) {
      return std::tuple(folded(mode == ToggleMode::FunctionKeys ? r.tkey2 : r.tkey1),
                        folded(r.language), folded(r.keyboard), folded(r.encoding));
    };
    return order(a) < order(b);
  });
}

RadioMenu SettingsDialogModel::toggleKeyMenuOf(ToggleMode mode) {
  RadioMenu menu = offKeyMenuOf(mode);
  menu.items.emplace_back(kNone);
  return menu;
}

RadioMenu SettingsDialogModel::offKeyMenuOf(ToggleMode mode) {
  RadioMenu menu;
  if (mode == ToggleMode::FunctionKeys)
    for (std::u16string_view name : functionKeyNames) menu.items.emplace_back(name);
  else
    for (int digit = 0; digit <= 9; ++digit) menu.items.push_back(u"Alt+" + decimal(digit));
  return menu;
}

std::optional<RadioMenu> SettingsDialogModel::listPressed(std::optional<std::size_t> row,
                                                          ListColumn column) {
  if (!row || *row >= rows.size()) return std::nullopt;
  clickedRow = row;
  if (column != ListColumn::ToggleKey) return std::nullopt;
  RadioMenu menu = toggleKeyMenuOf(toggleMode);
  menu.checked = itemFor(menu, toggleMode, rows[*row].toggleKey).value_or(menu.items.size() - 1);
  return menu;
}

void SettingsDialogModel::toggleKeyChosen(std::size_t item) {
  const RadioMenu menu = toggleKeyMenuOf(toggleMode);
  if (!clickedRow || *clickedRow >= rows.size() || item >= menu.items.size()) return;
  KeymapRow& row = rows[*clickedRow];
  std::u16string& key = toggleMode == ToggleMode::FunctionKeys ? row.tkey2 : row.tkey1;
  const std::optional<int> index = keyIndex(toggleMode, menu.items[item]);
  row.toggleKey = withMark(menu.items[item]);
  row.checked = index.has_value();
  key = index ? hex2(*index) : std::u16string(kNone);
  sortRows();
}

void SettingsDialogModel::rowCheckChanged(std::size_t row, bool checked) {
  if (row >= rows.size()) return;
  rows[row].checked = checked;
  if (checked) return;  // no key until one is chosen: Ok refuses such a row
  rows[row].toggleKey = withMark(kNone);
  (toggleMode == ToggleMode::FunctionKeys ? rows[row].tkey2 : rows[row].tkey1) = kNone;
  sortRows();
}

RadioMenu SettingsDialogModel::offKeyMenu() const {
  RadioMenu menu = offKeyMenuOf(toggleMode);
  menu.checked = itemFor(menu, toggleMode, offKeyLabel()).value_or(0);
  return menu;
}

void SettingsDialogModel::offKeyChosen(std::size_t item) {
  const RadioMenu menu = offKeyMenuOf(toggleMode);
  if (item >= menu.items.size()) return;
  (toggleMode == ToggleMode::FunctionKeys ? offKey2 : offKey1) = withMark(menu.items[item]);
}

void SettingsDialogModel::toggleModeChosen(ToggleMode mode) {
  toggleMode = mode;
  refreshToggleTexts();
  sortRows();
}

// The first refusal of the rows in list order: for each row, a checked
// row after it with the same key, then the Keymap-off key, then no key.
bool SettingsDialogModel::refusal(std::u16string& why) const {
  const std::u16string none = withMark(kNone);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const KeymapRow& row = rows[i];
    for (std::size_t j = i + 1; j < rows.size(); ++j)
      if (row.toggleKey == rows[j].toggleKey && row.checked && rows[j].checked) {
        why = u"Same shortcut key should not be used for more than one Keymap";
        return true;
      }
    if (row.toggleKey == offKeyLabel() && row.checked) {
      why = u"Same shortcut key should not be used for both Keymap and Off Key";
      return true;
    }
    if (row.toggleKey == none && row.checked) {
      why = u"No shortcut key is assigned for one or more checked Keymaps";
      return true;
    }
  }
  return false;
}

// The Run value holds the executable's path in double quotes: unquoted, a
// path with blanks would be read as a program followed by arguments. A value
// that exists is left alone, whatever path it holds.
void SettingsDialogModel::registerRun() {
  const bool exists = runValueExists();
  if (startWithWindows && !exists) {
    const std::u16string command = u"\"" + shell_.moduleFileName().u16string() + u"\"";
    if (!shell_.writeRegistry(platform::Hive::CurrentUser, kRunKey, kRunValue,
                              {platform::RegistryValue::Type::String, command, 0}))
      message(u"Vantrel Korimo could not be set to start automatically with Windows.");
  } else if (!startWithWindows && exists) {
    if (!shell_.deleteRegistryValue(platform::Hive::CurrentUser, kRunKey, kRunValue))
      message(u"Vantrel Korimo could not be kept from starting automatically with Windows.");
  }
}

// A record the uninstaller reads; a registry that refuses it costs the
// user nothing now, only the file's removal at uninstall.
void SettingsDialogModel::recordWrittenFile(const std::filesystem::path& file) {
  shell_.writeRegistry(platform::Hive::CurrentUser, kWrittenFilesKey, file.u16string(), {});
}

bool SettingsDialogModel::ok() {
  if (importing_) return false;  // Ok waits for the import in hand
  registerRun();                 // stays done when a check fails
  std::u16string why;
  if (refusal(why)) {
    message(why);
    return false;
  }
  try {
    saveConfiguration(dialogConfiguration(), shell_.executableFolder());
    recordWrittenFile(configurationPath(shell_.executableFolder()));
  } catch (const std::exception& error) {
    // The previous file is intact; no restart with settings that were not saved.
    message(errorText(error));
    return false;
  }
  message(u"Application will restart now");
  if (restartApplication_) restartApplication_();
  return true;
}

void SettingsDialogModel::importKeymap() {
  if (importing_) return;  // the dialog stays usable while an import reads its file
  importing_ = true;
  ScopeExit done([this] { importing_ = false; });
  const std::optional<std::filesystem::path> chosen = shell_.getOpenFileName(
      owner_, u"Import a Keymap", u"Keymap files (*.xml)|*.xml", importFileName_);
  if (!chosen) return;
  importFileName_ = chosen->u16string();  // kept for the next import when this one is refused
  // The file may lie on a slow disk or share: it is read, checked and copied
  // away from the thread that serves the hooks. The check is the one the
  // start-up loader makes: a keymap imported here is one it will load.
  std::optional<KeymapFile> keymap;
  shell_.runOffThread([&] { keymap = readKeymapFile(*chosen); });
  if (!keymap) {
    message(u"Integrity check failed. File could not be imported");
    return;
  }
  const std::u16string name = chosen->filename().u16string();
  const std::filesystem::path data = dataFolder();
  if (!isKeymapFileName(name)) {
    message(u"File could not be imported.");
    return;
  }
  std::filesystem::path destination = data / name;
  bool addRow = true;
  if (shell_.fileExists(destination)) {
    const std::u16string question = u"The File " + name + u" already exists." + u'\n' +
                                    u"Click Yes to replace the existing file?";
    if (shell_.messageBoxYesNo(owner_, question, u"Confirm")) {
      addRow = false;  // the list keeps the row that names the file
    } else {
      const std::u16string base = name.substr(0, name.size() >= 4 ? name.size() - 4 : 0);
      for (long long n = 1;; ++n) {
        destination = data / (base + u"-" + decimal(n) + u".xml");
        if (!shell_.fileExists(destination)) break;
      }
    }
  }
  bool copied = false;
  shell_.runOffThread([&] { copied = shell_.copyFile(*chosen, destination); });
  if (!copied) {
    message(u"File could not be imported.");
    importFileName_.clear();
    return;
  }
  recordWrittenFile(destination);
  message(u"File imported successfully.");
  if (!addRow) return;

  // The row's texts come from the file's Header; where it has none, the
  // file's own name and "Unknown".
  KeymapRow row;
  row.filename = destination.filename().u16string();
  row.language = trimmed(keymap->language);
  row.keyboard = trimmed(keymap->keyboard);
  row.encoding = trimmed(keymap->encoding);
  if (row.language.empty()) row.language = destination.stem().u16string();
  if (row.keyboard.empty()) row.keyboard = u"Unknown";
  if (row.encoding.empty()) row.encoding = u"Unknown";
  row.toggleKey = withMark(kNone);
  rows.push_back(std::move(row));
  importFileName_.clear();
  sortRows();
}

std::vector<std::u16string> SettingsDialogModel::addProgramMenu() {
  std::vector<std::u16string> running = shell_.runningPrograms();
  std::erase_if(running, [this](const std::u16string& name) {
    return !isProgramFileName(name) || listsProgram(neverTypeIn, name);
  });
  sortPrograms(running);
  running.erase(std::unique(running.begin(), running.end(),
                            [](const std::u16string& a, const std::u16string& b) {
                              return sameProgram(a, b);
                            }),
                running.end());
  offeredPrograms_ = running;
  running.emplace_back(kOtherProgram);
  return running;
}

void SettingsDialogModel::addProgramChosen(std::size_t item) {
  if (item < offeredPrograms_.size()) {
    addProgram(offeredPrograms_[item]);
    return;
  }
  if (item != offeredPrograms_.size()) return;
  const std::optional<std::filesystem::path> chosen =
      shell_.getOpenFileName(owner_, u"Never type in", u"Programs (*.exe)|*.exe", u"");
  if (chosen) addProgram(chosen->filename().u16string());
}

void SettingsDialogModel::addProgram(std::u16string_view name) {
  if (!isProgramFileName(name)) {
    message(u"\"" + std::u16string(name) + u"\" is not the file name of a program.");
    return;
  }
  if (listsProgram(neverTypeIn, name)) return;
  neverTypeIn.emplace_back(name);
  sortPrograms(neverTypeIn);
}

void SettingsDialogModel::removeProgram(std::size_t row) {
  if (row < neverTypeIn.size())
    neverTypeIn.erase(neverTypeIn.begin() + static_cast<std::ptrdiff_t>(row));
}

}  // namespace korimo
