#include "ui/win32/splash_window.h"

#include <string>

#include "korimo_version.h"
#include "ui/view_geometry.h"
#include "ui/win32/dpi.h"
#include "ui/win32/window_object.h"

namespace korimo::ui::win32 {
namespace {

using ui::scaleToDpi;

constexpr wchar_t kClassName[] = L"VantrelKorimoSplash";
constexpr int kWidth = 286;
constexpr int kHeight = 150;
constexpr UINT_PTR kCloseTimer = 1;
constexpr DWORD kShortestShowMs = 1500;  // seen long enough to be read

struct Text {
  const wchar_t* text;
  int left, top, right;  // at 96 DPI; right 0: no right edge
  const wchar_t* face;
  int height;
  bool bold;
  COLORREF colour;
  UINT align;
};

const Text kTexts[] = {
    {L"Vantrel Korimo", 112, 56, 0, L"Trebuchet MS", 21, true, RGB(49, 98, 98), DT_LEFT},
    {L"" KORIMO_VERSION_TEXT, 208, 85, 0, L"Trebuchet MS", 12, true, RGB(128, 0, 0), DT_LEFT},
    {L"Unicode typing for Indian scripts", 80, 6, 280, L"Tahoma", 11, false, RGB(66, 65, 60),
     DT_RIGHT},
    {L"Copyright \u00A9 2026 the Vantrel Korimo authors", 6, 118, 0, L"Tahoma", 11, false,
     RGB(66, 65, 60), DT_LEFT},
    {L"Free software under the MIT licence", 6, 132, 0, L"Tahoma", 11, false, RGB(66, 65, 60),
     DT_LEFT},
};

HFONT makeFont(const wchar_t* face, int pixels, bool bold) {
  return ::CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face);
}

}  // namespace

SplashWindow::SplashWindow(HINSTANCE instance, int pictureIcon)
    : instance_(instance), pictureIcon_(pictureIcon) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &SplashWindow::windowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  ::RegisterClassExW(&wc);  // already registered by an earlier splash: fine
}

SplashWindow::~SplashWindow() { close(); }

void SplashWindow::show() {
  if (window_) return;
  dpi_ = systemDpi();
  const int width = scaleToDpi(kWidth, dpi_);
  const int height = scaleToDpi(kHeight, dpi_);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  window_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName,
                              L"Vantrel Korimo", WS_POPUP, left, top, width, height, nullptr,
                              nullptr, instance_, this);
  if (!window_) return;
  // Made on the primary monitor at the system's DPI; where that monitor
  // has another, Windows tells it before the window is shown.
  dpi_ = windowDpi(window_);
  if (dpi_ != systemDpi())
    ::SetWindowPos(window_, nullptr, 0, 0, scaleToDpi(kWidth, dpi_), scaleToDpi(kHeight, dpi_),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::GetCursorPos(&pointerAtShow_);
  shownAt_ = ::GetTickCount();
  ::ShowWindow(window_, SW_SHOWNOACTIVATE);
  ::UpdateWindow(window_);  // painted now, before the rest of start-up runs
}

void SplashWindow::closeSoon() {
  if (!window_) return;
  const DWORD seen = ::GetTickCount() - shownAt_;
  if (seen >= kShortestShowMs)
    close();
  else
    ::SetTimer(window_, kCloseTimer, kShortestShowMs - seen, nullptr);
}

void SplashWindow::runModal() {
  show();
  MSG msg;
  while (window_) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: leave the quit request for the main loop.
      if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
      close();
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void SplashWindow::close() {
  if (!window_) return;
  HWND window = window_;
  window_ = nullptr;
  ::DestroyWindow(window);
}

LRESULT CALLBACK SplashWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = windowObject<SplashWindow>(window, message, lParam);
  if (self && self->window_ == window) return self->handle(message, wParam, lParam);
  return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT SplashWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_MOUSEMOVE: {
      // The system also reports a "move" when the window appears under a
      // still pointer: only a real move into it counts.
      POINT now{};
      ::GetCursorPos(&now);
      if (now.x != pointerAtShow_.x || now.y != pointerAtShow_.y) close();
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: close(); return 0;
    case WM_TIMER:
      if (wParam == kCloseTimer) close();
      return 0;
    case WM_DPICHANGED: {
      // Moved to a monitor of another scaling (or the scaling changed):
      // the size Windows suggests, drawn again at the new DPI.
      dpi_ = HIWORD(wParam);
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      ::InvalidateRect(window_, nullptr, TRUE);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(window_, &ps);
      paint(dc);
      ::EndPaint(window_, &ps);
      return 0;
    }
    default: return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

// The picture at the top left, 64 x 64 at 96 DPI: the program's icon (a
// key cap with the letter ka), loaded at the size it is drawn at, which
// Windows makes from the icon's nearest image (256 pixels for the larger
// scalings) rather than stretching a small one.
void SplashWindow::paintPicture(HDC dc) {
  const int size = scaleToDpi(64, dpi_);
  HICON icon = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(pictureIcon_),
                                               IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (!icon) return;
  ::DrawIconEx(dc, scaleToDpi(8, dpi_), scaleToDpi(14, dpi_), icon, size, size, 0, nullptr,
               DI_NORMAL);
  ::DestroyIcon(icon);
}

void SplashWindow::paint(HDC dc) {
  RECT client{};
  ::GetClientRect(window_, &client);
  HBRUSH background = ::CreateSolidBrush(RGB(224, 224, 224));
  ::FillRect(dc, &client, background);
  ::DeleteObject(background);
  paintPicture(dc);

  ::SetBkMode(dc, TRANSPARENT);
  for (const Text& t : kTexts) {
    HFONT font = makeFont(t.face, scaleToDpi(t.height, dpi_), t.bold);
    HGDIOBJ old = ::SelectObject(dc, font);
    ::SetTextColor(dc, t.colour);
    RECT box{scaleToDpi(t.left, dpi_), scaleToDpi(t.top, dpi_),
             t.right ? scaleToDpi(t.right, dpi_) : client.right, client.bottom};
    ::DrawTextW(dc, t.text, -1, &box, t.align | DT_NOPREFIX | DT_SINGLELINE);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
  }
}

}  // namespace korimo::ui::win32
