// The reader: XML 1.0 text, checked first by checkDocument, read in one pass
// and told element by element to an XmlHandler (the tree reader builds a
// document from these reports; the keymap loader keeps what it needs).
//
// Reader choices:
// - Input is UTF-8, with or without a byte order mark, with its line ends
//   normalised (input_check.cpp). The XML declaration is optional; when
//   present it must come first, carry a version 1.x and may only declare the
//   encoding UTF-8 (any letter case).
// - Elements, character data, the five predefined entities, decimal and hex
//   character references (&#N; &#xH;, which must name a character allowed in
//   XML), CDATA sections (their content is character data), comments and
//   processing instructions (both skipped) are accepted. Attributes are
//   checked for well-formedness (quoted, no '<', valid references, no
//   duplicates) and then ignored.
// - A DOCTYPE is rejected: neither the keymap nor the configuration format
//   uses one, and skipping an internal subset safely would mean parsing its
//   entity declarations.
// - An element's value is its direct character data, taken as written (no
//   trimming). For an element that has child elements, character data that is
//   only white space (space, tab, CR, LF) in total is not part of the value:
//   the readable layout puts indentation there.
// - Every error raises XmlError with "line L, column C: what" (columns count
//   characters, from 1).
// - Nesting deeper than kMaxDepth levels is rejected, so that no document
//   can exhaust the call stack (parsing uses an explicit stack; writing and
//   destroying a tree recurse over its depth).

#include "xml/event_reader.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <vector>

#include "xml/input_check.h"
#include "xml/messages.h"
#include "xml/utf_codec.h"
#include "xml/xml_chars.h"

namespace korimo::xml::detail {
namespace {

// Far beyond our formats (keymaps nest three levels).
constexpr std::size_t kMaxDepth = 1000;

// Reads checked, normalised UTF-8 text (checkDocument) byte by byte,
// decoding a character only where it is not ASCII, and reports its elements
// to a handler.
class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  // The declared encoding, or "UTF-8".
  std::u16string run(XmlHandler& handler) {
    std::u16string encoding = u"UTF-8";
    if (startsWith("<?xml") && pos_ + 5 < s_.size() &&
        (isSpace(byteAt(pos_ + 5)) || s_[pos_ + 5] == '?')) {
      parseDeclaration(encoding);
    }
    skipMisc();
    if (atEnd()) fail("missing root element");
    if (!startsWith("<") || pos_ + 1 >= s_.size() || !isNameStart(codePointAt(pos_ + 1))) {
      if (startsWith("<!DOCTYPE")) fail("DOCTYPE declarations are not supported");
      if (s_[pos_] == '<') fail("expected the root element");
      fail("text before the root element");
    }
    const std::size_t rootAt = pos_;
    ++pos_;
    const std::string_view rootName = parseName("an element name");
    handler.startElement(rootName);
    parseContent(handler, rootName, rootAt);
    skipMisc();
    if (!atEnd()) {
      if (s_[pos_] == '<' && pos_ + 1 < s_.size() && isNameStart(codePointAt(pos_ + 1))) {
        fail("a second element after the root element");
      }
      if (startsWith("<!DOCTYPE")) fail("DOCTYPE declarations are not supported");
      fail(s_[pos_] == '<' ? "unexpected markup after the root element"
                           : "text after the root element");
    }
    return encoding;
  }

 private:
  struct Frame {
    std::string_view name;
    std::u16string text;  // its buffer serves one element after another
    bool hasChildren = false;
    std::size_t openedAt = 0;  // position of '<'
    bool onlySpace = true;
    // More white space than a value may hold: dropped, and an error unless
    // it is the layout between child elements.
    bool spaceOverflow = false;
  };

  char32_t byteAt(std::size_t i) const { return static_cast<unsigned char>(s_[i]); }
  // The character that starts at byte i, and the byte after it.
  char32_t codePointAt(std::size_t i) const {
    const char32_t byte = byteAt(i);
    return byte < 0x80 ? byte : decodeUtf8(s_, i).codePoint;
  }
  std::size_t after(std::size_t i) const {
    const char32_t byte = byteAt(i);
    return i + (byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4);
  }

  // Appends one character of an element's character data, keeping the value
  // within kMaxValueLength.
  void addText(Frame& frame, char32_t c) {
    if (frame.onlySpace && !isSpace(c)) {
      frame.onlySpace = false;
      if (frame.spaceOverflow) valueTooLong(frame);
    }
    if (frame.text.size() >= kMaxValueLength) {
      if (!frame.onlySpace) valueTooLong(frame);
      frame.spaceOverflow = true;
      return;
    }
    appendUtf16(frame.text, c);
  }

  [[noreturn]] void valueTooLong(const Frame& frame) const {
    failAt(frame.openedAt, "the value of element " + inQuotesUtf8(frame.name) + " is longer than " +
                               std::to_string(kMaxValueLength) + " characters");
  }

  [[noreturn]] void failAt(std::size_t at, const std::string& what) const {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < at && i < s_.size(); ++i) {
      if (s_[i] == '\n')
        ++line, column = 1;
      else if ((byteAt(i) & 0xC0u) != 0x80u)  // not inside a character
        ++column;
    }
    throw XmlError(position(line, column) + what);
  }
  [[noreturn]] void fail(const std::string& what) const { failAt(pos_, what); }

  std::size_t lineOf(std::size_t at) const {
    return static_cast<std::size_t>(
               std::count(s_.begin(), s_.begin() + static_cast<std::ptrdiff_t>(at), '\n')) +
           1;
  }

  bool atEnd() const { return pos_ >= s_.size(); }
  bool startsWith(std::string_view prefix) const {
    return pos_ <= s_.size() && s_.substr(pos_, prefix.size()) == prefix;
  }
  void expect(std::string_view literal, const char* what) {
    if (!startsWith(literal)) fail(std::string("expected ") + what);
    pos_ += literal.size();
  }
  bool skipSpace() {
    const std::size_t start = pos_;
    while (!atEnd() && isSpace(byteAt(pos_))) ++pos_;
    return pos_ > start;
  }

  std::string_view parseName(const char* what) {
    if (atEnd() || !isNameStart(codePointAt(pos_))) fail(std::string("expected ") + what);
    const std::size_t start = pos_;
    for (;;) {
      while (pos_ < s_.size() && isAsciiNameChar(s_[pos_])) ++pos_;
      if (atEnd() || byteAt(pos_) < 0x80 || !isNameChar(codePointAt(pos_))) break;
      pos_ = after(pos_);
    }
    return s_.substr(start, pos_ - start);
  }

  static bool isAsciiNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '-' || c == '.';
  }

  // Plain ASCII character data from pos_ on (no markup, reference or ']'),
  // added at once where it fits the value; else character by character.
  void addAsciiRun(Frame& frame) {
    std::size_t end = pos_;
    while (end < s_.size() && byteAt(end) < 0x80 && s_[end] != '<' && s_[end] != '&' &&
           s_[end] != ']')
      ++end;
    const std::string_view run = s_.substr(pos_, end - pos_);
    if (frame.spaceOverflow || frame.text.size() + run.size() > kMaxValueLength) {
      for (char c : run) addText(frame, static_cast<unsigned char>(c));
    } else {
      if (frame.onlySpace)
        frame.onlySpace = std::all_of(run.begin(), run.end(), [](char c) { return isSpace(c); });
      frame.text.append(run.begin(), run.end());
    }
    pos_ = end;
  }

  // At '&': the referenced character.
  char32_t parseReference() {
    const std::size_t start = pos_;
    ++pos_;
    if (!atEnd() && s_[pos_] == '#') {
      ++pos_;
      int base = 10;
      if (!atEnd() && s_[pos_] == 'x') base = 16, ++pos_;
      char32_t value = 0;
      std::size_t digits = 0;
      for (; !atEnd(); ++pos_, ++digits) {
        const char32_t c = byteAt(pos_);
        int digit = -1;
        if (c >= '0' && c <= '9')
          digit = static_cast<int>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
          digit = static_cast<int>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
          digit = static_cast<int>(c - 'A' + 10);
        if (digit < 0) break;
        if (value <= 0x10FFFF)
          value = value * static_cast<char32_t>(base) + static_cast<char32_t>(digit);
      }
      if (digits == 0 || atEnd() || s_[pos_] != ';') failAt(start, "malformed character reference");
      ++pos_;
      if (!isXmlChar(value)) {
        failAt(start, value > 0x10FFFF ? std::string("character reference beyond U+10FFFF")
                                       : "character reference to " + hexCode(value) +
                                             ", which is not allowed in XML");
      }
      return value;
    }
    if (atEnd() || !isNameStart(codePointAt(pos_)))
      failAt(start, "'&' must start a reference (write &amp; for '&')");
    const std::string_view name = parseName("an entity name");
    if (atEnd() || s_[pos_] != ';')
      failAt(start, "entity reference " + inQuotesUtf8("&" + std::string(name)) + " lacks ';'");
    ++pos_;
    if (name == "lt") return '<';
    if (name == "gt") return '>';
    if (name == "amp") return '&';
    if (name == "quot") return '"';
    if (name == "apos") return '\'';
    failAt(start, "undefined entity " + inQuotesUtf8("&" + std::string(name) + ";"));
  }

  // After the name of a start tag: attributes, then '>' or '/>'. Returns true
  // for an empty-element tag.
  bool parseAttributesAndClose() {
    attributeNames_.clear();
    manyAttributes_.clear();
    for (;;) {
      const bool spaced = skipSpace();
      if (atEnd()) fail("unterminated start tag");
      if (startsWith("/>")) return pos_ += 2, true;
      if (s_[pos_] == '>') return ++pos_, false;
      if (!spaced) fail("expected white space, '>' or '/>' in the start tag");
      const std::size_t nameAt = pos_;
      const std::string_view name = parseName("an attribute name");
      // UTF-8 spells each character one way only: equal bytes, equal names.
      // A tag's few attributes are compared in a list; a hostile file's
      // thousands go to a set, so the check stays linear.
      bool repeated = false;
      if (attributeNames_.size() < kListedAttributes) {
        repeated = std::find(attributeNames_.begin(), attributeNames_.end(), name) !=
                   attributeNames_.end();
        attributeNames_.push_back(name);
        if (attributeNames_.size() == kListedAttributes)
          manyAttributes_.insert(attributeNames_.begin(), attributeNames_.end());
      } else {
        repeated = !manyAttributes_.insert(name).second;
      }
      if (repeated) failAt(nameAt, "duplicate attribute " + inQuotesUtf8(name));
      skipSpace();
      expect("=", "'=' after the attribute name");
      skipSpace();
      parseAttributeValue(false);
    }
  }

  // A quoted attribute value; kept (up to kMaxValueLength) only when keep,
  // since the document keeps no attributes.
  std::u16string parseAttributeValue(bool keep) {
    if (atEnd() || (s_[pos_] != '"' && s_[pos_] != '\'')) fail("expected a quoted attribute value");
    const std::size_t start = pos_;
    const char quote = s_[pos_++];
    std::u16string value;
    for (;;) {
      if (atEnd()) fail("unterminated attribute value");
      char32_t c = codePointAt(pos_);
      if (s_[pos_] == quote) return ++pos_, value;
      if (c == '<') fail("'<' in an attribute value");
      if (c == '&') {
        c = parseReference();
      } else {
        pos_ = after(pos_);
      }
      if (!keep) continue;
      if (value.size() >= kMaxValueLength) failAt(start, "attribute value too long");
      appendUtf16(value, c);
    }
  }

  // One pseudo-attribute of the XML declaration, if it comes next.
  std::optional<std::u16string> parsePseudoAttribute(std::string_view name) {
    const std::size_t save = pos_;
    if (skipSpace() && startsWith(name)) {
      pos_ += name.size();
      skipSpace();
      expect("=", "'=' in the XML declaration");
      skipSpace();
      return parseAttributeValue(true);
    }
    pos_ = save;
    return std::nullopt;
  }

  // At "<?xml" at the very start of the document.
  void parseDeclaration(std::u16string& declaredEncoding) {
    pos_ += 5;
    const std::optional<std::u16string> version = parsePseudoAttribute("version");
    if (!version) fail("the XML declaration needs a version");
    if (version->size() < 3 || version->substr(0, 2) != u"1." ||
        !std::all_of(version->begin() + 2, version->end(),
                     [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
      fail("unsupported XML version " + inQuotes(*version));
    }
    if (const auto encoding = parsePseudoAttribute("encoding")) {
      if (!equalsIgnoringAsciiCase(*encoding, u"UTF-8")) {
        fail("unsupported encoding " + inQuotes(*encoding) + " (only UTF-8 is read)");
      }
      declaredEncoding = *encoding;
    }
    if (const auto standalone = parsePseudoAttribute("standalone")) {
      if (*standalone != u"yes" && *standalone != u"no") fail("standalone must be 'yes' or 'no'");
    }
    skipSpace();
    expect("?>", "'?>' to end the XML declaration");
  }

  // At "<!--".
  void skipComment() {
    const std::size_t start = pos_;
    pos_ += 4;
    const std::size_t dashes = s_.find("--", pos_);
    if (dashes == std::string_view::npos) failAt(start, "unterminated comment");
    if (dashes + 2 >= s_.size() || s_[dashes + 2] != '>') failAt(dashes, "'--' inside a comment");
    pos_ = dashes + 3;
  }

  // At "<?" (not the declaration).
  void skipProcessingInstruction() {
    const std::size_t start = pos_;
    pos_ += 2;
    const std::string_view target = parseName("a processing instruction target");
    if (equalsIgnoringAsciiCase(target, "xml")) {
      failAt(start, "the XML declaration is only allowed at the very start of the document");
    }
    if (!startsWith("?>") && !skipSpace())
      fail("expected white space after the processing instruction target");
    const std::size_t end = s_.find("?>", pos_);
    if (end == std::string_view::npos) failAt(start, "unterminated processing instruction");
    pos_ = end + 2;
  }

  // White space, comments and processing instructions outside the root.
  void skipMisc() {
    for (;;) {
      skipSpace();
      if (startsWith("<!--"))
        skipComment();
      else if (startsWith("<?"))
        skipProcessingInstruction();
      else
        return;
    }
  }

  // A new frame on the stack at depth, reusing the text buffer of an
  // element that has ended there before.
  Frame& open(std::size_t depth, std::string_view name, std::size_t openedAt) {
    if (depth == stack_.size()) stack_.emplace_back();
    Frame& frame = stack_[depth];
    frame.name = name;
    frame.text.clear();
    frame.hasChildren = false;
    frame.openedAt = openedAt;
    frame.onlySpace = true;
    frame.spaceOverflow = false;
    return frame;
  }

  // After the name of the root's start tag (whose '<' is at openedAt):
  // parses the rest of the root element.
  void parseContent(XmlHandler& handler, std::string_view rootName, std::size_t openedAt) {
    if (parseAttributesAndClose()) {
      std::u16string empty;
      handler.endElement(empty);
      return;
    }
    std::size_t depth = 0;  // frames open above the root
    open(0, rootName, openedAt);
    elements_ = 1;

    for (;;) {
      Frame& frame = stack_[depth];
      if (atEnd()) {
        failAt(frame.openedAt,
               "element " + inQuotesUtf8(frame.name) + " is not closed at the end of the document");
      }
      const char32_t c = byteAt(pos_);
      if (c == '&') {
        addText(frame, parseReference());
      } else if (c < 0x80 && c != '<' && c != ']') {
        addAsciiRun(frame);
      } else if (c != '<') {
        if (c == ']' && startsWith("]]>")) fail("']]>' is not allowed in text");
        addText(frame, codePointAt(pos_));
        pos_ = after(pos_);
      } else if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
        const std::size_t endAt = pos_;
        pos_ += 2;
        const std::string_view name = parseName("an element name in the end tag");
        skipSpace();
        expect(">", "'>' to end the end tag");
        if (name != frame.name) {
          failAt(endAt, "end tag " + inQuotesUtf8("</" + std::string(name) + ">") +
                            " does not match " + inQuotesUtf8("<" + std::string(frame.name) + ">") +
                            " opened at line " + std::to_string(lineOf(frame.openedAt)));
        }
        if (frame.hasChildren && frame.onlySpace)
          frame.text.clear();
        else if (frame.spaceOverflow)
          valueTooLong(frame);
        handler.endElement(frame.text);
        if (depth == 0) return;
        --depth;
      } else if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '!' && startsWith("<!--")) {
        skipComment();
      } else if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '!' && startsWith("<![CDATA[")) {
        const std::size_t start = pos_;
        pos_ += 9;
        const std::size_t end = s_.find("]]>", pos_);
        if (end == std::string_view::npos) failAt(start, "unterminated CDATA section");
        for (; pos_ < end; pos_ = after(pos_)) addText(frame, codePointAt(pos_));
        pos_ = end + 3;
      } else if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '?') {
        skipProcessingInstruction();
      } else if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '!') {
        if (startsWith("<!DOCTYPE")) fail("DOCTYPE declarations are not supported");
        fail("unexpected markup '<!'");
      } else {
        if (pos_ + 1 >= s_.size() || !isNameStart(codePointAt(pos_ + 1))) {
          fail("'<' must start a tag (write &lt; for a literal '<')");
        }
        const std::size_t childAt = pos_;
        ++pos_;
        const std::string_view name = parseName("an element name");
        frame.hasChildren = true;
        if (++elements_ > kMaxElements) {
          failAt(childAt, "more than " + std::to_string(kMaxElements) + " elements");
        }
        handler.startElement(name);
        if (parseAttributesAndClose()) {
          std::u16string& empty = open(depth + 1, name, childAt).text;
          handler.endElement(empty);
        } else {
          if (depth + 1 >= kMaxDepth) {
            failAt(childAt, "elements nested deeper than " + std::to_string(kMaxDepth) + " levels");
          }
          open(++depth, name, childAt);
        }
      }
    }
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  std::size_t elements_ = 0;
  std::vector<Frame> stack_;  // frames 0..depth are open; the others keep their buffers
  static constexpr std::size_t kListedAttributes = 16;
  std::vector<std::string_view> attributeNames_;
  std::unordered_set<std::string_view> manyAttributes_;
};

}  // namespace

std::u16string readEvents(std::string_view utf8, XmlHandler& handler) {
  std::string normalised;
  return Parser(checkDocument(utf8, normalised)).run(handler);
}

}  // namespace korimo::xml::detail
