#include "xml/utf_codec.h"

#include "xml/xml_document.h"

namespace korimo::xml::detail {

std::u32string toCodePoints(std::u16string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    const char32_t c = nextCodePoint(text, i);
    if (isSurrogate(c))
      throw XmlError("invalid UTF-16: lone surrogate at index " + std::to_string(at));
    out.push_back(c);
  }
  return out;
}

}  // namespace korimo::xml::detail
