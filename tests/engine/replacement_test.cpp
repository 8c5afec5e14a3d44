#include "engine/replacement.h"

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "platform/sim/sim_desktop.h"

namespace korimo {
namespace {

using platform::KeyboardInput;

// An engine over a simulated desktop with one window of a given class; the
// records it injects are kept.
class ReplacementTest : public ::testing::Test {
 protected:
  platform::sim::SimDesktop desktop;
  Engine engine{desktop};
  std::vector<KeyboardInput> sent;

  void SetUp() override {
    desktop.onInjected = [this](const KeyboardInput& input) { sent.push_back(input); };
    window(u"Edit");
  }
  void window(std::u16string className) {
    engine.windows.targetWindow = desktop.openWindow(std::move(className));
  }
  // The events as text: a character as its hex code, a key as +VK / -VK.
  std::string events() {
    std::string out;
    for (const KeyboardInput& in : sent) {
      char item[16];
      if (in.wVk == 0)
        std::snprintf(item, sizeof item, "%04X ", in.wScan);
      else
        std::snprintf(item, sizeof item, "%c%u ", (in.dwFlags & 2) ? '-' : '+', in.wVk);
      out += item;
    }
    if (!out.empty()) out.pop_back();
    sent.clear();
    return out;
  }
};

struct ReplaceCase {
  const char16_t* prev;
  const char16_t* cur;
  const char* events;
};

TEST_F(ReplacementTest, KeepsTheSharedStartDeletesAndTypesTheRest) {
  const ReplaceCase cases[] = {
      {u"0915094D", u"0915", "+8 -8"},
      {u"0915", u"0915093E", "093E"},
      {u"0915094D0938094D", u"0937094D", "+8 -8 +8 -8 +8 -8 +8 -8 0937 094D"},
      {u"0915", u"0915", ""},
      {u"", u"", ""},
      {u"0915094d", u"0915094D", "+8 -8 094D"},  // groups compare as text
  };
  for (const ReplaceCase& c : cases) {
    engine.replacement.backNfront(c.prev, c.cur);
    EXPECT_EQ(events(), c.events) << std::string(c.prev, c.prev + std::u16string(c.prev).size());
  }
}

TEST_F(ReplacementTest, RecordsAreExactlyTheOnesApplicationsExpect) {
  engine.replacement.backNfront(u"0915", u"0916");
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0], (KeyboardInput{1, 8, 0, platform::kKeyEventUnicode, 0, 0}));
  EXPECT_EQ(sent[1], (KeyboardInput{1, 8, 0, platform::kKeyEventKeyUp, 0, 0}));
  EXPECT_EQ(sent[2], (KeyboardInput{1, 0, 0x0916, platform::kKeyEventUnicode, 10, 0}));
}

TEST_F(ReplacementTest, BrowserClassesDeleteWithLeftDeleteAndRetypeTheBase) {
  window(u"Chrome_VistaFrame");
  engine.replacement.bkspc(1, 2, u"0B950BCD");  // consonant + virama
  EXPECT_EQ(events(), "+37 -37 +46 -46 0B95");
  engine.replacement.bkspc(1, 2, u"0B95");
  EXPECT_EQ(events(), "+37 -37 +46 -46");
  // The second browser class keeps a smaller table: 0BBF is a plain character there.
  engine.replacement.bkspc(1, 1, u"0B950BBF");
  EXPECT_EQ(events(), "+37 -37 +46 -46");
  engine.replacement.bkspc(1, 0, u"0B950BBF");
  EXPECT_EQ(events(), "+37 -37 +46 -46 0B95");
  // Two marks after the base: the whole cluster goes, so base and first mark
  // are typed again.
  engine.replacement.bkspc(1, 0, u"091509400902");
  EXPECT_EQ(events(), "+37 -37 +46 -46 0915 0940");
}

TEST_F(ReplacementTest, SupplementaryKeymapsReplaceWholeTextCountingPairsOnce) {
  engine.keymap.activeSmp = true;
  engine.replacement.backNfront(u"D804DC05D804DC06", u"D804DC05");
  EXPECT_EQ(events(), "+8 -8 +8 -8 D804 DC05");
  EXPECT_EQ(Replacement::bkspchowmuch(u"D804DC05D804DC06D804DC07"), 3);
  EXPECT_EQ(Replacement::bkspchowmuch(u"0915094D"), 2);
}

TEST_F(ReplacementTest, MarkTablesAndWindowKinds) {
  EXPECT_TRUE(Replacement::vowelhas(u"0bcd"));
  EXPECT_TRUE(Replacement::vowelhas(u"0BBF"));
  EXPECT_FALSE(Replacement::vowelhas1(u"0BBF"));
  EXPECT_FALSE(Replacement::vowelhas(u"0915"));
  EXPECT_FALSE(Replacement::vowelhas(u"zzzz"));
  const Replacement& r = engine.replacement;
  EXPECT_EQ(r.windowKind(u"Chrome_XPFrame"), 0);
  EXPECT_EQ(r.windowKind(u"{1C03B488-D53B-4a81-97F8-754559640193}"), 1);
  EXPECT_EQ(r.windowKind(u"Chrome_VistaFrame"), 2);
  EXPECT_EQ(r.windowKind(u"Chrome_2003Frame"), 3);
  EXPECT_EQ(r.windowKind(u"chrome_xpframe"), 4);
  EXPECT_EQ(r.windowKind(u"Edit"), 4);
}

TEST_F(ReplacementTest, AGroupThatIsNotHexadecimalStopsTheReplacementQuietly) {
  EXPECT_NO_THROW(engine.replacement.backNfront(u"0915", u"0916zzzz0917"));
  EXPECT_EQ(events(), "+8 -8 0916");
}

TEST_F(ReplacementTest, UnicodeOutputIgnoresAShortTrailingGroup) {
  engine.output.SendunicodeKey(u"");
  engine.output.SendunicodeKey(u"091");
  EXPECT_EQ(events(), "");
  engine.output.SendunicodeKey(u"D83DDE00");
  EXPECT_EQ(events(), "D83D DE00");  // two key-down events, no key-up
}

}  // namespace
}  // namespace korimo
