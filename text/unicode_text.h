#pragma once
// The one place that knows how text is spelled: UTF-8 and UTF-16, their
// surrogates and code points, and hexadecimal digits. The steps done per
// character are inline, since the XML reader decodes every non-ASCII
// character of a document through them and the key path counts characters.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korimo::text {

// Text that is not valid UTF-8, or UTF-16 with a lone surrogate.
class EncodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// UTF-8 <-> UTF-16; raise EncodingError.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);
// UTF-16 -> code points; raises EncodingError at a lone surrogate.
std::u32string utf16ToCodePoints(std::u16string_view utf16);

// ---- surrogates and code points
constexpr bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr bool isSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }
constexpr char32_t codePointOf(char16_t high, char16_t low) {
  return 0x10000 + ((char32_t{high} - 0xD800) << 10) + (char32_t{low} - 0xDC00);
}

// The character at text[i] (i < text.size()), moving i past it: a surrogate
// pair gives its code point, a lone surrogate itself, which each caller
// treats its own way.
inline char32_t nextCodePoint(std::u16string_view text, std::size_t& i) {
  const char16_t unit = text[i++];
  if (isHighSurrogate(unit) && i < text.size() && isLowSurrogate(text[i]))
    return codePointOf(unit, text[i++]);
  return unit;
}

// Units of the character that ends text: 2 for a surrogate pair, 0 for none.
constexpr std::size_t lastCharacterUnits(std::u16string_view text) {
  const std::size_t n = text.size();
  if (n >= 2 && isLowSurrogate(text[n - 1]) && isHighSurrogate(text[n - 2])) return 2;
  return n > 0 ? 1 : 0;
}

// Characters the text makes; a surrogate pair counts once.
constexpr std::size_t characterCount(std::u16string_view text) {
  std::size_t count = 0;
  for (char16_t unit : text)
    if (!isHighSurrogate(unit)) ++count;
  return count;
}

// ---- hexadecimal digits
// The value of a hexadecimal digit (0-9, A-F, a-f), or -1.
constexpr int hexDigitValue(char32_t c) {
  if (c >= u'0' && c <= u'9') return static_cast<int>(c - u'0');
  if (c >= u'A' && c <= u'F') return static_cast<int>(c - u'A' + 10);
  if (c >= u'a' && c <= u'f') return static_cast<int>(c - u'a' + 10);
  return -1;
}
constexpr bool isHexDigit(char32_t c) { return hexDigitValue(c) >= 0; }
// The upper-case digit of value 0..15.
constexpr char hexDigit(unsigned value) { return "0123456789ABCDEF"[value & 0xF]; }
// value in upper-case hexadecimal, at least minDigits digits.
std::string hex(std::uint32_t value, std::size_t minDigits);
// The text read as a hexadecimal number of one to eight digits, or nullopt.
std::optional<std::uint32_t> parseHex(std::u16string_view text);

// ---- letter case of A to Z only, as Windows' names of files and classes
// compare where they are ASCII
constexpr char16_t lowerAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}
constexpr bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

// ---- UTF-8, a character at a time
enum class Utf8Fault { None, Continuation, InvalidByte, Truncated, Overlong, Surrogate, TooLarge };

// What is wrong, for messages.
const char* describe(Utf8Fault fault);

struct Decoded {
  char32_t codePoint = 0;
  std::size_t length = 0;
  Utf8Fault fault = Utf8Fault::None;
};

// Decodes the sequence starting at text[i] (i < text.size()), strictly.
inline Decoded decodeUtf8(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return {lead, 1, Utf8Fault::None};
  if (lead < 0xC0) return {0, 1, Utf8Fault::Continuation};
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if (lead < 0xE0) {
    length = 2, cp = lead & 0x1Fu, minimum = 0x80;
  } else if (lead < 0xF0) {
    length = 3, cp = lead & 0x0Fu, minimum = 0x800;
  } else if (lead < 0xF8) {
    length = 4, cp = lead & 0x07u, minimum = 0x10000;
  } else {
    return {0, 1, Utf8Fault::InvalidByte};
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (i + k >= text.size()) return {0, k, Utf8Fault::Truncated};
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0u) != 0x80u) return {0, k, Utf8Fault::Truncated};
    cp = (cp << 6) | (next & 0x3Fu);
  }
  if (cp < minimum) return {0, length, Utf8Fault::Overlong};
  if (isSurrogate(cp)) return {0, length, Utf8Fault::Surrogate};
  if (cp > 0x10FFFF) return {0, length, Utf8Fault::TooLarge};
  return {cp, length, Utf8Fault::None};
}

inline void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

inline void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace korimo::text
