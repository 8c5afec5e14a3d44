#include "hooks/cp_key_hook.h"

#include <exception>
#include <stdexcept>
#include <string>

#include "platform/scope_exit.h"

namespace korimo::hooks {
namespace {

namespace kh = platform::keyhook;
using namespace platform;

bool highBit(std::int16_t state) { return (static_cast<std::uint16_t>(state) & 0x8000) != 0; }
bool bit(std::uint32_t value, int n) { return ((value >> n) & 1u) != 0; }
bool isLetterKey(std::uint32_t vk) { return vk >= 'A' && vk <= 'Z'; }

constexpr std::size_t kShiftLevel = 1;
constexpr std::size_t kCapsLevel = 2;
constexpr std::size_t kCtrlLevel = 4;

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
  buildTranslations();
  readKeyboard();
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
  readKeyboard();     // keys went by unseen meanwhile
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

void TCPKeyHook::readKeyboard() {
  held_.clear();
  for (int vk = 1; vk < 255; ++vk)
    if (highBit(platform_.asyncKeyState(vk))) held_.set(static_cast<VirtualKey>(vk), true);
  capsLock_ = (platform_.keyState(kVkCapital) & 0x01) != 0;
}

void TCPKeyHook::buildTranslations() {
  KeyboardState state{};
  for (std::size_t level = 0; level < kLevels; ++level) {
    state.fill(0);
    if (level & kShiftLevel) state[kVkShift] = state[kVkLShift] = 0x80;
    if (level & kCapsLevel) state[kVkCapital] = 0x01;
    if (level & kCtrlLevel) state[kVkControl] = state[kVkLControl] = 0x80;
    for (std::uint32_t vk = 1; vk < 255; ++vk) {
      const std::uint32_t scan = platform_.mapVirtualKeyEx(vk, kMapVkToVsc, FKeyboardLayoutHandle);
      std::array<char16_t, 4> buffer{};
      const int n =
          platform_.toUnicodeEx(vk, scan, state, buffer.data(), static_cast<int>(buffer.size()),
                                kToUnicodeKeepState, FKeyboardLayoutHandle);
      if (n < 0) {
        // Windows before 10 1607 ignores the flag and leaves the dead key
        // pending in this thread's state: a space takes it again.
        std::array<char16_t, 4> ignored{};
        KeyboardState plain{};
        platform_.toUnicodeEx(
            kVkSpace, platform_.mapVirtualKeyEx(kVkSpace, kMapVkToVsc, FKeyboardLayoutHandle),
            plain, ignored.data(), static_cast<int>(ignored.size()), kToUnicodeKeepState,
            FKeyboardLayoutHandle);
      }
      Translation& t = translations_[level][vk];
      t.count = static_cast<std::int8_t>(n < 0 ? -1 : n > 2 ? 2 : n);
      t.character = n == 0 ? char16_t{0} : buffer[0];
    }
  }
}

TCPKeyHook::Translation TCPKeyHook::translate(std::uint32_t vk) const {
  bool shift = held_[kVkShift];
  // With Caps Lock on, a letter is a capital with or without Shift; other
  // keys keep Shift (Shift+1 stays "!").
  if (capsLock_ && isLetterKey(vk)) shift = false;
  std::size_t level = 0;
  if (shift) level |= kShiftLevel;
  if (capsLock_) level |= kCapsLevel;
  if (held_[kVkControl]) level |= kCtrlLevel;
  // Alt alone changes no character (Windows translates Alt+key as the key).
  return translations_[level][vk & 0xFF];
}

void TCPKeyHook::follow(std::uint32_t vk, bool down) {
  const auto key = static_cast<VirtualKey>(vk & 0xFF);
  // Caps Lock turns over when it goes down, not on its auto-repeats.
  if (key == kVkCapital && down && !held_[key]) capsLock_ = !capsLock_;
  held_.set(key, down);
}

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
  states.InjectedKey = (flags & kLlkhfInjected) != 0;
  states.KeyDown = wParam == kWmKeyDown || wParam == kWmSysKeyDown;
  // The modifiers as they were before this event.
  states.ShiftDown = held_[kVkShift];
  states.CtrlDown = held_[kVkControl];
  states.AltDown = held_[kVkMenu];
  states.MenuKey = false;
  states.ExtendedKey = (flags & kLlkhfExtended) != 0;
  states.KeyRepeated = states.KeyDown;
  CountRepeat(states);
  if (states.KeyDown) {
    const Translation t = translate(vk);
    names.KeyChar = t.character;
    states.DeadKey = t.count < 0;
    states.DoubleKey = t.count == 2;
  }
  // Keys injected by other programs are reported only when asked for; the
  // keys held are the user's.
  if (!states.InjectedKey) follow(vk, states.KeyDown);

  if (FOnKey) FOnKey(*this, states, names);
}

void TCPKeyHook::DecodeStandardKey(std::uintptr_t wParam, std::intptr_t lParam) {
  TKeyStates states{};
  TKeyNames names{};
  const auto vk = static_cast<std::uint32_t>(wParam);
  const auto word = static_cast<std::uint32_t>(lParam);
  states.KeyInfo.vkCode = vk;
  states.KeyInfo.scanCode = word;

  states.KeyDown = !bit(word, 31);
  states.KeyRepeated = bit(word, 30);
  states.AltDown = bit(word, 29);
  states.MenuKey = bit(word, 28);
  states.ExtendedKey = bit(word, 24);
  states.CtrlDown = held_[kVkControl];
  states.ShiftDown = held_[kVkShift];
  CountRepeat(states);
  if (states.KeyDown) {
    const Translation t = translate(vk);
    names.KeyChar = t.character;
    states.DeadKey = t.count < 0;
    states.DoubleKey = t.count == 2;
  }
  follow(vk, states.KeyDown);

  states.InjectedKey = false;
  states.KeyInfo.flags = 0;
  states.KeyInfo.time = 0;
  states.KeyInfo.dwExtraInfo = 0;

  if (FOnKey) FOnKey(*this, states, names);
}

}  // namespace korimo::hooks
