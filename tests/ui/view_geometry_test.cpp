#include "ui/view_geometry.h"

#include <gtest/gtest.h>

namespace korimo::ui {
namespace {

TEST(ViewGeometryTest, ScalesToTheMonitorsDotsPerInch) {
  struct Case {
    int value, dpi, scaled;
  } cases[] = {
      {809, 96, 809},   {809, 120, 1011},  // 1011.25
      {57, 144, 86},                       // 85.5 rounds away from zero
      {11, 120, 14},                       // 13.75
      {-2, 144, -3},                       // -3 exactly
      {-3, 144, -5},                       // -4.5 rounds away from zero
      {647, 192, 1294},
  };
  for (const Case& c : cases)
    EXPECT_EQ(scaleToDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
}

TEST(ViewGeometryTest, ScaledRectanglesKeepTheirGaps) {
  // Two cells one pixel apart stay apart, and no cell grows into the next.
  const Rect first{62, 1, 40, 20}, second{103, 1, 40, 20};
  for (int dpi : {96, 120, 144, 168, 192}) {
    const Rect a = scaleToDpi(first, dpi), b = scaleToDpi(second, dpi);
    EXPECT_LT(a.right(), b.left) << dpi;
    EXPECT_EQ(a.right(), scaleToDpi(102, dpi)) << dpi;
  }
  EXPECT_EQ(scaleToDpi(Rect{774, 43, 35, 14}, 144), (Rect{1161, 65, 53, 21}));
}

TEST(ViewGeometryTest, CentresWithHalvesToEven) {
  EXPECT_EQ(centredLeft(1280, 809), 236);  // 235.5
  EXPECT_EQ(centredLeft(1282, 809), 236);  // 236.5
  EXPECT_EQ(centredLeft(1280, 647), 316);  // 316.5
  EXPECT_EQ(centredLeft(1024, 648), 188);
  EXPECT_EQ(centredLeft(800, 809), -4);  // -4.5: a screen narrower than the window
  EXPECT_EQ(centredLeft(800, 811), -6);  // -5.5
}

TEST(ViewGeometryTest, FontShrinksUntilTheTextFits) {
  auto width = [](int height) { return 3 * height; };  // a text 3 ems wide
  EXPECT_EQ(fittingFontHeight(13, 9, 40, width), 13);
  EXPECT_EQ(fittingFontHeight(13, 9, 30, width), 10);
  EXPECT_EQ(fittingFontHeight(13, 9, 12, width), 9);  // never below the smallest
}

}  // namespace
}  // namespace korimo::ui
