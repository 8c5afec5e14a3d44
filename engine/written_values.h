#pragma once
// Values as keymaps and the configuration write them: hexadecimal and
// decimal numbers, the code strings of four-digit groups in which keymaps
// write their text, and the names of the function-key toggles.

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "text/unicode_text.h"

namespace korimo {

// Raised by hexToInt for text that is not a hexadecimal number.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The text read as a hexadecimal number (0-9, A-F, a-f; at most eight digits,
// read as a 32-bit value). Empty or other text raises ConversionError.
std::int32_t hexToInt(std::u16string_view text);

// Text read as a decimal 32-bit integer (leading blanks and a sign allowed),
// or nullopt when it is not one.
std::optional<std::int32_t> parseInteger(std::u16string_view text);

// Text without white space and control characters at either end.
std::u16string trimmed(std::u16string_view text);

// The UTF-16 unit of a group of exactly four hexadecimal digits, or -1 for
// any other text: what hexToInt gives for such a group, without its checks
// of length and its exception, for code strings read on every key.
inline std::int32_t groupUnit(std::u16string_view group) {
  if (group.size() != 4) return -1;
  const int a = text::hexDigitValue(group[0]);
  const int b = text::hexDigitValue(group[1]);
  const int c = text::hexDigitValue(group[2]);
  const int d = text::hexDigitValue(group[3]);
  if ((a | b | c | d) < 0) return -1;
  return (a << 12) | (b << 8) | (c << 4) | d;
}

// Number of complete four-digit groups in a code string.
inline std::size_t groupCount(std::u16string_view codes) { return codes.size() / 4; }
// Group g (0-based) of a code string.
inline std::u16string_view group(std::u16string_view codes, std::size_t g) {
  return codes.substr(4 * g, 4);
}

// The twelve toggle keys of function-key mode, by their stored index 0..11.
inline constexpr std::array<std::u16string_view, 12> functionKeyNames = {
    u"F2", u"F3", u"F4", u"F5", u"F6", u"F7", u"F8", u"F9", u"F10", u"F11", u"F12", u"ScrLk"};

}  // namespace korimo
