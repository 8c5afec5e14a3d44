#pragma once
// What the key preview strip and the on-screen keyboard share: a borderless
// top-most window that never takes the focus from the application being
// typed into, placed at the top centre of the primary screen, sized for the
// monitor's dots per inch, dragged by the mouse without being activated,
// shown exactly while the program core wants it and drawn from the core's
// state when the core says it changed.

#include <windows.h>

#include <optional>

#include "shell/core_observer.h"
#include "shell/program_core.h"
#include "ui/view_geometry.h"
#include "ui/win32/gdi_text.h"

namespace korimo::ui::win32 {

class FloatingView : public CoreObserver {
 public:
  ~FloatingView() override;
  FloatingView(const FloatingView&) = delete;
  FloatingView& operator=(const FloatingView&) = delete;

  HWND handle() const { return window_; }
  int dpi() const { return dpi_; }
  // The window's icon, from the program's resources (both sizes).
  void setIcon(HINSTANCE instance, WORD resourceId);

 protected:
  struct Kind {
    const wchar_t* className;
    const wchar_t* title;
    int width;  // client size at 96 dots per inch
    int height;
    int topMargin;                       // from the top of the screen, at 96 dots per inch
    ViewPart part;                       // the part of the core's state it shows
    std::optional<COLORREF> seeThrough;  // pixels of this colour are see-through
  };

  FloatingView(ProgramCore& core, const Kind& kind);
  // Makes the window; the derived view calls it last in its constructor.
  void create(HINSTANCE instance);

  // Draws the whole client area (at dpi()) into dc.
  virtual void paint(HDC dc) = 0;
  // Whether the core wants the window shown.
  virtual bool wanted() const = 0;
  // A press of the left button at a client point: true when the view takes
  // it as a click; otherwise it starts a drag.
  virtual bool press(int /*x*/, int /*y*/) { return false; }
  // The end of a press that press() took.
  virtual void release() {}
  // The window is asked to close.
  virtual void closeRequested() = 0;

  Rect scaled(const Rect& rect) const { return scaleToDpi(rect, dpi_); }
  int scaled(int value) const { return scaleToDpi(value, dpi_); }
  void redraw();

  ProgramCore& core_;
  FontCache fonts_;
  TextFaces faces_;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void coreChanged(ViewParts parts) final;
  void showAsWanted();
  void placeAtTopCentre();
  void onPaint();
  void startDrag();
  void dragTo();

  Kind kind_;
  HWND window_ = nullptr;
  int dpi_ = kDefaultDpi;
  struct Drag {
    POINT grab;    // the pointer when the button went down, screen coordinates
    POINT origin;  // the window's top left then
  };
  std::optional<Drag> drag_;
  bool pressed_ = false;
};

}  // namespace korimo::ui::win32
