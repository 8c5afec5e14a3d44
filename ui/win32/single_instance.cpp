#include "ui/win32/single_instance.h"

#include <string>

#include "ui/win32/main_window.h"

namespace korimo::ui::win32 {
namespace {

constexpr DWORD kAnswerMs = 2000;
constexpr DWORD kPollMs = 200;
constexpr DWORD kWaitMs = 20000;

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
  // ends. Still starting: wait until it runs. Ending: wait for it to go and
  // take over.
  const UINT message = ::RegisterWindowMessageW(kInstanceMessageName);
  const DWORD began = ::GetTickCount();
  do {
    const DWORD waited = ::WaitForSingleObject(mutex, kPollMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return SingleInstance(mutex);
    HWND running = ::FindWindowW(kMainWindowClass, nullptr);
    DWORD_PTR answer = 0;
    if (running &&
        ::SendMessageTimeoutW(running, message, kInstanceQuery, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                              &answer) &&
        answer == kInstanceRunning) {
      // Its menu must come to the front to close on a click elsewhere; the
      // program the user has just started may let it.
      DWORD process = 0;
      ::GetWindowThreadProcessId(running, &process);
      ::AllowSetForegroundWindow(process);
      ::PostMessageW(running, message, kInstanceShowMenu, 0);
      ::CloseHandle(mutex);
      return std::nullopt;
    }
  } while (::GetTickCount() - began < kWaitMs);
  ::CloseHandle(mutex);
  ::MessageBoxW(nullptr,
                L"Vantrel Korimo is already running, but it does not answer. Wait a moment and "
                L"start it again; if it still does not answer, end Korimo.exe in Task Manager "
                L"first.",
                L"Vantrel Korimo", MB_OK | MB_ICONWARNING);
  return std::nullopt;
}

SingleInstance::~SingleInstance() {
  if (!mutex_) return;
  ::ReleaseMutex(mutex_);
  ::CloseHandle(mutex_);
}

}  // namespace korimo::ui::win32
