#include "engine/window_keymaps.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"

namespace korimo {
namespace {

TEST(WindowKeymapList, StartsWithTheProgramsOwnWindowAndFindsEachWindow) {
  WindowKeymapList list(99);
  ASSERT_EQ(list.entries().size(), 1u);
  EXPECT_EQ(list.currentEntry->window, 99u);
  EXPECT_EQ(list.currentEntry->keymap, std::nullopt);
  list.append(12345, u"Tamil.xml");
  EXPECT_EQ(list.find(1234), nullptr);
  list.append(1234, u"Hindi.xml");
  EXPECT_EQ(list.find(1234)->keymap, u"Hindi.xml");
  EXPECT_EQ(list.find(12345)->keymap, u"Tamil.xml");
}

TEST(WindowKeymapList, PurgeDropsClosedWindowsAndAddsAnEntryForTheProgram) {
  platform::sim::SimDesktop desktop;
  auto own = desktop.openWindow(u"TApplication");
  auto a = desktop.openWindow(u"Edit");
  auto b = desktop.openWindow(u"Edit");
  WindowKeymapList list(own);
  list.append(a, u"a.xml");
  list.append(b, u"b.xml");
  desktop.close(a);
  list.forgetClosedWindows(desktop);
  EXPECT_EQ(list.find(a), nullptr);
  EXPECT_EQ(list.find(b)->keymap, u"b.xml");
  EXPECT_EQ(list.currentEntry, &list.entries().back());
  EXPECT_EQ(list.currentEntry->window, own);
  EXPECT_EQ(list.currentEntry->keymap, std::nullopt);
  // The program's own entry is made afresh, not once more for every tray click.
  for (int click = 0; click < 3; ++click) list.forgetClosedWindows(desktop);
  EXPECT_EQ(list.entries().size(), 2u);
}

TEST(SimDesktop, TextFieldsEditByCodePointOrByCluster) {
  using platform::sim::TextField;
  TextField plain;
  for (char16_t u : std::u16string(u"a\U0001F600\u0915\u094D")) plain.insert(u);
  plain.left();
  plain.deleteForward();  // the virama alone
  EXPECT_EQ(plain.text(), u"a\U0001F600\u0915");
  plain.end();
  plain.backspace();
  plain.backspace();  // the surrogate pair at once
  EXPECT_EQ(plain.text(), u"a");

  TextField browser([](char32_t cp) { return cp == 0x094D || cp == 0x093F; });
  for (char16_t u : std::u16string(u"\u0915\u094D\u0937\u093F")) browser.insert(u);
  browser.left();
  EXPECT_EQ(browser.caret(), 2u);  // before the cluster ष ि
  browser.left();
  EXPECT_EQ(browser.caret(), 0u);
  browser.deleteForward();  // क with its virama
  EXPECT_EQ(browser.text(), u"\u0937\u093F");
}

}  // namespace
}  // namespace korimo
