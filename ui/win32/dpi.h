#pragma once
// The dots per inch that sizes given at 96 are scaled to (ui/view_geometry.h).

#include <windows.h>

namespace korimo::ui::win32 {

// The DPI of the window's monitor (GetDpiForWindow where the system has
// it), else of the screen.
int windowDpi(HWND window);
// The system's DPI, for a window not made yet.
int systemDpi();

}  // namespace korimo::ui::win32
