#include "platform/win32/win32_desktop.h"

#include <windows.h>

namespace korimo::platform::win32 {
namespace {
HWND toHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
}  // namespace

unsigned Win32Desktop::sendInput(const KeyboardInput& input) {
  INPUT record{};
  record.type = input.type;
  record.ki.wVk = input.wVk;
  record.ki.wScan = input.wScan;
  record.ki.dwFlags = input.dwFlags;
  record.ki.time = input.time;
  record.ki.dwExtraInfo = static_cast<ULONG_PTR>(input.dwExtraInfo);
  // The record size is the platform's own: 40 bytes on 64-bit Windows.
  return ::SendInput(1, &record, sizeof(INPUT));
}

std::u16string Win32Desktop::className(WindowHandle window) {
  wchar_t buffer[256];
  int length = ::GetClassNameW(toHwnd(window), buffer, 256);
  if (length <= 0) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(buffer),
                        static_cast<std::size_t>(length));
}

WindowHandle Win32Desktop::foregroundWindow() {
  return reinterpret_cast<WindowHandle>(::GetForegroundWindow());
}

bool Win32Desktop::windowExists(WindowHandle window) {
  return ::GetWindow(toHwnd(window), GW_HWNDFIRST) != nullptr;
}

}  // namespace korimo::platform::win32
