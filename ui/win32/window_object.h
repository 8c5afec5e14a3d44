#pragma once
// The object a window of the program belongs to: its address is handed to
// CreateWindowExW as the creation parameter and kept with the window from
// WM_NCCREATE on, so that the class's window procedure reaches the object.

#include <windows.h>

namespace korimo::ui::win32 {

// The object of the window, or null (before WM_NCCREATE, after detaching).
template <class T>
T* windowObject(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// From now on no message of the window reaches its object (which is going).
inline void detachWindowObject(HWND window) { ::SetWindowLongPtrW(window, GWLP_USERDATA, 0); }

}  // namespace korimo::ui::win32
