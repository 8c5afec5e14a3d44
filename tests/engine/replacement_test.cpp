// What the engine asks of the target's text for a change of its code
// string, and the keystrokes TextOutput makes of it in a window.
#include "engine/replacement.h"

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "platform/sim/sim_desktop.h"
#include "platform/text_output.h"

namespace korimo {
namespace {

using platform::KeyboardInput;
using platform::KeysDown;
using platform::TextChange;

// Text written as groups of four hexadecimal digits, as keymaps write it.
std::u16string text(std::u16string_view hex) {
  std::u16string out;
  for (std::size_t i = 0; i + 4 <= hex.size(); i += 4)
    out.push_back(static_cast<char16_t>(
        std::stoul(std::string(hex.begin() + i, hex.begin() + i + 4), nullptr, 16)));
  return out;
}

// An engine whose changes a TextOutput makes in a simulated window of a
// given class; the records sent are kept.
class ReplacementTest : public ::testing::Test {
 protected:
  platform::sim::SimDesktop desktop;
  Engine engine;
  platform::TextOutput output{desktop};
  KeysDown held;
  std::vector<KeyboardInput> sent;
  platform::WindowHandle target{};

  void SetUp() override {
    desktop.onInjected = [this](const KeyboardInput& input) { sent.push_back(input); };
    window(u"Edit");
  }
  void window(std::u16string className) {
    auto marks = platform::sim::clusterMarksFor(className);
    target = desktop.openWindow(std::move(className), std::move(marks));
  }
  // The change the engine made, applied; the records as text: a character
  // as its hex code (its press only), a key as +VK / -VK.
  std::string apply() {
    EXPECT_TRUE(output.apply(engine.replacement.change(), target, held));
    std::string out;
    for (const KeyboardInput& in : sent) {
      char item[16];
      if (in.wVk == 0 && (in.dwFlags & platform::kKeyEventKeyUp)) continue;
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
  // The engine has typed shown at the caret.
  void typed(std::u16string_view shownHex) {
    engine.replacement.forgetShown();
    engine.replacement.replace(u"", text(shownHex));
    apply();
  }
  void replace(std::u16string_view beforeHex, std::u16string_view afterHex) {
    engine.replacement.replace(text(beforeHex), text(afterHex));
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
      {u"0915094d", u"0915094D", ""},  // the same text however it is written
  };
  for (const ReplaceCase& c : cases) {
    replace(c.prev, c.cur);
    EXPECT_EQ(apply(), c.events) << std::string(c.prev, c.prev + std::u16string(c.prev).size());
  }
}

TEST_F(ReplacementTest, RecordsAreTheOnesWindowsDocumentsForInjectedKeys) {
  typed(u"0915");
  replace(u"0915", u"0916");
  apply();
  const std::vector<KeyboardInput> expected = {
      // Backspace, a real key with its scan code
      {1, 8, 0x0E, 0, 0, 0},
      {1, 8, 0x0E, platform::kKeyEventKeyUp, 0, 0},
      // a character: virtual key 0, a press and a release, time 0
      {1, 0, 0x0916, platform::kKeyEventUnicode, 0, 0},
      {1, 0, 0x0916, platform::kKeyEventUnicode | platform::kKeyEventKeyUp, 0, 0}};
  EXPECT_EQ(output.lastRecords().size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), output.lastRecords().begin()));
  EXPECT_EQ(desktop.text(target), u"\u0916");
}

TEST_F(ReplacementTest, BrowserClassesDeleteWithLeftDeleteAndRetypeTheBase) {
  struct Case {
    const char16_t* className;
    const char16_t* shown;
    const char* events;
  };
  const Case cases[] = {
      {u"Chrome_VistaFrame", u"0B950BCD", "+37 -37 +46 -46 0B95"},  // consonant + virama
      {u"Chrome_VistaFrame", u"0B95", "+37 -37 +46 -46"},
      // The second browser class keeps a smaller table: 0BBF is a plain character there.
      {u"{1C03B488-D53B-4a81-97F8-754559640193}", u"0B950BBF", "+37 -37 +46 -46"},
      {u"Chrome_XPFrame", u"0B950BBF", "+37 -37 +46 -46 0B95"},
      // Two marks after the base: the whole cluster goes, so base and first
      // mark are typed again.
      {u"Chrome_XPFrame", u"091509400902", "+37 -37 +46 -46 0915 0940"},
  };
  for (const Case& c : cases) {
    window(c.className);
    typed(c.shown);
    const std::u16string shown = c.shown;
    replace(shown, shown.substr(0, shown.size() - 4));
    EXPECT_EQ(apply(), c.events);
  }
  // A Left and Delete are extended keys.
  EXPECT_EQ(output.lastRecords()[0],
            (KeyboardInput{1, 0x25, 0x4B, platform::kKeyEventExtendedKey, 0, 0}));
}

TEST_F(ReplacementTest, AnUnknownCharacterIsTakenBackWithBackspaceInEveryWindow) {
  window(u"Chrome_XPFrame");
  engine.replacement.takeBackUnknown();
  EXPECT_EQ(apply(), "+8 -8");
}

TEST_F(ReplacementTest, SupplementaryKeymapsReplaceWholeTextCountingPairsOnce) {
  engine.keymap.activeSmp = true;
  replace(u"D804DC05D804DC06", u"D804DC05");
  EXPECT_EQ(apply(), "+8 -8 +8 -8 D804 DC05");
  EXPECT_EQ(Replacement::characterCount(text(u"D804DC05D804DC06D804DC07")), 3);
  EXPECT_EQ(Replacement::characterCount(text(u"0915094D")), 2);
}

TEST_F(ReplacementTest, MarkTablesAndDeletionMethods) {
  using platform::Deletion;
  EXPECT_TRUE(platform::isClusterMark(Deletion::ClusterAllMarks, 0x0BCD));
  EXPECT_TRUE(platform::isClusterMark(Deletion::ClusterAllMarks, 0x0BBF));
  EXPECT_FALSE(platform::isClusterMark(Deletion::ClusterSomeMarks, 0x0BBF));
  EXPECT_FALSE(platform::isClusterMark(Deletion::ClusterAllMarks, 0x0915));
  EXPECT_FALSE(platform::isClusterMark(Deletion::Backspace, 0x0BCD));
  EXPECT_EQ(platform::deletionFor(u"Chrome_XPFrame"), Deletion::ClusterAllMarks);
  EXPECT_EQ(platform::deletionFor(u"{1C03B488-D53B-4a81-97F8-754559640193}"),
            Deletion::ClusterSomeMarks);
  EXPECT_EQ(platform::deletionFor(u"Chrome_VistaFrame"), Deletion::ClusterAllMarks);
  EXPECT_EQ(platform::deletionFor(u"Chrome_2003Frame"), Deletion::ClusterAllMarks);
  EXPECT_EQ(platform::deletionFor(u"chrome_xpframe"), Deletion::Backspace);
  EXPECT_EQ(platform::deletionFor(u"Edit"), Deletion::Backspace);
}

// Keys the user holds combine with injected ones: with Shift down, Left
// selects and Delete cuts. Shift is lifted around the editing keys and
// pressed again after them, and the clipboard stays as it was.
TEST_F(ReplacementTest, ShiftHeldByTheUserIsLiftedAroundEditingKeys) {
  desktop.clipboard = u"kept";
  for (const char16_t* className : {u"Edit", u"Chrome_XPFrame"}) {
    window(className);
    typed(u"0915094D");
    held.set(platform::kVkLShift, true);
    replace(u"0915094D", u"0916");
    const std::string events = apply();
    EXPECT_TRUE(events.starts_with("-160")) << events;
    EXPECT_TRUE(events.ends_with("+160")) << events;
    EXPECT_EQ(desktop.text(target), u"\u0916");
    EXPECT_EQ(desktop.clipboard, u"kept");
    held.set(platform::kVkLShift, false);
  }
  // Only text: nothing to lift.
  held.set(platform::kVkRShift, true);
  replace(u"", u"0915");
  EXPECT_EQ(apply(), "0915");
}

TEST_F(ReplacementTest, ARefusedSendIsReported) {
  desktop.inputBlocked = true;
  replace(u"", u"0915");
  EXPECT_FALSE(output.apply(engine.replacement.change(), target, held));
}

}  // namespace
}  // namespace korimo
