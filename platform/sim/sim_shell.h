#pragma once
// A simulated shell: a registry a test fills, and records of every request
// the program makes of the platform.

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/shell_platform.h"

namespace korimo::platform::sim {

struct PostedMessage {
  WindowHandle window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

class SimShell : public ShellPlatform {
 public:
  // Registry keys are compared without regard to letter case, as Windows does.
  void setRegistry(Hive hive, std::u16string key, std::u16string name, RegistryValue value);
  void createRegistryKey(Hive hive, std::u16string key);

  std::optional<VersionInfo> versionInfo = VersionInfo{2, 10, 0, u""};
  // Layout identifiers that LoadKeyboardLayoutW finds, besides those with a
  // key under HKLM SYSTEM\CurrentControlSet\Control\Keyboard Layouts.
  std::vector<std::u16string> installedLayouts = {u"00000409"};
  std::filesystem::path appFolder;
  // When set, every registry write and removal fails, as for a key the user may not change.
  bool registryReadOnly = false;

  std::vector<std::pair<std::u16string, std::uint32_t>> loadedLayouts;
  std::vector<PostedMessage> posted;
  std::vector<std::u16string> launched;
  std::vector<std::u16string> messages;  // "caption: text" of each box
  std::vector<WindowHandle> foregroundRequests;
  bool terminated = false;
  // Called for SetForegroundWindow, so a simulated desktop can follow it.
  std::function<void(WindowHandle)> onSetForeground;

  std::optional<RegistryValue> readRegistry(Hive hive, std::u16string_view key,
                                            std::u16string_view name) override;
  bool registryKeyExists(Hive hive, std::u16string_view key) override;
  std::vector<std::u16string> registrySubkeys(Hive hive, std::u16string_view key) override;
  bool writeRegistry(Hive hive, std::u16string_view key, std::u16string_view name,
                     const RegistryValue& value) override;
  bool deleteRegistryValue(Hive hive, std::u16string_view key, std::u16string_view name) override;
  std::uintptr_t loadKeyboardLayout(std::u16string_view id, std::uint32_t flags) override;
  bool postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  std::optional<VersionInfo> version() override { return versionInfo; }
  void shellExecute(WindowHandle owner, std::u16string_view verb,
                    std::u16string_view file) override;
  bool setForegroundWindow(WindowHandle window) override;
  void messageBox(std::u16string_view text, std::u16string_view caption) override;
  bool fileExists(const std::filesystem::path& path) override;
  void terminateApplication() override { terminated = true; }
  std::filesystem::path executableFolder() override { return appFolder; }

 private:
  using KeyName = std::tuple<Hive, std::u16string>;
  static KeyName keyName(Hive hive, std::u16string_view key);
  std::map<KeyName, std::map<std::u16string, RegistryValue>> registry_;
  std::map<KeyName, std::u16string> spelling_;  // each key's path as first written
};

}  // namespace korimo::platform::sim
