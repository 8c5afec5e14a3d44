#include "ui/keyboard_layout.h"

#include <gtest/gtest.h>

#include "tests/support/keymap_fixture.h"

namespace korimo::ui::keyboard_layout {
namespace {

const CharacterKey& keyFor(char16_t unshifted) {
  for (const CharacterKey& key : characterKeys())
    if (key.unshifted == unshifted) return key;
  throw std::logic_error("no such key");
}

bool inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right() <= outer.right() &&
         inner.bottom() <= outer.bottom();
}

bool overlap(const Rect& a, const Rect& b) {
  return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

TEST(KeyboardLayoutTest, KeysSitOnTheGridOfTheirRows) {
  struct Case {
    char16_t key;
    int x, upperY, lowerY;
  } cases[] = {
      {u'`', 13, 8, 20},     {u'\\', 559, 8, 20},    // row 1, 14 keys
      {u'q', 75, 42, 54},    {u']', 537, 42, 54},    // row 2, 12 keys
      {u'a', 95, 75, 87},    {u'\'', 515, 75, 87},   // row 3, 11 keys
      {u'z', 117, 108, 120}, {u'/', 495, 108, 120},  // row 4, 10 keys
  };
  for (const Case& c : cases) {
    const CharacterKey& key = keyFor(c.key);
    EXPECT_EQ(key.upperCaption, (Rect{c.x, c.upperY, 12, 12})) << char(c.key);
    EXPECT_EQ(key.lowerCaption, (Rect{c.x, c.lowerY, 12, 12})) << char(c.key);
    EXPECT_EQ(key.upperLegend, (Rect{c.x + 12, c.upperY, 20, 12})) << char(c.key);
    EXPECT_EQ(key.lowerLegend, (Rect{c.x + 12, c.lowerY, 20, 12})) << char(c.key);
  }
  // Every printable character but the blank is on exactly one key.
  std::u16string all;
  for (const CharacterKey& key : characterKeys()) all += {key.unshifted, key.shifted};
  EXPECT_EQ(all, OnScreenKeyboard::kKeyPairs);
}

TEST(KeyboardLayoutTest, CaptionsShowTheShiftedCharacterOverTheUnshifted) {
  struct Case {
    char16_t key;
    std::u16string_view upper, lower;
    bool small;
  } cases[] = {
      {u'k', u"K", u"", false},  // letters: the capital alone
      {u'z', u"Z", u"", false},    {u'1', u"!", u"1", false},
      {u'-', u"--", u"-", false},  // the underscore is shown as two hyphens
      {u'7', u"&", u"7", false},   // an ampersand, not a mnemonic
      {u'[', u"{", u"[", true},    {u']', u"}", u"]", true},
      {u'\'', u"\"", u"'", false}, {u'\\', u"|", u"\\", false},
  };
  for (const Case& c : cases) {
    const CharacterKey& key = keyFor(c.key);
    EXPECT_EQ(key.upperText, c.upper) << char(c.key);
    EXPECT_EQ(key.lowerText, c.lower) << char(c.key);
    EXPECT_EQ(key.smallCaptions, c.small) << char(c.key);
  }
  std::u16string names;
  for (const Label& label : otherCaptions()) names += std::u16string(label.text) + u' ';
  EXPECT_EQ(names, u"Tab CapsLock Enter Shift Shift Ctrl Ctrl Alt Alt ");
}

TEST(KeyboardLayoutTest, KeysFitThePictureWithoutOverlapping) {
  const Rect picture{0, 0, kClientWidth, kPictureHeight};
  std::vector<std::vector<Rect>> keys;
  for (const CharacterKey& key : characterKeys()) {
    for (const Rect& label : {key.upperCaption, key.lowerCaption, key.upperLegend, key.lowerLegend})
      EXPECT_TRUE(inside(label, key.face)) << char(key.unshifted);
    keys.push_back({key.face});
  }
  for (const OtherKey& key : otherKeys()) keys.push_back(key.parts);
  for (const Label& caption : otherCaptions()) {
    const bool onAKey = std::any_of(keys.begin() + kCharacterKeys, keys.end(), [&](auto& parts) {
      return std::any_of(parts.begin(), parts.end(),
                         [&](const Rect& part) { return inside(caption.rect, part); });
    });
    EXPECT_TRUE(onAKey) << std::string(caption.text.begin(), caption.text.end());
  }
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (const Rect& part : keys[i]) {
      EXPECT_TRUE(inside(part, picture)) << i;
      for (std::size_t j = i + 1; j < keys.size(); ++j)
        for (const Rect& other : keys[j]) EXPECT_FALSE(overlap(part, other)) << i << " " << j;
    }
  }
}

TEST(KeyboardLayoutTest, LegendsAreWhatEachKeyAloneTypes) {
  testing::TempFolder folder;
  LoadedKeymaps keymaps;
  ASSERT_TRUE(keymaps.load(
      1,
      folder.keymap(
          "k.xml", {{"k", "0915", ""}, {"K", "0916", ""}, {"jj", "091C", ""}, {"7", "0967", ""}})));
  ActiveKeymap keymap{keymaps};
  OnScreenKeyboard keyboard;

  keyboard.setLegends(keymap);  // no keymap switched on yet: no legends at all
  for (const CharacterKey& key : characterKeys()) {
    const Legends legends = legendsOf(key, keyboard);
    EXPECT_TRUE(legends.upper.empty() && legends.lower.empty()) << char(key.unshifted);
  }

  keymap.activate(1);
  keyboard.setLegends(keymap);
  struct Case {
    char16_t key;
    std::u16string_view upper, lower;
  } cases[] = {
      {u'k', u"\u0916", u"\u0915"},  // K above, k below
      {u'j', u"", u""},              // only the two-key jj: nothing
      {u'7', u"", u"\u0967"},        // & has no entry
      {u'q', u"", u""},
  };
  for (const Case& c : cases) {
    const Legends legends = legendsOf(keyFor(c.key), keyboard);
    EXPECT_EQ(legends.upper, c.upper) << char(c.key);
    EXPECT_EQ(legends.lower, c.lower) << char(c.key);
  }
}

}  // namespace
}  // namespace korimo::ui::keyboard_layout
