#pragma once
// The key preview strip: 18 pairs of cells listing key sequences of the
// active keymap and what they show, either those that continue what has been
// typed or, with the arrows, the whole keymap page by page in file order.

#include <array>
#include <string>
#include <string_view>

#include "engine/lookup.h"

namespace korimo {

class KeyPreview {
 public:
  static constexpr int kCells = 18;
  enum class Arrow { Left, Right };

  // Clears the 36 data cells; not browsing any more.
  void clear();
  // Lists, in file order, up to 18 entries whose key sequence begins with
  // pendingKeys.
  void showContinuations(const ActiveKeymap& keymap, std::u16string_view pendingKeys);
  // Shows page `page` of the active keymap (18 rows a page, file order).
  void browse(const ActiveKeymap& keymap, int page);
  // One click on an arrow: the previous or next page, wrapping around.
  void turnPage(const ActiveKeymap& keymap, Arrow arrow);

  std::array<std::u16string, kCells> keys;        // x1..x18
  std::array<std::u16string, kCells> characters;  // y1..y18
  int previewPage = -1;                           // -1: not browsing
};

}  // namespace korimo
