#include "text/unicode_text.h"

namespace korimo::text {

const char* describe(Utf8Fault fault) {
  switch (fault) {
    case Utf8Fault::Continuation: return "unexpected continuation byte";
    case Utf8Fault::InvalidByte: return "byte that never occurs in UTF-8";
    case Utf8Fault::Truncated: return "truncated sequence";
    case Utf8Fault::Overlong: return "overlong encoding";
    case Utf8Fault::Surrogate: return "encoded surrogate";
    case Utf8Fault::TooLarge: return "code point above U+10FFFF";
    case Utf8Fault::None: break;
  }
  return "no fault";
}

std::u16string utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const Decoded d = decodeUtf8(utf8, i);
    if (d.fault != Utf8Fault::None)
      throw EncodingError("invalid UTF-8 at byte " + std::to_string(i) + ": " + describe(d.fault));
    appendUtf16(out, d.codePoint);
    i += d.length;
  }
  return out;
}

std::u32string utf16ToCodePoints(std::u16string_view utf16) {
  std::u32string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size();) {
    const std::size_t at = i;
    const char32_t c = nextCodePoint(utf16, i);
    if (isSurrogate(c))
      throw EncodingError("invalid UTF-16: lone surrogate at index " + std::to_string(at));
    out.push_back(c);
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (char32_t c : utf16ToCodePoints(utf16)) appendUtf8(out, c);
  return out;
}

std::optional<std::uint32_t> parseHex(std::u16string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char16_t c : text) {
    const int digit = hexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::string hex(std::uint32_t value, std::size_t minDigits) {
  std::string digits;
  do {
    digits.insert(digits.begin(), hexDigit(value));
    value >>= 4;
  } while (value != 0);
  if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), '0');
  return digits;
}

}  // namespace korimo::text
