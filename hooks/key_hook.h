#pragma once
// KeyHook: the component through which the program sees the keyboard. It
// loads the keyboard-hook library "Vantrelx.dll", has it install a
// system-wide keyboard hook, receives the library's report of every
// keystroke on a hidden window of its own, decodes each report into a
// KeyReport and calls keyHandler with them.
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

// What one keystroke report says: the key, and the modifiers held before it.
struct KeyReport {
  std::uint32_t vk = 0;
  std::uint32_t scanCode = 0;
  bool down = false;  // a press (or an auto-repeat), not a release
  bool alt = false;
  bool ctrl = false;
  bool injected = false;  // put in by a program, reported only when asked for
  // The first unit of the key's character on the keyboard layout, with the
  // modifiers and Caps Lock as they stand; 0 for a release and for a key
  // without one.
  char16_t character = 0;
  // When the system took the key, in milliseconds (the low-level record's
  // time; 0 in the classic mode), for checks made at most now and then.
  std::uint32_t time = 0;
};

class KeyHook;

// The handler. The report lives only for the duration of the call.
using KeyReportHandler = std::function<void(KeyHook& hook, const KeyReport& report)>;
// Told when Windows had removed the low-level hook and it was installed
// again (reinstalled true) or could not be (false: no more keys arrive).
using HookLostHandler = std::function<void(KeyHook& hook, bool reinstalled)>;

class KeyHook {
 public:
  static constexpr std::uint32_t kDefaultReportMessage = 0x0464;  // WM_USER + 100

  explicit KeyHook(platform::HookPlatform& platform);
  ~KeyHook();
  KeyHook(const KeyHook&) = delete;
  KeyHook& operator=(const KeyHook&) = delete;

  bool start();
  bool stop();
  bool update();

  bool libraryLoaded() const { return libraryLoaded_; }
  platform::WindowHandle reportWindow() const { return reportWindow_; }
  std::uint32_t reportMessage() const { return reportMessage_; }
  void setReportMessage(std::uint32_t value) {
    if (value != reportMessage_) reportMessage_ = value;
  }
  bool withholding() const { return withholding_; }
  void setWithholding(bool value) {
    if (value != withholding_) withholding_ = value;
  }
  bool reportsInjected() const { return reportsInjected_; }
  void setReportsInjected(bool value) {
    if (value != reportsInjected_) reportsInjected_ = value;
  }
  bool lowLevel() const { return lowLevel_; }
  void setLowLevel(bool value) {
    if (value != lowLevel_) lowLevel_ = value;
  }
  bool running() const { return running_; }
  const std::u16string& keyboardLayout() const { return keyboardLayout_; }
  platform::LayoutHandle keyboardLayoutHandle() const { return keyboardLayoutHandle_; }
  const KeyReportHandler& keyHandler() const { return keyHandler_; }
  void setKeyHandler(KeyReportHandler handler) { keyHandler_ = std::move(handler); }
  void setHookLostHandler(HookLostHandler handler) { hookLostHandler_ = std::move(handler); }
  // How often the hook was found removed and installed again.
  int hookReinstalls() const { return hookReinstalls_; }
  // Key presses of a keyboard that reach raw input without a report, in a
  // row, before the hook counts as removed.
  static constexpr int kLostAfterKeys = 2;

  // The keys the user holds, as the reports so far say (the key being
  // reported included), and whether Caps Lock is on.
  const platform::KeysDown& keysDown() const { return held_; }
  bool capsLockOn() const { return capsLock_; }

 private:
  bool loadLibrary();
  bool unloadLibrary();
  std::intptr_t windowProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t dispatchReport(std::uintptr_t wParam, std::intptr_t lParam);
  void decodeLowLevelKey(std::uintptr_t wParam);
  void decodeStandardKey(std::uintptr_t wParam, std::intptr_t lParam);
  void watchRawKey(std::intptr_t lParam);
  // The keys held and Caps Lock as the system has them: when the hook
  // starts, and after it was gone for a while.
  void readKeyboard();
  void buildTranslations();
  // The character table's entry for the key with the modifiers as held now:
  // its first unit (a dead key's own character), 0 for a key without one.
  char16_t translate(std::uint32_t vk) const;
  // A report of vk down or up: the keys held and Caps Lock follow it.
  void follow(std::uint32_t vk, bool down);

  platform::HookPlatform& platform_;
  HookLibraryHandle library_;
  platform::keyhook::Exports exports_;
  std::unique_ptr<platform::MessageWindow> window_;

  bool libraryLoaded_ = false;
  platform::WindowHandle reportWindow_ = platform::kNoWindow;
  std::uint32_t reportMessage_ = kDefaultReportMessage;
  bool withholding_ = false;
  bool reportsInjected_ = false;
  bool lowLevel_ = false;
  bool running_ = false;
  std::u16string keyboardLayout_;
  platform::LayoutHandle keyboardLayoutHandle_ = 0;
  KeyReportHandler keyHandler_;
  HookLostHandler hookLostHandler_;
  bool rawInputRegistered_ = false;
  std::uint32_t lastReportTime_ = 0;  // event time of the newest report
  int unreportedRawKeys_ = 0;
  int hookReinstalls_ = 0;
  platform::KeysDown held_;
  bool capsLock_ = false;
  // By modifier level (bit 0 Shift, bit 1 Caps Lock, bit 2 Ctrl) and key.
  static constexpr std::size_t kLevels = 8;
  std::array<std::array<char16_t, 256>, kLevels> translations_{};
};

}  // namespace korimo::hooks
