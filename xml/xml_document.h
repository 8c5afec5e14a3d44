#pragma once
// The small document interface through which keymaps and the configuration
// file are read and written: a tree of elements, each with a name, a text
// value and ordered children. Text is UTF-8 in files and UTF-16 in memory.
//
// Reading rules (the same for every reader; details in event_reader.cpp):
// - Strict XML 1.0 in UTF-8, with or without BOM. Comments and processing
//   instructions are skipped, CDATA is character data, attributes are checked
//   and ignored, a DOCTYPE is rejected. A UTF-16 or UTF-32 file is refused as
//   such ("the file is UTF-16; save it as UTF-8").
// - Files, values and element counts are bounded (the limits below); the
//   reading time is linear in the size of the text.
// - A value is the element's direct character data as written, not trimmed.
//   When an element has child elements and its character data is only white
//   space (the layout's indentation), its value is empty.
// - Line ends are normalised to "\n" as XML requires; the writer escapes CR
//   as &#13; so values with CR still round-trip.
// - Name look-ups fold ASCII letters only (A-Z = a-z); names are ASCII in
//   our formats. End tags must match start tags exactly, as XML requires.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korimo::xml {

// Raised for a file that cannot be read or written and for text that is not
// well-formed XML; the message says what and where.
class XmlError : public std::runtime_error {
 public:
  explicit XmlError(const std::string& reason) : std::runtime_error(reason), reason_(reason) {}
  // A fault of the named file: what() names it, reason() does not.
  XmlError(const std::string& file, const std::string& reason)
      : std::runtime_error(file + ": " + reason), reason_(reason) {}
  const std::string& reason() const { return reason_; }

 private:
  std::string reason_;
};

// What the reader takes at most; beyond, it raises XmlError saying so.
inline constexpr std::size_t kMaxFileBytes = std::size_t{16} << 20;  // of a file or text
inline constexpr std::size_t kMaxValueLength = 65536;                // UTF-16 units of one value
inline constexpr std::size_t kMaxElements = 1000000;                 // of one document

class XmlElement {
 public:
  explicit XmlElement(std::u16string name) : name_(std::move(name)) {}
  XmlElement(const XmlElement&) = delete;
  XmlElement& operator=(const XmlElement&) = delete;

  const std::u16string& name() const { return name_; }
  const std::u16string& value() const { return value_; }
  void setValue(std::u16string value) { value_ = std::move(value); }

  std::size_t childCount() const { return children_.size(); }
  XmlElement& child(std::size_t index) { return *children_.at(index); }
  const XmlElement& child(std::size_t index) const { return *children_.at(index); }

  // First direct child whose name equals name, compared without regard to
  // letter case; nullptr when there is none.
  XmlElement* childByName(std::u16string_view name);
  const XmlElement* childByName(std::u16string_view name) const;
  // Position of that child, or -1.
  int indexOfChild(std::u16string_view name) const;

  // The value as a decimal integer, else the default.
  std::int32_t valueAsInt(std::int32_t defaultValue) const;
  std::int64_t valueAsInt64(std::int64_t defaultValue) const;
  // Empty: the default; else the first character decides: T/Y true, F/N false,
  // anything else the default.
  bool valueAsBool(bool defaultValue) const;

  XmlElement& addChild(std::u16string name);
  XmlElement& findOrCreateChild(std::u16string_view name);
  // Removes every child (handles to them become invalid).
  void clearChildren() { children_.clear(); }
  // Find or create the named child and set its value (written even when it
  // equals a default). Integers in decimal, Booleans as "True"/"False".
  XmlElement& writeValue(std::u16string_view name, std::u16string value);
  XmlElement& writeInt(std::u16string_view name, std::int64_t value);
  XmlElement& writeBool(std::u16string_view name, bool value);

 private:
  std::u16string name_;
  std::u16string value_;
  std::vector<std::unique_ptr<XmlElement>> children_;  // handles stay valid
};

class XmlDocument {
 public:
  XmlDocument();  // an empty root
  explicit XmlDocument(std::u16string rootName);

  // Parse UTF-8 text (with or without BOM). Raises XmlError when it is not
  // well-formed.
  static XmlDocument parse(std::string_view utf8);
  // Load a file (opened shared for reading). Raises XmlError.
  static XmlDocument load(const std::filesystem::path& path);

  void setEncoding(std::u16string encoding) { encoding_ = std::move(encoding); }
  const std::u16string& encoding() const { return encoding_; }

  // The readable layout: declaration, one element per line, two spaces per
  // level, an element with a value on one line. Escapes <, > and &.
  std::string toString() const;
  // Create or truncate the file and write toString(). Raises XmlError.
  void save(const std::filesystem::path& path) const;

  XmlElement& root() { return *root_; }
  const XmlElement& root() const { return *root_; }

 private:
  std::u16string encoding_ = u"UTF-8";
  std::unique_ptr<XmlElement> root_;
};

// Told of a document's elements as the reader meets them, for a reader that
// keeps only part of a large document instead of its whole tree.
class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  // An element starts: a child of the element last started and not yet
  // ended (the root first). name is UTF-8.
  virtual void startElement(std::string_view name) = 0;
  // The element last started ends with its value, which the handler may
  // take over.
  virtual void endElement(std::u16string& value) = 0;
};

// Reads the file as XmlDocument::load does, telling handler of its elements;
// raises XmlError alike, possibly after telling it of some.
void readDocument(const std::filesystem::path& path, XmlHandler& handler);

}  // namespace korimo::xml
