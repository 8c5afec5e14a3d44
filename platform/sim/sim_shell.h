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

  std::optional<VersionInfo> versionInfo = VersionInfo{2, 10, 0};
  // The layouts loaded for the user (their identifiers, the default first);
  // LoadKeyboardLayoutW also loads those with a key under HKLM
  // SYSTEM\CurrentControlSet\Control\Keyboard Layouts.
  std::vector<std::u16string> installedLayouts = {u"00000409"};
  // The input locale a window types with, where a request changed it.
  std::map<WindowHandle, std::uintptr_t> windowLocales;

  // Paths that take long to reach (a slow network share): a file operation
  // on a path that begins with one takes that many milliseconds. Starting a
  // program takes launchMs.
  std::vector<std::pair<std::u16string, std::uint32_t>> slowPaths;
  std::uint32_t launchMs = 0;
  // Told when the calling thread was kept busy that long outside
  // runOffThread, and when it entered a modal loop (a message box, a
  // dialog): the thread that serves the hooks must do neither inside a report.
  std::function<void(std::uint32_t ms)> onThreadBlocked;
  std::function<void()> onModal;
  std::filesystem::path appFolder;
  // When set, every registry write and removal fails, as for a key the user may not change.
  bool registryReadOnly = false;

  std::vector<std::pair<std::u16string, std::uint32_t>> loadedLayouts;
  std::vector<PostedMessage> posted;
  std::vector<std::u16string> launched;  // each file started, with " PARAMETERS" when given
  std::vector<std::u16string>
      messages;  // "caption: text" of each box; "-> Yes" or "-> No" after a question
  // The answers to Yes/No questions, in order; No when none is left.
  std::vector<bool> yesNoAnswers;
  // The file the user chooses in the next open-file dialog; nullopt: Cancel.
  std::optional<std::filesystem::path> nextOpenFile;
  // What each open-file dialog showed: "title|filter|file name".
  std::vector<std::u16string> openFileDialogs;
  // When set, every file copy fails, as on a full or read-only disk.
  bool copyFails = false;
  std::vector<WindowHandle> foregroundRequests;
  bool terminated = false;
  // Called for SetForegroundWindow, so a simulated desktop can follow it.
  std::function<void(WindowHandle)> onSetForeground;
  // The programs with a window, as a simulated desktop has them.
  std::function<std::vector<std::u16string>()> programsShown;

  // The values of a key, named in lower case, in name order.
  std::vector<std::pair<std::u16string, RegistryValue>> registryValues(
      Hive hive, std::u16string_view key) const;

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
  std::optional<VersionInfo> version() override { return versionInfo; }
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
  void terminateApplication() override { terminated = true; }
  // Korimo.exe in the program's folder.
  std::filesystem::path moduleFileName() override { return appFolder / "Korimo.exe"; }
  std::vector<std::u16string> runningPrograms() override {
    return programsShown ? programsShown() : std::vector<std::u16string>{};
  }

 private:
  // The input locale of a layout that exists, or 0.
  std::uintptr_t inputLocaleOf(std::u16string_view id);
  // An operation on path took its time.
  void reach(const std::filesystem::path& path);
  void busy(std::uint32_t ms);

  using KeyName = std::tuple<Hive, std::u16string>;
  static KeyName keyName(Hive hive, std::u16string_view key);
  std::map<KeyName, std::map<std::u16string, RegistryValue>> registry_;
  std::map<KeyName, std::u16string> spelling_;  // each key's path as first written
  std::vector<std::uintptr_t> loaded_;          // layouts loaded since start-up
  int offThread_ = 0;                           // depth of runOffThread calls
};

}  // namespace korimo::platform::sim
