#include "engine/window_keymaps.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"

namespace korimo {
namespace {

TEST(WindowKeymapList, StartsWithTheProgramsOwnWindowAndFindsWholeTextsOnly) {
  WindowKeymapList list(99);
  ASSERT_EQ(list.entries().size(), 1u);
  EXPECT_EQ(list.currentEntry->windowText, u"99");
  EXPECT_EQ(list.currentEntry->keymap, u"****");
  list.append(u"12345", u"Tamil.xml");
  EXPECT_EQ(list.find(u"1234"), nullptr);
  list.append(u"1234", u"Hindi.xml");
  EXPECT_EQ(list.find(u"1234")->keymap, u"Hindi.xml");
  EXPECT_EQ(list.find(u"12345")->keymap, u"Tamil.xml");
}

TEST(WindowKeymapList, PurgeDropsClosedWindowsAndAddsAnEntryForTheProgram) {
  platform::sim::SimDesktop desktop;
  auto own = desktop.openWindow(u"TApplication");
  auto a = desktop.openWindow(u"Edit");
  auto b = desktop.openWindow(u"Edit");
  WindowKeymapList list(own);
  list.append(windowText(a), u"a.xml");
  list.append(windowText(b), u"b.xml");
  desktop.close(a);
  list.flushout(desktop);
  EXPECT_EQ(list.find(windowText(a)), nullptr);
  EXPECT_EQ(list.find(windowText(b))->keymap, u"b.xml");
  EXPECT_EQ(list.currentEntry, &list.entries().back());
  EXPECT_EQ(list.currentEntry->windowText, windowText(own));
  EXPECT_EQ(list.currentEntry->keymap, u"");
  list.flushout(desktop);
  EXPECT_EQ(list.entries().size(), 4u);  // each purge adds one more own entry
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
