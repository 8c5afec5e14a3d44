#include "ui/script_fonts.h"

#include <gtest/gtest.h>

namespace korimo::ui {
namespace {

TEST(ScriptFontsTest, TheScriptOfATextPicksItsUsualFont) {
  struct Case {
    std::u16string_view text;
    IndicScript script;
    std::u16string_view font;
  } cases[] = {
      {u"\u0915\u094D", IndicScript::Devanagari, u"Mangal"},
      {u"\u0995", IndicScript::Bengali, u"Vrinda"},
      {u"\u0A15", IndicScript::Gurmukhi, u"Raavi"},
      {u"\u0A95", IndicScript::Gujarati, u"Shruti"},
      {u"\u0B95\u0BCD", IndicScript::Tamil, u"Latha"},
      {u"\u0C15", IndicScript::Telugu, u"Gautami"},
      {u"\u0C95", IndicScript::Kannada, u"Tunga"},
      {u"\u0D15", IndicScript::Malayalam, u"Kartika"},
      // Signs shared by the scripts decide nothing while a letter follows.
      {u"\u0964\u0995", IndicScript::Bengali, u"Vrinda"},
      {u"\u200D\u0D15", IndicScript::Malayalam, u"Kartika"},
      {u"\u0965", IndicScript::Devanagari, u"Mangal"},
      // Latin text, digits, empty text: no Indian script.
      {u"ka", IndicScript::None, u""},
      {u"\u200C", IndicScript::None, u""},
      {u"", IndicScript::None, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(scriptOf(c.text), c.script);
    EXPECT_EQ(usualFont(scriptOf(c.text)), c.font);
  }
}

TEST(ScriptFontsTest, NirmalaUiComesFirstForIndianTextOnly) {
  using Faces = std::vector<std::u16string_view>;
  EXPECT_EQ(fontCandidates(u"\u0B85", u"Tahoma"), (Faces{u"Nirmala UI", u"Latha"}));
  EXPECT_EQ(fontCandidates(u"A", u"Tahoma"), (Faces{u"Tahoma"}));
  EXPECT_EQ(fontCandidates(u"", u"Arial"), (Faces{u"Arial"}));
}

}  // namespace
}  // namespace korimo::ui
