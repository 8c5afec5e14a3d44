#pragma once
// The platform operations of the program core beyond typing and the hooks
// (and of the locale tool, which writes the registry values the core reads):
// the registry, keyboard layouts and input-language requests, the Windows
// version, launching programs, the foreground window, message boxes, files
// and ending the application.

#include <cstdint>
#include <filesystem>
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
  std::uint32_t platformId = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::u16string servicePack;  // szCSDVersion
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

  // LoadKeyboardLayoutW: the layout handle, 0 when none is returned.
  virtual std::uintptr_t loadKeyboardLayout(std::u16string_view id, std::uint32_t flags) = 0;
  virtual bool postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  // GetVersionExW; nullopt when it fails.
  virtual std::optional<VersionInfo> version() = 0;
  // ShellExecuteW(owner, verb, file, no parameters, no directory, SW_SHOWNORMAL).
  virtual void shellExecute(WindowHandle owner, std::u16string_view verb,
                            std::u16string_view file) = 0;
  virtual bool setForegroundWindow(WindowHandle window) = 0;
  // A modal message box with an Ok button.
  virtual void messageBox(std::u16string_view text, std::u16string_view caption) = 0;
  virtual bool fileExists(const std::filesystem::path& path) = 0;
  // Ends the message loop once the running handler returns.
  virtual void terminateApplication() = 0;
  // The folder of the running executable.
  virtual std::filesystem::path executableFolder() = 0;
};

}  // namespace korimo::platform
