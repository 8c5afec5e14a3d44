#pragma once
// Sizes given at 96 dots per inch, scaled for the screen the window is on.

#include <windows.h>

namespace korimo::ui::win32 {

// The DPI of the window's monitor (GetDpiForWindow where the system has
// it), else of the screen.
int windowDpi(HWND window);
int systemDpi();

inline int scaled(int pixelsAt96, int dpi) { return MulDiv(pixelsAt96, dpi, 96); }

}  // namespace korimo::ui::win32
