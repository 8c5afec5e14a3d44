#pragma once
// UTF-8 and UTF-16 for the reader and the writer: strict decoding of UTF-8
// that names what is wrong, encoding of code points, UTF-16 taken apart into
// code points. The steps done per character are inline, since the reader
// decodes every non-ASCII character of a document through them.

#include <cstddef>
#include <string>
#include <string_view>

namespace korimo::xml::detail {

enum class Utf8Fault {
  kNone,
  kContinuation,
  kInvalidByte,
  kTruncated,
  kOverlong,
  kSurrogate,
  kTooLarge
};

// What is wrong, for messages.
const char* describe(Utf8Fault fault);

inline bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

struct Decoded {
  char32_t codePoint = 0;
  std::size_t length = 0;
  Utf8Fault fault = Utf8Fault::kNone;
};

// Decodes the sequence starting at text[i] (i < text.size()), strictly.
inline Decoded decodeUtf8(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return {lead, 1, Utf8Fault::kNone};
  if (lead < 0xC0) return {0, 1, Utf8Fault::kContinuation};
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
    return {0, 1, Utf8Fault::kInvalidByte};
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (i + k >= text.size()) return {0, k, Utf8Fault::kTruncated};
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0u) != 0x80u) return {0, k, Utf8Fault::kTruncated};
    cp = (cp << 6) | (next & 0x3Fu);
  }
  if (cp < minimum) return {0, length, Utf8Fault::kOverlong};
  if (isSurrogate(cp)) return {0, length, Utf8Fault::kSurrogate};
  if (cp > 0x10FFFF) return {0, length, Utf8Fault::kTooLarge};
  return {cp, length, Utf8Fault::kNone};
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

// The character at text[i] (i < text.size()), moving i past it: a surrogate
// pair gives its code point, a lone surrogate itself, which each caller
// treats its own way.
char32_t nextCodePoint(std::u16string_view text, std::size_t& i);

// Splits UTF-16 into code points; a lone surrogate raises XmlError.
std::u32string toCodePoints(std::u16string_view text);

}  // namespace korimo::xml::detail
