#pragma once
// The platform operations of the program core beyond typing and the hooks
// (and of the locale tool, which writes the registry values the core reads):
// the registry, keyboard layouts and input-language requests, the Windows
// version, launching programs, the foreground window, message boxes, files
// and ending the application.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"

namespace korimo::platform {

enum class Hive { CurrentUser, LocalMachine };

struct RegistryValue {
  enum class Type { String, Dword };
  Type type = Type::String;
  std::u16string text;       // REG_SZ
  std::uint32_t number = 0;  // REG_DWORD
};

struct VersionInfo {
  std::uint32_t platformId = 0;  // 2: Windows NT and every Windows since
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

constexpr WindowHandle kBroadcast = 0xFFFF;  // HWND_BROADCAST
constexpr std::uint32_t kKlfActivate = 0x01;
constexpr std::uint32_t kKlfNoTellShell = 0x80;

class ShellPlatform {
 public:
  virtual ~ShellPlatform() = default;

  // A value of a key opened for reading (never created); nullopt when the
  // key does not open or has no such value.
  virtual std::optional<RegistryValue> readRegistry(Hive hive, std::u16string_view key,
                                                    std::u16string_view name) = 0;
  // Whether the key opens for reading.
  virtual bool registryKeyExists(Hive hive, std::u16string_view key) = 0;
  // The names of the key's subkeys; empty when it does not open for reading.
  virtual std::vector<std::u16string> registrySubkeys(Hive hive, std::u16string_view key) = 0;
  // Sets a value, creating the key when it is missing; false when that fails.
  virtual bool writeRegistry(Hive hive, std::u16string_view key, std::u16string_view name,
                             const RegistryValue& value) = 0;
  // Removes a value; true when it is gone afterwards, also when it never was there.
  virtual bool deleteRegistryValue(Hive hive, std::u16string_view key,
                                   std::u16string_view name) = 0;

  // LoadKeyboardLayoutW: the input locale (HKL) of the layout loaded, 0 when
  // none is returned.
  virtual std::uintptr_t loadKeyboardLayout(std::u16string_view id, std::uint32_t flags) = 0;
  // GetKeyboardLayoutList: the input locales loaded, the user's first.
  virtual std::vector<std::uintptr_t> keyboardLayoutList() = 0;
  // GetKeyboardLayout of the window's thread: the input locale it types with.
  virtual std::uintptr_t windowInputLocale(WindowHandle window) = 0;
  virtual bool postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  // GetVersionExW; nullopt when it fails.
  virtual std::optional<VersionInfo> version() = 0;
  // Runs work on a thread of its own and returns when it has finished; the
  // calling thread handles its messages meanwhile. The thread that serves
  // the hooks must never wait for anything that can take long (Windows
  // removes a hook that keeps it waiting, and every key on the desktop lags
  // until then): starting a program, and files the user chose (a network
  // path can take seconds), go through here.
  virtual void runOffThread(const std::function<void()>& work) = 0;
  // ShellExecuteW(owner, verb, file, parameters, no directory, SW_SHOWNORMAL),
  // with COM ready on the calling thread as ShellExecute needs. Starting a
  // program can take long: call it inside runOffThread.
  virtual void shellExecute(WindowHandle owner, std::u16string_view verb, std::u16string_view file,
                            std::u16string_view parameters = {}) = 0;
  virtual bool setForegroundWindow(WindowHandle window) = 0;
  // MessageBoxW with an Ok button, modal to owner (none: to nothing).
  virtual void messageBox(WindowHandle owner, std::u16string_view text,
                          std::u16string_view caption) = 0;
  void messageBox(std::u16string_view text, std::u16string_view caption) {
    messageBox(kNoWindow, text, caption);
  }
  // MessageBoxW with Yes and No buttons, modal to owner: true for Yes.
  virtual bool messageBoxYesNo(WindowHandle owner, std::u16string_view text,
                               std::u16string_view caption) = 0;
  // GetOpenFileNameW, modal to owner: the existing file the user chose,
  // nullopt when they cancelled. filter: "Description|pattern"; fileName is
  // what the dialog's file-name box shows when it opens.
  virtual std::optional<std::filesystem::path> getOpenFileName(WindowHandle owner,
                                                               std::u16string_view title,
                                                               std::u16string_view filter,
                                                               std::u16string_view fileName) = 0;
  virtual bool fileExists(const std::filesystem::path& path) = 0;
  // CopyFileW, replacing an existing destination: true when every byte has
  // been copied; false when the source cannot be read or the destination
  // cannot be created or written. Call it inside runOffThread.
  virtual bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Ends the message loop once the running handler returns.
  virtual void terminateApplication() = 0;
  // The executable file names of the programs that show a window on the
  // desktop, this one left out, each once; empty when the platform cannot tell.
  virtual std::vector<std::u16string> runningPrograms() { return {}; }
  // GetModuleFileNameW: the full path of the running executable.
  virtual std::filesystem::path moduleFileName() = 0;
  // The folder of the running executable.
  std::filesystem::path executableFolder() { return moduleFileName().parent_path(); }
};

}  // namespace korimo::platform
