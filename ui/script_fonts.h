#pragma once
// Which typeface shows a text of one of the scripts the keymaps write, and
// which way the text reads: the typefaces Windows has for each script, best
// first, and right to left for text whose first letter is of a script such
// as Arabic.

#include <cstdint>
#include <span>
#include <string_view>

namespace korimo::ui {

enum class Script : std::uint8_t {
  None,
  Devanagari,
  Bengali,  // also Assamese
  Gurmukhi,
  Gujarati,
  Odia,  // Unicode's Oriya block
  Tamil,
  Telugu,
  Kannada,
  Malayalam,
  MeeteiMayek,
  OlChiki,
  Arabic,  // the Perso-Arabic letters of Urdu, Kashmiri and Sindhi
};

// The script of the first character of text that belongs to one. The dandas
// (U+0964, U+0965), shared by the Indian scripts, and the joiners count only
// when nothing else decides: a lone danda is Devanagari.
Script scriptOf(std::u16string_view text);

// The typefaces Windows has for the script, best first; none for None.
std::span<const std::u16string_view> scriptFaces(Script script);

// The character height for a text of the script whose letters should look
// as large as those of the Indian scripts at height: Perso-Arabic faces
// draw their letters small in the em (Nastaliq most of all), so a third
// larger; the others as they are.
int fontHeightFor(Script script, int height);

// True when text reads right to left: its first letter of a strong direction
// is of a right-to-left script (Arabic, Hebrew, ...). Text of digits, marks
// and punctuation alone reads left to right, so that a key's "(" stays "(".
bool readsRightToLeft(std::u16string_view text);

}  // namespace korimo::ui
