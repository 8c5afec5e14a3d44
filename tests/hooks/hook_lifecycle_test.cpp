// Starting, stopping, updating and destroying both hook components, over the
// simulated hook libraries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hooks/key_hook.h"
#include "hooks/mouse_hook.h"
#include "platform/sim/sim_hooks.h"

namespace korimo::hooks {
namespace {

using platform::sim::SimHookPlatform;

template <class Table>
std::vector<std::string> exportNames() {
  std::vector<std::string> names;
  Table{}.forEach([&names](const auto& entry) { names.emplace_back(entry.name); });
  return names;
}

// The two components behind one face, so every lifecycle rule is checked on both.
struct KeyHookKind {
  using Component = KeyHook;
  static constexpr const char16_t* library = platform::keyhook::kLibraryName;
  static std::vector<std::string> exports() { return exportNames<platform::keyhook::Exports>(); }
  static void configure(Component& c) { c.setLowLevel(true); }
  static bool start(Component& c) { return c.start(); }
  static bool stop(Component& c) { return c.stop(); }
  static const char* stopExport() { return platform::keyhook::Exports{}.StopLL.name; }
};

struct MouseHookKind {
  using Component = MouseHook;
  static constexpr const char16_t* library = platform::mousehook::kLibraryName;
  static std::vector<std::string> exports() { return exportNames<platform::mousehook::Exports>(); }
  static void configure(Component&) {}
  static bool start(Component& c) { return c.start(); }
  static bool stop(Component& c) { return c.stop(); }
  static const char* stopExport() { return platform::mousehook::Exports{}.Stop.name; }
};

template <class Kind>
class HookLifecycle : public ::testing::Test {
 protected:
  HookLifecycle() { Kind::configure(*hook); }
  std::u16string besideExe() const { return sim.exeFolder + u"\\" + Kind::library; }

  SimHookPlatform sim;
  std::unique_ptr<typename Kind::Component> hook = std::make_unique<typename Kind::Component>(sim);
};

using Kinds = ::testing::Types<KeyHookKind, MouseHookKind>;
TYPED_TEST_SUITE(HookLifecycle, Kinds);

TYPED_TEST(HookLifecycle, StartsFromTheProgramFolderByFullPathAndStops) {
  auto& hook = *this->hook;
  EXPECT_FALSE(hook.running());
  EXPECT_FALSE(hook.libraryLoaded());
  EXPECT_TRUE(this->sim.windowAlive(hook.reportWindow()));

  ASSERT_TRUE(TypeParam::start(hook));
  EXPECT_TRUE(hook.running());
  EXPECT_TRUE(hook.libraryLoaded());
  EXPECT_EQ(this->sim.loadRequests, std::vector<std::u16string>{this->besideExe()});

  EXPECT_TRUE(TypeParam::stop(hook));
  EXPECT_FALSE(hook.running());
  EXPECT_FALSE(hook.libraryLoaded());
  EXPECT_EQ(this->sim.liveLibraries(), 0);

  // A later start loads the library again.
  EXPECT_TRUE(TypeParam::start(hook));
  EXPECT_EQ(this->sim.liveLibraries(), 1);
}

TYPED_TEST(HookLifecycle, StartWhileRunningFailsAndCallsNothing) {
  auto& hook = *this->hook;
  ASSERT_TRUE(TypeParam::start(hook));
  auto calls = this->sim.exportCalls;
  auto loads = this->sim.loadRequests;
  EXPECT_FALSE(TypeParam::start(hook));
  EXPECT_TRUE(hook.running());
  EXPECT_EQ(this->sim.exportCalls, calls);
  EXPECT_EQ(this->sim.loadRequests, loads);
}

TYPED_TEST(HookLifecycle, MissingLibraryFailsTheStart) {
  auto& hook = *this->hook;
  this->sim.removeLibrary(TypeParam::library);
  // One of the same name elsewhere (the current folder, the search path) is never used.
  this->sim.libraryFiles.insert(std::u16string(u"C:\\Users\\me\\Downloads\\") + TypeParam::library);
  this->sim.libraryFiles.insert(TypeParam::library);
  EXPECT_FALSE(TypeParam::start(hook));
  EXPECT_FALSE(hook.running());
  EXPECT_FALSE(hook.libraryLoaded());
  EXPECT_EQ(this->sim.loadRequests, std::vector<std::u16string>{this->besideExe()});
  EXPECT_TRUE(this->sim.exportCalls.empty());
}

TYPED_TEST(HookLifecycle, AnyMissingExportReleasesTheLibraryAndFailsTheStart) {
  for (const std::string& name : TypeParam::exports()) {
    SCOPED_TRACE(name);
    SimHookPlatform sim;
    sim.missingExports = {name};
    typename TypeParam::Component hook(sim);
    TypeParam::configure(hook);
    EXPECT_FALSE(TypeParam::start(hook));
    EXPECT_FALSE(hook.libraryLoaded());
    EXPECT_FALSE(hook.running());
    EXPECT_EQ(sim.liveLibraries(), 0);
    EXPECT_TRUE(sim.exportCalls.empty());
  }
}

TYPED_TEST(HookLifecycle, RefusedStartKeepsTheLibraryUntilStop) {
  auto& hook = *this->hook;
  this->sim.refuseStart = true;
  EXPECT_FALSE(TypeParam::start(hook));
  EXPECT_FALSE(hook.running());
  EXPECT_TRUE(hook.libraryLoaded());
  EXPECT_EQ(this->sim.liveLibraries(), 1);

  // Further starts fail at once: the library is still loaded.
  this->sim.refuseStart = false;
  auto calls = this->sim.exportCalls;
  EXPECT_FALSE(TypeParam::start(hook));
  EXPECT_EQ(this->sim.exportCalls, calls);

  // Stop while not running answers false but releases the library.
  EXPECT_FALSE(TypeParam::stop(hook));
  EXPECT_FALSE(hook.libraryLoaded());
  EXPECT_EQ(this->sim.liveLibraries(), 0);
  EXPECT_EQ(this->sim.exportCalls, calls);
  EXPECT_TRUE(TypeParam::start(hook));
}

TEST(KeyHookLifecycle, UpdateWhileStoppedFailsAndCallsNothing) {
  platform::sim::SimHookPlatform sim;
  KeyHook hook(sim);
  EXPECT_FALSE(hook.update());
  EXPECT_TRUE(sim.exportCalls.empty());
}

TYPED_TEST(HookLifecycle, DestroyStopsTheHookReleasesTheLibraryAndTheWindow) {
  ASSERT_TRUE(TypeParam::start(*this->hook));
  auto window = this->hook->reportWindow();
  this->hook.reset();
  EXPECT_EQ(this->sim.exportCalls.back(), TypeParam::stopExport());
  EXPECT_EQ(this->sim.liveLibraries(), 0);
  EXPECT_FALSE(this->sim.windowAlive(window));
}

TYPED_TEST(HookLifecycle, OtherMessagesGetTheDefaultProcessing) {
  auto& hook = *this->hook;
  ASSERT_TRUE(TypeParam::start(hook));
  EXPECT_EQ(this->sim.sendMessage(hook.reportWindow(), 0x0010, 0, 0), this->sim.defaultAnswer);
  EXPECT_EQ(this->sim.defaultProcMessages, std::vector<std::uint32_t>{0x0010});
}

TYPED_TEST(HookLifecycle, AReportThatCannotBeDecodedIsAnsweredAndReported) {
  auto& hook = *this->hook;
  ASSERT_TRUE(TypeParam::start(hook));
  // No event is being reported, so the library has no record to give.
  EXPECT_EQ(this->sim.sendMessage(hook.reportWindow(), hook.reportMessage(), 0x0100, 0), 1);
  EXPECT_EQ(this->sim.errors.size(), 1u);
  EXPECT_TRUE(hook.running());
}

}  // namespace
}  // namespace korimo::hooks
