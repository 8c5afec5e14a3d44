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
  KeymapTables tables;
  ActiveKeymap active{tables};

  void load(const std::vector<FixtureEntry>& entries) {
    ASSERT_TRUE(tables.integritycheck(folder.keymap("k.xml", entries)));
    active.activate(1);
  }
};

TEST_F(LookupTest, ExactCaseSensitiveMatchOnly) {
  load({{"ka", "0915", ""}, {"K", "0916", "25CC0916"}, {"x", "", "0000"}, {"y", "0917", ""}});
  EXPECT_EQ(active.BinSearch(u"k"), -1);  // only a prefix of ka
  EXPECT_EQ(active.keys(active.BinSearch(u"K")), u"K");
  EXPECT_EQ(active.keys(active.BinSearch(u"ka")), u"ka");
  EXPECT_EQ(active.convv(u"K"), u"\u25CC\u0916");
  EXPECT_EQ(active.convv(u"q"), u"");
  EXPECT_EQ(active.convv(u"y"), u"\u0917");
  EXPECT_EQ(active.convv(u"x"), std::u16string(1, u'\0'));
}

TEST_F(LookupTest, EmptyKeymapFindsNothing) {
  load({});
  EXPECT_EQ(active.BinSearch(u"k"), -1);
  EXPECT_EQ(active.firstRowBeginningWith(u"k"), -1);
}

// The prefix search answers what a scan of the sorted rows from the top
// answers, for every sequence up to one key longer than the keymap's.
TEST_F(LookupTest, PrefixSearchAgreesWithAScanOfTheSortedRows) {
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
    for (int row = 1; row <= active.entryCount; ++row)
      if (active.keys(row).starts_with(prefix)) return row;
    return -1;
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
    int expected = scan(probe);
    int found = active.firstRowBeginningWith(probe);
    ASSERT_EQ(found, expected) << std::string(probe.begin(), probe.end());
  }
}

}  // namespace
}  // namespace korimo
