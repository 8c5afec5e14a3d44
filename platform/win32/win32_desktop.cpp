#include "platform/win32/win32_desktop.h"

#include <windows.h>
// shellapi.h needs the declarations of windows.h first.
#include <shellapi.h>

#include <optional>
#include <vector>

#include "platform/window_kinds.h"

namespace korimo::platform::win32 {
namespace {
HWND toHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
}  // namespace

unsigned Win32Desktop::sendInput(std::span<const KeyboardInput> records) {
  if (records.empty()) return 0;
  // A key's change fits on the stack; a longer one (a long retyped cluster)
  // goes to the heap.
  constexpr std::size_t kOnStack = 64;
  INPUT onStack[kOnStack];
  std::vector<INPUT> onHeap(records.size() > kOnStack ? records.size() : 0);
  INPUT* inputs = records.size() > kOnStack ? onHeap.data() : onStack;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const KeyboardInput& in = records[i];
    INPUT& record = inputs[i];
    record = INPUT{};
    record.type = in.type;
    record.ki.wVk = in.wVk;
    record.ki.wScan = in.wScan;
    record.ki.dwFlags = in.dwFlags;
    record.ki.time = in.time;
    record.ki.dwExtraInfo = static_cast<ULONG_PTR>(in.dwExtraInfo);
  }
  // The record size is the platform's own: 40 bytes on 64-bit Windows.
  return ::SendInput(static_cast<UINT>(records.size()), inputs, sizeof(INPUT));
}

std::u16string Win32Desktop::className(WindowHandle window) {
  wchar_t buffer[256];
  int length = ::GetClassNameW(toHwnd(window), buffer, 256);
  if (length <= 0) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(buffer),
                        static_cast<std::size_t>(length));
}

void Win32Desktop::readClassName(WindowHandle window, std::u16string& into) {
  wchar_t buffer[256];
  int length = ::GetClassNameW(toHwnd(window), buffer, 256);
  into.assign(reinterpret_cast<const char16_t*>(buffer),
              static_cast<std::size_t>(length > 0 ? length : 0));
}

WindowHandle Win32Desktop::foregroundWindow() {
  return reinterpret_cast<WindowHandle>(::GetForegroundWindow());
}

bool Win32Desktop::windowExists(WindowHandle window) {
  return ::GetWindow(toHwnd(window), GW_HWNDFIRST) != nullptr;
}

namespace {

// The integrity level of a process's token (its RID: 0x2000 medium, 0x3000
// high), or nullopt when the token cannot be read.
std::optional<DWORD> integrityLevel(HANDLE process) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
  std::optional<DWORD> level;
  DWORD size = 0;
  ::GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  std::vector<BYTE> buffer(size ? size : 1);
  if (size && ::GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) {
    auto* label = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data());
    const DWORD count = *::GetSidSubAuthorityCount(label->Label.Sid);
    if (count > 0) level = *::GetSidSubAuthority(label->Label.Sid, count - 1);
  }
  ::CloseHandle(token);
  return level;
}

}  // namespace

bool Win32Desktop::isOwnProcessWindow(WindowHandle window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(toHwnd(window), &pid);
  return pid != 0 && pid == ::GetCurrentProcessId();
}

std::optional<FocusPlace> Win32Desktop::focusPlace(WindowHandle window) {
  const DWORD thread = ::GetWindowThreadProcessId(toHwnd(window), nullptr);
  if (thread == 0) return std::nullopt;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(thread, &info)) return std::nullopt;
  FocusPlace place;
  place.focus = reinterpret_cast<WindowHandle>(info.hwndFocus);
  place.caretWindow = reinterpret_cast<WindowHandle>(info.hwndCaret);
  place.caretLeft = info.rcCaret.left;
  place.caretTop = info.rcCaret.top;
  place.caretBottom = info.rcCaret.bottom;
  return place;
}

bool Win32Desktop::acceptsInjectedInput(WindowHandle window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(toHwnd(window), &pid);
  if (pid == 0 || pid == ::GetCurrentProcessId()) return true;
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return ::GetLastError() != ERROR_ACCESS_DENIED;
  const std::optional<DWORD> theirs = integrityLevel(process);
  ::CloseHandle(process);
  // A token this program may not even read belongs to a process above it.
  if (!theirs) return false;
  const std::optional<DWORD> ours = integrityLevel(::GetCurrentProcess());
  return !ours || *theirs <= *ours;
}

std::u16string processProgramName(std::uint32_t processId) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return {};
  wchar_t path[MAX_PATH * 2] = L"";
  DWORD size = MAX_PATH * 2;
  std::u16string name;
  if (::QueryFullProcessImageNameW(process, 0, path, &size)) {
    const std::wstring_view full(path, size);
    const std::size_t slash = full.find_last_of(L"\\/");
    const std::wstring_view file = slash == std::wstring_view::npos ? full : full.substr(slash + 1);
    name.assign(file.begin(), file.end());
  }
  ::CloseHandle(process);
  return name;
}

std::u16string Win32Desktop::programName(WindowHandle window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(toHwnd(window), &pid);
  return pid == 0 ? std::u16string() : processProgramName(pid);
}

// The style is read from the window's own record, which Windows shares with
// every process: no message goes to the control's thread. A control whose
// style cannot be read reads as 0, no password field.
bool Win32Desktop::isPasswordField(WindowHandle control) {
  if (control == kNoWindow) return false;
  const auto style = static_cast<std::uint32_t>(::GetWindowLongPtrW(toHwnd(control), GWL_STYLE));
  if ((style & kEsPassword) == 0) return false;
  std::u16string name;
  readClassName(control, name);
  return isPasswordControl(name, style);
}

bool Win32Desktop::shellReportsFullScreen() {
  QUERY_USER_NOTIFICATION_STATE state{};
  if (FAILED(::SHQueryUserNotificationState(&state))) return false;
  return state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE;
}

bool Win32Desktop::coversItsMonitor(WindowHandle window) {
  const HWND hwnd = toHwnd(window);
  if (!::IsWindowVisible(hwnd) || ::IsIconic(hwnd)) return false;
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_STYLE));
  if ((style & WS_CAPTION) == WS_CAPTION) return false;
  RECT frame{};
  if (!::GetWindowRect(hwnd, &frame)) return false;
  const HMONITOR monitor = ::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!monitor || !::GetMonitorInfoW(monitor, &info)) return false;
  const RECT& screen = info.rcMonitor;
  return frame.left <= screen.left && frame.top <= screen.top && frame.right >= screen.right &&
         frame.bottom >= screen.bottom;
}

}  // namespace korimo::platform::win32
