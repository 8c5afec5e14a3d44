#pragma once
#include <string>
#include <vector>

#include "platform/hook_platform.h"

namespace korimo::platform::win32 {

// HookPlatform over the real calls. The hook libraries are loaded by full
// path only.
class Win32HookPlatform : public HookPlatform {
 public:
  Win32HookPlatform();
  ~Win32HookPlatform() override;
  Win32HookPlatform(const Win32HookPlatform&) = delete;
  Win32HookPlatform& operator=(const Win32HookPlatform&) = delete;

  // Replaces the default error report (a message box captioned with the
  // application title, shown after the report being handled).
  void setErrorReport(std::function<void(std::string_view)> report) {
    errorReport_ = std::move(report);
  }

  std::u16string executableFolder() override;
  std::unique_ptr<HookLibrary> loadLibrary(std::u16string_view fullPath) override;
  std::unique_ptr<MessageWindow> createMessageWindow(MessageProc proc) override;
  std::intptr_t defWindowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
  std::uint32_t registerWindowMessage(std::u16string_view name) override;
  void reportError(std::string_view message) override;
  std::int16_t asyncKeyState(int vk) override;
  std::int16_t keyState(int vk) override;
  std::uint32_t mapVirtualKeyEx(std::uint32_t code, std::uint32_t mapType,
                                LayoutHandle layout) override;
  int toUnicodeEx(std::uint32_t vk, std::uint32_t scan, const KeyboardState& state,
                  char16_t* buffer, int size, std::uint32_t flags, LayoutHandle layout) override;
  LayoutHandle keyboardLayout() override;
  std::u16string keyboardLayoutName() override;
  bool registerRawKeyboard(WindowHandle window) override;
  std::optional<RawKey> rawKeyboardInput(std::intptr_t lParam) override;
  bool registerRawMouse(WindowHandle window) override;
  bool rawMouseClick(std::intptr_t lParam) override;
  std::uint32_t tickCount() override;

 private:
  void showErrors();

  std::function<void(std::string_view)> errorReport_;
  // Errors waiting to be shown, and the hidden window they are posted to.
  std::vector<std::string> errors_;
  std::unique_ptr<MessageWindow> errorWindow_;
  bool reporting_ = false;  // a report is on screen: the hook keeps running meanwhile
};

}  // namespace korimo::platform::win32
