#include "hooks/cp_key_hook.h"

#include <exception>
#include <stdexcept>
#include <string>

#include "platform/scope_exit.h"

namespace korimo::hooks {
namespace {

namespace kh = platform::keyhook;

constexpr std::uint32_t kMapVkToVsc = 0;
constexpr std::uint32_t kMapVkToChar = 2;
constexpr std::uint8_t kKeyNotHeld = 1;
// Shift, Ctrl and Alt, generic and left and right.
using namespace platform;
constexpr VirtualKey kModifierKeys[] = {kVkShift,    kVkControl,  kVkMenu,  kVkLShift, kVkRShift,
                                        kVkLControl, kVkRControl, kVkLMenu, kVkRMenu};

bool highBit(std::int16_t state) { return (static_cast<std::uint16_t>(state) & 0x8000) != 0; }
bool bit(std::uint32_t value, int n) { return ((value >> n) & 1u) != 0; }
bool isLetterKey(std::uint32_t vk) { return vk >= 'A' && vk <= 'Z'; }

}  // namespace

TCPKeyHook::TCPKeyHook(platform::HookPlatform& platform) : platform_(platform), library_(platform) {
  window_ = platform_.createMessageWindow(
      [this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        return HookWindowProc(message, wParam, lParam);
      });
  FWindowHandle = window_ ? window_->handle() : platform::kNoWindow;
  keyRepeatCounter_ = 0;
  FKeyboardLayoutHandle = platform_.keyboardLayout();
  FKeyboardLayout = platform_.keyboardLayoutName();
}

TCPKeyHook::~TCPKeyHook() {
  if (FHookLibLoaded && FEnabled) {
    try {
      if (FLowLevelHook) {
        exports_.StopLL();
      } else {
        exports_.Stop();
      }
    } catch (...) {
      // The library is released below whatever its stop did.
    }
  }
  FEnabled = false;
  UnloadHookLibrary();
  window_.reset();
}

bool TCPKeyHook::LoadHookLibrary() {
  if (FHookLibLoaded) return false;
  platform::HookLibrary* library = library_.load(kh::kLibraryName);
  if (!library) return false;
  library->resolve(exports_);
  if (!exports_.complete()) {
    UnloadHookLibrary();
    return false;
  }
  FHookLibLoaded = true;
  return true;
}

bool TCPKeyHook::UnloadHookLibrary() {
  if (!library_.release()) return false;
  exports_ = kh::Exports{};
  FHookLibLoaded = false;
  return true;
}

bool TCPKeyHook::Start_KeyHook() {
  if (FEnabled) return false;
  if (!LoadHookLibrary()) return false;
  if (FLowLevelHook) {
    FEnabled = exports_.StartLL(FWindowHandle, FUserHookMsg, FDisableKeyboard, FHookInjected);
    // Raw input watches over the hook: see watchRawKey.
    if (FEnabled && !rawInputRegistered_)
      rawInputRegistered_ = platform_.registerRawKeyboard(FWindowHandle);
    unreportedRawKeys_ = 0;
  } else {
    FEnabled = exports_.Start(FWindowHandle, FUserHookMsg, FDisableKeyboard);
  }
  return FEnabled;
}

bool TCPKeyHook::Stop_KeyHook() {
  ScopeExit release([this] { UnloadHookLibrary(); });
  bool result = false;
  if (FEnabled) {
    FEnabled = false;
    result = FLowLevelHook ? exports_.StopLL() : exports_.Stop();
  }
  FEnabled = false;
  return result;
}

bool TCPKeyHook::UpdateHook() {
  if (!FEnabled) return false;
  return FLowLevelHook ? exports_.UpdateHookLL(FDisableKeyboard, FHookInjected)
                       : exports_.UpdateHook(FDisableKeyboard);
}

std::intptr_t TCPKeyHook::HookWindowProc(std::uint32_t message, std::uintptr_t wParam,
                                         std::intptr_t lParam) {
  if (message == FUserHookMsg) return DispatchHookMessage(wParam, lParam);
  if (message == platform::kWmInput) watchRawKey(lParam);
  return platform_.defWindowProc(FWindowHandle, message, wParam, lParam);
}

// Windows removes a low-level hook that keeps it waiting too long, without
// telling anyone. Raw input still sees every key a keyboard types: key
// presses that arrive there while the hook has reported nothing for a while
// mean the hook is gone, and it is installed again.
void TCPKeyHook::watchRawKey(std::intptr_t lParam) {
  if (!FEnabled || !FLowLevelHook) return;
  const std::optional<platform::RawKey> key = platform_.rawKeyboardInput(lParam);
  if (!key || !key->down) return;
  // Raw input is stamped a little after the hook's record of the same key.
  constexpr std::int32_t kSlackMs = 250;
  if (static_cast<std::int32_t>(key->time - lastReportTime_) <= kSlackMs) return;
  if (++unreportedRawKeys_ < kLostAfterKeys) return;
  unreportedRawKeys_ = 0;
  exports_.StopLL();  // the library's record of the removed hook
  FEnabled = exports_.StartLL(FWindowHandle, FUserHookMsg, FDisableKeyboard, FHookInjected);
  ++hookReinstalls_;
  if (FOnHookLost) FOnHookLost(*this, FEnabled);
}

std::intptr_t TCPKeyHook::DispatchHookMessage(std::uintptr_t wParam, std::intptr_t lParam) {
  HookLibraryHandle::ReportScope report(library_);
  try {
    if (FLowLevelHook) {
      DecodeLowLevelKey(wParam);
    } else {
      DecodeStandardKey(wParam, lParam);
    }
  } catch (const std::exception& e) {
    platform_.reportError(e.what());
  } catch (...) {
    platform_.reportError("unknown error in the keyboard handler");
  }
  return 1;
}

void TCPKeyHook::CountRepeat(TKeyStates& states) {
  if (states.KeyRepeated && states.KeyDown) {
    ++keyRepeatCounter_;
  } else {
    keyRepeatCounter_ = 0;
  }
  states.RepeatCount = keyRepeatCounter_;
}

namespace {

struct Translation {
  int count = 0;
  char16_t first = 0;
};

// ToAsciiEx, twice for a dead key: the first call leaves the dead key
// pending in this thread's layout state, the second consumes it again, so
// the translation done here never combines with the next key.
Translation translateKey(platform::HookPlatform& p, std::uint32_t vk, std::uint32_t scan,
                         const platform::KeyboardState& state, platform::LayoutHandle layout,
                         bool deadKey) {
  std::array<char16_t, 3> buffer{};
  if (deadKey) p.toAsciiEx(vk, scan, state, buffer.data(), 0, layout);
  Translation t;
  t.count = p.toAsciiEx(vk, scan, state, buffer.data(), 0, layout);
  t.first = t.count == 0 ? char16_t{0} : buffer[0];
  return t;
}

}  // namespace

void TCPKeyHook::DecodeLowLevelKey(std::uintptr_t wParam) {
  // Decoded into records of this call: a report that arrives nested inside
  // the handler (the program's own SendInput) gets records of its own.
  TKeyStates states{};
  TKeyNames names{};
  const TKbDllHookStruct* record = exports_.GetDataLL ? exports_.GetDataLL() : nullptr;
  if (record == nullptr) throw std::runtime_error("the keyboard hook library gave no key record");
  states.KeyInfo = *record;
  lastReportTime_ = record->time;
  unreportedRawKeys_ = 0;

  const std::uint32_t flags = states.KeyInfo.flags;
  const std::uint32_t vk = states.KeyInfo.vkCode;
  states.InjectedKey = (flags & platform::kLlkhfInjected) != 0;
  states.KeyDown = wParam == platform::kWmKeyDown || wParam == platform::kWmSysKeyDown;
  // The modifiers as the keyboard has them now, each read once (a query
  // that costs a round trip to the system on some platforms).
  std::array<bool, std::size(kModifierKeys)> held{};
  for (std::size_t i = 0; i < held.size(); ++i)
    held[i] = highBit(platform_.asyncKeyState(kModifierKeys[i]));
  states.ShiftDown = held[0];
  states.CtrlDown = held[1];
  states.AltDown = held[2];
  states.MenuKey = false;
  states.ExtendedKey = (flags & platform::kLlkhfExtended) != 0;
  states.KeyRepeated = states.KeyDown;
  CountRepeat(states);
  states.DeadKey = bit(platform_.mapVirtualKeyEx(vk, kMapVkToChar, FKeyboardLayoutHandle), 31);

  std::uint32_t scan = platform_.mapVirtualKey(vk, kMapVkToVsc) << 16;
  if (states.ExtendedKey) scan += 0x01000000;

  platform_.keyNameText(static_cast<std::int32_t>(scan), names.KeyExtName.data(),
                        static_cast<int>(kKeyNameUnits));

  platform::KeyboardState keyboard{};
  platform_.keyboardState(keyboard);
  // This thread does not have the keyboard focus, so its own keyboard state
  // lags behind the keyboard by an event or two: Shift pressed just before a
  // letter would be missing from the translation. The modifiers are taken
  // from the asynchronous state, as the modifier fields above are.
  for (std::size_t i = 0; i < held.size(); ++i) {
    const int modifier = kModifierKeys[i];
    keyboard[modifier] =
        static_cast<std::uint8_t>((keyboard[modifier] & 0x01) | (held[i] ? 0x80 : 0));
  }
  // With Caps Lock on (and not held), a letter is translated as if Shift
  // were up, so that Caps Lock gives capitals with or without Shift. Other
  // keys keep Shift: Shift+1 stays "!".
  if (platform_.keyState(platform::kVkCapital) == 1 && isLetterKey(vk)) {
    keyboard[platform::kVkShift] = kKeyNotHeld;
  }

  Translation t =
      translateKey(platform_, vk, scan, keyboard, FKeyboardLayoutHandle, states.DeadKey);
  names.KeyChar = t.first;
  states.DeadKey = t.count < 0;
  states.DoubleKey = t.count == 2;

  if (FOnKey) FOnKey(*this, states, names);
}

void TCPKeyHook::DecodeStandardKey(std::uintptr_t wParam, std::intptr_t lParam) {
  TKeyStates states{};
  TKeyNames names{};
  platform::KeyboardState keyboard{};
  platform_.keyboardState(keyboard);
  const auto vk = static_cast<std::uint32_t>(wParam);
  const auto word = static_cast<std::uint32_t>(lParam);
  states.KeyInfo.vkCode = vk;
  states.KeyInfo.scanCode = word;

  states.KeyDown = !bit(word, 31);
  states.KeyRepeated = bit(word, 30);
  states.AltDown = bit(word, 29);
  states.MenuKey = bit(word, 28);
  states.ExtendedKey = bit(word, 24);
  states.CtrlDown = highBit(platform_.keyState(platform::kVkControl));
  states.ShiftDown = highBit(platform_.keyState(platform::kVkShift));
  CountRepeat(states);

  std::array<char16_t, kKeyNameUnits> nameBuffer{};
  platform_.keyNameText(static_cast<std::int32_t>(word), nameBuffer.data(),
                        static_cast<int>(kKeyNameUnits));
  names.KeyExtName = nameBuffer;

  states.DeadKey = bit(platform_.mapVirtualKeyEx(vk, kMapVkToChar, FKeyboardLayoutHandle), 31);
  Translation t =
      translateKey(platform_, vk, word, keyboard, FKeyboardLayoutHandle, states.DeadKey);
  names.KeyChar = t.first;
  states.DeadKey = t.count < 0;
  states.DoubleKey = t.count == 2;

  states.InjectedKey = false;
  states.KeyInfo.flags = 0;
  states.KeyInfo.time = 0;
  states.KeyInfo.dwExtraInfo = 0;

  if (FOnKey) FOnKey(*this, states, names);
}

}  // namespace korimo::hooks
