// Pieces of the reader's and the writer's error messages (see messages.h).

#include "xml/messages.h"

#include "text/unicode_text.h"
#include "xml/utf_codec.h"
#include "xml/xml_document.h"

namespace korimo::xml::detail {
namespace {

// Texts quoted in messages are cut after this many characters.
constexpr std::size_t kQuotedLength = 60;

}  // namespace

std::string position(std::size_t line, std::size_t column) {
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
}

std::string hexCode(char32_t c) { return "U+" + text::hex(c, c > 0xFFFF ? 6 : 4); }

std::string inQuotes(const std::u32string& text) {
  std::string out = "'";
  for (std::size_t i = 0; i < text.size() && i < kQuotedLength; ++i) appendUtf8(out, text[i]);
  return out + (text.size() > kQuotedLength ? "...'" : "'");
}

std::string inQuotes(std::u16string_view text) {
  std::string out = "'";
  std::size_t shown = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (shown++ == kQuotedLength) return out + "...'";
    const char32_t c = nextCodePoint(text, i);
    appendUtf8(out, isSurrogate(c) ? char32_t{0xFFFD} : c);
  }
  return out + "'";
}

std::string inQuotesUtf8(std::string_view text) {
  std::u32string codePoints;
  for (std::size_t i = 0; i < text.size(); i += decodeUtf8(text, i).length)
    codePoints.push_back(decodeUtf8(text, i).codePoint);
  return inQuotes(codePoints);
}

std::string fileTooLarge() {
  return "the file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB";
}

}  // namespace korimo::xml::detail
