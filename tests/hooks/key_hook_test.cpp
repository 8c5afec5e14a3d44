// The keyboard hook component over the simulated keyboard-hook library:
// what each keystroke decodes to, and how the handler decides the fate of
// the key it is handling.
#include "hooks/key_hook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_hooks.h"

namespace korimo::hooks {
namespace {

using platform::sim::SimDesktop;
using platform::sim::SimHookPlatform;

constexpr std::uint32_t kShift = 0xA0, kRControl = 0xA3, kLControl = 0xA2, kAlt = 0xA4,
                        kCaps = 0x14, kLeft = 0x25, kF5 = 0x74, kQuote = 0xDE;

using Event = KeyReport;

class KeyHookTest : public ::testing::Test {
 protected:
  void start(bool lowLevel = true) {
    hook.setLowLevel(lowLevel);
    // The classic hook runs in the thread that has the keyboard focus.
    sim.threadHasFocus = !lowLevel;
    hook.setReportMessage(sim.registerWindowMessage(u"keyhook_msg"));
    hook.setKeyHandler([this](KeyHook&, const KeyReport& s) {
      events.push_back(s);
      if (also) also(s);
    });
    ASSERT_TRUE(hook.start());
  }
  const Event& last() const { return events.back(); }

  SimHookPlatform sim;
  KeyHook hook{sim};
  std::vector<Event> events;
  std::function<void(const KeyReport&)> also;
};

TEST_F(KeyHookTest, CreatedWithItsDefaults) {
  EXPECT_EQ(hook.reportMessage(), 0x0464u);
  EXPECT_FALSE(hook.withholding());
  EXPECT_FALSE(hook.reportsInjected());
  EXPECT_FALSE(hook.lowLevel());
  EXPECT_EQ(hook.keyboardLayout(), u"00000409");
  EXPECT_EQ(hook.keyboardLayoutHandle(), SimHookPlatform::kUsLayout);
}

TEST_F(KeyHookTest, StartAndUpdatePassTheFlagsAsTheyStand) {
  hook.setLowLevel(true);
  hook.setWithholding(true);
  ASSERT_TRUE(hook.start());
  hook.setReportsInjected(true);  // stored only
  hook.setWithholding(false);
  EXPECT_EQ(sim.exportCalls.size(), 1u);
  EXPECT_TRUE(hook.update());
  std::string window = std::to_string(hook.reportWindow());
  EXPECT_EQ(sim.exportCalls,
            (std::vector<std::string>{"KeyboardHook_StartLL " + window + " 1124 1 0",
                                      "KeyboardHook_UpdateHookLL 0 1"}));
}

TEST_F(KeyHookTest, ClassicModeCallsTheClassicExports) {
  hook.setWithholding(true);
  ASSERT_TRUE(hook.start());
  EXPECT_TRUE(hook.update());
  EXPECT_TRUE(hook.stop());
  std::string window = std::to_string(hook.reportWindow());
  EXPECT_EQ(sim.exportCalls,
            (std::vector<std::string>{"KeyboardHook_Start " + window + " 1124 1",
                                      "KeyboardHook_UpdateHook 1", "KeyboardHook_Stop"}));
}

TEST_F(KeyHookTest, EveryReportIsAnsweredWithOrWithoutAHandler) {
  hook.setLowLevel(true);
  ASSERT_TRUE(hook.start());
  sim.type('A');
  EXPECT_EQ(sim.reportAnswers, (std::vector<std::intptr_t>{1, 1}));
  EXPECT_EQ(sim.deliveredKeys.size(), 2u);
  EXPECT_TRUE(sim.errors.empty());
}

struct Decoding {
  const char* what;
  std::vector<std::uint32_t> heldFirst;
  std::uint32_t vk;
  char16_t keyChar;
  bool ctrl, alt;
};
void PrintTo(const Decoding& d, std::ostream* os) { *os << d.what; }

class KeyDecoding : public KeyHookTest, public ::testing::WithParamInterface<Decoding> {};

// Decoding asks the system nothing: the character comes from the layout's
// table built when the hook started, the modifiers from the reports.
TEST_P(KeyDecoding, PressesCarryTheCharacterWithoutAskingTheSystem) {
  const Decoding& c = GetParam();
  start();
  for (auto vk : c.heldFirst) sim.press(vk);
  events.clear();
  const int queries = sim.keyboardQueries;
  sim.type(c.vk);
  EXPECT_EQ(sim.keyboardQueries, queries);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].character, c.keyChar);
  EXPECT_EQ(events[1].character, 0);  // a release is not translated
  for (const Event& e : events) {
    EXPECT_EQ(e.vk, c.vk);
    EXPECT_FALSE(e.injected);
  }
  // The modifier state is the one before the event itself.
  EXPECT_EQ(events[0].ctrl, c.ctrl);
  EXPECT_EQ(events[0].alt, c.alt);
  EXPECT_TRUE(events[0].down);
  EXPECT_FALSE(events[1].down);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyDecoding,
    ::testing::Values(Decoding{"letter", {}, 'A', u'a', false, false},
                      Decoding{"shifted letter", {kShift}, 'A', u'A', false, false},
                      Decoding{"shifted digit", {kShift}, '1', u'!', false, false},
                      Decoding{"ctrl letter", {kLControl}, 'A', 0x01, true, false},
                      Decoding{"alt letter", {kAlt}, 'X', u'x', false, true},
                      Decoding{"arrow", {}, kLeft, 0, false, false},
                      Decoding{"function key", {}, kF5, 0, false, false},
                      Decoding{"right ctrl", {}, kRControl, 0, false, false},
                      Decoding{"insert", {}, 0x2D, 0, false, false}),
    [](const auto& info) {
      std::string n = info.param.what;
      for (char& ch : n)
        if (ch == ' ') ch = '_';
      return n;
    });

TEST_F(KeyHookTest, AltKeysArriveAsSystemKeyDownsAndStillCountAsPresses) {
  start();
  sim.press(kAlt);
  sim.press('D');
  EXPECT_TRUE(last().down);
  EXPECT_TRUE(last().alt);
}

struct CapsCase {
  bool shift;
  std::uint32_t vk;
  char16_t expected;
};
void PrintTo(const CapsCase& c, std::ostream* os) {
  *os << (c.shift ? "Shift+" : "") << static_cast<char>(c.vk);
}

class CapsLock : public KeyHookTest, public ::testing::WithParamInterface<CapsCase> {};

TEST_P(CapsLock, LettersAreCapitalsWithOrWithoutShift) {
  start();
  sim.type(kCaps);
  if (GetParam().shift) sim.press(kShift);
  sim.press(GetParam().vk);
  EXPECT_EQ(last().character, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, CapsLock,
                         ::testing::Values(CapsCase{false, 'A', u'A'}, CapsCase{true, 'A', u'A'},
                                           CapsCase{false, '1', u'1'}, CapsCase{true, '1', u'!'}));

TEST_F(KeyHookTest, CapsLockHeldDownIsNotAdjustedFor) {
  start();
  sim.type(kCaps);
  sim.press(kShift);
  sim.press(kCaps);  // toggled off again, and held
  sim.press('A');
  EXPECT_EQ(last().character, u'A');
}

TEST_F(KeyHookTest, CapsLockFollowsItsPressesNotItsAutoRepeats) {
  start();
  sim.press(kCaps);
  sim.press(kCaps);  // an auto-repeat
  sim.release(kCaps);
  EXPECT_TRUE(hook.capsLockOn());
  sim.press('A');
  EXPECT_EQ(last().character, u'A');
  sim.type(kCaps);
  EXPECT_FALSE(hook.capsLockOn());
  sim.press('B');
  EXPECT_EQ(last().character, u'b');
}

TEST_F(KeyHookTest, KeysHeldBeforeTheStartAreKnown) {
  sim.type(kCaps);
  sim.press(kShift);
  sim.type('Q');  // the thread's own view of the keyboard has caught up with Caps Lock by now
  start();
  EXPECT_TRUE(hook.keysDown()[kShift]);
  EXPECT_TRUE(hook.keysDown()[0x10]);  // the generic Shift follows its sides
  EXPECT_TRUE(hook.capsLockOn());
  sim.press('1');
  EXPECT_EQ(last().character, u'!');
}

TEST_F(KeyHookTest, ClassicModeDecodesTheKeystrokeFlagWord) {
  start(false);
  sim.press(kAlt);
  sim.press(kLeft);
  const KeyReport& s = last();
  EXPECT_EQ(s.vk, kLeft);
  EXPECT_TRUE(s.down);
  EXPECT_TRUE(s.alt);
  EXPECT_EQ(s.scanCode, 1u | (0x4Bu << 16) | (1u << 24) | (1u << 29));
  EXPECT_FALSE(s.injected);
  sim.release(kLeft);
  EXPECT_FALSE(last().down);
}

// The way the program uses the hook: the handler decides whether the key
// being handled reaches the application, and types its own text instead.
class KeyWithholding : public KeyHookTest {
 protected:
  KeyWithholding() {
    sim.desktop = &desktop;
    target = desktop.openWindow(u"Edit");
  }
  SimDesktop desktop;
  platform::WindowHandle target{};
};

// The application's own translation leaves a dead key pending; the hook's
// decoding must not take it, or the accent is lost (Windows keeps one
// dead-key state, which a translation without the keep-state flag changes).
TEST_F(KeyWithholding, ADeadKeyStaysPendingForTheApplication) {
  sim.addDeadKey(kQuote, u'\'', {{u'e', u'\u00E9'}});
  start();
  sim.press(kQuote);
  EXPECT_EQ(last().character, u'\'');
  sim.release(kQuote);
  EXPECT_TRUE(sim.deadKeyPending());
  sim.type('E');
  EXPECT_EQ(desktop.text(target), u"\u00E9");
}

TEST_F(KeyWithholding, TheHandlerWithholdsTheVeryKeyItHandles) {
  also = [this](const KeyReport& s) {
    bool want = s.vk == 'Q';
    if (want != hook.withholding()) {
      hook.setWithholding(want);
      hook.update();
    }
  };
  start();
  for (std::uint32_t vk : {'W', 'Q', 'E', 'Q', 'R'}) sim.type(vk);
  EXPECT_EQ(desktop.text(target), u"wer");
  EXPECT_EQ(events.size(), 10u);
}

TEST_F(KeyWithholding, OwnOutputPassesUnreportedWhileKeysAreWithheld) {
  also = [this](const KeyReport& s) {
    if (s.vk != 'K') return;
    hook.setWithholding(true);
    hook.update();
    if (!s.down) return;
    // Typed from inside the handler, as the engine does.
    platform::KeyboardInput in;
    in.wScan = u'\u0915';
    in.dwFlags = platform::kKeyEventUnicode;
    sim.sendInput({&in, 1});
  };
  start();
  sim.type('K');
  EXPECT_EQ(desktop.text(target), u"\u0915");
  EXPECT_EQ(events.size(), 2u);
}

TEST_F(KeyWithholding, InjectedKeysAreReportedAndWithheldWhenAskedFor) {
  start();
  hook.setReportsInjected(true);
  hook.setWithholding(true);
  hook.update();
  platform::KeyboardInput in;
  in.wVk = 'Z';
  sim.sendInput({&in, 1});
  ASSERT_EQ(events.size(), 1u);
  EXPECT_TRUE(last().injected);
  EXPECT_EQ(desktop.text(target), u"");
}

TEST_F(KeyWithholding, ANestedReportLeavesTheOuterRecordsAlone) {
  std::vector<std::uint32_t> outerAfterNested;
  hook.setKeyHandler([&](KeyHook& h, const KeyReport& s) {
    events.push_back(s);
    if (s.vk == 'J' && s.down) {
      h.setReportsInjected(true);
      h.update();
      platform::KeyboardInput in;
      in.wVk = 'X';
      sim.sendInput({&in, 1});  // reported nested in this call
      outerAfterNested.push_back(s.vk);
      outerAfterNested.push_back(s.character);
    }
  });
  hook.setLowLevel(true);
  ASSERT_TRUE(hook.start());
  sim.press('J');
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].vk, std::uint32_t('X'));
  EXPECT_TRUE(events[1].injected);
  EXPECT_EQ(outerAfterNested, (std::vector<std::uint32_t>{'J', u'j'}));
}

TEST_F(KeyWithholding, AHandlerErrorIsReportedAndTheHookKeepsRunning) {
  also = [](const KeyReport& s) {
    if (s.vk == 'B') throw std::runtime_error("handler failed");
  };
  start();
  sim.press('B');
  sim.press('C');
  EXPECT_EQ(sim.errors, std::vector<std::string>{"handler failed"});
  EXPECT_EQ(sim.reportAnswers, (std::vector<std::intptr_t>{1, 1}));
  EXPECT_EQ(desktop.text(target), u"bc");
  EXPECT_EQ(events.size(), 2u);
}

}  // namespace
}  // namespace korimo::hooks

namespace korimo::hooks {
namespace {

TEST_F(KeyHookTest, AHandlerMayStopTheHookWhileItsLibraryIsStillOnTheStack) {
  int liveInHandler = -1;
  also = [&](const KeyReport&) {
    EXPECT_TRUE(hook.stop());
    liveInHandler = sim.liveLibraries();
  };
  start();
  sim.press('A');
  // The library's hook procedure returned into it after the handler: it is
  // released only at the next start.
  EXPECT_EQ(liveInHandler, 1);
  EXPECT_EQ(sim.liveLibraries(), 1);
  EXPECT_FALSE(hook.running());
  EXPECT_FALSE(hook.libraryLoaded());
  also = nullptr;
  EXPECT_TRUE(hook.start());
  EXPECT_EQ(sim.liveLibraries(), 1);
  sim.press('B');
  EXPECT_EQ(events.back().vk, std::uint32_t('B'));
}

}  // namespace
}  // namespace korimo::hooks
