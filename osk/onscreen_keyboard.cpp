#include "osk/onscreen_keyboard.h"

namespace korimo {

void OnScreenKeyboard::setLegends(const ActiveKeymap& keymap) {
  for (char16_t c = u'!'; c <= u'~'; ++c) {
    legends_[static_cast<std::size_t>(c - u'!')] = keymap.displayOf(std::u16string_view(&c, 1));
  }
}

}  // namespace korimo
