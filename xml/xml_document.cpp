// A strict, small XML 1.0 reader and writer of our own (no XML library is
// packaged for the Windows cross-build). See xml_document.h for the interface.
//
// The reader and its choices: input_check.cpp and event_reader.cpp.
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

#include "xml/xml_document.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <vector>

#include "xml/event_reader.h"
#include "xml/messages.h"
#include "xml/utf_codec.h"
#include "xml/xml_chars.h"

namespace korimo::xml {

// Until the reader and the writer have files of their own.
using namespace detail;

namespace {

// ---------------------------------------------------------------- reader ---

// Builds the tree of a document from the reader's reports.
class TreeBuilder : public XmlHandler {
 public:
  void startElement(std::string_view name) override {
    if (open_.empty()) {
      document = XmlDocument(utf8ToUtf16(name));
      open_.push_back(&document.root());
    } else {
      open_.push_back(&open_.back()->addChild(utf8ToUtf16(name)));
    }
  }
  void endElement(std::u16string& value) override {
    open_.back()->setValue(std::move(value));
    open_.pop_back();
  }

  XmlDocument document;

 private:
  std::vector<XmlElement*> open_;
};

// ---------------------------------------------------------------- writer ---

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

// The value parsed as a decimal integer of type T, else nothing.
template <typename T>
bool parseDecimal(const std::u16string& value, T& result) {
  std::string narrow;
  std::size_t i = 0;
  if (!value.empty() && (value[0] == u'-' || value[0] == u'+')) {
    if (value[0] == u'-') narrow.push_back('-');
    i = 1;
  }
  if (i == value.size()) return false;
  for (; i < value.size(); ++i) {
    if (value[i] < u'0' || value[i] > u'9') return false;
    narrow.push_back(static_cast<char>(value[i]));
  }
  const auto [end, ec] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), result);
  return ec == std::errc() && end == narrow.data() + narrow.size();
}

std::string pathText(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

}  // namespace

// ------------------------------------------------------------ public API ---

XmlElement* XmlElement::childByName(std::u16string_view name) {
  const int index = indexOfChild(name);
  return index < 0 ? nullptr : children_[static_cast<std::size_t>(index)].get();
}

const XmlElement* XmlElement::childByName(std::u16string_view name) const {
  const int index = indexOfChild(name);
  return index < 0 ? nullptr : children_[static_cast<std::size_t>(index)].get();
}

int XmlElement::indexOfChild(std::u16string_view name) const {
  for (std::size_t i = 0; i < children_.size(); ++i) {
    if (equalsIgnoringAsciiCase(children_[i]->name(), name)) return static_cast<int>(i);
  }
  return -1;
}

std::int32_t XmlElement::valueAsInt(std::int32_t defaultValue) const {
  std::int32_t result = 0;
  return parseDecimal(value_, result) ? result : defaultValue;
}

std::int64_t XmlElement::valueAsInt64(std::int64_t defaultValue) const {
  std::int64_t result = 0;
  return parseDecimal(value_, result) ? result : defaultValue;
}

bool XmlElement::valueAsBool(bool defaultValue) const {
  if (value_.empty()) return defaultValue;
  // Upper-casing can only yield T, Y, F or N from ASCII letters, so ASCII
  // folding decides the same as full Unicode case mapping would.
  switch (foldAscii(value_[0])) {
    case u't':
    case u'y': return true;
    case u'f':
    case u'n': return false;
    default: return defaultValue;
  }
}

XmlElement& XmlElement::addChild(std::u16string name) {
  children_.push_back(std::make_unique<XmlElement>(std::move(name)));
  return *children_.back();
}

XmlElement& XmlElement::findOrCreateChild(std::u16string_view name) {
  if (XmlElement* existing = childByName(name)) return *existing;
  return addChild(std::u16string(name));
}

XmlElement& XmlElement::writeValue(std::u16string_view name, std::u16string value) {
  XmlElement& child = findOrCreateChild(name);
  child.setValue(std::move(value));
  return child;
}

XmlElement& XmlElement::writeInt(std::u16string_view name, std::int64_t value) {
  const std::string digits = std::to_string(value);
  return writeValue(name, std::u16string(digits.begin(), digits.end()));
}

XmlElement& XmlElement::writeBool(std::u16string_view name, bool value) {
  return writeValue(name, value ? u"True" : u"False");
}

XmlDocument::XmlDocument() : root_(std::make_unique<XmlElement>(std::u16string())) {}

XmlDocument::XmlDocument(std::u16string rootName)
    : root_(std::make_unique<XmlElement>(std::move(rootName))) {}

namespace {

std::string readBytes(const std::filesystem::path& path) {
  std::string data;
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) throw XmlError("cannot open " + pathText(path) + " for reading");
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
      data.append(buffer, static_cast<std::size_t>(in.gcount()));
      if (data.size() > kMaxFileBytes) throw XmlError(pathText(path) + ": " + fileTooLarge());
    }
    if (in.bad()) throw XmlError("cannot read " + pathText(path));
  } catch (const XmlError&) {
    throw;
  } catch (const std::exception& e) {
    throw XmlError("cannot read " + pathText(path) + ": " + e.what());
  }
  return data;
}

}  // namespace

XmlDocument XmlDocument::parse(std::string_view utf8) {
  TreeBuilder builder;
  std::u16string encoding = readEvents(utf8, builder);
  builder.document.setEncoding(std::move(encoding));
  return std::move(builder.document);
}

XmlDocument XmlDocument::load(const std::filesystem::path& path) {
  const std::string data = readBytes(path);
  try {
    return parse(data);
  } catch (const XmlError& e) {
    throw XmlError(pathText(path) + ": " + e.what());
  }
}

void readDocument(const std::filesystem::path& path, XmlHandler& handler) {
  const std::string data = readBytes(path);
  try {
    readEvents(data, handler);
  } catch (const XmlError& e) {
    throw XmlError(pathText(path) + ": " + e.what());
  }
}

std::string XmlDocument::toString() const {
  if (!equalsIgnoringAsciiCase(encoding_, u"UTF-8")) {
    throw XmlError("cannot write the encoding " + inQuotes(toCodePoints(encoding_)) +
                   " (only UTF-8 is written)");
  }
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  writeElement(out, *root_, 0, true);
  return out;
}

void XmlDocument::save(const std::filesystem::path& path) const {
  const std::string text = toString();  // before touching the file
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) throw XmlError("cannot create " + pathText(path));
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (out.fail()) throw XmlError("cannot write " + pathText(path));
}

}  // namespace korimo::xml