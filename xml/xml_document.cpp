// A strict, small XML 1.0 reader and writer of our own (no XML library is
// packaged for the Windows cross-build). See xml_document.h for the interface.
//
// Reader choices:
// - Input is UTF-8, with or without a byte order mark. The XML declaration is
//   optional; when present it must come first, carry a version 1.x and may
//   only declare the encoding UTF-8 (any letter case).
// - Line ends are normalised as XML 1.0 says (CR LF and a lone CR become LF)
//   before anything else, so both "\r\n" and "\n" files read the same.
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
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "xml/messages.h"
#include "xml/utf_codec.h"
#include "xml/xml_chars.h"

namespace korimo::xml {

// Until the reader and the writer have files of their own.
using namespace detail;

namespace {

// ---------------------------------------------------------------- reader ---

// "UTF-16" or "UTF-32" when the bytes are text in one of these (by its byte
// order mark, or by the zero bytes of the ASCII character that starts every
// XML document), else nullptr.
const char* wideEncoding(std::string_view bytes) {
  const auto at = [&](std::size_t i) {
    return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u;
  };
  if ((at(0) == 0xFF && at(1) == 0xFE && at(2) == 0 && at(3) == 0) ||
      (at(0) == 0 && at(1) == 0 && at(2) == 0xFE && at(3) == 0xFF) ||
      (at(0) != 0 && at(0) < 0x80 && at(1) == 0 && at(2) == 0 && at(3) == 0) ||
      (at(0) == 0 && at(1) == 0 && at(2) == 0 && at(3) != 0 && at(3) < 0x80))
    return "UTF-32";
  if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF) ||
      (at(0) != 0 && at(0) < 0x80 && at(1) == 0) || (at(0) == 0 && at(1) != 0 && at(1) < 0x80))
    return "UTF-16";
  return nullptr;
}

// Checks the whole input (after any BOM) before anything else is read:
// valid UTF-8 of characters XML allows. Returns the text to parse: the input
// itself or, when it holds a CR, a copy in `normalised` with its line ends
// normalised (CR LF and a lone CR become LF). Positions in messages count
// characters of the normalised text.
std::string_view checkDocument(std::string_view bytes, std::string& normalised) {
  if (const char* encoding = wideEncoding(bytes)) {
    throw XmlError(std::string("the file is ") + encoding + "; save it as UTF-8");
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::size_t line = 1;
  std::size_t column = 1;  // of the next character
  bool carriageReturn = false;
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  constexpr std::uint64_t kSpaces = 0x2020202020202020u;
  for (std::size_t i = 0; i < bytes.size();) {
    // Most of any file: eight characters from space to DEL at a time.
    std::uint64_t word = 0;
    if (i + 8 <= bytes.size()) std::memcpy(&word, bytes.data() + i, 8);
    if (i + 8 <= bytes.size() && (word & kHighBits) == 0 &&
        ((word - kSpaces) & ~word & kHighBits) == 0) {
      i += 8, column += 8;
      continue;
    }
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x20 && byte < 0x80) {
      ++i, ++column;
      continue;
    }
    const Decoded d = decodeUtf8(bytes, i);
    if (d.fault != Utf8Fault::kNone) {
      throw XmlError(position(line, column) + "invalid UTF-8 (" + describe(d.fault) + ")");
    }
    if (!isXmlChar(d.codePoint)) {
      throw XmlError(position(line, column) + "character " + hexCode(d.codePoint) +
                     " is not allowed in XML");
    }
    i += d.length;
    if (d.codePoint == '\r') {
      carriageReturn = true;
      if (i < bytes.size() && bytes[i] == '\n') ++i;
    }
    if (d.codePoint == '\r' || d.codePoint == '\n')
      ++line, column = 1;
    else
      ++column;
  }
  if (!carriageReturn) return bytes;
  normalised.clear();
  normalised.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') {
      normalised.push_back(bytes[i]);
      continue;
    }
    normalised.push_back('\n');
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  return normalised;
}

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
    for (;;) {
      const bool spaced = skipSpace();
      if (atEnd()) fail("unterminated start tag");
      if (startsWith("/>")) return pos_ += 2, true;
      if (s_[pos_] == '>') return ++pos_, false;
      if (!spaced) fail("expected white space, '>' or '/>' in the start tag");
      const std::size_t nameAt = pos_;
      const std::string_view name = parseName("an attribute name");
      // UTF-8 spells each character one way only: equal bytes, equal names.
      if (std::find(attributeNames_.begin(), attributeNames_.end(), name) !=
          attributeNames_.end()) {
        failAt(nameAt, "duplicate attribute " + inQuotesUtf8(name));
      }
      attributeNames_.push_back(name);
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
  std::vector<std::string_view> attributeNames_;
};

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

// The declared encoding.
std::u16string parseWith(std::string_view utf8, XmlHandler& handler) {
  if (utf8.size() > kMaxFileBytes) throw XmlError(fileTooLarge());
  std::string normalised;
  return Parser(checkDocument(utf8, normalised)).run(handler);
}

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
  std::u16string encoding = parseWith(utf8, builder);
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
    parseWith(data, handler);
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