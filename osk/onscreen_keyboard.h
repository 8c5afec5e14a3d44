#pragma once
// The on-screen keyboard's legends: what the active keymap shows for each
// printable key alone, unshifted and shifted.

#include <array>
#include <string>
#include <string_view>

#include "engine/lookup.h"

namespace korimo {

class OnScreenKeyboard {
 public:
  // The 47 character keys, row by row from the top left, each as its
  // unshifted and shifted character.
  static constexpr std::u16string_view kKeyPairs =
      u"`~1!2@3#4$5%6^7&8*9(0)-_=+\\|"
      u"qQwWeErRtTyYuUiIoOpP[{]}"
      u"aAsSdDfFgGhHjJkKlL;:'\""
      u"zZxXcCvVbBnNmM,<.>/?";
  static_assert(kKeyPairs.size() == 94);

  // Sets all 94 legends from the active keymap.
  void setLegends(const ActiveKeymap& keymap);
  // The legend of a printable character other than the blank.
  const std::u16string& legend(char16_t character) const {
    return legends_[static_cast<std::size_t>(character - u'!')];
  }

 private:
  std::array<std::u16string, 94> legends_;  // by character, '!' .. '~'
};

}  // namespace korimo
