#include "platform/win32/unelevated_start.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace korimo::platform::win32 {
namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle) ::CloseHandle(handle);
  }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// TokenElevation of the process; false also when it cannot be read.
bool elevated(HANDLE process) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
  const Handle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

}  // namespace

bool restartWithShellRights() {
  if (!elevated(::GetCurrentProcess())) return false;
  HWND shellWindow = ::GetShellWindow();
  DWORD shellId = 0;
  if (!shellWindow || !::GetWindowThreadProcessId(shellWindow, &shellId) || shellId == 0)
    return false;
  // PROCESS_CREATE_PROCESS: the shell becomes the copy's parent, and the
  // copy takes the parent's token (PROC_THREAD_ATTRIBUTE_PARENT_PROCESS).
  const Handle shell(
      ::OpenProcess(PROCESS_CREATE_PROCESS | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellId));
  if (!shell || elevated(shell.get())) return false;

  SIZE_T size = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<unsigned char> storage(size);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
  if (!::InitializeProcThreadAttributeList(attributes, 1, 0, &size)) return false;
  struct ListDeleter {
    LPPROC_THREAD_ATTRIBUTE_LIST list;
    ~ListDeleter() { ::DeleteProcThreadAttributeList(list); }
  } listDeleter{attributes};
  HANDLE parent = shell.get();
  if (!::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_PARENT_PROCESS, &parent,
                                   sizeof parent, nullptr, nullptr))
    return false;

  wchar_t path[MAX_PATH * 4];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  if (length == 0 || length >= std::size(path)) return false;
  std::vector<wchar_t> commandLine(::GetCommandLineW(),
                                   ::GetCommandLineW() + ::lstrlenW(::GetCommandLineW()) + 1);
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.lpAttributeList = attributes;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(path, commandLine.data(), nullptr, nullptr, FALSE,
                        EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &startup.StartupInfo,
                        &started))
    return false;
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
  return true;
}

}  // namespace korimo::platform::win32
