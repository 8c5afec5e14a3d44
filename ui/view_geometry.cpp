#include "ui/view_geometry.h"

namespace korimo::ui {

int scaleToDpi(int value, int dpi) {
  const long long product = static_cast<long long>(value) * dpi;
  const long long half = kDefaultDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDefaultDpi
                                       : -((-product + half) / kDefaultDpi));
}

Rect scaleToDpi(const Rect& rect, int dpi) {
  const int left = scaleToDpi(rect.left, dpi);
  const int top = scaleToDpi(rect.top, dpi);
  return Rect{left, top, scaleToDpi(rect.right(), dpi) - left,
              scaleToDpi(rect.bottom(), dpi) - top};
}

int centredLeft(int screenWidth, int windowWidth) {
  const int twice = screenWidth - windowWidth;
  // Floor division, then a half goes to the even neighbour.
  int half = twice >= 0 ? twice / 2 : -((-twice + 1) / 2);
  if (twice % 2 != 0 && half % 2 != 0) ++half;
  return half;
}

int fittingFontHeight(int preferred, int smallest, int width,
                      const std::function<int(int height)>& textWidth) {
  for (int height = preferred; height > smallest; --height)
    if (textWidth(height) <= width) return height;
  return smallest;
}

}  // namespace korimo::ui
