#pragma once
// Which keys are down, one bit a virtual-key code, with the generic Shift,
// Ctrl and Alt codes following their two sides as Windows reports them.

#include <bitset>

#include "platform/input_codes.h"

namespace korimo::platform {

class KeysDown {
 public:
  bool operator[](VirtualKey vk) const { return bits_[vk & 0xFF]; }
  void set(VirtualKey vk, bool down) {
    bits_[vk & 0xFF] = down;
    follow(kVkShift, kVkLShift, kVkRShift);
    follow(kVkControl, kVkLControl, kVkRControl);
    follow(kVkMenu, kVkLMenu, kVkRMenu);
  }
  void clear() { bits_.reset(); }
  bool any() const { return bits_.any(); }

 private:
  void follow(VirtualKey generic, VirtualKey left, VirtualKey right) {
    bits_[generic] = bits_[left] || bits_[right];
  }
  std::bitset<256> bits_;
};

}  // namespace korimo::platform
