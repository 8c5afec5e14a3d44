#pragma once
// The on-screen keyboard as it is drawn: a picture of a US keyboard whose 47
// character keys carry their Latin captions and what the active keymap types
// for each key alone, unshifted (lower line) and shifted (upper line). Sizes
// at 96 dots per inch, client coordinates.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "osk/onscreen_keyboard.h"
#include "ui/view_geometry.h"

namespace korimo::ui::keyboard_layout {

inline constexpr int kClientWidth = 647;
inline constexpr int kClientHeight = 180;
inline constexpr int kPictureHeight = 179;
inline constexpr int kTopMargin = 8;  // from the top of the screen
inline constexpr int kCharacterKeys = 47;

// Captions in Tahoma 8 pt (11 pixels at 96 dots per inch); those of the
// bracket keys 9 pixels high. Legends of a script with faces of its own
// (scriptFaces) in its face and kLegendFontHeight high, others in Tahoma,
// shrunk down to kSmallestLegendHeight when a legend is wider than its place.
inline constexpr std::u16string_view kFace = u"Tahoma";
inline constexpr int kCaptionFontHeight = 11;
inline constexpr int kSmallCaptionFontHeight = 9;
inline constexpr int kLegendFontHeight = 13;
inline constexpr int kSmallestLegendHeight = 9;

struct CharacterKey {
  char16_t unshifted = 0;
  char16_t shifted = 0;
  Rect face;          // the key in the picture
  Rect upperCaption;  // 12 × 12 at the key's x, upper line
  Rect lowerCaption;  // the same on the lower line
  Rect upperLegend;   // 20 × 12, right-aligned text, beside the caption
  Rect lowerLegend;
  std::u16string upperText;  // shown as written: "&" is an ampersand
  std::u16string lowerText;
  bool smallCaptions = false;  // the bracket keys
};

// The 47 character keys, row by row from the top left.
const std::array<CharacterKey, kCharacterKeys>& characterKeys();

struct Label {
  Rect rect;
  std::u16string_view text;
};

// "Tab", "CapsLock", "Enter", both "Shift", "Ctrl" and "Alt" keys' captions.
const std::array<Label, 9>& otherCaptions();

enum class Mark : std::uint8_t { None, Backspace, Windows };

// The other keys of the picture; Enter spans two rows and has two parts.
struct OtherKey {
  std::vector<Rect> parts;
  Mark mark = Mark::None;
};
const std::vector<OtherKey>& otherKeys();

struct Legends {
  std::u16string upper;
  std::u16string lower;
};
// What the active keymap shows on a key: its shifted and unshifted legends.
Legends legendsOf(const CharacterKey& key, const OnScreenKeyboard& keyboard);

}  // namespace korimo::ui::keyboard_layout
