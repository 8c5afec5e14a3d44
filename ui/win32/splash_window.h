#pragma once
// The splash window: shown while the program starts, and as the About box.
// It closes when the mouse pointer enters it or presses on it; shown at
// start-up, it also closes by itself a moment after the program is ready.
// Its picture is the program's own icon, so it looks the same whatever
// fonts the computer has; it follows its monitor's DPI.

#include <windows.h>

namespace korimo::ui::win32 {

class SplashWindow {
 public:
  // pictureIcon: the resource id of the icon drawn as its picture.
  SplashWindow(HINSTANCE instance, int pictureIcon);
  ~SplashWindow();
  SplashWindow(const SplashWindow&) = delete;
  SplashWindow& operator=(const SplashWindow&) = delete;

  // Shows it, painted at once, without taking the focus.
  void show();
  // Start-up is over: it goes once it has been seen for a moment.
  void closeSoon();
  // The About box: shows it and returns when it has closed.
  void runModal();

  HWND handle() const { return window_; }
  bool open() const { return window_ != nullptr; }
  void close();

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void paint(HDC dc);
  void paintPicture(HDC dc);

  HINSTANCE instance_;
  int pictureIcon_;
  HWND window_ = nullptr;
  POINT pointerAtShow_{};
  DWORD shownAt_ = 0;
  int dpi_ = 96;
};

}  // namespace korimo::ui::win32
