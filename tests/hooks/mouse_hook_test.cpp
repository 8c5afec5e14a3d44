// The mouse hook component over the simulated mouse-hook library: every
// event reported with the window under the pointer, nothing withheld, and
// handler errors shown without stopping the hook.
#include "hooks/mouse_hook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_hooks.h"

namespace korimo::hooks {
namespace {

using platform::sim::SimHookPlatform;

class MouseHookTest : public ::testing::Test {
 protected:
  void start() {
    hook.setReportMessage(sim.registerWindowMessage(u"mousehook_msg"));
    hook.setMouseHandler([this](MouseHook&, const MouseReport& s) { events.push_back(s); });
    ASSERT_TRUE(hook.start());
  }

  SimHookPlatform sim;  // 1280 x 800, pointer at (640, 400)
  MouseHook hook{sim};
  std::vector<MouseReport> events;
};

TEST_F(MouseHookTest, CreatedWithItsDefaultsAndStarted) {
  EXPECT_EQ(hook.reportMessage(), 0x04C8u);
  start();
  const std::string window = std::to_string(hook.reportWindow());
  EXPECT_EQ(sim.exportCalls, (std::vector<std::string>{"MouseHook_Start " + window + " " +
                                                       std::to_string(hook.reportMessage())}));
}

TEST_F(MouseHookTest, EveryEventIsReportedAndNothingWithheld) {
  start();
  sim.moveMouse(100, 50);
  sim.mouseButton(platform::kWmLButtonDown);
  sim.mouseButton(platform::kWmMouseWheel);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].window, sim.windowUnderPointer);
  EXPECT_EQ(events[0].message, 0x0200u);
  EXPECT_EQ(events[1].message, platform::kWmLButtonDown);
  EXPECT_EQ(events[2].message, platform::kWmMouseWheel);
  EXPECT_EQ(sim.deliveredMouse.size(), 3u);
  EXPECT_EQ(sim.reportAnswers, (std::vector<std::intptr_t>{1, 1, 1}));
}

TEST_F(MouseHookTest, AHandlerErrorIsReportedAndTheHookKeepsRunning) {
  hook.setMouseHandler([](MouseHook&, const MouseReport&) { throw std::runtime_error("boom"); });
  ASSERT_TRUE(hook.start());
  sim.mouseButton(platform::kWmLButtonDown);
  sim.mouseButton(platform::kWmLButtonUp);
  EXPECT_EQ(sim.errors, (std::vector<std::string>{"boom", "boom"}));
  EXPECT_EQ(sim.reportAnswers, (std::vector<std::intptr_t>{1, 1}));
  EXPECT_TRUE(hook.running());
}

}  // namespace
}  // namespace korimo::hooks
