#include "ui/key_preview_layout.h"

#include <gtest/gtest.h>

namespace korimo::ui::key_preview_layout {
namespace {

using Arrow = KeyPreview::Arrow;

TEST(KeyPreviewLayoutTest, CaptionsThenEachEntrysKeysOverItsCharacter) {
  KeyPreview preview;
  preview.keys[0] = u"k a";  // as the listing gives it, blank and all
  preview.characters[0] = u"\u0915";
  preview.keys[17] = u"kSh";
  preview.characters[17] = u"\u0915\u094D\u0937";
  const auto all = cells(preview);

  EXPECT_EQ(all[0].rect, (Rect{1, 1, 60, 20}));
  EXPECT_EQ(all[0].text, u"Keys");
  EXPECT_EQ(all[1].rect, (Rect{1, 22, 60, 20}));
  EXPECT_EQ(all[1].text, u"Character");
  EXPECT_EQ(all[2].rect, (Rect{62, 1, 40, 20}));
  EXPECT_EQ(all[2].text, u"k a");
  EXPECT_EQ(all[3].rect, (Rect{62, 22, 40, 20}));
  EXPECT_EQ(all[3].text, u"\u0915");
  EXPECT_EQ(all[36].rect, (Rect{759, 1, 40, 20}));  // x18
  EXPECT_EQ(all[36].text, u"kSh");
  EXPECT_EQ(all[37].rect, (Rect{759, 22, 40, 20}));  // y18
  EXPECT_EQ(all[37].text, u"\u0915\u094D\u0937");
  for (int i = 4; i < 36; ++i) EXPECT_TRUE(all[std::size_t(i)].text.empty()) << i;

  // A one-pixel green grid between the cells, inside the client area.
  for (int i = 2; i < kCells; ++i) {
    const Rect& cell = all[std::size_t(i)].rect;
    const Rect& before = all[std::size_t(i - 2)].rect;
    EXPECT_EQ(cell.left, before.right() + 1) << i;
    EXPECT_LE(cell.right(), kClientWidth);
  }
}

TEST(KeyPreviewLayoutTest, SeeThroughStripsLeaveTheCellsAndArrowsVisible) {
  const auto strips = seeThroughStrips();
  EXPECT_EQ(strips[0], (Rect{-2, 43, 812, 14}));  // below the cells
  EXPECT_EQ(strips[1], (Rect{800, -2, 9, 46}));   // right of the last cell
  for (const Cell& cell : cells(KeyPreview{}))
    for (const Rect& strip : strips)
      EXPECT_FALSE(strip.contains(cell.rect.left, cell.rect.top) ||
                   strip.contains(cell.rect.right() - 1, cell.rect.bottom() - 1));
}

TEST(KeyPreviewLayoutTest, EachHalfOfTheArrowButtonsIsOneArrow) {
  EXPECT_EQ(arrowButton(Arrow::Left), (Rect{774, 43, 17, 14}));
  EXPECT_EQ(arrowButton(Arrow::Right), (Rect{791, 43, 18, 14}));
  struct Case {
    int x, y, dpi;
    std::optional<Arrow> arrow;
  } cases[] = {
      {774, 43, 96, Arrow::Left},   {790, 56, 96, Arrow::Left},
      {791, 50, 96, Arrow::Right},  {808, 56, 96, Arrow::Right},
      {773, 50, 96, std::nullopt},  {809, 50, 96, std::nullopt},  // beside
      {780, 42, 96, std::nullopt},  {780, 57, 96, std::nullopt},  // above, below
      {100, 10, 96, std::nullopt},                                // a cell
      {1170, 70, 144, Arrow::Left}, {1200, 70, 144, Arrow::Right},
      {790, 50, 144, std::nullopt},  // the left arrow at 96 dots per inch is a cell at 144
  };
  for (const Case& c : cases)
    EXPECT_EQ(arrowAt(c.x, c.y, c.dpi), c.arrow) << c.x << "," << c.y << " at " << c.dpi;
}

}  // namespace
}  // namespace korimo::ui::key_preview_layout
