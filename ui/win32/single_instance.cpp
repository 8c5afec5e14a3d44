#include "ui/win32/single_instance.h"

#include <string>

#include "ui/win32/main_window.h"

namespace korimo::ui::win32 {
namespace {

constexpr DWORD kAnswerMs = 2000;
constexpr DWORD kWaitForOldMs = 20000;

// The guard's name: per session (Local) and per user.
std::wstring mutexName() {
  wchar_t user[256] = L"";
  DWORD size = 256;
  if (!::GetUserNameW(user, &size)) user[0] = L'\0';
  return std::wstring(L"Local\\VantrelKorimo-") + user;
}

}  // namespace

std::optional<SingleInstance> SingleInstance::acquire() {
  HANDLE mutex = ::CreateMutexW(nullptr, TRUE, mutexName().c_str());
  if (!mutex) return SingleInstance(nullptr);  // no guard to be had: run unguarded
  if (::GetLastError() != ERROR_ALREADY_EXISTS) return SingleInstance(mutex);

  // Another program holds it. Running: it opens its menu and this start
  // ends. Ending, or its window gone already: wait for it to go.
  const UINT message = ::RegisterWindowMessageW(kInstanceMessageName);
  HWND running = ::FindWindowW(kMainWindowClass, nullptr);
  DWORD_PTR answer = 0;
  if (running &&
      ::SendMessageTimeoutW(running, message, kInstanceQuery, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                            &answer) &&
      answer == kInstanceRunning) {
    ::PostMessageW(running, message, kInstanceShowMenu, 0);
    ::CloseHandle(mutex);
    return std::nullopt;
  }
  const DWORD waited = ::WaitForSingleObject(mutex, kWaitForOldMs);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return SingleInstance(mutex);
  ::CloseHandle(mutex);
  return std::nullopt;
}

SingleInstance::~SingleInstance() {
  if (!mutex_) return;
  ::ReleaseMutex(mutex_);
  ::CloseHandle(mutex_);
}

}  // namespace korimo::ui::win32
