#include "text/unicode_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace korimo::text {
namespace {

using ::testing::HasSubstr;

TEST(UnicodeText, ConvertsBothWays) {
  const std::string utf8 = "A\xC3\xA9\xE0\xA4\x95\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF";
  const std::u16string utf16 = u"A\u00E9\u0915\u20AC\U0001F600\U0010FFFF";
  EXPECT_EQ(utf8ToUtf16(utf8), utf16);
  EXPECT_EQ(utf16ToUtf8(utf16), utf8);
  for (const std::u16string& bad : {std::u16string(1, u'\xD800'), std::u16string(u"x") + u'\xDC00',
                                    std::u16string(1, u'\xD83D') + u"x"}) {
    EXPECT_THROW(utf16ToUtf8(bad), EncodingError);
  }
}

TEST(UnicodeText, InvalidUtf8NamesByteAndFault) {
  const struct {
    const char* bytes;
    const char* what;
  } cases[] = {
      {"\xC0\x80", "overlong"},         {"\xE0\x80\xAF", "overlong"}, {"\xED\xA0\x80", "surrogate"},
      {"\xF4\x90\x80\x80", "U+10FFFF"}, {"\xE2\x82", "truncated"},    {"\xE2\x82x", "truncated"},
      {"\x80", "continuation"},         {"\xFF", "never occurs"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.bytes)));
    try {
      utf8ToUtf16(std::string("ok") + c.bytes);
      ADD_FAILURE() << "converted without error";
    } catch (const EncodingError& e) {
      EXPECT_THAT(e.what(), HasSubstr("at byte 2"));
      EXPECT_THAT(e.what(), HasSubstr(c.what));
    }
  }
}

TEST(UnicodeText, CharactersCountSurrogatePairsOnce) {
  const std::u16string text = u"\u0915\U00011000a";
  EXPECT_EQ(characterCount(text), 3u);
  EXPECT_EQ(lastCharacterUnits(u"\u0915\U00011000"), 2u);
  EXPECT_EQ(lastCharacterUnits(std::u16string(1, u'\xDC00')), 1u);  // a lone low surrogate
  EXPECT_EQ(lastCharacterUnits(u""), 0u);
  std::size_t i = 1;
  EXPECT_EQ(nextCodePoint(text, i), U'\U00011000');
  EXPECT_EQ(i, 3u);
}

TEST(UnicodeText, Hexadecimal) {
  EXPECT_EQ(parseHex(u"FFFF"), 0xFFFFu);
  EXPECT_EQ(parseHex(u"6b"), 0x6Bu);
  EXPECT_EQ(parseHex(u"FFFFFFFF"), 0xFFFFFFFFu);
  for (std::u16string_view bad : {u"", u"123456789", u"12G4", u"-1", u" 1"})
    EXPECT_EQ(parseHex(bad), std::nullopt) << std::u16string(bad).size();
  EXPECT_EQ(hex(0x94D, 4), "094D");
  EXPECT_EQ(hex(0x1F600, 4), "1F600");
  EXPECT_EQ(hex(0, 1), "0");
}

}  // namespace
}  // namespace korimo::text
