#pragma once

#include <functional>

#include "platform/shell_platform.h"

namespace korimo::platform::win32 {

class Win32Shell : public ShellPlatform {
 public:
  // Runs on the calling thread before each message box opens, so that a
  // top-most window of the program (the splash) never hides one.
  std::function<void()> beforeMessageBox;

  std::optional<RegistryValue> readRegistry(Hive hive, std::u16string_view key,
                                            std::u16string_view name) override;
  bool registryKeyExists(Hive hive, std::u16string_view key) override;
  std::vector<std::u16string> registrySubkeys(Hive hive, std::u16string_view key) override;
  bool writeRegistry(Hive hive, std::u16string_view key, std::u16string_view name,
                     const RegistryValue& value) override;
  bool deleteRegistryValue(Hive hive, std::u16string_view key, std::u16string_view name) override;
  std::uintptr_t loadKeyboardLayout(std::u16string_view id, std::uint32_t flags) override;
  std::vector<std::uintptr_t> keyboardLayoutList() override;
  std::uintptr_t windowInputLocale(WindowHandle window) override;
  bool postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  std::optional<VersionInfo> version() override;
  void runOffThread(const std::function<void()>& work) override;
  void shellExecute(WindowHandle owner, std::u16string_view verb, std::u16string_view file,
                    std::u16string_view parameters = {}) override;
  bool setForegroundWindow(WindowHandle window) override;
  using ShellPlatform::messageBox;
  void messageBox(WindowHandle owner, std::u16string_view text,
                  std::u16string_view caption) override;
  bool messageBoxYesNo(WindowHandle owner, std::u16string_view text,
                       std::u16string_view caption) override;
  std::optional<std::filesystem::path> getOpenFileName(WindowHandle owner,
                                                       std::u16string_view title,
                                                       std::u16string_view filter,
                                                       std::u16string_view fileName) override;
  bool fileExists(const std::filesystem::path& path) override;
  bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to) override;
  void terminateApplication() override;
  std::filesystem::path moduleFileName() override;
  std::vector<std::u16string> runningPrograms() override;
};

}  // namespace korimo::platform::win32
