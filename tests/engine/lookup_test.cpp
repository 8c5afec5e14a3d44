#include "engine/lookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/support/keymap_fixture.h"

namespace korimo {
namespace {

using testing::FixtureEntry;
using testing::TempFolder;

class LookupTest : public ::testing::Test {
 protected:
  TempFolder folder;
  LoadedKeymaps keymaps;
  ActiveKeymap active{keymaps};

  void load(const std::vector<FixtureEntry>& entries) {
    ASSERT_TRUE(keymaps.load(1, folder.keymap("k.xml", entries)));
    active.activate(1);
  }
  // The rows that begin with prefix, narrowed key by key as the key path does.
  KeyRange rowsBeginningWith(std::u16string_view prefix) const {
    KeyRange range = active.allRows();
    for (char16_t key : prefix) range = active.narrow(range, key);
    return range;
  }
};

TEST_F(LookupTest, ExactCaseSensitiveMatchOnly) {
  load({{"ka", "0915", ""}, {"K", "0916", "25CC0916"}, {"x", "", "0000"}, {"y", "0917", ""}});
  EXPECT_EQ(active.findRow(u"k"), -1);  // only a prefix of ka
  EXPECT_EQ(active.keys(active.findRow(u"K")), u"K");
  EXPECT_EQ(active.keys(active.findRow(u"ka")), u"ka");
  EXPECT_EQ(active.displayOf(u"K"), u"\u25CC\u0916");
  EXPECT_EQ(active.displayOf(u"q"), u"");
  EXPECT_EQ(active.displayOf(u"y"), u"\u0917");
  EXPECT_EQ(active.displayOf(u"x"), std::u16string(1, u'\0'));
}

TEST_F(LookupTest, EmptyKeymapFindsNothing) {
  load({});
  EXPECT_EQ(active.findRow(u"k"), -1);
  EXPECT_TRUE(rowsBeginningWith(u"k").empty());
}

// Narrowing key by key finds the rows a scan of the sorted rows finds, for
// every sequence up to one key longer than the keymap's.
TEST_F(LookupTest, NarrowingAgreesWithAScanOfTheSortedRows) {
  std::mt19937 random(7);
  std::vector<FixtureEntry> entries;
  const std::string alphabet = "aAbkh ";
  for (int i = 0; i < 300; ++i) {
    std::string keys;
    for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n)
      keys += alphabet[random() % alphabet.size()];
    entries.push_back({keys, "0915", ""});
  }
  load(entries);
  auto scan = [&](const std::u16string& prefix) {
    KeyRange range{0, -1, static_cast<int>(prefix.size())};
    for (int row = 1; row <= active.entryCount; ++row) {
      if (!active.keys(row).starts_with(prefix)) continue;
      if (range.first > range.last) range.first = row;
      range.last = row;
    }
    return range;
  };
  std::vector<std::u16string> probes = {u""};
  for (int length = 1; length <= 5; ++length) {
    std::vector<std::u16string> longer;
    for (const auto& p : probes)
      if (p.size() == static_cast<std::size_t>(length - 1))
        for (char c : alphabet) longer.push_back(p + char16_t(c));
    probes.insert(probes.end(), longer.begin(), longer.end());
  }
  for (const auto& probe : probes) {
    if (probe.empty()) continue;
    const KeyRange expected = scan(probe);
    const KeyRange found = rowsBeginningWith(probe);
    ASSERT_EQ(found.empty(), expected.empty()) << std::string(probe.begin(), probe.end());
    if (expected.empty()) continue;
    ASSERT_EQ(found.first, expected.first) << std::string(probe.begin(), probe.end());
    ASSERT_EQ(found.last, expected.last) << std::string(probe.begin(), probe.end());
  }
}

}  // namespace
}  // namespace korimo
