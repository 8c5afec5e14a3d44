// A strict, small XML 1.0 reader and writer of our own (no XML library is
// packaged for the Windows cross-build). See xml_document.h for the
// interface. This file holds the element tree: look-ups, typed values and
// the edits of the configuration writer. The other files of the library:
// - utf_codec: UTF-8 and UTF-16;
// - xml_chars.h: XML's character classes, ASCII case folding;
// - messages: pieces of error messages;
// - input_check: the bytes of a document checked before reading;
// - event_reader: the reader, element by element (readDocument);
// - tree_reader: a whole document (XmlDocument::parse);
// - xml_writer: a document as text (XmlDocument::toString);
// - file_io: documents in files (load, readDocument, save).

#include "xml/xml_document.h"

#include <charconv>

#include "xml/xml_chars.h"

namespace korimo::xml {
namespace {

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

}  // namespace

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
    if (detail::equalsIgnoringAsciiCase(children_[i]->name(), name)) return static_cast<int>(i);
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
  switch (detail::foldAscii(value_[0])) {
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

}  // namespace korimo::xml
