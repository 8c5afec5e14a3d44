#pragma once
// The text module's UTF-8 and UTF-16 (text/unicode_text.h) as the reader and
// the writer use them, and UTF-16 taken apart into code points, where a lone
// surrogate is an error of the document.

#include <string>
#include <string_view>

#include "text/unicode_text.h"

namespace korimo::xml::detail {

using text::appendUtf16;
using text::appendUtf8;
using text::Decoded;
using text::decodeUtf8;
using text::describe;
using text::isSurrogate;
using text::nextCodePoint;
using text::Utf8Fault;

// Splits UTF-16 into code points; a lone surrogate raises XmlError.
std::u32string toCodePoints(std::u16string_view text);

}  // namespace korimo::xml::detail
