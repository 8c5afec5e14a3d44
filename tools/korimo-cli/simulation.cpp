#include "tools/korimo-cli/simulation.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "engine/globalroutines.h"
#include "tools/korimo-cli/typing_session.h"
#include "xml/xml_document.h"

namespace korimo::cli {
namespace {

using platform::Hive;
using platform::RegistryValue;

constexpr std::uint32_t kVkLShift = 0xA0;
constexpr std::uint32_t kVkLControl = 0xA2;
constexpr std::uint32_t kVkLMenu = 0xA4;
constexpr std::uint32_t kVkLWin = 0x5B;

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::u16string utf16(const std::string& text) {
  try {
    return xml::utf8ToUtf16(text);
  } catch (const xml::XmlError&) {
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
      default: throw ScenarioError("unknown escape \\" + xml::utf16ToUtf8(raw.substr(i, 1)));
    }
  }
  return out;
}

std::uint32_t namedKey(const std::string& name) {
  static const std::map<std::string, std::uint32_t> keys = {
      {"enter", 13},       {"tab", 9},       {"backspace", 8}, {"escape", 27},     {"space", 32},
      {"left", 37},        {"right", 39},    {"up", 38},       {"down", 40},       {"home", 36},
      {"end", 35},         {"pageup", 33},   {"pagedown", 34}, {"insert", 45},     {"delete", 46},
      {"scrolllock", 145}, {"capslock", 20}, {"pause", 19},    {"printscreen", 44}};
  if (auto it = keys.find(name); it != keys.end()) return it->second;
  if (name.size() >= 2 && name[0] == 'f') {
    int n = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9') return 0;
      n = n * 10 + (name[i] - '0');
    }
    if (n >= 1 && n <= 12) return static_cast<std::uint32_t>(111 + n);
  }
  return 0;
}

std::string hex(std::uint64_t value, int digits) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "0x%0*llX", digits, static_cast<unsigned long long>(value));
  return buffer;
}

}  // namespace

std::string escaped(const std::u16string& text) {
  std::string out;
  for (char c : xml::utf16ToUtf8(text)) {
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

Simulation::Simulation(std::filesystem::path appFolder, std::ostream& out) : out_(out) {
  shell_.appFolder = std::move(appFolder);
  shell_.setRegistry(Hive::CurrentUser, u"Keyboard Layout\\Preload", u"1",
                     RegistryValue{RegistryValue::Type::String, u"00000409", 0});
  hooks_.desktop = &desktop_;
  ownWindow_ = desktop_.openWindow(u"TApplication");
  desktop_.focus(platform::kNoWindow);
  shell_.onSetForeground = [this](platform::WindowHandle window) {
    if (desktop_.windowExists(window)) desktop_.focus(window);
  };
}

Simulation::~Simulation() = default;

void Simulation::startUp() {
  if (started_) return;
  started_ = true;
  form_ = std::make_unique<TForm1>(TForm1::Platforms{hooks_, hooks_, shell_}, ownWindow_);
  form_->FormCreate();
  endIfTerminated();
}

void Simulation::endIfTerminated() {
  if (shell_.terminated && !ended_) {
    ended_ = true;
    form_->FormDestroy();
  }
}

void Simulation::beforeStartUp(const std::vector<std::string>& w, const std::string& line) {
  if (started_) throw ScenarioError("'" + w[0] + "' must come before every other command");
  if (w[0] == "winver") {
    if (w.size() != 4) throw ScenarioError("usage: winver PLATFORM MAJOR MINOR");
    shell_.versionInfo = platform::VersionInfo{static_cast<std::uint32_t>(std::stoul(w[1])),
                                               static_cast<std::uint32_t>(std::stoul(w[2])),
                                               static_cast<std::uint32_t>(std::stoul(w[3])), u""};
    return;
  }
  // reg HIVE KEY NAME sz|dword DATA; the key may hold blanks, the name not.
  std::size_t type = 0;
  for (std::size_t i = 3; i < w.size() && type == 0; ++i)
    if (w[i] == "sz" || w[i] == "dword") type = i;
  if (w.size() < 4 || type == 0 || (w[1] != "HKCU" && w[1] != "HKLM"))
    throw ScenarioError("usage: reg HKCU|HKLM KEY NAME sz|dword DATA");
  std::string key = w[2];
  for (std::size_t i = 3; i + 1 < type; ++i) key += " " + w[i];
  const std::string& name = w[type - 1];
  std::size_t dataAt = line.find(" " + w[type] + " ", line.find(name));
  std::string data = dataAt == std::string::npos ? "" : line.substr(dataAt + w[type].size() + 2);
  RegistryValue value;
  if (w[type] == "dword") {
    value.type = RegistryValue::Type::Dword;
    value.number = static_cast<std::uint32_t>(std::stoul(data, nullptr, 0));
  } else {
    value.text = utf16(data);
  }
  shell_.setRegistry(w[1] == "HKCU" ? Hive::CurrentUser : Hive::LocalMachine, utf16(key),
                     utf16(name), value);
}

platform::WindowHandle Simulation::windowNamed(const std::string& name) const {
  for (const auto& [n, handle] : windows_)
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
    if (!TypingSession::isTypable(c) && c != u'\t')
      throw ScenarioError("character U+" + hex(c, 4).substr(2) + " is not a key");
    const auto vk = c == u'\t' ? std::uint32_t{9} : std::uint32_t{usVirtualKey(c)};
    const bool shift = usNeedsShift(c);
    if (shift) hooks_.press(kVkLShift);
    hooks_.press(vk);
    hooks_.release(vk);
    if (shift) hooks_.release(kVkLShift);
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
    key = usVirtualKey(c);
    if (usNeedsShift(c) && std::find(keys.begin(), keys.end(), kVkLShift) == keys.end())
      keys.push_back(kVkLShift);
  } else {
    key = namedKey(rest);
  }
  if (key == 0) throw ScenarioError("unknown key '" + rest + "'");
  if (press) {
    for (std::uint32_t m : keys) hooks_.press(m);
    hooks_.press(key);
  }
  if (release) {
    hooks_.release(key);
    for (auto m = keys.rbegin(); m != keys.rend(); ++m) hooks_.release(*m);
  }
}

void Simulation::run(const std::string& line) {
  std::vector<std::string> w = words(line);
  if (w.empty() || w[0][0] == '#') return;
  const std::string& command = w[0];
  if (command == "reg" || command == "winver") return beforeStartUp(w, line);
  startUp();
  TForm1& form = *form_;
  // Once the program has ended, its tray and windows are gone; keys and the
  // mouse still reach the applications, unhooked.
  static const char* const programCommands[] = {"tray", "menu",  "keypreview",
                                                "osk",  "arrow", "exit"};
  if (ended_ && std::find(std::begin(programCommands), std::end(programCommands), command) !=
                    std::end(programCommands))
    return;
  auto need = [&](std::size_t n) {
    if (w.size() != n) throw ScenarioError("wrong number of words for '" + command + "'");
  };

  if (command == "window") {
    if (w.size() != 2 && w.size() != 3) throw ScenarioError("usage: window NAME [CLASS]");
    std::u16string className = w.size() == 3 ? utf16(w[2]) : u"Edit";
    auto marks = clusterMarksFor(form.engine.replacement, className);
    windows_.emplace_back(w[1], desktop_.openWindow(className, std::move(marks)));
  } else if (command == "focus") {
    need(2);
    desktop_.focus(windowNamed(w[1]));
  } else if (command == "close") {
    need(2);
    desktop_.close(windowNamed(w[1]));
  } else if (command == "type") {
    typeText(unescaped(restOf(line, "type")));
  } else if (command == "key" || command == "down" || command == "up") {
    need(2);
    chord(w[1], command != "up", command != "down");
  } else if (command == "click") {
    hooks_.mouseButton(platform::kWmLButtonDown);
    hooks_.mouseButton(platform::kWmLButtonUp);
  } else if (command == "wheel") {
    hooks_.mouseButton(platform::kWmMouseWheel);
  } else if (command == "move") {
    hooks_.moveMouse(hooks_.cursorX + 5, hooks_.cursorY + 3);
  } else if (command == "tray") {
    need(2);
    if (w[1] == "left")
      form.trayclick(TrayButton::Left);
    else if (w[1] == "right")
      form.trayclick(TrayButton::Right);
    else if (w[1] == "middle")
      form.trayclick(TrayButton::Middle);
    else
      throw ScenarioError("usage: tray left|right|middle");
  } else if (command == "menu") {
    need(2);
    std::size_t item = std::stoul(w[1]);
    if (item >= form.catalogue.mmenu.size()) throw ScenarioError("no menu item " + w[1]);
    form.mmenuItemClick(item);
  } else if (command == "keypreview") {
    form.sett1Click();
  } else if (command == "osk") {
    form.KeymapHelp2Click();
  } else if (command == "arrow") {
    need(2);
    if (w[1] != "left" && w[1] != "right") throw ScenarioError("usage: arrow left|right");
    form.arrowClick(w[1] == "left" ? KeyPreview::Arrow::Left : KeyPreview::Arrow::Right);
  } else if (command == "exit") {
    form.Exit1Click();
  } else if (command == "show") {
    need(2);
    out_ << w[1] << ": " << escaped(desktop_.text(windowNamed(w[1]))) << "\n";
  } else if (command == "state") {
    const Catalogue& c = form.catalogue;
    out_ << "keymap=" << escaped(form.activeKeymapName) << " on=" << form.keymapOn
         << " active=" << form.engine.keymap.activeKeymap << " hint=" << escaped(c.trayHint)
         << " checked=" << c.mmenu.checkedItem() << " surround=" << c.surroundActive << "\n";
  } else if (command == "preview") {
    for (const auto* row : {&form.preview.keys, &form.preview.characters}) {
      out_ << (row == &form.preview.keys ? "keys: " : "chars: ");
      for (std::size_t i = 0; i < row->size(); ++i) out_ << (i ? "|" : "") << escaped((*row)[i]);
      out_ << "\n";
    }
  } else if (command == "legends") {
    std::string separator;
    for (char16_t c : OnScreenKeyboard::kKeyPairs) {
      const std::u16string& legend = form.osk.legend(c);
      if (legend.empty()) continue;
      out_ << separator << escaped(std::u16string(1, c)) << "=" << escaped(legend);
      separator = " ";
    }
    out_ << "\n";
  } else if (command == "posts") {
    for (; postsShown_ < shell_.posted.size(); ++postsShown_) {
      const platform::sim::PostedMessage& p = shell_.posted[postsShown_];
      if (p.message != platform::kWmInputLangChangeRequest &&
          p.message != platform::kWmInputLangChange)
        continue;
      out_ << nameOf(p.window) << " " << hex(p.message, 4) << " " << hex(p.wParam, 4) << " "
           << hex(static_cast<std::uint64_t>(p.lParam), 8) << "\n";
    }
  } else if (command == "launched") {
    for (; launchedShown_ < shell_.launched.size(); ++launchedShown_)
      out_ << escaped(shell_.launched[launchedShown_]) << "\n";
  } else if (command == "messages") {
    for (; messagesShown_ < shell_.messages.size(); ++messagesShown_)
      out_ << escaped(shell_.messages[messagesShown_]) << "\n";
  } else {
    throw ScenarioError("unknown command '" + command + "'");
  }
  endIfTerminated();
}

void Simulation::finish() {
  startUp();
  for (const auto& [name, handle] : windows_)
    if (desktop_.windowExists(handle))
      out_ << name << ": " << escaped(desktop_.text(handle)) << "\n";
}

}  // namespace korimo::cli
