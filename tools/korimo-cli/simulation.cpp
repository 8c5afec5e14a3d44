#include "tools/korimo-cli/simulation.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>
#include <sstream>
#include <utility>

#include "engine/written_values.h"
#include "platform/console.h"
#include "platform/scope_exit.h"
#include "platform/sim/us_keyboard.h"
#include "platform/window_kinds.h"
#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo::cli {
namespace {

using platform::Hive;
using platform::RegistryValue;

using namespace platform;

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::u16string utf16(const std::string& text) {
  try {
    return text::utf8ToUtf16(text);
  } catch (const text::EncodingError&) {
    throw ScenarioError("text is not valid UTF-8");
  }
}

// The rest of the line after the command word and one blank.
std::string restOf(const std::string& line, const std::string& command) {
  std::size_t at = line.find(command) + command.size();
  return at < line.size() ? line.substr(at + 1) : std::string();
}

std::u16string unescaped(const std::string& text) {
  std::u16string raw = utf16(text);
  std::u16string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != u'\\' || i + 1 == raw.size()) {
      out.push_back(raw[i]);
      continue;
    }
    switch (raw[++i]) {
      case u'r': out.push_back(u'\r'); break;
      case u'b': out.push_back(u'\b'); break;
      case u'e': out.push_back(u'\x1b'); break;
      case u't': out.push_back(u'\t'); break;
      case u'\\': out.push_back(u'\\'); break;
      default: throw ScenarioError("unknown escape \\" + text::utf16ToUtf8(raw.substr(i, 1)));
    }
  }
  return out;
}

std::uint32_t namedKey(const std::string& name) {
  static const std::map<std::string, std::uint32_t> keys = {{"enter", kVkReturn},
                                                            {"tab", kVkTab},
                                                            {"backspace", kVkBack},
                                                            {"escape", kVkEscape},
                                                            {"space", kVkSpace},
                                                            {"left", kVkLeft},
                                                            {"right", kVkRight},
                                                            {"up", kVkUp},
                                                            {"down", kVkDown},
                                                            {"home", kVkHome},
                                                            {"end", kVkEnd},
                                                            {"pageup", kVkPrior},
                                                            {"pagedown", kVkNext},
                                                            {"insert", kVkInsert},
                                                            {"delete", kVkDelete},
                                                            {"pause", kVkPause},
                                                            {"capslock", kVkCapital},
                                                            {"scrolllock", kVkScroll},
                                                            {"printscreen", kVkSnapshot},
                                                            {"shift", kVkLShift},
                                                            {"rshift", kVkRShift},
                                                            {"ctrl", kVkLControl},
                                                            {"alt", kVkLMenu},
                                                            {"altgr", kVkRMenu},
                                                            {"win", kVkLWin}};
  if (auto it = keys.find(name); it != keys.end()) return it->second;
  if (name.size() >= 2 && name[0] == 'f') {
    int n = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9') return 0;
      n = n * 10 + (name[i] - '0');
    }
    if (n >= 1 && n <= 12) return static_cast<std::uint32_t>(kVkF1 + n - 1);
  }
  return 0;
}

std::string hex(std::uint64_t value, int digits) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "0x%0*llX", digits, static_cast<unsigned long long>(value));
  return buffer;
}

constexpr platform::WindowHandle kSettingsWindow = 0x7F030;

}  // namespace

std::string escaped(const std::u16string& text) {
  std::string out;
  for (char c : text::utf16ToUtf8(text)) {
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

Simulation::Simulation(std::filesystem::path appFolder, std::ostream& out, LineSource nextLine)
    : out_(out), nextLine_(std::move(nextLine)), session_(std::move(appFolder)) {}

Simulation::~Simulation() {
  if (session_.started()) core().removeObserver(views_);
}

void Simulation::startUp() {
  if (session_.started()) return;
  session_.startUp();
  // The program's own windows that a user can click: the key preview strip
  // and the on-screen keyboard. Handles apart from the applications' ones.
  for (const auto& [name, className, handle] :
       {std::tuple{"strip", u"TForm3", platform::WindowHandle{0x7F010}},
        std::tuple{"keyboard", u"TForm5", platform::WindowHandle{0x7F020}}}) {
    const platform::WindowHandle front = session_.desktop.foregroundWindow();
    session_.desktop.openWindow(className, {}, handle);
    session_.desktop.focus(front);
    ownWindows_.emplace_back(name, handle);
  }
  attachProgram();
  views_.redrawn = ViewParts::all();  // every view draws itself once at start-up
  ended_ = session_.endIfTerminated();
}

// The views, the dialogs and the program's own windows meet the running program.
void Simulation::attachProgram() {
  core().addObserver(views_);
  core().setDialogHost(&dialogs_);
  for (const auto& [name, handle] : ownWindows_) core().addOwnWindow(handle);
  launchedAtStart_ = session_.shell.launched.size();
}

// Once the program has asked to end, it ends; when it started itself again
// on the way out (the restart after the settings dialog), the new instance
// starts from the program's folder, after the old one has gone.
void Simulation::endOrRestart() {
  ended_ = session_.endIfTerminated();
  if (!ended_ || settings_) return;  // the dialog that asked is still being closed
  const std::vector<std::u16string>& launched = session_.shell.launched;
  const std::u16string self = session_.shell.moduleFileName().u16string();
  if (std::find(launched.begin() + static_cast<std::ptrdiff_t>(launchedAtStart_), launched.end(),
                self) == launched.end())
    return;
  core().removeObserver(views_);
  session_.restart();
  out_ << "program restarted\n";
  attachProgram();
  ended_ = session_.endIfTerminated();
}

void Simulation::Dialogs::showSettings() {
  opened.push_back("settings");
  simulation.runSettingsDialog();
}

void Simulation::runSettingsDialog() {
  ProgramCore& program = core();
  const platform::WindowHandle front = session_.desktop.foregroundWindow();
  session_.desktop.openWindow(u"TForm4", {}, kSettingsWindow);
  program.addOwnWindow(kSettingsWindow);
  ownWindows_.emplace_back("settings", kSettingsWindow);
  SettingsDialog dialog{
      SettingsDialogModel(session_.shell, [&program] { program.restartApplication(); }),
      kSettingsWindow};
  settings_ = &dialog;
  ScopeExit closing([&] {
    settings_ = nullptr;
    program.removeOwnWindow(kSettingsWindow);
    std::erase_if(ownWindows_, [](const auto& own) { return own.second == kSettingsWindow; });
    session_.desktop.close(kSettingsWindow);
    if (session_.desktop.windowExists(front)) session_.desktop.focus(front);
  });
  dialog.model.setOwner(kSettingsWindow);
  dialog.model.open();
  // Modal: the scenario's lines act while it is open; the program keeps
  // handling keys for the other windows meanwhile.
  while (!dialog.closed && !ended_ && nextLine_) {
    std::optional<std::string> line = nextLine_();
    if (!line) break;
    run(*line);
  }
}

std::size_t Simulation::settingsRow(const std::string& word) const {
  const std::vector<KeymapRow>& rows = settings_->model.rows;
  if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos) {
    const std::size_t n = std::stoul(word);
    if (n >= 1 && n <= rows.size()) return n - 1;
    throw ScenarioError("the list has no row " + word);
  }
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].filename == utf16(word)) return i;
  throw ScenarioError("the list has no row for " + word);
}

void Simulation::printMenu(const RadioMenu& menu) {
  out_ << "menu:";
  for (std::size_t i = 0; i < menu.items.size(); ++i)
    out_ << (i ? " | " : " ") << (i == menu.checked ? "[x] " : "[ ] ") << escaped(menu.items[i]);
  out_ << "\n";
}

// The commands of the open settings dialog; false for any other command.
bool Simulation::settingsCommand(const std::vector<std::string>& w) {
  static const std::set<std::string> commands = {
      "list",   "keycell", "offlabel", "choose",   "mode",       "check",         "uncheck", "box",
      "import", "ok",      "cancel",   "programs", "addprogram", "removeprogram", "browse"};
  const std::string& command = w[0];
  if (!commands.contains(command)) {
    if (settings_) settings_->menu = SettingsDialog::Menu::None;  // a click elsewhere closes it
    return false;
  }
  if (!settings_) throw ScenarioError("'" + command + "' needs the settings dialog open");
  SettingsDialog& dialog = *settings_;
  SettingsDialogModel& model = dialog.model;
  const SettingsDialog::Menu menu = std::exchange(dialog.menu, SettingsDialog::Menu::None);
  auto need = [&](std::size_t n, const char* usage) {
    if (w.size() != n) throw ScenarioError(std::string("usage: ") + usage);
  };
  if (command == "list") {
    need(1, "list");
    out_ << "settings: "
         << (model.toggleMode == ToggleMode::FunctionKeys ? "Avoid Alt key" : "Use Alt Key")
         << "; Keymap off " << escaped(model.offKeyLabel()) << "; ["
         << (model.textServices ? "x" : " ") << "] Windows Text Services; ["
         << (model.surround ? "x" : " ") << "] Treat Backspace as Undo; ["
         << (model.startWithWindows ? "x" : " ") << "] Start automatically\n";
    for (std::size_t i = 0; i < model.rows.size(); ++i) {
      const KeymapRow& r = model.rows[i];
      out_ << i + 1 << " [" << (r.checked ? "x" : " ") << "] " << escaped(r.language) << " | "
           << escaped(r.keyboard) << " | " << escaped(r.encoding) << " | " << escaped(r.filename)
           << " | " << escaped(r.toggleKey) << "\n";
    }
  } else if (command == "keycell") {
    need(2, "keycell ROW");
    printMenu(*model.listPressed(settingsRow(w[1]), ListColumn::ToggleKey));
    dialog.menu = SettingsDialog::Menu::ToggleKey;
  } else if (command == "offlabel") {
    need(1, "offlabel");
    printMenu(model.offKeyMenu());
    dialog.menu = SettingsDialog::Menu::KeymapOff;
  } else if (command == "programs") {
    need(1, "programs");
    out_ << "never type in:";
    for (std::size_t i = 0; i < model.neverTypeIn.size(); ++i)
      out_ << (i ? " | " : " ") << escaped(model.neverTypeIn[i]);
    out_ << "; [" << (model.pauseInFullScreen ? "x" : " ") << "] Pause in full-screen programs\n";
  } else if (command == "addprogram") {
    need(1, "addprogram");
    RadioMenu shown{model.addProgramMenu(), std::size_t(-1)};
    printMenu(shown);
    dialog.menu = SettingsDialog::Menu::AddProgram;
  } else if (command == "browse") {
    // The Add... menu's last item: FILE chosen in the open-file dialog, or cancel.
    need(2, "browse FILE|cancel");
    if (menu != SettingsDialog::Menu::AddProgram)
      throw ScenarioError("'browse' needs the Add... menu open");
    session_.shell.nextOpenFile.reset();
    if (w[1] != "cancel") session_.shell.nextOpenFile = platform::pathFromUtf8(w[1]);
    model.addProgramChosen(model.addProgramMenu().size() - 1);
  } else if (command == "removeprogram") {
    need(2, "removeprogram NAME");
    auto at = std::find(model.neverTypeIn.begin(), model.neverTypeIn.end(), utf16(w[1]));
    if (at == model.neverTypeIn.end()) throw ScenarioError("the list has no program " + w[1]);
    model.removeProgram(static_cast<std::size_t>(at - model.neverTypeIn.begin()));
  } else if (command == "choose" && menu == SettingsDialog::Menu::AddProgram) {
    need(2, "choose ITEM");
    const std::vector<std::u16string> items = model.addProgramMenu();
    auto at = std::find(items.begin(), items.end(), utf16(w[1]));
    if (at == items.end() || at + 1 == items.end())
      throw ScenarioError("the menu has no program " + w[1]);
    model.addProgramChosen(static_cast<std::size_t>(at - items.begin()));
  } else if (command == "choose") {
    need(2, "choose ITEM");
    if (menu == SettingsDialog::Menu::None) throw ScenarioError("no menu of the dialog is open");
    const bool toggle = menu == SettingsDialog::Menu::ToggleKey;
    const RadioMenu items = toggle ? SettingsDialogModel::toggleKeyMenuOf(model.toggleMode)
                                   : SettingsDialogModel::offKeyMenuOf(model.toggleMode);
    auto at = std::find(items.items.begin(), items.items.end(), utf16(w[1]));
    if (at == items.items.end()) throw ScenarioError("the menu has no item " + w[1]);
    const auto item = static_cast<std::size_t>(at - items.items.begin());
    if (toggle)
      model.toggleKeyChosen(item);
    else
      model.offKeyChosen(item);
  } else if (command == "mode") {
    need(2, "mode alt|avoid");
    if (w[1] != "alt" && w[1] != "avoid") throw ScenarioError("usage: mode alt|avoid");
    model.toggleModeChosen(w[1] == "avoid" ? ToggleMode::FunctionKeys : ToggleMode::Alt);
  } else if (command == "check" || command == "uncheck") {
    need(2, "check|uncheck ROW");
    model.rowCheckChanged(settingsRow(w[1]), command == "check");
  } else if (command == "box") {
    need(3, "box services|surround|startup|fullscreen on|off");
    bool* box = w[1] == "services"     ? &model.textServices
                : w[1] == "surround"   ? &model.surround
                : w[1] == "startup"    ? &model.startWithWindows
                : w[1] == "fullscreen" ? &model.pauseInFullScreen
                                       : nullptr;
    if (!box || (w[2] != "on" && w[2] != "off"))
      throw ScenarioError("usage: box services|surround|startup|fullscreen on|off");
    *box = w[2] == "on";
  } else if (command == "import") {
    if (w.size() < 2 || w.size() > 3 || (w.size() == 3 && w[2] != "yes" && w[2] != "no"))
      throw ScenarioError("usage: import FILE [yes|no] | import cancel");
    session_.shell.nextOpenFile.reset();
    if (w[1] != "cancel") session_.shell.nextOpenFile = platform::pathFromUtf8(w[1]);
    session_.shell.yesNoAnswers.clear();
    if (w.size() == 3) session_.shell.yesNoAnswers.push_back(w[2] == "yes");
    model.importKeymap();
  } else if (command == "ok") {
    need(1, "ok");
    dialog.closed = model.ok();
  } else {
    need(1, "cancel");
    dialog.closed = true;
  }
  return true;
}

void Simulation::beforeStartUp(const std::vector<std::string>& w, const std::string& line) {
  if (session_.started())
    throw ScenarioError("'" + w[0] + "' must come before every other command");
  if (w[0] == "library") {
    if (w.size() != 3 || w[1] != "missing") throw ScenarioError("usage: library missing NAME");
    session_.hooks.removeLibrary(utf16(w[2]));
    return;
  }
  if (w[0] == "deadkey") {
    // deadkey KEY SPACING BASE=RESULT...: the US key that types KEY is a
    // dead key of the layout.
    const std::u16string key = w.size() >= 3 ? utf16(w[1]) : u"";
    const std::u16string spacing = w.size() >= 3 ? utf16(w[2]) : u"";
    if (key.size() != 1 || spacing.size() != 1)
      throw ScenarioError("usage: deadkey KEY SPACING BASE=RESULT...");
    std::map<char16_t, char16_t> combined;
    for (std::size_t i = 3; i < w.size(); ++i) {
      const std::u16string pair = utf16(w[i]);
      if (pair.size() != 3 || pair[1] != u'=')
        throw ScenarioError("usage: deadkey KEY SPACING BASE=RESULT...");
      combined[pair[0]] = pair[2];
    }
    session_.hooks.addDeadKey(sim::usKeystroke(key[0]).vk, spacing[0], std::move(combined));
    return;
  }
  if (w[0] == "winver") {
    if (w.size() != 4) throw ScenarioError("usage: winver PLATFORM MAJOR MINOR");
    session_.shell.versionInfo = platform::VersionInfo{
        static_cast<std::uint32_t>(std::stoul(w[1])), static_cast<std::uint32_t>(std::stoul(w[2])),
        static_cast<std::uint32_t>(std::stoul(w[3]))};
    return;
  }
  // reg HIVE KEY NAME sz|dword DATA; the key may hold blanks, the name only
  // in double quotes ("Layout Id").
  std::size_t type = 0;
  for (std::size_t i = 3; i < w.size() && type == 0; ++i)
    if (w[i] == "sz" || w[i] == "dword") type = i;
  if (w.size() < 4 || type == 0 || (w[1] != "HKCU" && w[1] != "HKLM"))
    throw ScenarioError("usage: reg HKCU|HKLM KEY NAME sz|dword DATA");
  std::string key;
  std::string name = w[type - 1];
  std::size_t keyWords = type - 1;
  if (const std::size_t quote = line.find('"'); quote != std::string::npos) {
    const std::size_t close = line.find('"', quote + 1);
    if (close == std::string::npos) throw ScenarioError("a quoted value name has no end");
    name = line.substr(quote + 1, close - quote - 1);
    const std::vector<std::string> before = words(line.substr(0, quote));
    keyWords = before.size();
  }
  for (std::size_t i = 2; i < keyWords; ++i) key += (key.empty() ? "" : " ") + w[i];
  std::size_t dataAt = line.find(" " + w[type] + " ", line.find(name));
  std::string data = dataAt == std::string::npos ? "" : line.substr(dataAt + w[type].size() + 2);
  RegistryValue value;
  if (w[type] == "dword") {
    value.type = RegistryValue::Type::Dword;
    value.number = static_cast<std::uint32_t>(std::stoul(data, nullptr, 0));
  } else {
    value.text = utf16(data);
  }
  session_.shell.setRegistry(w[1] == "HKCU" ? Hive::CurrentUser : Hive::LocalMachine, utf16(key),
                             utf16(name), value);
}

platform::WindowHandle Simulation::windowNamed(const std::string& name) const {
  for (const auto& list : {&windows_, &ownWindows_})
    for (const auto& [n, handle] : *list)
      if (n == name) return handle;
  throw ScenarioError("no window named " + name);
}

std::string Simulation::nameOf(platform::WindowHandle window) const {
  if (window == platform::kBroadcast) return "broadcast";
  for (const auto& [n, handle] : windows_)
    if (handle == window) return n;
  return std::to_string(window);
}

void Simulation::typeText(const std::u16string& text) {
  for (char16_t c : text) {
    if (!DesktopSession::isTypable(c))
      throw ScenarioError("character U+" + hex(c, 4).substr(2) + " is not a key");
    session_.typeCharacter(c);
  }
}

void Simulation::chord(const std::string& text, bool press, bool release) {
  std::vector<std::uint32_t> keys;
  std::string rest = text;
  static const std::pair<const char*, std::uint32_t> modifiers[] = {
      {"ctrl+", kVkLControl}, {"alt+", kVkLMenu}, {"shift+", kVkLShift}, {"win+", kVkLWin}};
  for (bool found = true; found && rest.size() > 1;) {
    found = false;
    for (const auto& [prefix, vk] : modifiers)
      if (rest.rfind(prefix, 0) == 0) {
        keys.push_back(vk);
        rest = rest.substr(std::string(prefix).size());
        found = true;
      }
  }
  std::uint32_t key = 0;
  if (rest.size() == 1 && rest[0] > 32 && rest[0] < 127) {
    char16_t c = static_cast<char16_t>(rest[0]);
    const sim::UsKeystroke stroke = sim::usKeystroke(c);
    key = stroke.vk;
    if (stroke.shift && std::find(keys.begin(), keys.end(), kVkLShift) == keys.end())
      keys.push_back(kVkLShift);
  } else {
    key = namedKey(rest);
  }
  if (key == 0) throw ScenarioError("unknown key '" + rest + "'");
  if (press) {
    for (std::uint32_t m : keys) session_.hooks.press(m);
    session_.hooks.press(key);
  }
  if (release) {
    session_.hooks.release(key);
    for (auto m = keys.rbegin(); m != keys.rend(); ++m) session_.hooks.release(*m);
  }
}

void Simulation::run(const std::string& line) {
  std::vector<std::string> w = words(line);
  if (w.empty() || w[0][0] == '#') return;
  const std::string& command = w[0];
  if (command == "reg" || command == "winver" || command == "library" || command == "deadkey")
    return beforeStartUp(w, line);
  startUp();
  ProgramCore& core = this->core();
  // Once the program has ended, its tray and windows are gone; keys and the
  // mouse still reach the applications, unhooked.
  static const char* const programCommands[] = {"tray",  "menu",     "mainmenu",   "help",
                                                "about", "settings", "keypreview", "osk",
                                                "arrow", "exit",     "nevertype"};
  if (ended_ && std::find(std::begin(programCommands), std::end(programCommands), command) !=
                    std::end(programCommands))
    return;
  auto need = [&](std::size_t n) {
    if (w.size() != n) throw ScenarioError("wrong number of words for '" + command + "'");
  };
  if (settingsCommand(w)) return endOrRestart();

  if (command == "window") {
    // Options after the class, in any order: elevated, own, fullscreen, program=FILE.
    bool elevated = false, own = false, fullScreen = false;
    std::optional<std::string> program;
    for (bool option = true; option && w.size() > 2;) {
      const std::string& last = w.back();
      option = last == "elevated" || last == "own" || last == "fullscreen" ||
               last.starts_with("program=");
      if (last == "elevated") elevated = true;
      if (last == "own") own = true;
      if (last == "fullscreen") fullScreen = true;
      if (last.starts_with("program=")) program = last.substr(8);
      if (option) w.pop_back();
    }
    if (w.size() != 2 && w.size() != 3)
      throw ScenarioError("usage: window NAME [CLASS] [elevated|own] [fullscreen] [program=FILE]");
    std::u16string className = w.size() == 3 ? utf16(w[2]) : u"Edit";
    const platform::WindowHandle window = session_.openWindow(std::move(className));
    windows_.emplace_back(w[1], window);
    session_.desktop.setElevated(window, elevated);
    session_.desktop.setOwnProcess(window, own && !elevated);
    session_.desktop.setCoversMonitor(window, fullScreen);
    // A window's program is named after it unless the line says otherwise.
    session_.desktop.setProgram(window, utf16(program.value_or(w[1] + ".exe")));
  } else if (command == "field") {
    // field NAME [FIELD] [password]: the focus moves to a text field of the
    // window (added the first time), or back to its own field.
    const bool password = w.back() == "password";
    if (password) w.pop_back();
    if (w.size() != 2 && w.size() != 3) throw ScenarioError("usage: field NAME [FIELD] [password]");
    const platform::WindowHandle window = windowNamed(w[1]);
    if (w.size() == 2) {
      session_.desktop.focusControl(window, window);
    } else if (auto known = fields_.find(w[1] + "." + w[2]); known != fields_.end()) {
      session_.desktop.focusControl(window, known->second);
    } else {
      fields_[w[1] + "." + w[2]] =
          session_.desktop.addControl(window, u"Edit", password ? platform::kEsPassword : 0);
    }
  } else if (command == "fullscreen") {
    need(3);
    if (w[2] != "on" && w[2] != "off") throw ScenarioError("usage: fullscreen NAME on|off");
    session_.desktop.setCoversMonitor(windowNamed(w[1]), w[2] == "on");
  } else if (command == "shellstate") {
    need(2);
    if (w[1] != "d3d" && w[1] != "presentation" && w[1] != "normal")
      throw ScenarioError("usage: shellstate d3d|presentation|normal");
    session_.desktop.shellFullScreen = w[1] != "normal";
  } else if (command == "wait") {
    need(2);
    session_.hooks.timePasses(static_cast<std::uint32_t>(std::stoul(w[1])));
  } else if (command == "nevertype") {
    need(1);
    core.neverTypeInChosen();
  } else if (command == "focus") {
    need(2);
    session_.desktop.focus(windowNamed(w[1]));
  } else if (command == "close") {
    need(2);
    session_.desktop.close(windowNamed(w[1]));
  } else if (command == "type") {
    typeText(unescaped(restOf(line, "type")));
  } else if (command == "key" || command == "down" || command == "up") {
    need(2);
    chord(w[1], command != "up", command != "down");
  } else if (command == "hooklost") {
    need(1);
    session_.hooks.loseKeyboardHook();
  } else if (command == "mousehooklost") {
    need(1);
    session_.hooks.loseMouseHook();
  } else if (command == "hooks") {
    need(1);
    const platform::sim::SimHookPlatform& h = session_.hooks;
    out_ << "hooks: keyboard " << (h.keyboardHookInstalled() ? "installed" : "removed")
         << ", mouse " << (h.mouseHookInstalled() ? "installed" : "removed") << "\n";
  } else if (command == "caret") {
    // The user clicks into the window's text at a position.
    need(3);
    const platform::WindowHandle window = windowNamed(w[1]);
    session_.desktop.focus(window);
    session_.desktop.field(window).moveTo(std::stoul(w[2]));
    const platform::WindowHandle under = session_.hooks.windowUnderPointer;
    session_.hooks.windowUnderPointer = window;
    session_.hooks.mouseButton(platform::kWmLButtonDown);
    session_.hooks.mouseButton(platform::kWmLButtonUp);
    session_.hooks.windowUnderPointer = under;
  } else if (command == "received") {
    // The key events the applications received since the last look: +VK a
    // press, -VK a release, with "i" when a program injected it; a
    // character typed as such is U+XXXX (its press).
    need(1);
    const auto& delivered = session_.hooks.deliveredKeys;
    out_ << "received:";
    for (; receivedShown_ < delivered.size(); ++receivedShown_) {
      const platform::sim::DeliveredKey& k = delivered[receivedShown_];
      if (k.unicode) {
        if (k.down) out_ << " U+" << hex(k.unicode, 4).substr(2);
        continue;
      }
      out_ << " " << (k.down ? "+" : "-") << k.vk << (k.injected ? "i" : "");
    }
    out_ << "\n";
  } else if (command == "clipboard") {
    if (w.size() == 1) {
      out_ << "clipboard: " << escaped(session_.desktop.clipboard) << "\n";
    } else {
      session_.desktop.clipboard = unescaped(restOf(line, "clipboard"));
    }
  } else if (command == "inputblocked") {
    need(2);
    if (w[1] != "on" && w[1] != "off") throw ScenarioError("usage: inputblocked on|off");
    session_.desktop.inputBlocked = w[1] == "on";
  } else if (command == "slow") {
    // slow launch MS | slow PATH MS: starting a program, or files under PATH, take MS.
    need(3);
    const auto ms = static_cast<std::uint32_t>(std::stoul(w[2]));
    if (w[1] == "launch")
      session_.shell.launchMs = ms;
    else
      session_.shell.slowPaths.emplace_back(
          platform::pathFromUtf8(w[1]).lexically_normal().u16string(), ms);
  } else if (command == "click") {
    // On a window by name, or where the pointer happens to be.
    if (w.size() > 2) throw ScenarioError("usage: click [NAME]");
    if (w.size() == 2 && w[1] == "notice") {
      // The last notification the tray showed.
      if (!lastNotice_) throw ScenarioError("click notice: no notification was shown");
      session_.core().notificationClicked(*lastNotice_);
      endOrRestart();
      return;
    }
    const platform::WindowHandle under = session_.hooks.windowUnderPointer;
    if (w.size() == 2) session_.hooks.windowUnderPointer = windowNamed(w[1]);
    session_.hooks.mouseButton(platform::kWmLButtonDown);
    session_.hooks.mouseButton(platform::kWmLButtonUp);
    session_.hooks.windowUnderPointer = under;
  } else if (command == "wheel") {
    session_.hooks.mouseButton(platform::kWmMouseWheel);
  } else if (command == "move") {
    session_.hooks.moveMouse(session_.hooks.cursorX + 5, session_.hooks.cursorY + 3);
  } else if (command == "tray" && w.size() == 2 && w[1] == "show") {
    const TrayLook look = trayLook(core);
    out_ << "tray: " << (look.on ? "on" : "off") << " " << escaped(look.tooltip) << "\n";
  } else if (command == "tray") {
    need(2);
    static const std::map<std::string, TrayButton> buttons = {
        {"left", TrayButton::Left}, {"right", TrayButton::Right}, {"middle", TrayButton::Middle}};
    auto button = buttons.find(w[1]);
    if (button == buttons.end()) throw ScenarioError("usage: tray left|right|middle|show");
    // The menu opens and closes; a `menu N` line is the item chosen.
    core.trayIconPressed(button->second);
    core.trayMenuClosed();
  } else if (command == "menu") {
    need(2);
    std::size_t item = std::stoul(w[1]);
    if (item >= core.catalogue.keymapMenu.size()) throw ScenarioError("no menu item " + w[1]);
    core.keymapMenuChosen(item);
  } else if (command == "menus") {
    need(1);
    auto print = [this](const char* name, const std::vector<MenuLine>& lines) {
      out_ << name << ":";
      const char* separator = " ";
      for (const MenuLine& line : lines) {
        out_ << separator << "["
             << (!line.enabled  ? "-"
                 : line.checked ? "x"
                                : " ")
             << "] " << escaped(line.caption);
        separator = " | ";
      }
      out_ << "\n";
    };
    print("keymap menu", keymapMenuLines(core));
    print("main menu", mainMenuLines(core));
  } else if (command == "help") {
    core.visitHelpPage();
  } else if (command == "about") {
    core.openAbout();
  } else if (command == "settings") {
    core.openSettings();
  } else if (command == "dialogs") {
    for (; dialogsShown_ < dialogs_.opened.size(); ++dialogsShown_)
      out_ << dialogs_.opened[dialogsShown_] << "\n";
  } else if (command == "keypreview") {
    core.toggleKeyPreview();
  } else if (command == "osk") {
    core.toggleOnScreenKeyboard();
  } else if (command == "arrow") {
    need(2);
    if (w[1] != "left" && w[1] != "right") throw ScenarioError("usage: arrow left|right");
    core.previewArrowClicked(w[1] == "left" ? KeyPreview::Arrow::Left : KeyPreview::Arrow::Right);
  } else if (command == "exit") {
    core.exitProgram();
  } else if (command == "show") {
    need(2);
    const auto field = fields_.find(w[1]);
    const platform::WindowHandle shown = field != fields_.end() ? field->second : windowNamed(w[1]);
    out_ << w[1] << ": " << escaped(session_.desktop.controlText(shown)) << "\n";
  } else if (command == "redraws") {
    need(1);
    out_ << "redraws:" << (views_.redrawn.empty() ? "" : " ") << views_.redrawn.names() << "\n";
    views_.redrawn = ViewParts();
  } else if (command == "state") {
    const Catalogue& c = core.catalogue;
    out_ << "keymap=" << escaped(core.activeKeymap.value_or(u"****")) << " on=" << core.keymapOn
         << " active=" << core.engine.keymap.activeKeymap << " hint=" << escaped(c.trayHint)
         << " checked=" << c.keymapMenu.checkedItem() << " surround=" << c.surroundActive << "\n";
  } else if (command == "preview") {
    for (const auto* row : {&core.preview.keys, &core.preview.characters}) {
      out_ << (row == &core.preview.keys ? "keys: " : "chars: ");
      for (std::size_t i = 0; i < row->size(); ++i) out_ << (i ? "|" : "") << escaped((*row)[i]);
      out_ << "\n";
    }
  } else if (command == "legends") {
    std::string separator;
    for (char16_t c : OnScreenKeyboard::kKeyPairs) {
      const std::u16string& legend = core.osk.legend(c);
      if (legend.empty()) continue;
      out_ << separator << escaped(std::u16string(1, c)) << "=" << escaped(legend);
      separator = " ";
    }
    out_ << "\n";
  } else if (command == "posts") {
    for (; postsShown_ < session_.shell.posted.size(); ++postsShown_) {
      const platform::sim::PostedMessage& p = session_.shell.posted[postsShown_];
      if (p.message != platform::kWmInputLangChangeRequest &&
          p.message != platform::kWmInputLangChange)
        continue;
      out_ << nameOf(p.window) << " " << hex(p.message, 4) << " " << hex(p.wParam, 4) << " "
           << hex(static_cast<std::uint64_t>(p.lParam), 8) << "\n";
    }
  } else if (command == "layouts") {
    // The keyboard layouts the program asked Windows to load (and to activate).
    need(1);
    for (; layoutsShown_ < session_.shell.loadedLayouts.size(); ++layoutsShown_) {
      const auto& [id, flags] = session_.shell.loadedLayouts[layoutsShown_];
      out_ << ((flags & platform::kKlfActivate) ? "activate " : "load ") << escaped(id) << "\n";
    }
  } else if (command == "notices") {
    // The tray shows each waiting notification, as the Win32 tray does.
    need(1);
    ProgramCore& core = session_.core();
    while (!core.notifications.empty()) {
      const TrayNotification notice = core.notifications.front();
      core.notificationShown();
      lastNotice_ = notice.kind;
      out_ << "notice " << escaped(notice.title) << ": " << escaped(notice.text) << "\n";
    }
  } else if (command == "registry") {
    need(1);
    const std::u16string written = kWrittenFilesKey;
    for (const std::u16string& key : {std::u16string(kProductKey), written}) {
      const std::u16string prefix = key == written ? u"Written Files\\" : u"";
      for (const auto& [name, value] :
           session_.shell.registryValues(platform::Hive::CurrentUser, key))
        out_ << escaped(prefix + name) << "="
             << (value.type == platform::RegistryValue::Type::Dword
                     ? "dword " + std::to_string(value.number)
                     : escaped(value.text))
             << "\n";
    }
  } else if (command == "launched") {
    for (; launchedShown_ < session_.shell.launched.size(); ++launchedShown_)
      out_ << escaped(session_.shell.launched[launchedShown_]) << "\n";
  } else if (command == "messages") {
    for (; messagesShown_ < session_.shell.messages.size(); ++messagesShown_)
      out_ << escaped(session_.shell.messages[messagesShown_]) << "\n";
  } else {
    throw ScenarioError("unknown command '" + command + "'");
  }
  endOrRestart();
}

void Simulation::finish() {
  startUp();
  for (const auto& [name, handle] : windows_) {
    if (!session_.desktop.windowExists(handle)) continue;
    out_ << name << ": " << escaped(session_.desktop.controlText(handle)) << "\n";
    // A window's other fields after it, as NAME.FIELD.
    for (const auto& [fieldName, control] : fields_)
      if (fieldName.starts_with(name + "."))
        out_ << fieldName << ": " << escaped(session_.desktop.controlText(control)) << "\n";
  }
  // Keys Windows still holds down that the user let go: every program
  // would take them as held.
  for (std::uint32_t vk : session_.hooks.stuckKeys()) out_ << "stuck key " << vk << "\n";
}

}  // namespace korimo::cli
