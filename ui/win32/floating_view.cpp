#include "ui/win32/floating_view.h"

#include <windowsx.h>

#include "ui/win32/dpi.h"
#include "ui/win32/window_object.h"

namespace korimo::ui::win32 {
namespace {

void registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (::GetClassInfoExW(instance, name, &windowClass)) return;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  ::RegisterClassExW(&windowClass);
}

platform::WindowHandle handleOf(HWND window) {
  return reinterpret_cast<platform::WindowHandle>(window);
}

// The pointer's screen position when the message in hand was sent: the
// pointer may have moved on since.
POINT messagePoint() {
  const DWORD position = ::GetMessagePos();
  return POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
}

}  // namespace

FloatingView::FloatingView(ProgramCore& core, const Kind& kind) : core_(core), kind_(kind) {}

void FloatingView::create(HINSTANCE instance) {
  registerClass(instance, kind_.className, &FloatingView::windowProc);
  DWORD extended = WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  if (kind_.seeThrough) extended |= WS_EX_LAYERED;
  window_ = ::CreateWindowExW(extended, kind_.className, kind_.title, WS_POPUP, 0, 0, kind_.width,
                              kind_.height, nullptr, nullptr, instance, this);
  if (!window_) return;
  if (kind_.seeThrough) ::SetLayeredWindowAttributes(window_, *kind_.seeThrough, 0, LWA_COLORKEY);
  dpi_ = windowDpi(window_);
  placeAtTopCentre();
  core_.addOwnWindow(handleOf(window_));
  core_.addObserver(*this);
}

FloatingView::~FloatingView() {
  core_.removeObserver(*this);
  if (!window_) return;
  core_.removeOwnWindow(handleOf(window_));
  // Detached first: the derived view is gone, no message may reach it.
  HWND window = window_;
  detachWindowObject(window);
  window_ = nullptr;
  ::DestroyWindow(window);
}

void FloatingView::setIcon(HINSTANCE instance, WORD resourceId) {
  if (!window_) return;
  for (auto [which, metric] :
       {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
    const int size = ::GetSystemMetrics(metric);
    HANDLE icon = ::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, size, size,
                               LR_DEFAULTCOLOR | LR_SHARED);
    if (icon) ::SendMessageW(window_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
}

void FloatingView::placeAtTopCentre() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& screen = monitor.rcMonitor;
  const int width = scaled(kind_.width);
  const int height = scaled(kind_.height);
  ::SetWindowPos(window_, nullptr, screen.left + centredLeft(screen.right - screen.left, width),
                 screen.top + scaled(kind_.topMargin), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void FloatingView::redraw() {
  if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

void FloatingView::coreChanged(ViewParts parts) {
  if (!parts.has(kind_.part) || !window_) return;
  redraw();
  showAsWanted();
}

void FloatingView::showAsWanted() {
  const bool visible = ::IsWindowVisible(window_) != FALSE;
  if (wanted() == visible) return;
  if (!visible) {
    ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    ::ShowWindow(window_, SW_HIDE);
  }
}

void FloatingView::onPaint() {
  PAINTSTRUCT paintStruct;
  HDC dc = ::BeginPaint(window_, &paintStruct);
  if (!dc) return;
  RECT client;
  ::GetClientRect(window_, &client);
  // Drawn off screen first, so that a refresh never flickers.
  HDC memory = ::CreateCompatibleDC(dc);
  UniqueGdi<HBITMAP> bitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
  if (memory && bitmap) {
    HGDIOBJ previousBitmap = ::SelectObject(memory, bitmap.get());
    HGDIOBJ previousFont = ::GetCurrentObject(memory, OBJ_FONT);
    ::SetBkMode(memory, TRANSPARENT);
    paint(memory);
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, previousFont);
    ::SelectObject(memory, previousBitmap);
  }
  if (memory) ::DeleteDC(memory);
  ::EndPaint(window_, &paintStruct);
}

// A drag made here rather than by answering the hit test with a caption:
// the system's move loop would activate the window.
void FloatingView::startDrag() {
  RECT frame;
  ::GetWindowRect(window_, &frame);
  drag_ = Drag{messagePoint(), POINT{frame.left, frame.top}};
  ::SetCapture(window_);
}

void FloatingView::dragTo() {
  if (!drag_ || ::GetCapture() != window_) return;
  const POINT pointer = messagePoint();
  ::SetWindowPos(window_, nullptr, drag_->origin.x + pointer.x - drag_->grab.x,
                 drag_->origin.y + pointer.y - drag_->grab.y, 0, 0,
                 SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT CALLBACK FloatingView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* view = windowObject<FloatingView>(window, message, lParam);
  if (!view || !view->window_) return ::DefWindowProcW(window, message, wParam, lParam);
  try {
    return view->handle(message, wParam, lParam);
  } catch (...) {
    // Nothing may escape into the system; the view goes on as before.
    return 0;
  }
}

LRESULT FloatingView::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
      if (press(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
        pressed_ = true;
        ::SetCapture(window_);
      } else {
        startDrag();
      }
      return 0;
    case WM_MOUSEMOVE: dragTo(); return 0;
    case WM_LBUTTONUP:
      dragTo();
      if (::GetCapture() == window_) ::ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      drag_.reset();
      if (pressed_) {
        pressed_ = false;
        release();
      }
      return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: onPaint(); return 0;
    case WM_CLOSE: closeRequested(); return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      fonts_.clear();
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      redraw();
      return 0;
    }
    case WM_NCDESTROY: {
      HWND window = window_;
      detachWindowObject(window);
      window_ = nullptr;
      return ::DefWindowProcW(window, message, wParam, lParam);
    }
    default: break;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace korimo::ui::win32
