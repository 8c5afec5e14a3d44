// The program core driven directly, for what a scenario cannot reach: the
// sub-menu's captions and windows that receive a closed window's handle.

#include "shell/program_core.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_hooks.h"
#include "platform/sim/sim_shell.h"
#include "tests/support/keymap_fixture.h"
#include "text/unicode_text.h"

namespace korimo {
namespace {

using testing::TempFolder;

class ProgramCoreTest : public ::testing::Test {
 protected:
  TempFolder folder;
  platform::sim::SimDesktop desktop;
  platform::sim::SimHookPlatform hooks;
  platform::sim::SimShell shell;
  std::unique_ptr<ProgramCore> core;

  void start(int toggleMode, int offKey, const std::string& entryKey,
             const std::string& moreEntries = "") {
    std::filesystem::create_directories(folder.path() / "Data");
    folder.keymap("Data/six.xml", testing::kSixEntries);
    folder.keymap("Data/two.xml", {{"a", "0905", ""}});
    std::string key = toggleMode == 2 ? "TKey2" : "TKey1";
    auto entry = [&](const std::string& file, const std::string& k) {
      return "<Entry><Language>Hindi</Language><Keyboard>K</Keyboard><Encoding>Unicode</Encoding>"
             "<Filename>" +
             file + "</Filename><" + key + ">" + k + "</" + key + "></Entry>";
    };
    folder.write("config.xml", "<Config><Local><ToggleMode>" + std::to_string(toggleMode) +
                                   "</ToggleMode><" + key + ">" + std::to_string(offKey) + "</" +
                                   key +
                                   "><TextServices>True</TextServices><Surround>True</Surround>"
                                   "</Local><Keymaps>" +
                                   entry("six.xml", entryKey) + entry("two.xml", "2") +
                                   moreEntries + "</Keymaps></Config>");
    shell.appFolder = folder.path();
    hooks.desktop = &desktop;
    auto own = desktop.openWindow(u"TApplication");
    desktop.focus(platform::kNoWindow);
    core = std::make_unique<ProgramCore>(ProgramCore::Platforms{hooks, hooks, shell}, own);
    core->start();
  }
  void typeKey(std::uint32_t vk) {
    hooks.press(vk);
    hooks.release(vk);
  }
};

TEST_F(ProgramCoreTest, SubMenuCaptionsInAltMode) {
  start(1, 0, "1");
  const KeymapMenu& menu = core->catalogue.keymapMenu;
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_EQ(menu[0].caption, u"Alt+0  Keymap off");
  EXPECT_EQ(menu[0].keymap, std::nullopt);
  EXPECT_EQ(menu[1].caption, u"Alt+1  Hindi K Unicode");
  EXPECT_EQ(menu[1].keymap, u"six.xml");
  EXPECT_TRUE(menu[0].checked);
}

TEST_F(ProgramCoreTest, SubMenuCaptionsInFunctionKeyMode) {
  start(2, 10, "11");
  const KeymapMenu& menu = core->catalogue.keymapMenu;
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_EQ(menu[0].caption, u"F12  Keymap off");
  EXPECT_EQ(menu[1].caption, u"ScrLk  Hindi K Unicode");
  EXPECT_EQ(menu[2].caption, u"F4  Hindi K Unicode");
}

TEST_F(ProgramCoreTest, AWindowWithAClosedWindowsHandleInheritsItsKeymapUntilAPurge) {
  start(1, 0, "1");
  auto a = desktop.openWindow(u"Edit", {}, 1234);
  auto other = desktop.openWindow(u"Edit", {}, 12345);
  desktop.focus(a);
  hooks.press(platform::kVkLMenu);
  typeKey('1');
  hooks.release(platform::kVkLMenu);
  ASSERT_TRUE(core->keymapOn);
  desktop.focus(other);
  typeKey('Q');
  EXPECT_FALSE(core->keymapOn);  // 12345 is not 1234

  desktop.close(a);
  desktop.openWindow(u"Edit", {}, 1234);
  typeKey('K');
  EXPECT_EQ(core->activeKeymap, u"six.xml");

  desktop.close(1234);
  core->trayIconPressed(TrayButton::Right);  // the purge
  desktop.focus(other);
  typeKey('Q');
  desktop.openWindow(u"Edit", {}, 1234);
  typeKey('K');
  EXPECT_FALSE(core->keymapOn);
}

TEST_F(ProgramCoreTest, TheLoaderRunAgainBuildsTheSameCatalogueWithTheHooksStillRunning) {
  start(1, 0, "1");
  auto a = desktop.openWindow(u"Edit");
  hooks.press(platform::kVkLMenu);
  typeKey('1');
  hooks.release(platform::kVkLMenu);
  ASSERT_TRUE(core->keymapOn);

  core->loadCatalogue();
  const KeymapMenu& menu = core->catalogue.keymapMenu;
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_EQ(menu[1].caption, u"Alt+1  Hindi K Unicode");
  EXPECT_EQ(menu[2].caption, u"Alt+2  Hindi K Unicode");
  for (std::size_t digit = 0; digit < 10; ++digit)
    EXPECT_EQ(core->catalogue.altKeys[digit].assigned, digit <= 2) << digit;
  EXPECT_EQ(core->catalogue.keymapCount, 2);
  EXPECT_FALSE(core->keymapOn);

  hooks.press(platform::kVkLMenu);
  typeKey('2');
  hooks.release(platform::kVkLMenu);
  typeKey('A');
  EXPECT_EQ(core->activeKeymap, u"two.xml");
  EXPECT_EQ(desktop.text(a), u"\u0905");
}

// Start-up's notifications, from one start of the program to the next: the
// welcome once ever; problems when they are new, not again while they stay
// the same, and again once they changed or came back after a clean start.
TEST_F(ProgramCoreTest, EachNotificationIsToldOnceAcrossStarts) {
  using Kind = TrayNotification::Kind;
  auto restart = [&](const std::string& entryKey) {
    core.reset();
    start(1, 0, entryKey);
    std::vector<Kind> kinds;
    for (const auto& notice : core->notifications) kinds.push_back(notice.kind);
    return kinds;
  };
  EXPECT_EQ(restart("2"), (std::vector{Kind::Welcome, Kind::Problems}));  // Alt+2 twice
  EXPECT_EQ(core->notifications[0].text,
            u"Press Alt+2 to type Hindi K Unicode, and Alt+0 to switch keymaps off. Click the "
            u"Vantrel Korimo icon in the notification area for every keymap (on Windows 11 it "
            u"may wait behind the ^ arrow).");
  EXPECT_EQ(core->notifications[1].text,
            u"two.xml is left out: Alt+2 is taken by six.xml. Click here for the whole list.");
  core->notificationClicked(Kind::Problems);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0],
            u"Vantrel Korimo: Vantrel Korimo started, but not everything is as it should be:"
            u"\r\n\r\ntwo.xml is left out: Alt+2 is taken by six.xml");
  EXPECT_EQ(restart("2"), std::vector<Kind>{});           // the same problem
  EXPECT_EQ(restart("12"), std::vector{Kind::Problems});  // another one
  EXPECT_EQ(restart("1"), std::vector<Kind>{});           // none
  EXPECT_EQ(restart("12"), std::vector{Kind::Problems});  // back again
}

TEST_F(ProgramCoreTest, AProblemTooLongForABalloonIsCutWhereTheBalloonEnds) {
  const std::string name = std::string(300, 'x') + ".xml";
  start(1, 0, "1",
        "<Entry><Language>L</Language><Keyboard>K</Keyboard><Encoding>E</Encoding><Filename>" +
            name + "</Filename><TKey1>3</TKey1></Entry>");
  ASSERT_EQ(core->notifications.size(), 2u);
  const std::u16string& text = core->notifications[1].text;
  EXPECT_EQ(text.size(), 255u);
  EXPECT_TRUE(text.ends_with(u"xxx.... Click here for the whole list.")) << text::utf16ToUtf8(text);
}

}  // namespace
}  // namespace korimo
