#include "settings/settings_dialog.h"

#include <algorithm>
#include <exception>
#include <tuple>

#include "engine/globalroutines.h"
#include "engine/keymap_file.h"
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
std::u16string hiddenKey(int mode, std::u16string_view stored) {
  if (stored == kNone) return std::u16string(kNone);
  const int n = parseInteger(stored).value_or(0);
  const int last = mode == 2 ? static_cast<int>(functionKeyNames.size()) - 1 : 0xFF;
  return n >= 0 && n <= last ? hex2(n) : std::u16string(kNone);
}

// The key named by a menu item or a toggle-key text ("Alt+3", "F5 ◊"): the
// Alt digit or the index in functionKeyNames; nullopt for "None".
std::optional<int> keyIndex(int mode, std::u16string_view text) {
  if (!text.empty() && text.back() == toggleKeyMark)
    text.remove_suffix(std::min<std::size_t>(2, text.size()));
  if (mode == 2) {
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
std::optional<std::size_t> itemFor(const RadioMenu& menu, int mode, std::u16string_view shown) {
  const std::u16string_view name =
      mode == 2 ? shown.substr(0, shown.size() >= 2 ? shown.size() - 2 : 0) : shown.substr(0, 5);
  auto at = std::find(menu.items.begin(), menu.items.end(), name);
  if (at == menu.items.end()) return std::nullopt;
  return static_cast<std::size_t>(at - menu.items.begin());
}

std::u16string errorText(const std::exception& error) {
  try {
    return text::utf8ToUtf16(error.what());
  } catch (const text::EncodingError&) {
    return u"The configuration file could not be read or written.";
  }
}

}  // namespace

std::u16string toggleKeyText(int mode, std::u16string_view key) {
  if (key == kNone) return withMark(kNone);
  int n = 0;
  try {
    n = hexToInt(key);
  } catch (const ConversionError&) {
    return withMark(kNone);
  }
  if (mode != 2) return withMark(u"Alt+" + decimal(n));
  if (n < 0 || n >= static_cast<int>(functionKeyNames.size())) return withMark(kNone);
  return withMark(functionKeyNames[static_cast<std::size_t>(n)]);
}

TForm4Model::TForm4Model(platform::ShellPlatform& shell, std::function<void()> restartApplication)
    : shell_(shell), restartApplication_(std::move(restartApplication)) {
  offKey1 = withMark(u"Alt+0");
  offKey2 = withMark(functionKeyNames[0]);
}

std::filesystem::path TForm4Model::dataFolder() const { return shell_.executableFolder() / "Data"; }

void TForm4Model::message(std::u16string_view text) { shell_.messageBox(owner_, text, kTitle); }

void TForm4Model::FormCreate() {
  startupstate = runValueExists();
  try {
    filluptree(readConfiguration(shell_.executableFolder()));
  } catch (const std::exception& error) {
    // Nothing is read: the dialog keeps its design state.
    message(errorText(error));
  }
  cust_sort();
}

bool TForm4Model::runValueExists() {
  return shell_.readRegistry(platform::Hive::CurrentUser, kRunKey, kRunValue).has_value();
}

void TForm4Model::filluptree(const Configuration& c) {
  dialogToggleMode = c.toggleMode == 2 ? 2 : 1;
  // Keymap-off keys the menus cannot show are the first key of the mode,
  // as at start-up.
  offKey1 = withMark(u"Alt+" + decimal(c.tkey1 >= 0 && c.tkey1 <= 9 ? c.tkey1 : 0));
  offKey2 = withMark(functionKeyNames[c.tkey2 >= 0 && c.tkey2 <= 11 ? c.tkey2 : 0]);
  Tservices = c.textServices;
  Tsurround = c.surround;
  rows.clear();
  for (const ConfigurationEntry& e : c.entries) {
    KeymapRow row;
    row.language = e.language;
    row.keyboard = e.keyboard;
    row.encoding = e.encoding;
    row.filename = e.filename;
    row.tkey1 = hiddenKey(1, e.tkey1);
    row.tkey2 = hiddenKey(2, e.tkey2);
    rows.push_back(std::move(row));
  }
  refreshToggleTexts();
}

Configuration TForm4Model::filluplist() const {
  Configuration c;
  c.toggleMode = dialogToggleMode;
  c.tkey1 = keyIndex(1, offKey1).value_or(0);
  c.tkey2 = keyIndex(2, offKey2).value_or(0);
  c.textServices = Tservices;
  c.surround = Tsurround;
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
void TForm4Model::refreshToggleTexts() {
  for (KeymapRow& row : rows) {
    const std::u16string& key = dialogToggleMode == 2 ? row.tkey2 : row.tkey1;
    row.toggleKey = toggleKeyText(dialogToggleMode, key);
    row.checked = key != kNone;
  }
}

void TForm4Model::cust_sort() {
  const int mode = dialogToggleMode;
  std::stable_sort(rows.begin(), rows.end(), [mode](const KeymapRow& a, const KeymapRow& b) {
    auto order = [mode](const KeymapRow& r) {
      return std::tuple(folded(mode == 2 ? r.tkey2 : r.tkey1), folded(r.language),
                        folded(r.keyboard), folded(r.encoding));
    };
    return order(a) < order(b);
  });
}

RadioMenu TForm4Model::scutmenu(int mode) {
  RadioMenu menu = offmenu(mode);
  menu.items.emplace_back(kNone);
  return menu;
}

RadioMenu TForm4Model::offmenu(int mode) {
  RadioMenu menu;
  if (mode == 2)
    for (std::u16string_view name : functionKeyNames) menu.items.emplace_back(name);
  else
    for (int digit = 0; digit <= 9; ++digit) menu.items.push_back(u"Alt+" + decimal(digit));
  return menu;
}

std::optional<RadioMenu> TForm4Model::listtMouseUp(std::optional<std::size_t> row,
                                                   ListColumn column) {
  if (!row || *row >= rows.size()) return std::nullopt;
  clickedRow = row;
  if (column != ListColumn::ToggleKey) return std::nullopt;
  RadioMenu menu = scutmenu(dialogToggleMode);
  menu.checked =
      itemFor(menu, dialogToggleMode, rows[*row].toggleKey).value_or(menu.items.size() - 1);
  return menu;
}

void TForm4Model::AClick(std::size_t item) {
  const RadioMenu menu = scutmenu(dialogToggleMode);
  if (!clickedRow || *clickedRow >= rows.size() || item >= menu.items.size()) return;
  KeymapRow& row = rows[*clickedRow];
  std::u16string& key = dialogToggleMode == 2 ? row.tkey2 : row.tkey1;
  const std::optional<int> index = keyIndex(dialogToggleMode, menu.items[item]);
  row.toggleKey = withMark(menu.items[item]);
  row.checked = index.has_value();
  key = index ? hex2(*index) : std::u16string(kNone);
  cust_sort();
}

void TForm4Model::ListView1MouseUp(std::size_t row, bool checked) {
  if (row >= rows.size()) return;
  rows[row].checked = checked;
  if (checked) return;  // no key until one is chosen: Ok refuses such a row
  rows[row].toggleKey = withMark(kNone);
  (dialogToggleMode == 2 ? rows[row].tkey2 : rows[row].tkey1) = kNone;
  cust_sort();
}

RadioMenu TForm4Model::offlabelMouseDown() const {
  RadioMenu menu = offmenu(dialogToggleMode);
  menu.checked = itemFor(menu, dialogToggleMode, offlabel()).value_or(0);
  return menu;
}

void TForm4Model::offitemsClick(std::size_t item) {
  const RadioMenu menu = offmenu(dialogToggleMode);
  if (item >= menu.items.size()) return;
  (dialogToggleMode == 2 ? offKey2 : offKey1) = withMark(menu.items[item]);
}

void TForm4Model::useitbuttonClick(int mode) {
  dialogToggleMode = mode == 2 ? 2 : 1;
  refreshToggleTexts();
  cust_sort();
}

// The first refusal of the rows in list order: for each row, a checked
// row after it with the same key, then the Keymap-off key, then no key.
bool TForm4Model::refusal(std::u16string& why) const {
  const std::u16string none = withMark(kNone);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const KeymapRow& row = rows[i];
    for (std::size_t j = i + 1; j < rows.size(); ++j)
      if (row.toggleKey == rows[j].toggleKey && row.checked && rows[j].checked) {
        why = u"Same shortcut key should not be used for more than one Keymap";
        return true;
      }
    if (row.toggleKey == offlabel() && row.checked) {
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
void TForm4Model::registerRun() {
  const bool exists = runValueExists();
  if (startupstate && !exists) {
    const std::u16string command = u"\"" + shell_.moduleFileName().u16string() + u"\"";
    if (!shell_.writeRegistry(platform::Hive::CurrentUser, kRunKey, kRunValue,
                              {platform::RegistryValue::Type::String, command, 0}))
      message(u"Vantrel Korimo could not be set to start automatically with Windows.");
  } else if (!startupstate && exists) {
    if (!shell_.deleteRegistryValue(platform::Hive::CurrentUser, kRunKey, kRunValue))
      message(u"Vantrel Korimo could not be kept from starting automatically with Windows.");
  }
}

bool TForm4Model::okkClick() {
  if (importing_) return false;  // Ok waits for the import in hand
  registerRun();                 // stays done when a check fails
  std::u16string why;
  if (refusal(why)) {
    message(why);
    return false;
  }
  try {
    saveConfiguration(filluplist(), shell_.executableFolder());
  } catch (const std::exception& error) {
    // The previous file is intact; no restart with settings that were not saved.
    message(errorText(error));
    return false;
  }
  message(u"Application will restart now");
  if (restartApplication_) restartApplication_();
  return true;
}

void TForm4Model::importtClick() {
  if (importing_) return;  // the dialog stays usable while an import reads its file
  importing_ = true;
  ScopeExit done([this] { importing_ = false; });
  const std::optional<std::filesystem::path> chosen = shell_.getOpenFileName(
      owner_, u"Import a Keymap", u"Keymap files (*.xml)|*.xml", opdiaFileName_);
  if (!chosen) return;
  opdiaFileName_ = chosen->u16string();  // kept for the next import when this one is refused
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
    opdiaFileName_.clear();
    return;
  }
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
  opdiaFileName_.clear();
  cust_sort();
}

}  // namespace korimo
