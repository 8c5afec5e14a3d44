#pragma once
// The check of a document's bytes that comes before the reader reads them.

#include <string>
#include <string_view>

namespace korimo::xml::detail {

// Checks the whole input before anything else is read: within kMaxFileBytes,
// not UTF-16 or UTF-32, and (after any BOM) valid UTF-8 of characters XML
// allows. Returns the text to parse: the input itself or, when it holds a
// CR, a copy in `normalised` with its line ends normalised (CR LF and a lone
// CR become LF). Positions in messages count characters of the normalised
// text. Raises XmlError.
std::string_view checkDocument(std::string_view bytes, std::string& normalised);

}  // namespace korimo::xml::detail
