#pragma once
// The reader under both XmlDocument::parse and readDocument.

#include <string>
#include <string_view>

#include "xml/xml_document.h"

namespace korimo::xml::detail {

// Reads UTF-8 text (with or without BOM), telling handler of its elements as
// it meets them. Returns the declared encoding, or "UTF-8". Raises XmlError,
// possibly after telling handler of some elements.
std::u16string readEvents(std::string_view utf8, XmlHandler& handler);

}  // namespace korimo::xml::detail
