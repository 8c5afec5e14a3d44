#include "engine/unicode_output.h"

#include "engine/globalroutines.h"

namespace korimo {

using platform::KeyboardInput;

void UnicodeOutput::sendUnit(std::uint16_t unit) {
  record_ = KeyboardInput{};
  record_.wScan = unit;
  record_.dwFlags = platform::kKeyEventUnicode;
  record_.time = 10;
  send();
}

void UnicodeOutput::pressKey(std::uint16_t virtualKey) {
  record_ = KeyboardInput{};
  record_.wVk = virtualKey;
  record_.dwFlags = platform::kKeyEventUnicode;
  send();
  record_ = KeyboardInput{};
  record_.wVk = virtualKey;
  record_.dwFlags = platform::kKeyEventKeyUp;
  send();
}

}  // namespace korimo
