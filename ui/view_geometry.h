#pragma once
// Rectangles of the program's small windows, given at 96 dots per inch and
// scaled to the dots per inch of the monitor a window is on.

#include <functional>

namespace korimo::ui {

constexpr int kDefaultDpi = 96;

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  constexpr int right() const { return left + width; }
  constexpr int bottom() const { return top + height; }
  // The right and bottom edges are outside, as with a Windows RECT.
  constexpr bool contains(int x, int y) const {
    return x >= left && x < right() && y >= top && y < bottom();
  }
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// value × dpi / 96, rounded half away from zero (as MulDiv rounds).
int scaleToDpi(int value, int dpi);
// Scales the edges, not the size, so that rectangles that touch or leave a
// one-pixel gap at 96 dots per inch still touch or leave a gap when scaled.
Rect scaleToDpi(const Rect& rect, int dpi);

// The left edge that centres a window on a screen of that width, rounded to
// the nearest pixel, halves to even.
int centredLeft(int screenWidth, int windowWidth);

// The largest font height from preferred down to smallest at which text
// fits in width, given its width at a height; smallest when none fits.
// Heights are positive pixel sizes here.
int fittingFontHeight(int preferred, int smallest, int width,
                      const std::function<int(int height)>& textWidth);

}  // namespace korimo::ui
