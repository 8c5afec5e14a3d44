// The check of a document's bytes before the reader reads them: its size,
// its encoding (only UTF-8 is read; UTF-16 and UTF-32 are refused by name),
// the validity of its UTF-8 and its characters, and the normalisation of its
// line ends that XML 1.0 asks for (CR LF and a lone CR become LF), so that
// "\r\n" and "\n" files read the same.

#include "xml/input_check.h"

#include <cstdint>
#include <cstring>

#include "xml/messages.h"
#include "xml/utf_codec.h"
#include "xml/xml_chars.h"
#include "xml/xml_document.h"

namespace korimo::xml::detail {
namespace {

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

}  // namespace

std::string_view checkDocument(std::string_view bytes, std::string& normalised) {
  if (bytes.size() > kMaxFileBytes) throw XmlError(fileTooLarge());
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
    if (d.fault != Utf8Fault::None) {
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

}  // namespace korimo::xml::detail
