// The writer: a document as text in the readable layout (XmlDocument::toString).
//
// Writer choices:
// - Declaration <?xml version="1.0" encoding="UTF-8"?>, no BOM, one element
//   per line, two spaces per level, "\r\n" line ends, a final line end.
// - A leaf with a value: <Name>value</Name>; with neither value nor children:
//   <Name/>; with children only: start tag, children, end tag on own lines.
//   An element with both a value and children (not used by our formats) is
//   written on one line with its value and children without layout white
//   space, so it reads back the same unless its value is only white space.
// - In values '<', '>' and '&' are escaped, and CR is written as &#13; so
//   that it survives the reader's line-end normalisation.
// - Names that are not XML names, values holding characters that XML cannot
//   carry (U+0000..U+001F except tab, LF and CR, U+FFFE, U+FFFF), lone
//   surrogates and a declared encoding other than UTF-8 raise XmlError.

#include "xml/messages.h"
#include "xml/utf_codec.h"
#include "xml/xml_chars.h"
#include "xml/xml_document.h"

namespace korimo::xml {
namespace detail {
namespace {

void writeName(std::string& out, const std::u16string& name) {
  const std::u32string cps = toCodePoints(name);
  if (!isXmlName(cps))
    throw XmlError("cannot write element name " + inQuotes(cps) + ": not an XML name");
  for (char32_t c : cps) appendUtf8(out, c);
}

void writeEscaped(std::string& out, const XmlElement& element) {
  for (char32_t c : toCodePoints(element.value())) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '\r': out += "&#13;"; break;
      default:
        if (!isXmlChar(c)) {
          throw XmlError("cannot write the value of element " + inQuotes(element.name()) +
                         ": character " + hexCode(c) + " is not allowed in XML");
        }
        appendUtf8(out, c);
    }
  }
}

// Writes element and its subtree; layout false writes it all on one line.
void writeElement(std::string& out, const XmlElement& element, std::size_t depth, bool layout) {
  if (layout) out.append(2 * depth, ' ');
  out += '<';
  writeName(out, element.name());
  if (element.value().empty() && element.childCount() == 0) {
    out += "/>";
  } else {
    out += '>';
    writeEscaped(out, element);
    const bool childLayout = layout && element.value().empty();
    if (childLayout) out += "\r\n";
    for (std::size_t i = 0; i < element.childCount(); ++i) {
      writeElement(out, element.child(i), depth + 1, childLayout);
    }
    if (childLayout) out.append(2 * depth, ' ');
    out += "</";
    writeName(out, element.name());
    out += '>';
  }
  if (layout) out += "\r\n";
}

}  // namespace
}  // namespace detail

std::string XmlDocument::toString() const {
  if (!detail::equalsIgnoringAsciiCase(encoding_, u"UTF-8")) {
    throw XmlError("cannot write the encoding " +
                   detail::inQuotes(detail::toCodePoints(encoding_)) + " (only UTF-8 is written)");
  }
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  detail::writeElement(out, *root_, 0, true);
  return out;
}

}  // namespace korimo::xml
