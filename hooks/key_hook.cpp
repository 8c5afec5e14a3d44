#include "hooks/key_hook.h"

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

KeyHook::KeyHook(platform::HookPlatform& platform) : platform_(platform), library_(platform) {
  window_ = platform_.createMessageWindow(
      [this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        return windowProc(message, wParam, lParam);
      });
  reportWindow_ = window_ ? window_->handle() : platform::kNoWindow;
  keyboardLayoutHandle_ = platform_.keyboardLayout();
  keyboardLayout_ = platform_.keyboardLayoutName();
}

KeyHook::~KeyHook() {
  if (libraryLoaded_ && running_) {
    try {
      if (lowLevel_) {
        exports_.StopLL();
      } else {
        exports_.Stop();
      }
    } catch (...) {
      // The library is released below whatever its stop did.
    }
  }
  running_ = false;
  unloadLibrary();
  window_.reset();
}

bool KeyHook::loadLibrary() {
  if (libraryLoaded_) return false;
  libraryLoaded_ = library_.load(kh::kLibraryName, exports_);
  return libraryLoaded_;
}

bool KeyHook::unloadLibrary() {
  libraryLoaded_ = false;
  return library_.release(exports_);
}

bool KeyHook::start() {
  if (running_) return false;
  if (!loadLibrary()) return false;
  buildTranslations();
  readKeyboard();
  if (lowLevel_) {
    running_ = exports_.StartLL(reportWindow_, reportMessage_, withholding_, reportsInjected_);
    // Raw input watches over the hook: see watchRawKey.
    if (running_ && !rawInputRegistered_)
      rawInputRegistered_ = platform_.registerRawKeyboard(reportWindow_);
    unreportedRawKeys_ = 0;
  } else {
    running_ = exports_.Start(reportWindow_, reportMessage_, withholding_);
  }
  return running_;
}

bool KeyHook::stop() {
  ScopeExit release([this] { unloadLibrary(); });
  bool result = false;
  if (running_) {
    running_ = false;
    result = lowLevel_ ? exports_.StopLL() : exports_.Stop();
  }
  running_ = false;
  return result;
}

bool KeyHook::update() {
  if (!running_) return false;
  return lowLevel_ ? exports_.UpdateHookLL(withholding_, reportsInjected_)
                   : exports_.UpdateHook(withholding_);
}

std::intptr_t KeyHook::windowProc(std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
  if (message == reportMessage_) return dispatchReport(wParam, lParam);
  if (message == platform::kWmInput) watchRawKey(lParam);
  return platform_.defWindowProc(reportWindow_, message, wParam, lParam);
}

// Windows removes a low-level hook that keeps it waiting too long, without
// telling anyone. Raw input still sees every key a keyboard types: key
// presses that arrive there while the hook has reported nothing for a while
// mean the hook is gone, and it is installed again.
void KeyHook::watchRawKey(std::intptr_t lParam) {
  if (!running_ || !lowLevel_) return;
  const std::optional<platform::RawKey> key = platform_.rawKeyboardInput(lParam);
  if (!key || !key->down) return;
  // Raw input is stamped a little after the hook's record of the same key.
  constexpr std::int32_t kSlackMs = 250;
  if (static_cast<std::int32_t>(key->time - lastReportTime_) <= kSlackMs) return;
  if (++unreportedRawKeys_ < kLostAfterKeys) return;
  unreportedRawKeys_ = 0;
  exports_.StopLL();  // the library's record of the removed hook
  readKeyboard();     // keys went by unseen meanwhile
  running_ = exports_.StartLL(reportWindow_, reportMessage_, withholding_, reportsInjected_);
  ++hookReinstalls_;
  if (hookLostHandler_) hookLostHandler_(*this, running_);
}

std::intptr_t KeyHook::dispatchReport(std::uintptr_t wParam, std::intptr_t lParam) {
  HookLibraryHandle::ReportScope report(library_);
  try {
    if (lowLevel_) {
      decodeLowLevelKey(wParam);
    } else {
      decodeStandardKey(wParam, lParam);
    }
  } catch (const std::exception& e) {
    platform_.reportError(e.what());
  } catch (...) {
    platform_.reportError("unknown error in the keyboard handler");
  }
  return 1;
}

void KeyHook::readKeyboard() {
  held_.clear();
  for (int vk = 1; vk < 255; ++vk)
    if (highBit(platform_.asyncKeyState(vk))) held_.set(static_cast<VirtualKey>(vk), true);
  capsLock_ = (platform_.keyState(kVkCapital) & 0x01) != 0;
}

void KeyHook::buildTranslations() {
  KeyboardState state{};
  for (std::size_t level = 0; level < kLevels; ++level) {
    state.fill(0);
    if (level & kShiftLevel) state[kVkShift] = state[kVkLShift] = 0x80;
    if (level & kCapsLevel) state[kVkCapital] = 0x01;
    if (level & kCtrlLevel) state[kVkControl] = state[kVkLControl] = 0x80;
    for (std::uint32_t vk = 1; vk < 255; ++vk) {
      const std::uint32_t scan = platform_.mapVirtualKeyEx(vk, kMapVkToVsc, keyboardLayoutHandle_);
      std::array<char16_t, 4> buffer{};
      const int n =
          platform_.toUnicodeEx(vk, scan, state, buffer.data(), static_cast<int>(buffer.size()),
                                kToUnicodeKeepState, keyboardLayoutHandle_);
      if (n < 0) {
        // Windows before 10 1607 ignores the flag and leaves the dead key
        // pending in this thread's state: a space takes it again.
        std::array<char16_t, 4> ignored{};
        KeyboardState plain{};
        platform_.toUnicodeEx(
            kVkSpace, platform_.mapVirtualKeyEx(kVkSpace, kMapVkToVsc, keyboardLayoutHandle_),
            plain, ignored.data(), static_cast<int>(ignored.size()), kToUnicodeKeepState,
            keyboardLayoutHandle_);
      }
      translations_[level][vk] = n == 0 ? char16_t{0} : buffer[0];
    }
  }
}

char16_t KeyHook::translate(std::uint32_t vk) const {
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

void KeyHook::follow(std::uint32_t vk, bool down) {
  const auto key = static_cast<VirtualKey>(vk & 0xFF);
  // Caps Lock turns over when it goes down, not on its auto-repeats.
  if (key == kVkCapital && down && !held_[key]) capsLock_ = !capsLock_;
  held_.set(key, down);
}

void KeyHook::decodeLowLevelKey(std::uintptr_t wParam) {
  // Decoded into a record of this call: a report that arrives nested inside
  // the handler (the program's own SendInput) gets a record of its own.
  const KbDllHookRecord* record = exports_.GetDataLL ? exports_.GetDataLL() : nullptr;
  if (record == nullptr) throw std::runtime_error("the keyboard hook library gave no key record");
  lastReportTime_ = record->time;
  unreportedRawKeys_ = 0;

  KeyReport report;
  report.vk = record->vkCode;
  report.scanCode = record->scanCode;
  report.time = record->time;
  report.injected = (record->flags & kLlkhfInjected) != 0;
  report.down = wParam == kWmKeyDown || wParam == kWmSysKeyDown;
  // The modifiers as they were before this event.
  report.ctrl = held_[kVkControl];
  report.alt = held_[kVkMenu];
  if (report.down) report.character = translate(report.vk);
  // Keys injected by other programs are reported only when asked for; the
  // keys held are the user's.
  if (!report.injected) follow(report.vk, report.down);

  if (keyHandler_) keyHandler_(*this, report);
}

void KeyHook::decodeStandardKey(std::uintptr_t wParam, std::intptr_t lParam) {
  const auto word = static_cast<std::uint32_t>(lParam);
  KeyReport report;
  report.vk = static_cast<std::uint32_t>(wParam);
  report.scanCode = word;
  report.down = !bit(word, 31);
  report.alt = bit(word, 29);
  report.ctrl = held_[kVkControl];
  if (report.down) report.character = translate(report.vk);
  follow(report.vk, report.down);

  if (keyHandler_) keyHandler_(*this, report);
}

}  // namespace korimo::hooks
