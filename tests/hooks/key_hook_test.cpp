// The keyboard hook component over the simulated keyboard-hook library:
// what each keystroke decodes to, and how the handler decides the fate of
// the key it is handling.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hooks/cp_key_hook.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_hooks.h"

namespace korimo::hooks {
namespace {

using platform::sim::SimDesktop;
using platform::sim::SimHookPlatform;

constexpr std::uint32_t kShift = 0xA0, kRControl = 0xA3, kLControl = 0xA2, kAlt = 0xA4,
                        kCaps = 0x14, kLeft = 0x25, kF5 = 0x74, kQuote = 0xDE;

struct Event {
  TKeyStates states;
  TKeyNames names;
};

class KeyHook : public ::testing::Test {
 protected:
  void start(bool lowLevel = true) {
    hook.SetLowLevelHook(lowLevel);
    // The classic hook runs in the thread that has the keyboard focus.
    sim.threadHasFocus = !lowLevel;
    hook.SetUserHookMsg(sim.registerWindowMessage(u"keyhook_msg"));
    hook.SetOnKey([this](TCPKeyHook&, const TKeyStates& s, const TKeyNames& n) {
      events.push_back({s, n});
      if (also) also(s);
    });
    ASSERT_TRUE(hook.Start_KeyHook());
  }
  const Event& last() const { return events.back(); }

  SimHookPlatform sim;
  TCPKeyHook hook{sim};
  std::vector<Event> events;
  std::function<void(const TKeyStates&)> also;
};

TEST_F(KeyHook, CreatedWithItsDefaults) {
  EXPECT_EQ(hook.UserHookMsg(), 0x0464u);
  EXPECT_FALSE(hook.DisableKeyboard());
  EXPECT_FALSE(hook.HookInjected());
  EXPECT_FALSE(hook.LowLevelHook());
  EXPECT_EQ(hook.KeyboardLayout(), u"00000409");
  EXPECT_EQ(hook.KeyboardLayoutHandle(), SimHookPlatform::kUsLayout);
  EXPECT_EQ(hook.keyRepeatCounter(), 0);
}

TEST_F(KeyHook, StartAndUpdatePassTheFlagsAsTheyStand) {
  hook.SetLowLevelHook(true);
  hook.SetDisableKeyboard(true);
  ASSERT_TRUE(hook.Start_KeyHook());
  hook.SetHookInjected(true);  // stored only
  hook.SetDisableKeyboard(false);
  EXPECT_EQ(sim.exportCalls.size(), 1u);
  EXPECT_TRUE(hook.UpdateHook());
  std::string window = std::to_string(hook.WindowHandle());
  EXPECT_EQ(sim.exportCalls,
            (std::vector<std::string>{"KeyboardHook_StartLL " + window + " 1124 1 0",
                                      "KeyboardHook_UpdateHookLL 0 1"}));
}

TEST_F(KeyHook, ClassicModeCallsTheClassicExports) {
  hook.SetDisableKeyboard(true);
  ASSERT_TRUE(hook.Start_KeyHook());
  EXPECT_TRUE(hook.UpdateHook());
  EXPECT_TRUE(hook.Stop_KeyHook());
  std::string window = std::to_string(hook.WindowHandle());
  EXPECT_EQ(sim.exportCalls,
            (std::vector<std::string>{"KeyboardHook_Start " + window + " 1124 1",
                                      "KeyboardHook_UpdateHook 1", "KeyboardHook_Stop"}));
}

TEST_F(KeyHook, EveryReportIsAnsweredWithOrWithoutAHandler) {
  hook.SetLowLevelHook(true);
  ASSERT_TRUE(hook.Start_KeyHook());
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
  bool shift, ctrl, alt, extended;
};
void PrintTo(const Decoding& d, std::ostream* os) { *os << d.what; }

class KeyDecoding : public KeyHook, public ::testing::WithParamInterface<Decoding> {};

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
  EXPECT_EQ(events[0].names.KeyChar, c.keyChar);
  EXPECT_EQ(events[1].names.KeyChar, 0);  // a release is not translated
  for (const Event& e : events) {
    EXPECT_EQ(e.states.KeyInfo.vkCode, c.vk);
    EXPECT_EQ(e.states.ExtendedKey, c.extended);
    EXPECT_FALSE(e.states.DeadKey);
    EXPECT_FALSE(e.states.DoubleKey);
    EXPECT_FALSE(e.states.MenuKey);
    EXPECT_FALSE(e.states.InjectedKey);
  }
  // The modifier state is the one before the event itself.
  EXPECT_EQ(events[0].states.ShiftDown, c.shift);
  EXPECT_EQ(events[0].states.CtrlDown, c.ctrl);
  EXPECT_EQ(events[0].states.AltDown, c.alt);
  EXPECT_TRUE(events[0].states.KeyDown);
  EXPECT_FALSE(events[1].states.KeyDown);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyDecoding,
    ::testing::Values(Decoding{"letter", {}, 'A', u'a', false, false, false, false},
                      Decoding{"shifted letter", {kShift}, 'A', u'A', true, false, false, false},
                      Decoding{"shifted digit", {kShift}, '1', u'!', true, false, false, false},
                      Decoding{"ctrl letter", {kLControl}, 'A', 0x01, false, true, false, false},
                      Decoding{"alt letter", {kAlt}, 'X', u'x', false, false, true, false},
                      Decoding{"arrow", {}, kLeft, 0, false, false, false, true},
                      Decoding{"function key", {}, kF5, 0, false, false, false, false},
                      Decoding{"right ctrl", {}, kRControl, 0, false, false, false, true},
                      Decoding{"insert", {}, 0x2D, 0, false, false, false, true}),
    [](const auto& info) {
      std::string n = info.param.what;
      for (char& ch : n)
        if (ch == ' ') ch = '_';
      return n;
    });

TEST_F(KeyHook, AltKeysArriveAsSystemKeyDownsAndStillCountAsPresses) {
  start();
  sim.press(kAlt);
  sim.press('D');
  EXPECT_TRUE(last().states.KeyDown);
  EXPECT_TRUE(last().states.AltDown);
}

struct RepeatCase {
  bool lowLevel;
  std::vector<std::int32_t> counts;
  std::vector<bool> repeated;
};
void PrintTo(const RepeatCase& c, std::ostream* os) {
  *os << (c.lowLevel ? "low-level" : "classic");
}

class RepeatCounting : public KeyHook, public ::testing::WithParamInterface<RepeatCase> {};

TEST_P(RepeatCounting, PressTwoAutoRepeatsAndRelease) {
  start(GetParam().lowLevel);
  sim.press('A');
  sim.press('A');
  sim.press('A');
  sim.release('A');
  std::vector<std::int32_t> counts;
  std::vector<bool> repeated, down;
  for (const Event& e : events) {
    counts.push_back(e.states.RepeatCount);
    repeated.push_back(e.states.KeyRepeated);
    down.push_back(e.states.KeyDown);
  }
  EXPECT_EQ(counts, GetParam().counts);
  EXPECT_EQ(repeated, GetParam().repeated);
  EXPECT_EQ(down, (std::vector<bool>{true, true, true, false}));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RepeatCounting,
    ::testing::Values(RepeatCase{true, {1, 2, 3, 0}, {true, true, true, false}},
                      RepeatCase{false, {0, 1, 2, 0}, {false, true, true, true}}),
    [](const auto& info) { return std::string(info.param.lowLevel ? "LowLevel" : "Classic"); });

TEST_F(KeyHook, LowLevelCountsKeyDownsOfAnyKeysUntilARelease) {
  start();
  sim.press('A');
  sim.press('S');
  EXPECT_EQ(last().states.RepeatCount, 2);
  sim.release('A');
  EXPECT_EQ(last().states.RepeatCount, 0);
  sim.press('D');
  EXPECT_EQ(last().states.RepeatCount, 1);
}

struct CapsCase {
  bool shift;
  std::uint32_t vk;
  char16_t expected;
};
void PrintTo(const CapsCase& c, std::ostream* os) {
  *os << (c.shift ? "Shift+" : "") << static_cast<char>(c.vk);
}

class CapsLock : public KeyHook, public ::testing::WithParamInterface<CapsCase> {};

TEST_P(CapsLock, LettersAreCapitalsWithOrWithoutShift) {
  start();
  sim.type(kCaps);
  if (GetParam().shift) sim.press(kShift);
  sim.press(GetParam().vk);
  EXPECT_EQ(last().names.KeyChar, GetParam().expected);
  EXPECT_EQ(last().states.ShiftDown, GetParam().shift);
}

INSTANTIATE_TEST_SUITE_P(Keys, CapsLock,
                         ::testing::Values(CapsCase{false, 'A', u'A'}, CapsCase{true, 'A', u'A'},
                                           CapsCase{false, '1', u'1'}, CapsCase{true, '1', u'!'}));

TEST_F(KeyHook, CapsLockHeldDownIsNotAdjustedFor) {
  start();
  sim.type(kCaps);
  sim.press(kShift);
  sim.press(kCaps);  // toggled off again, and held
  sim.press('A');
  EXPECT_EQ(last().names.KeyChar, u'A');
}

TEST_F(KeyHook, CapsLockFollowsItsPressesNotItsAutoRepeats) {
  start();
  sim.press(kCaps);
  sim.press(kCaps);  // an auto-repeat
  sim.release(kCaps);
  EXPECT_TRUE(hook.capsLockOn());
  sim.press('A');
  EXPECT_EQ(last().names.KeyChar, u'A');
  sim.type(kCaps);
  EXPECT_FALSE(hook.capsLockOn());
  sim.press('B');
  EXPECT_EQ(last().names.KeyChar, u'b');
}

TEST_F(KeyHook, KeysHeldBeforeTheStartAreKnown) {
  sim.type(kCaps);
  sim.press(kShift);
  sim.type('Q');  // the thread's own view of the keyboard has caught up with Caps Lock by now
  start();
  EXPECT_TRUE(hook.keysDown()[kShift]);
  EXPECT_TRUE(hook.keysDown()[0x10]);  // the generic Shift follows its sides
  EXPECT_TRUE(hook.capsLockOn());
  sim.press('1');
  EXPECT_EQ(last().names.KeyChar, u'!');
}

TEST_F(KeyHook, ClassicModeDecodesTheKeystrokeFlagWord) {
  start(false);
  sim.press(kAlt);
  sim.press(kLeft);
  const TKeyStates& s = last().states;
  EXPECT_EQ(s.KeyInfo.vkCode, kLeft);
  EXPECT_TRUE(s.KeyDown);
  EXPECT_TRUE(s.AltDown);
  EXPECT_TRUE(s.ExtendedKey);
  EXPECT_FALSE(s.KeyRepeated);
  EXPECT_EQ(s.KeyInfo.scanCode, 1u | (0x4Bu << 16) | (1u << 24) | (1u << 29));
  EXPECT_EQ(s.KeyInfo.flags, 0u);
  EXPECT_EQ(s.KeyInfo.time, 0u);
  EXPECT_FALSE(s.InjectedKey);
  sim.release(kLeft);
  EXPECT_FALSE(last().states.KeyDown);
}

// The way the program uses the hook: the handler decides whether the key
// being handled reaches the application, and types its own text instead.
class KeyWithholding : public KeyHook {
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
  EXPECT_TRUE(last().states.DeadKey);
  EXPECT_EQ(last().names.KeyChar, u'\'');
  sim.release(kQuote);
  EXPECT_TRUE(sim.deadKeyPending());
  sim.type('E');
  EXPECT_EQ(desktop.text(target), u"\u00E9");
}

TEST_F(KeyWithholding, TheHandlerWithholdsTheVeryKeyItHandles) {
  also = [this](const TKeyStates& s) {
    bool want = s.KeyInfo.vkCode == 'Q';
    if (want != hook.DisableKeyboard()) {
      hook.SetDisableKeyboard(want);
      hook.UpdateHook();
    }
  };
  start();
  for (std::uint32_t vk : {'W', 'Q', 'E', 'Q', 'R'}) sim.type(vk);
  EXPECT_EQ(desktop.text(target), u"wer");
  EXPECT_EQ(events.size(), 10u);
}

TEST_F(KeyWithholding, OwnOutputPassesUnreportedWhileKeysAreWithheld) {
  also = [this](const TKeyStates& s) {
    if (s.KeyInfo.vkCode != 'K') return;
    hook.SetDisableKeyboard(true);
    hook.UpdateHook();
    if (!s.KeyDown) return;
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
  hook.SetHookInjected(true);
  hook.SetDisableKeyboard(true);
  hook.UpdateHook();
  platform::KeyboardInput in;
  in.wVk = 'Z';
  sim.sendInput({&in, 1});
  ASSERT_EQ(events.size(), 1u);
  EXPECT_TRUE(last().states.InjectedKey);
  EXPECT_EQ(desktop.text(target), u"");
}

TEST_F(KeyWithholding, ANestedReportLeavesTheOuterRecordsAlone) {
  std::vector<std::uint32_t> outerAfterNested;
  hook.SetOnKey([&](TCPKeyHook& h, const TKeyStates& s, const TKeyNames& n) {
    events.push_back({s, n});
    if (s.KeyInfo.vkCode == 'J' && s.KeyDown) {
      h.SetHookInjected(true);
      h.UpdateHook();
      platform::KeyboardInput in;
      in.wVk = 'X';
      sim.sendInput({&in, 1});  // reported nested in this call
      outerAfterNested.push_back(s.KeyInfo.vkCode);
      outerAfterNested.push_back(n.KeyChar);
    }
  });
  hook.SetLowLevelHook(true);
  ASSERT_TRUE(hook.Start_KeyHook());
  sim.press('J');
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].states.KeyInfo.vkCode, std::uint32_t('X'));
  EXPECT_TRUE(events[1].states.InjectedKey);
  EXPECT_EQ(outerAfterNested, (std::vector<std::uint32_t>{'J', u'j'}));
}

TEST_F(KeyWithholding, AHandlerErrorIsReportedAndTheHookKeepsRunning) {
  also = [](const TKeyStates& s) {
    if (s.KeyInfo.vkCode == 'B') throw std::runtime_error("handler failed");
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

TEST_F(KeyHook, AHandlerMayStopTheHookWhileItsLibraryIsStillOnTheStack) {
  int liveInHandler = -1;
  also = [&](const TKeyStates&) {
    EXPECT_TRUE(hook.Stop_KeyHook());
    liveInHandler = sim.liveLibraries();
  };
  start();
  sim.press('A');
  // The library's hook procedure returned into it after the handler: it is
  // released only at the next start.
  EXPECT_EQ(liveInHandler, 1);
  EXPECT_EQ(sim.liveLibraries(), 1);
  EXPECT_FALSE(hook.Enabled());
  EXPECT_FALSE(hook.HookLibLoaded());
  also = nullptr;
  EXPECT_TRUE(hook.Start_KeyHook());
  EXPECT_EQ(sim.liveLibraries(), 1);
  sim.press('B');
  EXPECT_EQ(events.back().states.KeyInfo.vkCode, std::uint32_t('B'));
}

}  // namespace
}  // namespace korimo::hooks
