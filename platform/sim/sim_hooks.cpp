#include "platform/sim/sim_hooks.h"

#include <algorithm>
#include <cstring>

namespace korimo::platform::sim {
namespace {

constexpr std::uint32_t kVkLShift = 0xA0, kVkRShift = 0xA1, kVkLControl = 0xA2, kVkRControl = 0xA3,
                        kVkLMenu = 0xA4, kVkRMenu = 0xA5;
constexpr std::uint32_t kVkPacket = 0xE7;
constexpr std::uint32_t kHtClient = 1;

std::u16string fileNameOf(std::u16string_view path) {
  auto slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

std::string flag(bool b) { return b ? " 1" : " 0"; }

// Set-1 scan codes of the US keyboard.
std::uint32_t scanCodeOf(std::uint32_t vk) {
  static const char kTop[] = "QWERTYUIOP";
  static const char kHome[] = "ASDFGHJKL";
  static const char kBottom[] = "ZXCVBNM";
  if (vk >= '1' && vk <= '9') return 0x02 + (vk - '1');
  if (vk == '0') return 0x0B;
  for (int i = 0; kTop[i]; ++i)
    if (vk == std::uint32_t(kTop[i])) return 0x10 + i;
  for (int i = 0; kHome[i]; ++i)
    if (vk == std::uint32_t(kHome[i])) return 0x1E + i;
  for (int i = 0; kBottom[i]; ++i)
    if (vk == std::uint32_t(kBottom[i])) return 0x2C + i;
  if (vk >= 0x70 && vk <= 0x79) return 0x3B + (vk - 0x70);  // F1..F10
  switch (vk) {
    case 0x1B: return 0x01;
    case 0xBD: return 0x0C;
    case 0xBB: return 0x0D;
    case 0x08: return 0x0E;
    case 0x09: return 0x0F;
    case 0xDB: return 0x1A;
    case 0xDD: return 0x1B;
    case 0x0D: return 0x1C;
    case 0x11:
    case kVkLControl:
    case kVkRControl: return 0x1D;
    case 0xBA: return 0x27;
    case 0xDE: return 0x28;
    case 0xC0: return 0x29;
    case 0x10:
    case kVkLShift: return 0x2A;
    case 0xDC: return 0x2B;
    case 0xBC: return 0x33;
    case 0xBE: return 0x34;
    case 0xBF: return 0x35;
    case kVkRShift: return 0x36;
    case 0x12:
    case kVkLMenu:
    case kVkRMenu: return 0x38;
    case 0x20: return 0x39;
    case 0x14: return 0x3A;
    case 0x7A: return 0x57;
    case 0x7B: return 0x58;
    case 0x24: return 0x47;
    case 0x26: return 0x48;
    case 0x21: return 0x49;
    case 0x25: return 0x4B;
    case 0x27: return 0x4D;
    case 0x23: return 0x4F;
    case 0x28: return 0x50;
    case 0x22: return 0x51;
    case 0x2D: return 0x52;
    case 0x2E: return 0x53;
    case 0x91: return 0x46;
    default: return 0;
  }
}

bool isExtended(std::uint32_t vk) {
  switch (vk) {
    case kVkRControl:
    case kVkRMenu:
    case 0x21:
    case 0x22:
    case 0x23:
    case 0x24:
    case 0x25:
    case 0x26:
    case 0x27:
    case 0x28:
    case 0x2D:
    case 0x2E:
    case 0x5B:
    case 0x5C: return true;
    default: return false;
  }
}

// Unshifted and shifted characters of the US layout's character keys.
struct CharKey {
  std::uint32_t vk;
  char16_t plain;
  char16_t shifted;
};
constexpr CharKey kCharKeys[] = {
    {'1', u'1', u'!'},    {'2', u'2', u'@'},   {'3', u'3', u'#'},    {'4', u'4', u'$'},
    {'5', u'5', u'%'},    {'6', u'6', u'^'},   {'7', u'7', u'&'},    {'8', u'8', u'*'},
    {'9', u'9', u'('},    {'0', u'0', u')'},   {0xBD, u'-', u'_'},   {0xBB, u'=', u'+'},
    {0xDB, u'[', u'{'},   {0xDD, u']', u'}'},  {0xBA, u';', u':'},   {0xDE, u'\'', u'"'},
    {0xC0, u'`', u'~'},   {0xDC, u'\\', u'|'}, {0xBC, u',', u'<'},   {0xBE, u'.', u'>'},
    {0xBF, u'/', u'?'},   {0x20, u' ', u' '},  {0x0D, u'\r', u'\r'}, {0x08, u'\b', u'\b'},
    {0x09, u'\t', u'\t'}, {0x1B, 0x1B, 0x1B},
};

const CharKey* charKey(std::uint32_t vk) {
  for (const CharKey& k : kCharKeys)
    if (k.vk == vk) return &k;
  return nullptr;
}

std::u16string keyName(std::uint32_t scan, bool extended) {
  static const char* const kNames[0x59] = {
      nullptr, "Esc",   "1",         "2",       "3",     "4",     "5",           "6",
      "7",     "8",     "9",         "0",       "-",     "=",     "Backspace",   "Tab",
      "Q",     "W",     "E",         "R",       "T",     "Y",     "U",           "I",
      "O",     "P",     "[",         "]",       "Enter", "Ctrl",  "A",           "S",
      "D",     "F",     "G",         "H",       "J",     "K",     "L",           ";",
      "'",     "`",     "Shift",     "\\",      "Z",     "X",     "C",           "V",
      "B",     "N",     "M",         ",",       ".",     "/",     "Right Shift", "Num *",
      "Alt",   "Space", "Caps Lock", "F1",      "F2",    "F3",    "F4",          "F5",
      "F6",    "F7",    "F8",        "F9",      "F10",   "Pause", "Scroll Lock", "Num 7",
      "Num 8", "Num 9", "Num -",     "Num 4",   "Num 5", "Num 6", "Num +",       "Num 1",
      "Num 2", "Num 3", "Num 0",     "Num Del", nullptr, nullptr, nullptr,       "F11",
      "F12"};
  const char* name = scan < 0x59 ? kNames[scan] : nullptr;
  if (extended) {
    switch (scan) {
      case 0x1D: name = "Right Ctrl"; break;
      case 0x38: name = "Right Alt"; break;
      case 0x47: name = "Home"; break;
      case 0x48: name = "Up"; break;
      case 0x49: name = "Page Up"; break;
      case 0x4B: name = "Left"; break;
      case 0x4D: name = "Right"; break;
      case 0x4F: name = "End"; break;
      case 0x50: name = "Down"; break;
      case 0x51: name = "Page Down"; break;
      case 0x52: name = "Insert"; break;
      case 0x53: name = "Delete"; break;
      default: break;
    }
  }
  std::u16string out;
  if (name)
    for (const char* c = name; *c; ++c) out.push_back(static_cast<char16_t>(*c));
  return out;
}

}  // namespace

// ---------------------------------------------------------------- windows

class SimHookPlatform::Window : public MessageWindow {
 public:
  Window(SimHookPlatform& owner, WindowHandle handle) : owner_(owner), handle_(handle) {}
  ~Window() override {
    // The procedure goes back to the default one before the window goes.
    owner_.windows_[handle_] = nullptr;
    owner_.windows_.erase(handle_);
  }
  WindowHandle handle() const override { return handle_; }

 private:
  SimHookPlatform& owner_;
  WindowHandle handle_;
};

std::unique_ptr<MessageWindow> SimHookPlatform::createMessageWindow(MessageProc proc) {
  WindowHandle handle = nextWindow_;
  nextWindow_ += 0x10;
  windows_[handle] = std::move(proc);
  return std::make_unique<Window>(*this, handle);
}

std::intptr_t SimHookPlatform::sendMessage(WindowHandle window, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return 0;
  if (!it->second) return defWindowProc(window, message, wParam, lParam);
  MessageProc proc = it->second;  // the window may go while its procedure runs
  return proc(message, wParam, lParam);
}

std::intptr_t SimHookPlatform::defWindowProc(WindowHandle, std::uint32_t message, std::uintptr_t,
                                             std::intptr_t) {
  defaultProcMessages.push_back(message);
  return defaultAnswer;
}

std::uint32_t SimHookPlatform::registerWindowMessage(std::u16string_view name) {
  auto [it, added] = registered_.emplace(std::u16string(name),
                                         0xC000 + static_cast<std::uint32_t>(registered_.size()));
  return it->second;
}

// ---------------------------------------------------------------- libraries

class SimHookPlatform::Library : public HookLibrary {
 public:
  Library(SimHookPlatform& owner, bool keyboard, std::map<std::string, std::any> exports)
      : owner_(owner), keyboard_(keyboard), exports_(std::move(exports)) {}
  ~Library() override { owner_.libraryReleased(keyboard_); }
  std::any procedure(std::string_view name) override {
    if (owner_.missingExports.contains(std::string(name))) return {};
    auto it = exports_.find(std::string(name));
    return it == exports_.end() ? std::any{} : it->second;
  }

 private:
  SimHookPlatform& owner_;
  bool keyboard_;
  std::map<std::string, std::any> exports_;
};

SimHookPlatform::SimHookPlatform() {
  libraryFiles.insert(exeFolder + u"\\" + keyhook::kLibraryName);
  libraryFiles.insert(exeFolder + u"\\" + mousehook::kLibraryName);
}

SimHookPlatform::~SimHookPlatform() = default;

void SimHookPlatform::removeLibrary(std::u16string_view fileName) {
  std::erase_if(libraryFiles, [&](const std::u16string& p) { return fileNameOf(p) == fileName; });
}

std::unique_ptr<HookLibrary> SimHookPlatform::loadLibrary(std::u16string_view fullPath) {
  loadRequests.emplace_back(fullPath);
  if (!libraryFiles.contains(std::u16string(fullPath))) return nullptr;
  std::u16string name = fileNameOf(fullPath);
  bool keyboard = name == keyhook::kLibraryName;
  if (!keyboard && name != mousehook::kLibraryName) return nullptr;
  ++liveLibraries_;
  ++(keyboard ? liveKeyLibraries_ : liveMouseLibraries_);
  return std::make_unique<Library>(*this, keyboard, keyboard ? keyExports() : mouseExports());
}

void SimHookPlatform::libraryReleased(bool keyboard) {
  --liveLibraries_;
  int& live = keyboard ? liveKeyLibraries_ : liveMouseLibraries_;
  // The last release unloads the library and its hook with it.
  if (--live == 0) {
    if (keyboard)
      keyHook_ = KeyHookState{};
    else
      mouseHook_ = MouseHookState{};
  }
}

std::map<std::string, std::any> SimHookPlatform::keyExports() {
  KeyHookState& h = keyHook_;
  auto start = [this, &h](bool lowLevel) {
    if (refuseStart || h.installed) return false;
    h.installed = true;
    h.lowLevel = lowLevel;
    return true;
  };
  std::map<std::string, std::any> e;
  e[keyhook::kStart] = keyhook::Start([this, &h, start](WindowHandle w, std::uint32_t m, bool d) {
    exportCalls.push_back(std::string(keyhook::kStart) + " " + std::to_string(w) + " " +
                          std::to_string(m) + flag(d));
    if (!start(false)) return false;
    h.window = w, h.message = m, h.disable = d, h.injected = false;
    return true;
  });
  e[keyhook::kStop] = keyhook::Stop([this, &h] {
    exportCalls.push_back(keyhook::kStop);
    bool was = h.installed && !h.lowLevel;
    if (was) h.installed = false;
    return was;
  });
  e[keyhook::kUpdateHook] = keyhook::Update([this, &h](bool d) {
    exportCalls.push_back(std::string(keyhook::kUpdateHook) + flag(d));
    if (!h.installed) return false;
    h.disable = d;
    return true;
  });
  e[keyhook::kStartLL] =
      keyhook::StartLL([this, &h, start](WindowHandle w, std::uint32_t m, bool d, bool i) {
        exportCalls.push_back(std::string(keyhook::kStartLL) + " " + std::to_string(w) + " " +
                              std::to_string(m) + flag(d) + flag(i));
        if (!start(true)) return false;
        h.window = w, h.message = m, h.disable = d, h.injected = i;
        return true;
      });
  e[keyhook::kStopLL] = keyhook::Stop([this, &h] {
    exportCalls.push_back(keyhook::kStopLL);
    bool was = h.installed && h.lowLevel;
    if (was) h.installed = false;
    return was;
  });
  e[keyhook::kUpdateHookLL] = keyhook::UpdateLL([this, &h](bool d, bool i) {
    exportCalls.push_back(std::string(keyhook::kUpdateHookLL) + flag(d) + flag(i));
    if (!h.installed) return false;
    h.disable = d, h.injected = i;
    return true;
  });
  e[keyhook::kGetDataLL] = keyhook::GetDataLL(
      [&h]() -> const KbDllHookRecord* { return h.frames.empty() ? nullptr : h.frames.back(); });
  return e;
}

std::map<std::string, std::any> SimHookPlatform::mouseExports() {
  MouseHookState& h = mouseHook_;
  std::map<std::string, std::any> e;
  e[mousehook::kStart] =
      mousehook::Start([this, &h](WindowHandle w, std::uint32_t m, MouseHookFilters f) {
        exportCalls.push_back(std::string(mousehook::kStart) + " " + std::to_string(w) + " " +
                              std::to_string(m));
        if (refuseStart || h.installed) return false;
        h.installed = true, h.window = w, h.message = m, h.filters = f;
        return true;
      });
  e[mousehook::kStop] = mousehook::Stop([this, &h] {
    exportCalls.push_back(mousehook::kStop);
    bool was = h.installed;
    h.installed = false;
    return was;
  });
  e[mousehook::kGetData] = mousehook::GetData(
      [&h]() -> const MouseHookRecord* { return h.frames.empty() ? nullptr : h.frames.back(); });
  e[mousehook::kUpdateHook] = mousehook::Update([this, &h](MouseHookFilters f) {
    exportCalls.push_back(mousehook::kUpdateHook);
    if (!h.installed) return false;
    h.filters = f;
    return true;
  });
  // Inverting: the new position mirrored about the last one.
  e[mousehook::kInvertPointer] =
      mousehook::InvertPointer([this](bool cx, bool cy, std::uint16_t* nx, std::uint16_t* lx,
                                      std::uint16_t* ny, std::uint16_t* ly, bool wrap) {
        exportCalls.push_back(std::string(mousehook::kInvertPointer) + flag(cx) + flag(cy) + " " +
                              std::to_string(*nx) + " " + std::to_string(*lx) + " " +
                              std::to_string(*ny) + " " + std::to_string(*ly) + flag(wrap));
        auto mirror = [](std::uint16_t n, std::uint16_t last) {
          return static_cast<std::uint16_t>(std::clamp(2 * int(last) - int(n), 0, 65535));
        };
        if (cx) *nx = mirror(*nx, *lx);
        if (cy) *ny = mirror(*ny, *ly);
      });
  // Wrapping: an edge position moves to the opposite edge.
  e[mousehook::kWrapPointer] =
      mousehook::WrapPointer([this](bool wx, bool wy, std::uint16_t* nx, std::uint16_t* ny) {
        exportCalls.push_back(std::string(mousehook::kWrapPointer) + flag(wx) + flag(wy) + " " +
                              std::to_string(*nx) + " " + std::to_string(*ny));
        if (wx) *nx = static_cast<std::uint16_t>(65535 - *nx);
        if (wy) *ny = static_cast<std::uint16_t>(65535 - *ny);
      });
  return e;
}

// ---------------------------------------------------------------- keyboard

void SimHookPlatform::addDeadKey(std::uint32_t vk, char16_t spacing,
                                 std::map<char16_t, char16_t> combined) {
  deadKeys_[vk] = DeadKey{spacing, std::move(combined)};
}

void SimHookPlatform::setKey(std::uint32_t vk, bool down) {
  auto set = [&](std::uint32_t k) {
    if (down) {
      if (k == static_cast<std::uint32_t>(kVkCapital) && !(keys_[k] & 0x80)) keys_[k] ^= 0x01;
      keys_[k] |= 0x80;
    } else {
      keys_[k] &= static_cast<std::uint8_t>(~0x80);
    }
  };
  set(vk & 0xFF);
  // The generic modifier follows both of its sides.
  auto generic = [&](std::uint32_t g, std::uint32_t l, std::uint32_t r) {
    if (vk == l || vk == r) {
      if ((keys_[l] | keys_[r]) & 0x80)
        keys_[g] |= 0x80;
      else
        keys_[g] &= static_cast<std::uint8_t>(~0x80);
    }
  };
  generic(kVkShift, kVkLShift, kVkRShift);
  generic(kVkControl, kVkLControl, kVkRControl);
  generic(kVkMenu, kVkLMenu, kVkRMenu);
}

bool SimHookPlatform::keyEvent(std::uint32_t vk, bool up, bool injected, std::uintptr_t extra,
                               char16_t unicode) {
  std::copy(std::begin(previousKeys_), std::end(previousKeys_), std::begin(threadKeys_));
  std::copy(std::begin(keys_), std::end(keys_), std::begin(previousKeys_));
  KbDllHookRecord record;
  record.vkCode = vk;
  record.scanCode = unicode ? unicode : scanCodeOf(vk);
  record.flags =
      (isExtended(vk) ? kLlkhfExtended : 0u) | (injected ? kLlkhfInjected : 0u) | (up ? 0x80u : 0u);
  record.time = ++clock_;
  record.dwExtraInfo = extra;

  const bool alt = (keys_[kVkMenu] & 0x80) != 0;
  const bool ctrl = (keys_[kVkControl] & 0x80) != 0;
  const bool altKey = vk == kVkLMenu || vk == kVkRMenu || vk == std::uint32_t(kVkMenu);
  const bool system = (alt || (altKey && !up)) && !ctrl;
  const std::uint32_t message =
      up ? (system ? kWmSysKeyUp : kWmKeyUp) : (system ? kWmSysKeyDown : kWmKeyDown);

  bool withheld = false;
  KeyHookState& h = keyHook_;
  if (h.installed && h.lowLevel && (!injected || h.injected)) {
    h.frames.push_back(&record);
    reportAnswers.push_back(sendMessage(h.window, h.message, message, 0));
    h.frames.pop_back();
    withheld = h.disable;
  } else if (h.installed && !h.lowLevel) {
    // The classic hook: the keystroke-flag word of the window message.
    std::uint32_t word = 1u | (scanCodeOf(vk) << 16) | (isExtended(vk) ? 1u << 24 : 0u) |
                         (alt ? 1u << 29 : 0u) | (held(vk) ? 1u << 30 : 0u) | (up ? 1u << 31 : 0u);
    reportAnswers.push_back(sendMessage(h.window, h.message, vk, static_cast<std::intptr_t>(word)));
    withheld = h.disable;
  }
  if (withheld) return false;

  if (unicode == 0) setKey(vk, !up);
  deliveredKeys.push_back(DeliveredKey{vk, !up, injected, unicode});
  // With Alt held a key is a system key: a text field types nothing for it.
  if (desktop && !up && !(system && !altKey)) {
    if (unicode) {
      KeyboardInput in;
      in.wScan = unicode;
      in.dwFlags = kKeyEventUnicode;
      desktop->sendInput(in);
    } else {
      // The application that has the focus translates with the keyboard as
      // it is now; only the program's own thread lags behind it.
      KeyboardState state;
      std::copy(std::begin(keys_), std::end(keys_), state.begin());
      char16_t buffer[3] = {};
      int n = toAsciiEx(vk, scanCodeOf(vk), state, buffer, 0, kUsLayout);
      desktop->userKey(static_cast<std::uint16_t>(vk), n == 1 ? buffer[0] : char16_t{0});
    }
  }
  return true;
}

void SimHookPlatform::press(std::uint32_t vk) { keyEvent(vk, false, false, 0, 0); }
void SimHookPlatform::release(std::uint32_t vk) { keyEvent(vk, true, false, 0, 0); }

std::int16_t SimHookPlatform::asyncKeyState(int vk) {
  return (keys_[vk & 0xFF] & 0x80) ? static_cast<std::int16_t>(0x8000) : std::int16_t{0};
}

std::int16_t SimHookPlatform::keyState(int vk) {
  std::uint8_t k = (threadHasFocus ? keys_ : threadKeys_)[vk & 0xFF];
  return static_cast<std::int16_t>(((k & 0x80) ? 0xFF80 : 0) | (k & 0x01));
}

bool SimHookPlatform::keyboardState(KeyboardState& state) {
  const std::uint8_t* keys = threadHasFocus ? keys_ : threadKeys_;
  std::copy(keys, keys + 256, state.begin());
  return true;
}

std::uint32_t SimHookPlatform::mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  return mapType == 0 ? scanCodeOf(code) : 0;
}

std::uint32_t SimHookPlatform::mapVirtualKeyEx(std::uint32_t code, std::uint32_t mapType,
                                               LayoutHandle) {
  if (mapType == 0) return scanCodeOf(code);
  if (mapType != 2) return 0;
  if (auto it = deadKeys_.find(code); it != deadKeys_.end())
    return 0x80000000u | it->second.spacing;
  if (code >= 'A' && code <= 'Z') return code;
  if (const CharKey* k = charKey(code)) return k->plain;
  return 0;
}

int SimHookPlatform::keyNameText(std::int32_t lParam, char16_t* buffer, int size) {
  auto word = static_cast<std::uint32_t>(lParam);
  std::u16string name = keyName((word >> 16) & 0xFF, (word >> 24) & 1);
  if (size <= 0) return 0;
  int n = std::min<int>(static_cast<int>(name.size()), size - 1);
  std::copy_n(name.begin(), n, buffer);
  buffer[n] = 0;
  return n;
}

char16_t SimHookPlatform::character(std::uint32_t vk, bool shift, bool caps) const {
  if (vk >= 'A' && vk <= 'Z') return static_cast<char16_t>((shift != caps) ? vk : vk + 32);
  if (const CharKey* k = charKey(vk)) return shift ? k->shifted : k->plain;
  return 0;
}

int SimHookPlatform::toAsciiEx(std::uint32_t vk, std::uint32_t scan, const KeyboardState& state,
                               char16_t* buffer, std::uint32_t, LayoutHandle) {
  if (scan & 0x8000) return 0;  // a key release
  const bool shift = (state[kVkShift] & 0x80) != 0;
  const bool caps = (state[kVkCapital] & 0x01) != 0;
  const bool ctrl = (state[kVkControl] & 0x80) != 0;
  const bool alt = (state[kVkMenu] & 0x80) != 0;

  if (auto dead = deadKeys_.find(vk); dead != deadKeys_.end() && !ctrl) {
    if (pendingDead_) {
      // Two dead keys: both spacing characters, nothing left pending.
      buffer[0] = deadKeys_.at(pendingDead_).spacing;
      buffer[1] = dead->second.spacing;
      pendingDead_ = 0;
      return 2;
    }
    pendingDead_ = vk;
    buffer[0] = dead->second.spacing;
    return -1;
  }
  char16_t c = 0;
  if (ctrl && !alt) {
    if (vk >= 'A' && vk <= 'Z') c = static_cast<char16_t>(vk - 'A' + 1);
  } else if (!ctrl) {
    c = character(vk, shift, caps);
  }
  if (c == 0) return 0;
  if (pendingDead_) {
    const DeadKey& d = deadKeys_.at(pendingDead_);
    pendingDead_ = 0;
    if (auto it = d.combined.find(c); it != d.combined.end()) {
      buffer[0] = it->second;
      return 1;
    }
    buffer[0] = d.spacing;
    buffer[1] = c;
    return 2;
  }
  buffer[0] = c;
  return 1;
}

// ---------------------------------------------------------------- program output

unsigned SimHookPlatform::sendInput(const KeyboardInput& input) {
  if (input.type != kInputKeyboard) return 0;
  const bool up = (input.dwFlags & kKeyEventKeyUp) != 0;
  // A key code with the Unicode flag is taken as a press of that key, as
  // Windows and Wine take it; only a record without one types a character.
  if ((input.dwFlags & kKeyEventUnicode) && input.wVk == 0) {
    keyEvent(kVkPacket, up, true, input.dwExtraInfo, input.wScan);
  } else {
    keyEvent(input.wVk, up, true, input.dwExtraInfo, 0);
  }
  return 1;
}

std::u16string SimHookPlatform::className(WindowHandle window) {
  return desktop ? desktop->className(window) : std::u16string();
}
WindowHandle SimHookPlatform::foregroundWindow() {
  return desktop ? desktop->foregroundWindow() : kNoWindow;
}
bool SimHookPlatform::windowExists(WindowHandle window) {
  return desktop && desktop->windowExists(window);
}

// ---------------------------------------------------------------- mouse

bool SimHookPlatform::mouseReport(std::uint32_t message, std::int32_t x, std::int32_t y,
                                  std::uintptr_t extra) {
  MouseHookRecord record;
  record.x = x;
  record.y = y;
  record.window = windowUnderPointer;
  record.hitTestCode = kHtClient;
  record.extraInfo = extra;
  bool withheld = false;
  MouseHookState& h = mouseHook_;
  if (h.installed) {
    h.frames.push_back(&record);
    reportAnswers.push_back(sendMessage(h.window, h.message, message, 0));
    h.frames.pop_back();
    const MouseHookFilters& f = h.filters;
    switch (message) {
      case kWmLButtonDown:
      case kWmLButtonUp:
      case kWmLButtonDblClk: withheld = f.BlockLeftButton || f.DisableMouse; break;
      case kWmRButtonDown:
      case kWmRButtonUp:
      case kWmRButtonDblClk: withheld = f.BlockRightButton || f.DisableMouse; break;
      case kWmMButtonDown:
      case kWmMButtonUp:
      case kWmMButtonDblClk: withheld = f.BlockMiddleButton || f.DisableMouse; break;
      case kWmMouseWheel:
      case kWmMouseHWheel: withheld = f.BlockWheel || f.DisableMouse; break;
      case kWmMouseMove:
        // The user's moves must not undo parking or inverting; the
        // component's own moves always pass.
        withheld = extra != 1 && (f.DisableMouse || f.HidePointer || f.InvertPointer);
        break;
      default: break;
    }
  }
  if (withheld) return false;
  if (message == kWmMouseMove) {
    cursorX = std::clamp(x, 0, width - 1);
    cursorY = std::clamp(y, 0, height - 1);
  }
  deliveredMouse.push_back(DeliveredMouse{message, x, y, extra});
  return true;
}

void SimHookPlatform::moveMouse(std::int32_t x, std::int32_t y) {
  mouseReport(kWmMouseMove, x, y, 0);
}

void SimHookPlatform::mouseButton(std::uint32_t message) {
  std::uint32_t m = message;
  if (buttonsSwapped) {
    if (m >= kWmLButtonDown && m <= kWmLButtonDblClk)
      m += 3;
    else if (m >= kWmRButtonDown && m <= kWmRButtonDblClk)
      m -= 3;
  }
  mouseReport(m, cursorX, cursorY, 0);
}

bool SimHookPlatform::cursorPos(std::int32_t& x, std::int32_t& y) {
  x = cursorX;
  y = cursorY;
  return true;
}

void SimHookPlatform::mouseEvent(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                                 std::uint32_t data, std::uintptr_t extraInfo) {
  mouseEventCalls.push_back(MouseEventCall{flags, dx, dy, data, extraInfo});
  if (!(flags & kMouseEventMove)) return;
  std::int32_t x = cursorX + static_cast<std::int32_t>(dx);
  std::int32_t y = cursorY + static_cast<std::int32_t>(dy);
  if (flags & kMouseEventAbsolute) {
    // Normalized 0..65535 onto the pixels, the way the system maps them.
    x = static_cast<std::int32_t>((std::int64_t(dx) * width) >> 16);
    y = static_cast<std::int32_t>((std::int64_t(dy) * height) >> 16);
  }
  // Synthetic input runs through the hook like any other, nested in this call.
  mouseReport(kWmMouseMove, x, y, extraInfo);
}

int SimHookPlatform::showCursor(bool show) {
  showCursorCalls.push_back(show);
  cursorDisplayCount += show ? 1 : -1;
  return cursorDisplayCount;
}

bool SimHookPlatform::swapMouseButton(bool swap) {
  swapCalls.push_back(swap);
  bool was = buttonsSwapped;
  buttonsSwapped = swap;
  return was;
}

}  // namespace korimo::platform::sim
