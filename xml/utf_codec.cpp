// The UTF-8 and UTF-16 conversions of xml_document.h, and the parts of the
// codec that are not per character (see utf_codec.h).

#include "xml/utf_codec.h"

#include "xml/xml_document.h"

namespace korimo::xml {
namespace detail {

const char* describe(Utf8Fault fault) {
  switch (fault) {
    case Utf8Fault::kContinuation: return "unexpected continuation byte";
    case Utf8Fault::kInvalidByte: return "byte that never occurs in UTF-8";
    case Utf8Fault::kTruncated: return "truncated sequence";
    case Utf8Fault::kOverlong: return "overlong encoding";
    case Utf8Fault::kSurrogate: return "encoded surrogate";
    case Utf8Fault::kTooLarge: return "code point above U+10FFFF";
    case Utf8Fault::kNone: break;
  }
  return "no fault";
}

char32_t nextCodePoint(std::u16string_view text, std::size_t& i) {
  const char32_t unit = text[i++];
  if (unit >= 0xD800 && unit <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 &&
      text[i] <= 0xDFFF) {
    return 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(text[i++]) - 0xDC00);
  }
  return unit;
}

std::u32string toCodePoints(std::u16string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    const char32_t c = nextCodePoint(text, i);
    if (isSurrogate(c)) {
      throw XmlError("invalid UTF-16: lone surrogate at index " + std::to_string(at));
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace detail

std::u16string utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const detail::Decoded d = detail::decodeUtf8(utf8, i);
    if (d.fault != detail::Utf8Fault::kNone) {
      throw XmlError("invalid UTF-8 at byte " + std::to_string(i) + ": " +
                     detail::describe(d.fault));
    }
    detail::appendUtf16(out, d.codePoint);
    i += d.length;
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (char32_t c : detail::toCodePoints(utf16)) detail::appendUtf8(out, c);
  return out;
}

}  // namespace korimo::xml
