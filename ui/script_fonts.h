#pragma once
// Which typeface shows a text of an Indian script: "Nirmala UI" where it is
// installed and has the script, otherwise the script's usual Windows font.

#include <cstdint>
#include <string_view>
#include <vector>

namespace korimo::ui {

enum class IndicScript : std::uint8_t {
  None,
  Devanagari,
  Bengali,
  Gurmukhi,
  Gujarati,
  Oriya,
  Tamil,
  Telugu,
  Kannada,
  Malayalam,
};

// The script of the first character of text that belongs to one. The dandas
// (U+0964, U+0965), shared by the scripts, and the joiners count only when
// nothing else decides: a lone danda is Devanagari.
IndicScript scriptOf(std::u16string_view text);

// The script's usual Windows font ("Mangal", "Latha", ...); empty for None.
std::u16string_view usualFont(IndicScript script);

inline constexpr std::u16string_view kNirmalaUi = u"Nirmala UI";

// The typefaces to try for text, best first: for text of an Indian script
// "Nirmala UI", then the script's usual font; for any other text ownFace.
std::vector<std::u16string_view> fontCandidates(std::u16string_view text,
                                                std::u16string_view ownFace);

}  // namespace korimo::ui
