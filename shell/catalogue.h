#pragma once
// The keymap catalogue as the program shows it: the keymap sub-menu, the
// toggle keys bound to keymaps, the options, and the tray icon's state.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/input_codes.h"

namespace korimo {

struct MenuItem {
  std::u16string caption;
  std::u16string Hint;  // the keymap's file name, "****" for the Keymap-off item
  bool checked = false;
};

// Radio items: item 0 switches keymaps off, item k is catalogued keymap k.
class KeymapMenu {
 public:
  void append(std::u16string caption, std::u16string hint) {
    items_.push_back({std::move(caption), std::move(hint), false});
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
  int toggleMode = 1;  // 1: Alt + digit; 2: F2..F12 and Scroll Lock
  int offKey = 0;      // Alt digit 0..9, or function-key slot 0..11
  std::array<std::u16string, 10> altKeymapNames;
  std::array<std::u16string, 12> fkeyKeymapNames;
  std::u16string toggleDigits;     // mode 1: the off digit, then each keymap's
  std::u16string fkeyToggleSlots;  // mode 2: hexadecimal slot digits, off slot first
  // mode 2: slot digit of each function key, indexed by vk - F2 (F2..Scroll Lock)
  std::array<std::u16string, platform::kVkScroll - platform::kVkF2 + 1> fkeySlotByVk;
  // The slots' keys: F2 to F12, then Scroll Lock.
  static constexpr std::array<std::uint32_t, 12> fkeyCodes = [] {
    std::array<std::uint32_t, 12> codes{};
    for (std::uint32_t slot = 0; slot < 11; ++slot) codes[slot] = platform::kVkF2 + slot;
    codes[11] = platform::kVkScroll;
    return codes;
  }();

  const std::u16string& slotOfVk(std::uint32_t vk) const {
    static const std::u16string none;
    if (vk < platform::kVkF2 || vk > platform::kVkScroll) return none;
    return fkeySlotByVk[vk - platform::kVkF2];
  }

  bool textServices = true;
  bool surroundSetting = true;
  bool surroundActive = true;
  int keymapCount = 0;

  KeymapMenu mmenu;

  // The tray icon: visible, on or off picture, and hint.
  bool trayVisible = false;
  bool trayIconOn = false;
  std::u16string trayHint = u"Keymap Off";
  void seticon(bool on) { trayIconOn = on; }
};

}  // namespace korimo
