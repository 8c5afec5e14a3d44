#include "ui/key_preview_layout.h"

namespace korimo::ui::key_preview_layout {
namespace {

constexpr int kCellWidth = 40;
constexpr int kCellHeight = 20;
constexpr int kCellPitch = 41;
constexpr int kFirstEntryLeft = 62;
constexpr int kKeysTop = 1;
constexpr int kCharactersTop = 22;
constexpr Rect kArrows{774, 43, 35, 14};

}  // namespace

std::array<Cell, kCells> cells(const KeyPreview& preview) {
  std::array<Cell, kCells> out;
  out[0] = {Rect{1, kKeysTop, 60, kCellHeight}, u"Keys"};
  out[1] = {Rect{1, kCharactersTop, 60, kCellHeight}, u"Character"};
  for (int i = 0; i < KeyPreview::kCells; ++i) {
    const int left = kFirstEntryLeft + kCellPitch * i;
    const auto entry = static_cast<std::size_t>(i);
    out[2 + 2 * entry] = {Rect{left, kKeysTop, kCellWidth, kCellHeight}, preview.keys[entry]};
    out[3 + 2 * entry] = {Rect{left, kCharactersTop, kCellWidth, kCellHeight},
                          preview.characters[entry]};
  }
  return out;
}

std::array<Rect, 2> seeThroughStrips() { return {Rect{-2, 43, 812, 14}, Rect{800, -2, 9, 46}}; }

Rect arrowButton(KeyPreview::Arrow arrow) {
  const int half = kArrows.width / 2;
  if (arrow == KeyPreview::Arrow::Left)
    return Rect{kArrows.left, kArrows.top, half, kArrows.height};
  return Rect{kArrows.left + half, kArrows.top, kArrows.width - half, kArrows.height};
}

std::optional<KeyPreview::Arrow> arrowAt(int x, int y, int dpi) {
  for (KeyPreview::Arrow arrow : {KeyPreview::Arrow::Left, KeyPreview::Arrow::Right})
    if (scaleToDpi(arrowButton(arrow), dpi).contains(x, y)) return arrow;
  return std::nullopt;
}

}  // namespace korimo::ui::key_preview_layout
