#include "osk/onscreen_keyboard.h"

#include "engine/globalroutines.h"

namespace korimo {

void OnScreenKeyboard::keyitup(const ActiveKeymap& keymap) {
  for (char16_t c = u'!'; c <= u'~'; ++c) {
    std::u16string& legend = legends_[static_cast<std::size_t>(c - u'!')];
    try {
      legend = keymap.convv(std::u16string_view(&c, 1));
    } catch (const ConversionError&) {
      legend.clear();
    }
  }
}

}  // namespace korimo
