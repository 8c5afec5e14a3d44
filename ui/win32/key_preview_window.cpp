#include "ui/win32/key_preview_window.h"

#include "ui/key_preview_layout.h"

namespace korimo::ui::win32 {
namespace {

namespace layout = key_preview_layout;

constexpr COLORREF kGreen = RGB(0, 128, 0);      // the grid between the cells
constexpr COLORREF kNavy = RGB(0, 0, 128);       // see-through
constexpr COLORREF kWhite = RGB(255, 255, 255);  // the cells

void fill(HDC dc, const Rect& rect, COLORREF colour) {
  UniqueGdi<HBRUSH> brush(::CreateSolidBrush(colour));
  RECT area = toRECT(rect);
  ::FillRect(dc, &area, brush.get());
}

}  // namespace

KeyPreviewWindow::KeyPreviewWindow(ProgramCore& core, HINSTANCE instance,
                                   std::function<void()> onClose)
    : FloatingView(core,
                   Kind{kClassName, L"Key Preview", layout::kClientWidth, layout::kClientHeight,
                        layout::kTopMargin, ViewPart::KeyPreview, kNavy}),
      onClose_(std::move(onClose)) {
  create(instance);
}

void KeyPreviewWindow::paint(HDC dc) {
  fill(dc, scaled(Rect{0, 0, layout::kClientWidth, layout::kClientHeight}), kGreen);
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  const int latinHeight = scaled(layout::kFontHeight);
  for (const layout::Cell& cell : layout::cells(core_.preview)) {
    const Rect area = scaled(cell.rect);
    fill(dc, area, kWhite);
    if (cell.text.empty()) continue;
    const std::u16string_view face = faces_.faceFor(dc, fonts_, cell.text, layout::kFace);
    const Script script = scriptOf(cell.text);
    if (script == Script::None) {
      ::SelectObject(dc, fonts_.font(face, latinHeight));
      drawLine(dc, area, cell.text, DT_CENTER);
      continue;
    }
    // Text of a script with faces of its own: larger, unless it does not fit
    // the cell, and on the baseline of the Latin text beside it, whatever
    // the face's line height (Perso-Arabic faces have very tall ones).
    const int height = fittingFontHeight(scaled(fontHeightFor(script, layout::kScriptFontHeight)),
                                         latinHeight, area.width, [&](int h) {
                                           ::SelectObject(dc, fonts_.font(face, h));
                                           return lineWidth(dc, cell.text);
                                         });
    ::SelectObject(dc, fonts_.font(layout::kFace, latinHeight));
    const int baseline = centredBaseline(dc, area);
    ::SelectObject(dc, fonts_.font(face, height));
    drawLineOnBaseline(dc, area, cell.text, DT_CENTER, baseline);
  }
  for (const Rect& strip : layout::seeThroughStrips()) fill(dc, scaled(strip), kNavy);
  for (KeyPreview::Arrow arrow : {KeyPreview::Arrow::Left, KeyPreview::Arrow::Right}) {
    RECT button = toRECT(scaled(layout::arrowButton(arrow)));
    UINT state = arrow == KeyPreview::Arrow::Left ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT;
    if (pressedArrow_ == arrow) state |= DFCS_PUSHED;
    ::DrawFrameControl(dc, &button, DFC_SCROLL, state);
  }
}

bool KeyPreviewWindow::press(int x, int y) {
  pressedArrow_ = layout::arrowAt(x, y, dpi());
  if (!pressedArrow_) return false;
  redraw();
  core_.previewArrowClicked(*pressedArrow_);
  return true;
}

void KeyPreviewWindow::release() {
  pressedArrow_.reset();
  redraw();
}

void KeyPreviewWindow::closeRequested() {
  if (onClose_) onClose_();
}

}  // namespace korimo::ui::win32
