#pragma once
// MouseHook: the mouse counterpart of KeyHook. It loads the mouse-hook
// library "Vantrely.dll", has it install a system-wide mouse hook, receives
// the library's report of every mouse event on a hidden window, decodes it
// into a MouseReport record and calls mouseHandler. The program only watches
// the mouse: it starts the library with every filter off, so the library
// withholds nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "hooks/hook_library_handle.h"
#include "platform/hook_platform.h"

namespace korimo::hooks {

struct MouseReport {
  platform::WindowHandle window = platform::kNoWindow;  // the window under the pointer
  std::uint32_t message = 0;  // the mouse message (0x0200 move, 0x0201 left down, ...)
};

class MouseHook;

using MouseReportHandler = std::function<void(MouseHook& hook, const MouseReport& report)>;
// Told when a click reached the desktop without a report (Windows had
// removed the hook); the hook has been installed again (reinstalled true)
// or could not be (false: no more clicks arrive).
using MouseHookLostHandler = std::function<void(MouseHook& hook, bool reinstalled)>;

class MouseHook {
 public:
  static constexpr std::uint32_t kDefaultReportMessage = 0x04C8;  // WM_USER + 200

  explicit MouseHook(platform::HookPlatform& platform);
  ~MouseHook();
  MouseHook(const MouseHook&) = delete;
  MouseHook& operator=(const MouseHook&) = delete;

  bool start();
  bool stop();

  bool running() const { return running_; }
  bool libraryLoaded() const { return libraryLoaded_; }
  platform::WindowHandle reportWindow() const { return reportWindow_; }
  std::uint32_t reportMessage() const { return reportMessage_; }
  void setReportMessage(std::uint32_t value) {
    if (value != reportMessage_) reportMessage_ = value;
  }
  const MouseReportHandler& mouseHandler() const { return mouseHandler_; }
  void setMouseHandler(MouseReportHandler handler) { mouseHandler_ = std::move(handler); }
  void setHookLostHandler(MouseHookLostHandler handler) { hookLostHandler_ = std::move(handler); }
  // How often the hook was found removed and installed again.
  int hookReinstalls() const { return hookReinstalls_; }

 private:
  bool loadLibrary();
  bool unloadLibrary();
  std::intptr_t windowProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  void decodeMouseMessage(std::uintptr_t wParam);
  void watchRawClick(std::intptr_t lParam);

  platform::HookPlatform& platform_;
  HookLibraryHandle library_;
  platform::mousehook::Exports exports_;
  std::unique_ptr<platform::MessageWindow> window_;

  bool libraryLoaded_ = false;
  platform::WindowHandle reportWindow_ = platform::kNoWindow;
  std::uint32_t reportMessage_ = kDefaultReportMessage;
  bool running_ = false;
  const platform::MouseHookFilters filters_{};  // all off
  MouseReportHandler mouseHandler_;
  MouseHookLostHandler hookLostHandler_;
  bool rawInputRegistered_ = false;
  std::uint32_t lastReportTick_ = 0;
  int hookReinstalls_ = 0;
};

}  // namespace korimo::hooks
