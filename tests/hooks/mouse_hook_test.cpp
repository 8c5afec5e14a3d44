// The mouse hook component over the simulated mouse-hook library: decoding
// with the normalized coordinates, its own synthetic moves, parking,
// inverting and wrapping, and the filters that act at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hooks/cp_mouse_hook.h"
#include "platform/sim/sim_hooks.h"

namespace korimo::hooks {
namespace {

using platform::sim::SimHookPlatform;

class MouseHook : public ::testing::Test {
 protected:
  void start() {
    hook.SetUserHookMsg(sim.registerWindowMessage(u"mousehook_msg"));
    hook.SetOnMouse([this](TCPMouseHook&, const TMouseStates& s) { events.push_back(s); });
    ASSERT_TRUE(hook.Start_MouseHook());
  }

  SimHookPlatform sim;  // 1280 x 800, pointer at (640, 400)
  TCPMouseHook hook{sim};
  std::vector<TMouseStates> events;
};

TEST_F(MouseHook, CreatedWithItsDefaultsAndNoSystemCalls) {
  EXPECT_EQ(hook.UserHookMsg(), 0x04C8u);
  EXPECT_EQ(hook.HookFilters(), TMouseHookFilters{});
  EXPECT_TRUE(sim.showCursorCalls.empty());
  EXPECT_TRUE(sim.swapCalls.empty());
  EXPECT_DOUBLE_EQ(hook.ScreenMickeyX(), 65535.0 / 1280);
  EXPECT_DOUBLE_EQ(hook.ScreenMickeyY(), 65535.0 / 800);
}

TEST_F(MouseHook, StartTakesThePointerAsTheLastPosition) {
  start();
  // 640 x 65535/1280 = 32767.5 rounds to the even 32768; likewise for y.
  EXPECT_EQ(hook.lastNormX(), 32768);
  EXPECT_EQ(hook.lastNormY(), 32768);
}

TEST_F(MouseHook, WithAllFiltersOffEveryEventIsReportedAndNothingMoved) {
  start();
  sim.moveMouse(100, 50);
  sim.mouseButton(platform::kWmLButtonDown);
  sim.mouseButton(platform::kWmMouseWheel);
  ASSERT_EQ(events.size(), 3u);
  const TMouseStates& move = events[0];
  EXPECT_EQ(move.x, 100);
  EXPECT_EQ(move.y, 50);
  EXPECT_EQ(move.dx, 5120);  // rnd(100 x 65535/1280)
  EXPECT_EQ(move.dy, 4096);  // rnd(50 x 65535/800)
  EXPECT_EQ(move.Window, sim.windowUnderPointer);
  EXPECT_EQ(move.HitTestCode, 1u);
  EXPECT_EQ(move.ExtraInfo, 0u);
  EXPECT_EQ(move.ButtonInfo, 0x0200);
  EXPECT_EQ(events[1].ButtonInfo, 0x0201);
  EXPECT_EQ(events[1].x, 100);
  EXPECT_EQ(events[2].ButtonInfo, 0x020A);
  EXPECT_TRUE(sim.mouseEventCalls.empty());
  EXPECT_EQ(sim.deliveredMouse.size(), 3u);
  EXPECT_EQ(sim.reportAnswers, (std::vector<std::intptr_t>{1, 1, 1}));
  EXPECT_EQ(hook.lastNormX(), 5120);
}

struct OwnMove {
  std::uint32_t dx, dy;
  std::uint16_t lastX, lastY;
};
void PrintTo(const OwnMove& m, std::ostream* os) { *os << m.dx << "," << m.dy; }

class OwnSyntheticMove : public MouseHook, public ::testing::WithParamInterface<OwnMove> {};

TEST_P(OwnSyntheticMove, OnlyMovesTheStoredPositionAwayFromTheTopLeft) {
  start();
  sim.mouseEvent(platform::kMouseEventMove | platform::kMouseEventAbsolute, GetParam().dx,
                 GetParam().dy, 0, 1);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(sim.reportAnswers, std::vector<std::intptr_t>{0});
  EXPECT_EQ(hook.lastNormX(), GetParam().lastX);
  EXPECT_EQ(hook.lastNormY(), GetParam().lastY);
}

// Pixel (0, 0) is raised to two pixels from the edges (102, 164); pixels
// (1, 1), (2, 2) and (640, 400) stay where they are.
INSTANTIATE_TEST_SUITE_P(Positions, OwnSyntheticMove,
                         ::testing::Values(OwnMove{0, 0, 102, 164}, OwnMove{52, 82, 51, 82},
                                           OwnMove{103, 165, 102, 164},
                                           OwnMove{32768, 32768, 32768, 32768}));

TEST_F(MouseHook, DisableMouseParksThePointerAndStillReportsTheMove) {
  hook.SetDisableMouse(true);
  start();
  sim.moveMouse(100, 50);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].x, 100);  // the position before parking
  ASSERT_EQ(sim.mouseEventCalls.size(), 1u);
  const auto& park = sim.mouseEventCalls[0];
  EXPECT_EQ(park.flags, 0x8001u);
  EXPECT_EQ(park.dx, 65535u);
  EXPECT_EQ(park.dy, 65535u);
  EXPECT_EQ(park.extraInfo, 1u);
  EXPECT_EQ(hook.lastNormX(), 65535);
  EXPECT_EQ(hook.lastNormY(), 65535);
  EXPECT_EQ(sim.cursorX, 1279);  // parked in the bottom-right corner
  EXPECT_EQ(sim.cursorY, 799);
  // The parking move came back as our own and reached no handler.
  EXPECT_EQ(sim.reportAnswers, (std::vector<std::intptr_t>{0, 1}));

  // A report at the parked position parks nothing; a click is still reported.
  sim.moveMouse(1280, 800);
  EXPECT_EQ(sim.mouseEventCalls.size(), 1u);
  EXPECT_EQ(events.size(), 2u);
}

TEST_F(MouseHook, HidePointerHidesAtOnceAndParksLikeDisableMouse) {
  hook.SetHidePointer(true);
  hook.SetHidePointer(true);
  EXPECT_EQ(sim.showCursorCalls, std::vector<bool>{false});
  start();
  sim.moveMouse(10, 10);
  EXPECT_EQ(sim.mouseEventCalls.size(), 1u);
  hook.SetHidePointer(false);
  hook.SetHidePointer(false);
  EXPECT_EQ(sim.showCursorCalls, (std::vector<bool>{false, true}));
}

TEST_F(MouseHook, SwapButtonsActsAtOnceRunningOrNot) {
  hook.SetSwapButtons(true);
  hook.SetSwapButtons(true);
  EXPECT_TRUE(sim.buttonsSwapped);
  EXPECT_EQ(sim.swapCalls, std::vector<bool>{true});
  hook.SetSwapButtons(false);
  EXPECT_FALSE(sim.buttonsSwapped);
}

TEST_F(MouseHook, InvertPointerHandsEveryChangeToTheLibrary) {
  hook.SetInvertPointer(true);
  start();                  // last position 32768, 32768
  sim.moveMouse(650, 400);  // x changed to 33279, y unchanged
  ASSERT_EQ(sim.exportCalls.size(), 2u);
  EXPECT_EQ(sim.exportCalls[1], "MouseHook_InvertPointer 1 0 33279 32768 32768 32768 0");
  EXPECT_EQ(hook.lastNormX(), 32257);  // mirrored by the library
  EXPECT_EQ(hook.lastNormY(), 32768);
  EXPECT_EQ(events.at(0).dx, 33279);  // the handler gets the position as reported

  // The next change is measured from the mirrored position.
  sim.moveMouse(650, 400);
  EXPECT_EQ(sim.exportCalls.back(), "MouseHook_InvertPointer 1 0 33279 32257 32768 32768 0");
}

TEST_F(MouseHook, WrapPointerHandsPositionsAtAnEdgeToTheLibrary) {
  hook.SetWrapPointer(true);
  start();
  sim.moveMouse(300, 300);
  EXPECT_EQ(sim.exportCalls.size(), 1u);
  sim.moveMouse(0, 300);
  ASSERT_EQ(sim.exportCalls.size(), 2u);
  EXPECT_EQ(sim.exportCalls[1], "MouseHook_WrapPointer 1 0 0 24576");
  EXPECT_EQ(hook.lastNormX(), 65535);  // wrapped by the library
  sim.moveMouse(1279, 799);
  EXPECT_EQ(sim.exportCalls.back(), "MouseHook_WrapPointer 1 1 65484 65453");
}

TEST_F(MouseHook, FilterChangesReachTheLibraryOnlyThroughUpdateHook) {
  start();
  hook.SetBlockLeftButton(true);
  sim.mouseButton(platform::kWmLButtonDown);
  EXPECT_EQ(sim.deliveredMouse.size(), 1u);
  EXPECT_TRUE(hook.UpdateHook());
  sim.mouseButton(platform::kWmLButtonDown);
  sim.mouseButton(platform::kWmRButtonDown);
  EXPECT_EQ(sim.deliveredMouse.size(), 2u);
  EXPECT_EQ(sim.deliveredMouse.back().message, platform::kWmRButtonDown);
  EXPECT_EQ(events.size(), 3u);  // withheld or not, every click is reported
}

TEST_F(MouseHook, AHandlerErrorIsReportedAndTheHookKeepsRunning) {
  hook.SetOnMouse([](TCPMouseHook&, const TMouseStates&) { throw std::runtime_error("boom"); });
  ASSERT_TRUE(hook.Start_MouseHook());
  sim.mouseButton(platform::kWmLButtonDown);
  sim.mouseButton(platform::kWmLButtonUp);
  EXPECT_EQ(sim.errors, (std::vector<std::string>{"boom", "boom"}));
  EXPECT_EQ(sim.reportAnswers, (std::vector<std::intptr_t>{1, 1}));
  EXPECT_TRUE(hook.Enabled());
}

}  // namespace
}  // namespace korimo::hooks
