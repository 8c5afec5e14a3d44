#include "engine/unicode_output.h"

#include "engine/globalroutines.h"

namespace korimo {

using platform::KeyboardInput;

void UnicodeOutput::SendunicodeKey(std::u16string_view codes) {
  for (std::size_t g = 0; g < groupCount(codes); ++g) {
    const std::int32_t unit = groupUnit(group(codes, g));
    if (unit < 0) throw ConversionError("not a hexadecimal digit");
    record_ = KeyboardInput{};
    record_.wScan = static_cast<std::uint16_t>(unit);
    record_.dwFlags = platform::kKeyEventUnicode;
    record_.time = 10;
    send();
  }
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
