#include "xml/utf_codec.h"

#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo::xml::detail {

std::u32string toCodePoints(std::u16string_view text) {
  try {
    return text::utf16ToCodePoints(text);
  } catch (const text::EncodingError& error) {
    throw XmlError(error.what());
  }
}

}  // namespace korimo::xml::detail
