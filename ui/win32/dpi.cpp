#include "ui/win32/dpi.h"

namespace korimo::ui::win32 {
namespace {

template <class F>
F user32Function(const char* name) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  FARPROC proc = user32 ? ::GetProcAddress(user32, name) : nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace

int systemDpi() {
  using GetDpiForSystem = UINT(WINAPI*)();
  static const auto forSystem = user32Function<GetDpiForSystem>("GetDpiForSystem");
  if (forSystem) return static_cast<int>(forSystem());
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int windowDpi(HWND window) {
  using GetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto forWindow = user32Function<GetDpiForWindow>("GetDpiForWindow");
  if (forWindow && window) {
    const UINT dpi = forWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return systemDpi();
}

}  // namespace korimo::ui::win32
