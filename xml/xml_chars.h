#pragma once
// The character classes of XML 1.0 that the reader and the writer check
// against, and the ASCII-only letter case folding of name look-ups. Inline:
// the reader asks them for each character.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace korimo::xml::detail {

// XML 1.0 Char.
inline bool isXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

inline bool isSpace(char32_t c) { return c == 0x20 || c == 0x9 || c == 0xA || c == 0xD; }

// XML 1.0 (fifth edition) NameStartChar and NameChar.
inline bool isNameStart(char32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
         (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
         (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0xEFFFF);
}

inline bool isNameChar(char32_t c) {
  return isNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

inline bool isXmlName(const std::u32string& name) {
  if (name.empty() || !isNameStart(name.front())) return false;
  return std::all_of(name.begin() + 1, name.end(), isNameChar);
}

// ASCII case folding only: names in our formats are ASCII.
template <typename Char>
Char foldAscii(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c + ('a' - 'A')) : c;
}

template <typename Char>
bool equalsFoldingAscii(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) {
           return foldAscii(x) == foldAscii(y);
         });
}

inline bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return equalsFoldingAscii(a, b);
}

inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return equalsFoldingAscii(a, b);
}

}  // namespace korimo::xml::detail
