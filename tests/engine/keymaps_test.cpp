#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "engine/loaded_keymaps.h"
#include "engine/lookup.h"
#include "engine/written_values.h"
#include "tests/support/keymap_fixture.h"

namespace korimo {
namespace {

using testing::FixtureEntry;
using testing::TempFolder;

// The key sequences of a keymap's entries, sorted or in file order; and
// their characters.
std::vector<std::u16string> keysOf(const Keymap& keymap, bool fileOrder) {
  std::vector<std::u16string> keys;
  for (std::size_t i = 0; i < static_cast<std::size_t>(keymap.entryCount()); ++i)
    keys.emplace_back(fileOrder ? keymap.inFileOrder(i).keys : keymap.sorted(i).keys);
  return keys;
}
std::vector<std::u16string> charactersOf(const Keymap& keymap) {
  std::vector<std::u16string> characters;
  for (std::size_t i = 0; i < static_cast<std::size_t>(keymap.entryCount()); ++i)
    characters.emplace_back(keymap.sorted(i).character);
  return characters;
}

class KeymapsTest : public ::testing::Test {
 protected:
  TempFolder folder;
  LoadedKeymaps keymaps;
};

TEST_F(KeymapsTest, AFileIsDecodedOnceIntoTextInBothOrders) {
  // Lower-case hex digits decode like upper-case ones.
  std::string text =
      "<K><Header><LCID>0439</LCID><Language> Hindi </Language></Header><Data>"
      "<E><Display>0916</Display><Character>0916</Character><Keys>6b68</Keys></E>"
      "<E><Display>25CC0915</Display><Character>0915</Character><Keys>6b61</Keys></E>"
      "<E><Display>0915</Display><Character>0915094d</Character><Keys>6B</Keys></E>"
      "<E><Display>0916</Display><Character>0916</Character><Keys>4B</Keys></E>"
      "<E><Display>0915</Display><Character>0915</Character><Keys>6B6161</Keys></E>"
      "</Data></K>";
  ASSERT_TRUE(keymaps.load(1, folder.write("order.xml", text)));
  const Keymap& k = keymaps[1];
  EXPECT_EQ(keysOf(k, false), (std::vector<std::u16string>{u"K", u"k", u"ka", u"kaa", u"kh"}));
  EXPECT_EQ(keysOf(k, true), (std::vector<std::u16string>{u"kh", u"ka", u"k", u"K", u"kaa"}));
  EXPECT_EQ(k.sorted(1).character, u"\u0915\u094D");
  EXPECT_EQ(k.sorted(2).display, u"\u25CC\u0915");
  EXPECT_EQ(k.longestKeys(), 3);
  EXPECT_EQ(k.entryCount(), 5);
  EXPECT_EQ(k.lcid, u"0439");
  EXPECT_FALSE(k.smp);
  EXPECT_EQ(readKeymapFile(folder.path() / "order.xml")->language, u" Hindi ");
  // A number nothing was loaded as holds an empty keymap.
  EXPECT_EQ(keymaps[2].entryCount(), 0);
  EXPECT_EQ(keymaps[0].entryCount(), 0);
}

TEST_F(KeymapsTest, ARefusedFileLeavesTheNumberAsItWas) {
  ASSERT_TRUE(keymaps.load(1, folder.keymap("one.xml", {{"k", "0915", ""}})));
  EXPECT_FALSE(keymaps.load(1, folder.write("bad.xml", "<K>")));
  EXPECT_EQ(keymaps[1].entryCount(), 1);
}

TEST_F(KeymapsTest, DuplicateSequencesAnswerAsTheHalvingSearchMeetsThem) {
  // The partition exchanges the outer rows of three equal keys, and the
  // search then probes the middle one.
  ASSERT_TRUE(keymaps.load(
      1, folder.keymap("dup.xml", {{"a", "0C05", ""}, {"a", "0C06", ""}, {"a", "0C07", ""}})));
  EXPECT_EQ(charactersOf(keymaps[1]),
            (std::vector<std::u16string>{u"\u0C07", u"\u0C06", u"\u0C05"}));
  ActiveKeymap active(keymaps);
  active.activate(1);
  EXPECT_EQ(active.character(active.findRow(u"a")), u"\u0C06");
}

// The table sort as first written: recursive Hoare partitioning around the
// middle row. The sort in use must leave every row where this one does.
void referenceQuickSort(std::vector<KeymapEntry>& entries, int lo, int hi) {
  auto at = [&](int i) -> KeymapEntry& { return entries[static_cast<std::size_t>(i)]; };
  const std::u16string pivot = at((lo + hi) / 2).keys;
  int i = lo;
  int j = hi;
  do {
    while (at(i).keys < pivot) ++i;
    while (pivot < at(j).keys) --j;
    if (i <= j) {
      std::swap(at(i), at(j));
      ++i;
      --j;
    }
  } while (i <= j);
  if (lo < j) referenceQuickSort(entries, lo, j);
  if (i < hi) referenceQuickSort(entries, i, hi);
}

// Keys in an order where every partition's middle row holds the largest key
// of its range: each partition splits off one row (n levels deep, n^2 / 2
// comparisons for the recursive sort).
std::vector<std::u16string> maximumPivotOrder(std::size_t n) {
  std::vector<std::size_t> slot(n), value(n);
  std::iota(slot.begin(), slot.end(), std::size_t{0});
  for (std::size_t hi = n - 1; hi > 0; --hi) {
    value[slot[hi / 2]] = hi;
    std::swap(slot[hi], slot[hi / 2]);
  }
  value[slot[0]] = 0;
  std::vector<std::u16string> keys(n);
  for (std::size_t s = 0; s < n; ++s)
    for (std::size_t v = value[s], d = 0; d < 4; ++d, v /= 26)
      keys[s].insert(keys[s].begin(), static_cast<char16_t>(u'a' + v % 26));
  return keys;
}

KeymapFile fileOf(const std::vector<std::u16string>& keys) {
  KeymapFile file;
  for (std::size_t i = 0; i < keys.size(); ++i)  // the character tells the entries apart
    file.entries.push_back({keys[i], u"", std::u16string(1, static_cast<char16_t>(i + 1))});
  return file;
}

// The entries of a keymap in sorted order, as a file's entries.
std::vector<KeymapEntry> sortedEntries(const Keymap& keymap) {
  std::vector<KeymapEntry> entries;
  for (std::size_t i = 0; i < static_cast<std::size_t>(keymap.entryCount()); ++i) {
    const Keymap::Entry e = keymap.sorted(i);
    entries.push_back(
        {std::u16string(e.keys), std::u16string(e.display), std::u16string(e.character)});
  }
  return entries;
}

TEST_F(KeymapsTest, SortLeavesEveryRowWhereTheRecursiveSortDid) {
  std::mt19937 random(12);
  for (int round = 0; round < 300; ++round) {
    // Few distinct sequences, so that most rows have equal keys.
    const int n = 2 + static_cast<int>(random() % 200);
    const int alphabet = 1 + static_cast<int>(random() % 4);
    std::vector<std::u16string> keys(static_cast<std::size_t>(n));
    for (auto& key : keys)
      for (std::size_t length = 1 + random() % 3; length > 0; --length)
        key.push_back(static_cast<char16_t>(u'a' + random() % static_cast<unsigned>(alphabet)));
    std::vector<KeymapEntry> expected = fileOf(keys).entries;
    referenceQuickSort(expected, 0, n - 1);
    keymaps.adopt(1, fileOf(keys));
    ASSERT_EQ(sortedEntries(keymaps[1]), expected) << "round " << round;
  }
}

TEST_F(KeymapsTest, SortOfAnOrderThatDefeatsTheMiddlePivotStaysShallowAndFast) {
  // 100,000 rows: the recursive sort needs 100,000 stack frames and about
  // 5e9 comparisons for this order.
  std::vector<std::u16string> keys = maximumPivotOrder(100000);
  keymaps.adopt(1, fileOf(keys));
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keysOf(keymaps[1], false), keys);
  // And a small one of the same kind, row by row as the recursive sort.
  keys = maximumPivotOrder(2000);
  std::vector<KeymapEntry> expected = fileOf(keys).entries;
  referenceQuickSort(expected, 0, 1999);
  keymaps.adopt(1, fileOf(keys));
  EXPECT_EQ(sortedEntries(keymaps[1]), expected);
}

struct RefusedCase {
  const char* label;
  std::string xml;
  const char* reasonContains;
};

TEST_F(KeymapsTest, RefusedFilesFailWithAReason) {
  auto entry = [](const char* d, const char* c, const char* k) {
    return std::string("<E><Display>") + d + "</Display><Character>" + c + "</Character><Keys>" +
           k + "</Keys></E>";
  };
  auto file = [](const std::string& data) {
    return "<K><Header><LCID>0439</LCID></Header><Data>" + data + "</Data></K>";
  };
  const std::vector<RefusedCase> cases = {
      {"odd Keys", file(entry("0915", "0915", "6B6")), "Keys"},
      {"Display of six digits", file(entry("091509", "0915", "6B")), "Display"},
      {"G in Character", file(entry("0915", "09G5", "6B")), "Character"},
      {"bad second entry", file(entry("0915", "0915", "6B") + entry("0915", "0915", "zz")),
       "entry 2"},
      {"no Display", file("<E><Character>0915</Character><Keys>6B</Keys></E>"), "Display"},
      {"no Keys", file("<E><Display>0915</Display><Character>0915</Character></E>"), "Keys"},
      {"no Header", "<K><Data></Data></K>", "Header"},
      {"no LCID", "<K><Header></Header><Data></Data></K>", "LCID"},
      {"no Data", "<K><Header><LCID>0439</LCID></Header></K>", "Data"},
      {"not well-formed", "<K><Header><LCID>0439</LCID></Header><Data></K>", ""},
      {"lone high surrogate", file(entry("0915", "D800", "6B")),
       "group 1 \"D800\" is a lone surrogate"},
      {"high surrogate before a letter", file(entry("0915", "D8000915", "6B")), "lone surrogate"},
      {"lone low surrogate in Display", file(entry("0915DC00", "0915", "6B")),
       "Display \"0915DC00\": group 2 \"DC00\" is a lone surrogate"},
      {"SMP text without the flag", file(entry("0915", "D804DC05", "6B")), "<SMP>True</SMP>"},
      {"65 keys", file(entry("0915", "0915", std::string(130, '6').c_str())),
       "65 keys; a key sequence may have at most 64"},
      {"UTF-16 file", "\xFF\xFE<\0K\0>\0", "the file is UTF-16; save it as UTF-8"},
      {"UTF-16 file without byte order mark", std::string("<\0K\0>\0", 6), "UTF-16"},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.label);
    auto path = folder.write("refused.xml", c.xml);
    std::string why;
    EXPECT_FALSE(readKeymapFile(path, &why));
    EXPECT_NE(why.find(c.reasonContains), std::string::npos) << why;
    EXPECT_FALSE(keymaps.load(1, path));
  }
  EXPECT_FALSE(readKeymapFile(folder.path() / "missing.xml"));
}

TEST_F(KeymapsTest, SupplementaryTextNeedsTheFlagOnlyWhereItIsTyped) {
  auto file = [](const char* header, const char* display, const char* character) {
    return std::string("<K><Header><LCID>0439</LCID>") + header + "</Header><Data><E><Display>" +
           display + "</Display><Character>" + character + "</Character><Keys>" +
           std::string(128, '6') + "</Keys></E></Data></K>";
  };
  // With the flag, pairs pass; Display may show one without it; 64 keys pass.
  ASSERT_TRUE(
      keymaps.load(1, folder.write("smp.xml", file("<SMP>True</SMP>", "D804DC05", "D804DC05"))));
  EXPECT_TRUE(keymaps[1].smp);
  EXPECT_EQ(keymaps[1].sorted(0).character, u"\U00011005");
  EXPECT_TRUE(keymaps.load(1, folder.write("shown.xml", file("", "D804DC05", "0915"))));
  EXPECT_EQ(keymaps[1].longestKeys(), 64);
}

TEST_F(KeymapsTest, EmptyValuesPassAndNamesMatchInAnyCase) {
  auto path = folder.write("blank.xml",
                           "<K><HEADER><lcid>044E</lcid></HEADER><Data>"
                           "<E><Display></Display><Character></Character><Keys></Keys></E>"
                           "</Data></K>");
  const std::optional<KeymapFile> file = readKeymapFile(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->lcid, u"044E");
  EXPECT_EQ(file->entries.size(), 1u);
}

TEST(Globalroutines, HexConversions) {
  EXPECT_EQ(hexToInt(u"FFFF"), 65535);
  EXPECT_EQ(hexToInt(u"00"), 0);
  EXPECT_EQ(hexToInt(u"6b"), 0x6B);
  for (const char16_t* bad : {u"", u"G0", u"0x10", u" 1"})
    EXPECT_THROW(hexToInt(bad), ConversionError) << std::u16string(bad).size();
}

}  // namespace
}  // namespace korimo
