#pragma once
// The US English keyboard of the simulated desktop, the one table of it in
// the project: what each key types without and with Shift, its set-1 scan
// code and its name.

#include <cstdint>
#include <string>

#include "platform/input_codes.h"

namespace korimo::platform::sim {

struct UsKey {
  VirtualKey vk;          // 0 for a key known only by its scan code (the number pad)
  std::uint8_t scanCode;  // set 1
  bool extended;
  char16_t plain;    // the character typed without Shift, 0 for none
  char16_t shifted;  // with Shift
  const char* name;  // as GetKeyNameTextW gives it
  bool letter() const { return vk >= kVkA && vk <= kVkZ; }
};

// The key of that virtual-key code, or nullptr.
const UsKey* usKey(std::uint32_t vk);
// Its scan code, 0 for an unknown key.
std::uint32_t usScanCode(std::uint32_t vk);
bool usExtended(std::uint32_t vk);
// The name of the key with that scan code; empty when it has none.
std::u16string usKeyName(std::uint32_t scanCode, bool extended);
// The same as ASCII text, nullptr for none.
const char* usKeyNameText(std::uint32_t scanCode, bool extended);
// What the key types with that Shift and Caps Lock state; 0 for nothing.
// Caps Lock turns letters only.
char16_t usCharacter(std::uint32_t vk, bool shift, bool capsLock);

// The key, and whether Shift is held, that types c; vk 0 when no key does.
struct UsKeystroke {
  VirtualKey vk = 0;
  bool shift = false;
};
UsKeystroke usKeystroke(char16_t c);

}  // namespace korimo::platform::sim
