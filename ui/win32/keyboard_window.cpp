#include "ui/win32/keyboard_window.h"

#include <vector>

#include "ui/keyboard_layout.h"

namespace korimo::ui::win32 {
namespace {

namespace layout = keyboard_layout;

constexpr COLORREF kCase = RGB(58, 62, 70);
constexpr COLORREF kCaseEdge = RGB(92, 97, 108);
constexpr COLORREF kSkirt = RGB(160, 165, 174);
constexpr COLORREF kCharacterTop = RGB(248, 248, 250);
constexpr COLORREF kOtherTop = RGB(220, 223, 229);
constexpr COLORREF kCaption = RGB(24, 24, 24);
constexpr COLORREF kLegend = RGB(0, 60, 170);
constexpr COLORREF kMark = RGB(90, 96, 110);

// The key's top face inside its skirt: 2 pixels in at the sides, 1 at the
// top and 4 at the bottom, where the skirt shows as the key's front.
Rect topFace(const Rect& face) {
  return Rect{face.left + 2, face.top + 1, face.width - 4, face.height - 5};
}

UniqueGdi<HRGN> roundedUnion(const std::vector<Rect>& parts, int corner) {
  UniqueGdi<HRGN> shape(::CreateRectRgn(0, 0, 0, 0));
  for (const Rect& part : parts) {
    UniqueGdi<HRGN> piece(::CreateRoundRectRgn(part.left, part.top, part.right() + 1,
                                               part.bottom() + 1, corner, corner));
    ::CombineRgn(shape.get(), shape.get(), piece.get(), RGN_OR);
  }
  return shape;
}

void fillShape(HDC dc, const std::vector<Rect>& parts, int corner, COLORREF colour) {
  UniqueGdi<HRGN> shape = roundedUnion(parts, corner);
  UniqueGdi<HBRUSH> brush(::CreateSolidBrush(colour));
  ::FillRgn(dc, shape.get(), brush.get());
}

}  // namespace

KeyboardWindow::KeyboardWindow(ProgramCore& core, HINSTANCE instance)
    : FloatingView(
          core, Kind{kClassName, L"On-Screen Keyboard", layout::kClientWidth, layout::kClientHeight,
                     layout::kTopMargin, ViewPart::Keyboard, std::nullopt}) {
  create(instance);
}

void KeyboardWindow::closeRequested() {
  // Closed from outside: hidden, and the menu item's check mark follows.
  if (core_.oskChecked) core_.toggleOnScreenKeyboard();
}

void KeyboardWindow::paint(HDC dc) {
  RECT whole = toRECT(scaled(Rect{0, 0, layout::kClientWidth, layout::kClientHeight}));
  UniqueGdi<HBRUSH> caseBrush(::CreateSolidBrush(kCase));
  ::FillRect(dc, &whole, caseBrush.get());
  RECT picture = toRECT(scaled(Rect{0, 0, layout::kClientWidth, layout::kPictureHeight}));
  UniqueGdi<HBRUSH> edge(::CreateSolidBrush(kCaseEdge));
  ::FrameRect(dc, &picture, edge.get());
  paintKeys(dc);
  paintLabels(dc);
}

void KeyboardWindow::paintKeys(HDC dc) {
  const int corner = scaled(7);
  auto draw = [&](const std::vector<Rect>& faces, COLORREF top) {
    std::vector<Rect> outer, inner;
    for (const Rect& face : faces) {
      outer.push_back(scaled(face));
      inner.push_back(scaled(topFace(face)));
    }
    fillShape(dc, outer, corner, kSkirt);
    fillShape(dc, inner, corner, top);
  };
  for (const layout::CharacterKey& key : layout::characterKeys()) draw({key.face}, kCharacterTop);

  UniqueGdi<HPEN> pen(::CreatePen(PS_SOLID, scaled(2) / 2 + 1, kMark));
  UniqueGdi<HBRUSH> markBrush(::CreateSolidBrush(kMark));
  HGDIOBJ previousPen = ::SelectObject(dc, pen.get());
  for (const layout::OtherKey& key : layout::otherKeys()) {
    draw(key.parts, kOtherTop);
    const Rect face = scaled(topFace(key.parts.front()));
    const int midX = face.left + face.width / 2;
    const int midY = face.top + face.height / 2;
    if (key.mark == layout::Mark::Backspace) {
      // A left arrow.
      const int half = scaled(9), head = scaled(4);
      ::MoveToEx(dc, midX + half, midY, nullptr);
      ::LineTo(dc, midX - half, midY);
      ::MoveToEx(dc, midX - half + head, midY - head, nullptr);
      ::LineTo(dc, midX - half, midY);
      ::LineTo(dc, midX - half + head, midY + head + 1);
    } else if (key.mark == layout::Mark::Windows) {
      // Four small panes.
      const int pane = scaled(5), gap = scaled(1) > 0 ? scaled(1) : 1;
      for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column) {
          RECT square{midX - pane - gap + column * (pane + gap),
                      midY - pane - gap + row * (pane + gap), 0, 0};
          square.right = square.left + pane;
          square.bottom = square.top + pane;
          ::FillRect(dc, &square, markBrush.get());
        }
    }
  }
  ::SelectObject(dc, previousPen);
}

void KeyboardWindow::paintLabels(HDC dc) {
  HFONT caption = fonts_.font(layout::kFace, scaled(layout::kCaptionFontHeight));
  HFONT small = fonts_.font(layout::kFace, scaled(layout::kSmallCaptionFontHeight));
  ::SetTextColor(dc, kCaption);
  ::SelectObject(dc, caption);
  for (const layout::Label& label : layout::otherCaptions())
    drawLine(dc, scaled(label.rect), label.text, DT_CENTER);

  for (const layout::CharacterKey& key : layout::characterKeys()) {
    ::SetTextColor(dc, kCaption);
    ::SelectObject(dc, key.smallCaptions ? small : caption);
    drawLine(dc, scaled(key.upperCaption), key.upperText, DT_CENTER | DT_NOCLIP);
    drawLine(dc, scaled(key.lowerCaption), key.lowerText, DT_CENTER | DT_NOCLIP);
    const layout::Legends legends = layout::legendsOf(key, core_.osk);
    ::SetTextColor(dc, kLegend);
    paintLegend(dc, scaled(key.upperLegend), legends.upper);
    paintLegend(dc, scaled(key.lowerLegend), legends.lower);
  }
}

void KeyboardWindow::paintLegend(HDC dc, const Rect& place, const std::u16string& legend) {
  if (legend.empty()) return;
  const std::u16string_view face = faces_.faceFor(dc, fonts_, legend, layout::kFace);
  const Script script = scriptOf(legend);
  const int preferred =
      scaled(script == Script::None ? layout::kCaptionFontHeight
                                    : fontHeightFor(script, layout::kLegendFontHeight));
  const int height =
      fittingFontHeight(preferred, scaled(layout::kSmallestLegendHeight), place.width, [&](int h) {
        ::SelectObject(dc, fonts_.font(face, h));
        return lineWidth(dc, legend);
      });
  // On the baseline of the key's captions, whatever the legend's font.
  ::SelectObject(dc, fonts_.font(layout::kFace, scaled(layout::kCaptionFontHeight)));
  const int baseline = centredBaseline(dc, place);
  ::SelectObject(dc, fonts_.font(face, height));
  drawLineOnBaseline(dc, place, legend, DT_RIGHT, baseline);
}

}  // namespace korimo::ui::win32
