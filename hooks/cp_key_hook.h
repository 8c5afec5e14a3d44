#pragma once
// TCPKeyHook: the component through which the program sees the keyboard. It
// loads the keyboard-hook library "Vantrelx.dll", has it install a
// system-wide keyboard hook, receives the library's report of every
// keystroke on a hidden window of its own, decodes each report into a
// TKeyStates and a TKeyNames record and calls OnKey with them.
//
// Decoding asks the system nothing: the reports run on the thread that
// Windows waits for before any application sees a key, so a query there
// delays every key on the desktop. The keys held (the modifiers among them)
// and the Caps Lock toggle follow from the reports themselves, and a key's
// character comes from a table of the keyboard layout built when the hook
// starts. Building it translates with ToUnicodeEx's flag that leaves the
// keyboard state alone, so a dead key the user has typed into an
// application stays pending for that application.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "hooks/hook_library_handle.h"
#include "platform/hook_platform.h"
#include "platform/keys_down.h"

namespace korimo::hooks {

// The library's low-level keyboard record, copied whole from the platform.
using TKbDllHookStruct = platform::KbDllHookRecord;

// What one keystroke report says about the key and the modifiers.
struct TKeyStates {
  bool KeyDown = false;
  bool ShiftDown = false;
  bool AltDown = false;
  bool CtrlDown = false;
  bool ExtendedKey = false;
  bool MenuKey = false;
  bool KeyRepeated = false;
  std::int32_t RepeatCount = 0;
  bool DeadKey = false;
  bool DoubleKey = false;
  bool InjectedKey = false;
  TKbDllHookStruct KeyInfo{};
};

struct TKeyNames {
  // The first unit of the key's character on the keyboard layout, with the
  // modifiers and Caps Lock as they stand; 0 for a release and for a key
  // without one.
  char16_t KeyChar = 0;
};

class TCPKeyHook;

// The handler. Both records live only for the duration of the call.
using TKeyHookedEvent = std::function<void(TCPKeyHook& Sender, const TKeyStates& AKeyStates,
                                           const TKeyNames& AKeyNames)>;
// Told when Windows had removed the low-level hook and it was installed
// again (reinstalled true) or could not be (false: no more keys arrive).
using THookLostEvent = std::function<void(TCPKeyHook& Sender, bool reinstalled)>;

class TCPKeyHook {
 public:
  static constexpr std::uint32_t kDefaultUserHookMsg = 0x0464;  // WM_USER + 100

  explicit TCPKeyHook(platform::HookPlatform& platform);
  ~TCPKeyHook();
  TCPKeyHook(const TCPKeyHook&) = delete;
  TCPKeyHook& operator=(const TCPKeyHook&) = delete;

  bool Start_KeyHook();
  bool Stop_KeyHook();
  bool UpdateHook();

  bool HookLibLoaded() const { return FHookLibLoaded; }
  platform::WindowHandle WindowHandle() const { return FWindowHandle; }
  std::uint32_t UserHookMsg() const { return FUserHookMsg; }
  void SetUserHookMsg(std::uint32_t value) {
    if (value != FUserHookMsg) FUserHookMsg = value;
  }
  bool DisableKeyboard() const { return FDisableKeyboard; }
  void SetDisableKeyboard(bool value) {
    if (value != FDisableKeyboard) FDisableKeyboard = value;
  }
  bool HookInjected() const { return FHookInjected; }
  void SetHookInjected(bool value) {
    if (value != FHookInjected) FHookInjected = value;
  }
  bool LowLevelHook() const { return FLowLevelHook; }
  void SetLowLevelHook(bool value) {
    if (value != FLowLevelHook) FLowLevelHook = value;
  }
  bool Enabled() const { return FEnabled; }
  const std::u16string& KeyboardLayout() const { return FKeyboardLayout; }
  platform::LayoutHandle KeyboardLayoutHandle() const { return FKeyboardLayoutHandle; }
  const TKeyHookedEvent& OnKey() const { return FOnKey; }
  void SetOnKey(TKeyHookedEvent handler) { FOnKey = std::move(handler); }
  void SetOnHookLost(THookLostEvent handler) { FOnHookLost = std::move(handler); }
  // How often the hook was found removed and installed again.
  int hookReinstalls() const { return hookReinstalls_; }
  // Key presses of a keyboard that reach raw input without a report, in a
  // row, before the hook counts as removed.
  static constexpr int kLostAfterKeys = 2;

  // Consecutive key-down reports since the last release (auto-repeats only
  // in the classic mode).
  std::int32_t keyRepeatCounter() const { return keyRepeatCounter_; }
  // The keys the user holds, as the reports so far say (the key being
  // reported included), and whether Caps Lock is on.
  const platform::KeysDown& keysDown() const { return held_; }
  bool capsLockOn() const { return capsLock_; }

 private:
  bool LoadHookLibrary();
  bool UnloadHookLibrary();
  std::intptr_t HookWindowProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t DispatchHookMessage(std::uintptr_t wParam, std::intptr_t lParam);
  void DecodeLowLevelKey(std::uintptr_t wParam);
  void DecodeStandardKey(std::uintptr_t wParam, std::intptr_t lParam);
  void CountRepeat(TKeyStates& states);
  void watchRawKey(std::intptr_t lParam);
  // The keys held and Caps Lock as the system has them: when the hook
  // starts, and after it was gone for a while.
  void readKeyboard();
  void buildTranslations();
  // The character table's entry for the key with the modifiers as held now.
  struct Translation {
    char16_t character = 0;
    std::int8_t count = 0;  // ToUnicodeEx's result: -1 dead key, 0 none, 1 or 2 units
  };
  Translation translate(std::uint32_t vk) const;
  // A report of vk down or up: the keys held and Caps Lock follow it.
  void follow(std::uint32_t vk, bool down);

  platform::HookPlatform& platform_;
  HookLibraryHandle library_;
  platform::keyhook::Exports exports_;
  std::unique_ptr<platform::MessageWindow> window_;

  bool FHookLibLoaded = false;
  platform::WindowHandle FWindowHandle = platform::kNoWindow;
  std::uint32_t FUserHookMsg = kDefaultUserHookMsg;
  bool FDisableKeyboard = false;
  bool FHookInjected = false;
  bool FLowLevelHook = false;
  bool FEnabled = false;
  std::u16string FKeyboardLayout;
  platform::LayoutHandle FKeyboardLayoutHandle = 0;
  TKeyHookedEvent FOnKey;
  THookLostEvent FOnHookLost;
  bool rawInputRegistered_ = false;
  std::uint32_t lastReportTime_ = 0;  // event time of the newest report
  int unreportedRawKeys_ = 0;
  int hookReinstalls_ = 0;
  std::int32_t keyRepeatCounter_ = 0;
  platform::KeysDown held_;
  bool capsLock_ = false;
  // By modifier level (bit 0 Shift, bit 1 Caps Lock, bit 2 Ctrl) and key.
  static constexpr std::size_t kLevels = 8;
  std::array<std::array<Translation, 256>, kLevels> translations_{};
};

}  // namespace korimo::hooks
