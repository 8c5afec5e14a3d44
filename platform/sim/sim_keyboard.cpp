// The simulated keyboard: key state, the reports of key events to the hook
// libraries, translation with the US layout, and the program's own output.

#include <algorithm>

#include "platform/sim/sim_hooks.h"
#include "platform/sim/us_keyboard.h"

namespace korimo::platform::sim {

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
  record.scanCode = unicode ? unicode : usScanCode(vk);
  record.flags = (usExtended(vk) ? kLlkhfExtended : 0u) | (injected ? kLlkhfInjected : 0u) |
                 (up ? kLlkhfUp : 0u);
  record.time = clock_ += kEventSpacingMs;
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
    // A hook Windows removed while it kept the key waiting decides nothing:
    // the key goes on.
    withheld = h.installed && h.disable;
  } else if (h.installed && !h.lowLevel) {
    // The classic hook: the keystroke-flag word of the window message.
    std::uint32_t word = 1u | (usScanCode(vk) << 16) | (usExtended(vk) ? 1u << 24 : 0u) |
                         (alt ? 1u << 29 : 0u) | (held(vk) ? 1u << 30 : 0u) | (up ? 1u << 31 : 0u);
    reportAnswers.push_back(sendMessage(h.window, h.message, vk, static_cast<std::intptr_t>(word)));
    withheld = h.disable;
  }
  if (withheld) return false;

  if (unicode == 0) setKey(vk, !up);
  deliveredKeys.push_back(DeliveredKey{vk, !up, injected, unicode});
  // Raw input sees what a keyboard typed and no hook withheld.
  if (!injected && rawKeyboardWindow_ != kNoWindow) {
    rawKey_ = RawKey{vk, !up, record.time};
    sendMessage(rawKeyboardWindow_, kWmInput, 0, 1);
    rawKey_.reset();
  }
  // With Alt held a key is a system key: a text field types nothing for it.
  if (desktop && !(system && !altKey)) {
    const bool shift = held(kVkShift);
    if (unicode)
      desktop->deliver(kVkPacket, !up, unicode, shift);
    else
      desktop->deliver(static_cast<std::uint16_t>(vk), !up, up ? 0 : applicationCharacter(vk),
                       shift);
  }
  return true;
}

// The application that has the focus translates with the keyboard as it is
// now (its TranslateMessage), and with the one dead-key state.
char16_t SimHookPlatform::applicationCharacter(std::uint32_t vk) {
  KeyboardState state;
  std::copy(std::begin(keys_), std::end(keys_), state.begin());
  char16_t buffer[4] = {};
  const int n = translate(vk, usScanCode(vk), state, buffer, 4, 0);
  return n == 1 ? buffer[0] : char16_t{0};
}

bool SimHookPlatform::registerRawKeyboard(WindowHandle window) {
  rawKeyboardWindow_ = window;
  return true;
}

std::optional<RawKey> SimHookPlatform::rawKeyboardInput(std::intptr_t) { return rawKey_; }

void SimHookPlatform::press(std::uint32_t vk) {
  physical_[vk & 0xFF] = true;
  keyEvent(vk, false, false, 0, 0);
}
void SimHookPlatform::release(std::uint32_t vk) {
  physical_[vk & 0xFF] = false;
  keyEvent(vk, true, false, 0, 0);
}

std::vector<std::uint32_t> SimHookPlatform::stuckKeys() const {
  std::vector<std::uint32_t> stuck;
  for (std::uint32_t vk = 1; vk < 256; ++vk) {
    // The generic modifiers follow their sides.
    if (vk == kVkShift || vk == kVkControl || vk == kVkMenu) continue;
    if ((keys_[vk] & 0x80) && !physical_[vk]) stuck.push_back(vk);
  }
  return stuck;
}

void SimHookPlatform::threadBlocked(std::uint32_t ms) {
  clock_ += ms;
  if (ms <= kHookTimeoutMs) return;
  keyHook_.installed = false;
  mouseHook_.installed = false;
}

void SimHookPlatform::modalLoop() {
  if (!inReport()) return;
  keyHook_.installed = false;
  mouseHook_.installed = false;
}

std::int16_t SimHookPlatform::asyncKeyState(int vk) {
  ++keyboardQueries;
  return (keys_[vk & 0xFF] & 0x80) ? static_cast<std::int16_t>(0x8000) : std::int16_t{0};
}

std::int16_t SimHookPlatform::keyState(int vk) {
  ++keyboardQueries;
  std::uint8_t k = (threadHasFocus ? keys_ : threadKeys_)[vk & 0xFF];
  return static_cast<std::int16_t>(((k & 0x80) ? 0xFF80 : 0) | (k & 0x01));
}

std::uint32_t SimHookPlatform::mapVirtualKeyEx(std::uint32_t code, std::uint32_t mapType,
                                               LayoutHandle) {
  if (mapType == 0) return usScanCode(code);
  if (mapType != 2) return 0;
  if (auto it = deadKeys_.find(code); it != deadKeys_.end())
    return 0x80000000u | it->second.spacing;
  const UsKey* k = usKey(code);
  if (!k) return 0;
  return k->letter() ? k->vk : k->plain;
}

int SimHookPlatform::toUnicodeEx(std::uint32_t vk, std::uint32_t scan, const KeyboardState& state,
                                 char16_t* buffer, int size, std::uint32_t flags, LayoutHandle) {
  ++keyboardQueries;
  return translate(vk, scan, state, buffer, size, flags);
}

int SimHookPlatform::translate(std::uint32_t vk, std::uint32_t scan, const KeyboardState& state,
                               char16_t* buffer, int size, std::uint32_t flags) {
  if (scan & 0x8000 || size < 2) return 0;  // a key release
  // Without the flag the translation changes the one dead-key state.
  const bool keepState = (flags & kToUnicodeKeepState) != 0;
  std::uint32_t pending = pendingDead_;
  const bool shift = (state[kVkShift] & 0x80) != 0;
  const bool caps = (state[kVkCapital] & 0x01) != 0;
  const bool ctrl = (state[kVkControl] & 0x80) != 0;
  const bool alt = (state[kVkMenu] & 0x80) != 0;

  auto settle = [&](std::uint32_t after) {
    if (!keepState) pendingDead_ = after;
  };
  if (auto dead = deadKeys_.find(vk); dead != deadKeys_.end() && !ctrl) {
    if (pending) {
      // Two dead keys: both spacing characters, nothing left pending.
      buffer[0] = deadKeys_.at(pending).spacing;
      buffer[1] = dead->second.spacing;
      settle(0);
      return 2;
    }
    settle(vk);
    buffer[0] = dead->second.spacing;
    return -1;
  }
  char16_t c = 0;
  if (ctrl && !alt) {
    if (vk >= 'A' && vk <= 'Z') c = static_cast<char16_t>(vk - 'A' + 1);
  } else if (!ctrl) {
    c = usCharacter(vk, shift, caps);
  }
  if (c == 0) return 0;
  if (pending) {
    const DeadKey& d = deadKeys_.at(pending);
    settle(0);
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

unsigned SimHookPlatform::sendInput(std::span<const KeyboardInput> records) {
  if (desktop && desktop->inputBlocked) return 0;
  for (const KeyboardInput& input : records) {
    if (input.type != kInputKeyboard) continue;
    // Windows drops input injected for a window with higher rights, without
    // a word: no hook sees it and it types nothing.
    if (desktop && !desktop->acceptsInjectedInput(desktop->foregroundWindow())) continue;
    const bool up = (input.dwFlags & kKeyEventKeyUp) != 0;
    // A key code with the Unicode flag is taken as a press of that key, as
    // Windows and Wine take it; only a record without one types a character.
    if ((input.dwFlags & kKeyEventUnicode) && input.wVk == 0)
      keyEvent(kVkPacket, up, true, input.dwExtraInfo, input.wScan);
    else
      keyEvent(input.wVk, up, true, input.dwExtraInfo, 0);
  }
  return static_cast<unsigned>(records.size());
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
bool SimHookPlatform::acceptsInjectedInput(WindowHandle window) {
  return !desktop || desktop->acceptsInjectedInput(window);
}
bool SimHookPlatform::isOwnProcessWindow(WindowHandle window) {
  return desktop && desktop->isOwnProcessWindow(window);
}
std::optional<FocusPlace> SimHookPlatform::focusPlace(WindowHandle window) {
  if (!desktop) return std::nullopt;
  return desktop->focusPlace(window);
}

}  // namespace korimo::platform::sim
