#include "ui/script_fonts.h"

#include <gtest/gtest.h>

#include <vector>

namespace korimo::ui {
namespace {

using Faces = std::vector<std::u16string_view>;

Faces facesOf(std::u16string_view text) {
  const auto faces = scriptFaces(scriptOf(text));
  return {faces.begin(), faces.end()};
}

TEST(ScriptFontsTest, TheScriptOfATextPicksItsFaces) {
  struct Case {
    std::u16string_view text;
    Script script;
    Faces faces;
  };
  const Case cases[] = {
      {u"\u0915\u094D", Script::Devanagari, {u"Nirmala UI", u"Mangal"}},
      {u"\u0995", Script::Bengali, {u"Nirmala UI", u"Vrinda"}},
      {u"\u09F0", Script::Bengali, {u"Nirmala UI", u"Vrinda"}},  // Assamese ra
      {u"\u0A15", Script::Gurmukhi, {u"Nirmala UI", u"Raavi"}},
      {u"\u0A95", Script::Gujarati, {u"Nirmala UI", u"Shruti"}},
      {u"\u0B15\u0B4D", Script::Odia, {u"Nirmala UI", u"Kalinga"}},
      {u"\u0B95\u0BCD", Script::Tamil, {u"Nirmala UI", u"Latha"}},
      {u"\u0C15", Script::Telugu, {u"Nirmala UI", u"Gautami"}},
      {u"\u0C95", Script::Kannada, {u"Nirmala UI", u"Tunga"}},
      {u"\u0D15", Script::Malayalam, {u"Nirmala UI", u"Kartika"}},
      // Meetei Mayek, its extensions, and Ol Chiki: Nirmala UI alone.
      {u"\uABC0", Script::MeeteiMayek, {u"Nirmala UI"}},
      {u"\uAAE0", Script::MeeteiMayek, {u"Nirmala UI"}},
      {u"\u1C5A\u1C7A", Script::OlChiki, {u"Nirmala UI"}},
      // Perso-Arabic in each of its blocks.
      {u"\u06A9", Script::Arabic, {u"Urdu Typesetting", u"Segoe UI", u"Tahoma"}},
      {u"\u0750", Script::Arabic, {u"Urdu Typesetting", u"Segoe UI", u"Tahoma"}},
      {u"\u08A0", Script::Arabic, {u"Urdu Typesetting", u"Segoe UI", u"Tahoma"}},
      {u"\uFB50", Script::Arabic, {u"Urdu Typesetting", u"Segoe UI", u"Tahoma"}},
      {u"\uFEFB", Script::Arabic, {u"Urdu Typesetting", u"Segoe UI", u"Tahoma"}},
      // The shared dandas and joiners decide only when nothing else does.
      {u"\u0964\u0995", Script::Bengali, {u"Nirmala UI", u"Vrinda"}},
      {u"\u200D\u0D15", Script::Malayalam, {u"Nirmala UI", u"Kartika"}},
      {u"\u0965", Script::Devanagari, {u"Nirmala UI", u"Mangal"}},
      // Latin text, joiners alone, empty text, the blocks' neighbours: none.
      {u"ka", Script::None, {}},
      {u"\u200C", Script::None, {}},
      {u"", Script::None, {}},
      {u"\u0D80\u1C4F\u1C80\uABBF\uAB00\u0780", Script::None, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(scriptOf(c.text), c.script) << int(c.text.empty() ? 0 : c.text[0]);
    EXPECT_EQ(facesOf(c.text), c.faces) << int(c.text.empty() ? 0 : c.text[0]);
  }
}

TEST(ScriptFontsTest, PersoArabicLettersAreSetAThirdLarger) {
  EXPECT_EQ(fontHeightFor(Script::Arabic, 13), 17);
  EXPECT_EQ(fontHeightFor(Script::Arabic, 20), 26);
  EXPECT_EQ(fontHeightFor(Script::Devanagari, 13), 13);
  EXPECT_EQ(fontHeightFor(Script::OlChiki, 13), 13);
}

TEST(ScriptFontsTest, TextReadsRightToLeftByItsFirstStrongLetter) {
  struct Case {
    std::u16string_view text;
    bool rightToLeft;
  };
  const Case cases[] = {
      {u"\u0627\u06CC", true},      // Urdu aa, ye
      {u"\u06BA", true},            // Urdu noon ghunna
      {u"\u067B", true},            // Sindhi bbe
      {u"\u0672", true},            // Kashmiri alef with wavy hamza
      {u"\uFB56", true},            // a presentation form
      {u"\u05D0", true},            // Hebrew alef
      {u"(\u0628)", true},          // punctuation first, then a letter
      {u"\u064E\u0628", true},      // a mark first
      {u"\u06F1\u0628", true},      // a digit first
      {u"\U00010900", true},        // Phoenician, beyond the first plane
      {u"a\u0628", false},          // a Latin letter first
      {u"\u0915", false},           // Devanagari
      {u"\u1C5A", false},           // Ol Chiki
      {u"\uABC0", false},           // Meetei Mayek
      {u"(", false},                // punctuation alone stays as it is
      {u"\u06F1\u06F2", false},     // digits alone
      {u"\u064E", false},           // a mark alone
      {u"\u060C", false},           // the Arabic comma alone
      {u"", false},                 //
      {u"\xD802", false},           // a lone surrogate
      {u"\u200D\u0627", true},      // a joiner first
      {u"\U0001F600\u05D0", true},  // an emoji first
  };
  for (const Case& c : cases)
    EXPECT_EQ(readsRightToLeft(c.text), c.rightToLeft)
        << int(c.text.empty() ? 0 : c.text[0]) << " " << c.text.size();
}

}  // namespace
}  // namespace korimo::ui
