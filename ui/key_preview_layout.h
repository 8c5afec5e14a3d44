#pragma once
// The key preview strip as it is drawn: a row of key sequences over a row of
// the characters they give, 18 entries under the captions "Keys" and
// "Character", two see-through strips and the two arrows that page the
// keymap. Sizes at 96 dots per inch, client coordinates.

#include <array>
#include <optional>
#include <string>

#include "preview/key_preview.h"
#include "ui/view_geometry.h"

namespace korimo::ui::key_preview_layout {

inline constexpr int kClientWidth = 809;
inline constexpr int kClientHeight = 57;
inline constexpr int kCells = 2 * (KeyPreview::kCells + 1);  // 38 with the captions
inline constexpr int kTopMargin = 8;                         // from the top of the screen

// Cells: Arial 8 pt (11 pixels at 96 dots per inch); text of a script with
// faces of its own (scriptFaces: the Indian scripts, Perso-Arabic) a little
// larger, in its own face, so that its signs stay legible.
inline constexpr int kFontHeight = 11;
inline constexpr int kScriptFontHeight = 13;
inline constexpr std::u16string_view kFace = u"Arial";

struct Cell {
  Rect rect;
  std::u16string text;
};

// The 38 cells: "Keys" and "Character", then the key sequence and the
// character of each of the 18 entries, left to right.
std::array<Cell, kCells> cells(const KeyPreview& preview);

// The strips in the see-through colour: under the cells and right of them.
std::array<Rect, 2> seeThroughStrips();

// The two arrow buttons at the lower right, left (previous page) and right.
Rect arrowButton(KeyPreview::Arrow arrow);

// The arrow under a point of the client area at dpi, if any.
std::optional<KeyPreview::Arrow> arrowAt(int x, int y, int dpi);

}  // namespace korimo::ui::key_preview_layout
