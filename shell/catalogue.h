#pragma once
// The keymap catalogue as the program shows it: the keymap sub-menu, the
// toggle keys bound to keymaps, the options, and the tray icon's state.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/input_codes.h"
#include "settings/configuration.h"

namespace korimo {

// The keymap a choice switches to, by its file name; nullopt switches
// keymaps off.
using KeymapChoice = std::optional<std::u16string>;

struct MenuItem {
  std::u16string caption;
  KeymapChoice keymap;
  bool checked = false;
};

// Radio items: item 0 switches keymaps off, item k is catalogued keymap k.
class KeymapMenu {
 public:
  void append(std::u16string caption, KeymapChoice keymap) {
    items_.push_back({std::move(caption), std::move(keymap), false});
  }
  void check(std::size_t item) {
    for (std::size_t i = 0; i < items_.size(); ++i) items_[i].checked = i == item;
  }
  // The checked item, or -1.
  int checkedItem() const {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i].checked) return static_cast<int>(i);
    return -1;
  }
  std::size_t size() const { return items_.size(); }
  const MenuItem& operator[](std::size_t item) const { return items_.at(item); }

 private:
  std::vector<MenuItem> items_;
};

struct Catalogue {
  ToggleMode toggleMode = ToggleMode::Alt;
  int offKey = 0;  // Alt digit 0..9, or function-key slot 0..11
  // What each toggle key of the mode switches to: F2..F12 and Scroll Lock
  // are the function-key slots 0..11. A key no keymap has is not assigned.
  struct ToggleKey {
    bool assigned = false;
    KeymapChoice keymap;  // nullopt: the Keymap-off key
  };
  std::array<ToggleKey, 10> altKeys;       // by digit
  std::array<ToggleKey, 12> functionKeys;  // by slot
  // The slots' keys: F2 to F12, then Scroll Lock.
  static std::optional<std::size_t> functionKeySlot(std::uint32_t vk) {
    if (vk >= platform::kVkF2 && vk <= platform::kVkF12) return vk - platform::kVkF2;
    if (vk == platform::kVkScroll) return 11;
    return std::nullopt;
  }

  bool textServices = true;
  // Where not to type: keys pass unchanged while a program runs full
  // screen, and always in the programs listed (executable file names).
  bool pauseInFullScreen = true;
  std::vector<std::u16string> neverTypeIn;
  bool surroundSetting = true;
  bool surroundActive = true;
  int keymapCount = 0;

  KeymapMenu keymapMenu;

  // The tray icon: visible, on or off picture, and hint.
  bool trayVisible = false;
  bool trayIconOn = false;
  std::u16string trayHint = u"Keymap Off";
  void setIcon(bool on) { trayIconOn = on; }
};

}  // namespace korimo
