#include "engine/keymap_tables.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "engine/globalroutines.h"
#include "engine/lookup.h"
#include "tests/support/keymap_fixture.h"

namespace korimo {
namespace {

using testing::FixtureEntry;
using testing::TempFolder;

class KeymapTablesTest : public ::testing::Test {
 protected:
  TempFolder folder;
  KeymapTables tables;

  std::vector<std::u16string> column(const KeymapTablesView& t, int k, Column c, int from, int to) {
    const KeymapColumnView cells = t[static_cast<std::size_t>(k)][c];
    std::vector<std::u16string> rows;
    for (int row = from; row <= to; ++row) rows.emplace_back(cells[static_cast<std::size_t>(row)]);
    return rows;
  }
};

TEST_F(KeymapTablesTest, EmptyDataLoadsWithHeaderAndOnePageOfEmptyRows) {
  ASSERT_TRUE(tables.integritycheck(folder.keymap("empty.xml", {})));
  EXPECT_EQ(tables.cell(1, kDisplay, 0), u"0");
  EXPECT_EQ(tables.cell(1, kCharacter, 0), u"0");
  EXPECT_EQ(tables.cell(1, kKeys, 0), u"0439");
  EXPECT_EQ(tables.tableCapacity, 18);
  for (Column c : {kDisplay, kCharacter, kKeys})
    EXPECT_EQ(column(tables.keymapTables, 1, c, 1, 18), std::vector<std::u16string>(18));
  EXPECT_FALSE(tables.keymapSmp[1]);
}

TEST_F(KeymapTablesTest, EighteenEntriesPadToThirtySixAndEachSlotKeepsItsOwnSize) {
  std::vector<FixtureEntry> entries;
  for (char c = 'a'; c < 'a' + 18; ++c) entries.push_back({std::string(1, c), "0915", ""});
  ASSERT_TRUE(tables.integritycheck(folder.keymap("big.xml", entries)));
  EXPECT_EQ(tables.tableCapacity, 36);
  EXPECT_EQ(column(tables.keymapTables, 1, kKeys, 19, 36), std::vector<std::u16string>(18));

  tables.loadingKeymap = 2;
  ASSERT_TRUE(tables.integritycheck(folder.keymap("small.xml", {{"k", "0915", ""}}, true)));
  EXPECT_EQ(tables.tableCapacity, 36);  // the largest padded count so far
  // A slot holds its own keymap's padded rows, not the largest keymap's.
  EXPECT_EQ(tables.keymapTables[2][kKeys].size(), 19u);
  EXPECT_EQ(tables.keymapTablesCopy[2][kDisplay].size(), 19u);
  EXPECT_EQ(tables.keymapTables[1][kKeys].size(), 37u);
  ActiveKeymap active(tables);
  active.activate(2);
  EXPECT_EQ(active.paddedCount, 18);
  EXPECT_TRUE(tables.keymapSmp[2]);
  EXPECT_EQ(tables.cell(1, kKeys, 18), u"r");  // the first keymap keeps its rows
}

TEST_F(KeymapTablesTest, SortedTableOrdersByCodeUnitsWhileCopyKeepsFileOrder) {
  // Lower-case hex digits decode like upper-case ones.
  std::string text =
      "<K><Header><LCID>0439</LCID></Header><Data>"
      "<E><Display>0916</Display><Character>0916</Character><Keys>6b68</Keys></E>"
      "<E><Display>0915</Display><Character>0915</Character><Keys>6b61</Keys></E>"
      "<E><Display>0915</Display><Character>0915</Character><Keys>6B</Keys></E>"
      "<E><Display>0916</Display><Character>0916</Character><Keys>4B</Keys></E>"
      "<E><Display>0915</Display><Character>0915</Character><Keys>6B6161</Keys></E>"
      "</Data></K>";
  ASSERT_TRUE(tables.integritycheck(folder.write("order.xml", text)));
  EXPECT_EQ(column(tables.keymapTables, 1, kKeys, 1, 5),
            (std::vector<std::u16string>{u"K", u"k", u"ka", u"kaa", u"kh"}));
  EXPECT_EQ(column(tables.keymapTablesCopy, 1, kKeys, 1, 5),
            (std::vector<std::u16string>{u"kh", u"ka", u"k", u"K", u"kaa"}));
  EXPECT_EQ(tables.longestKeys(1), 3);
  EXPECT_EQ(tables.entryCount(1), 5);
}

TEST_F(KeymapTablesTest, DuplicateSequencesAnswerAsTheHalvingSearchMeetsThem) {
  // The partition exchanges the outer rows of three equal keys, and the
  // search then probes the middle one.
  ASSERT_TRUE(tables.integritycheck(
      folder.keymap("dup.xml", {{"a", "0C05", ""}, {"a", "0C06", ""}, {"a", "0C07", ""}})));
  EXPECT_EQ(column(tables.keymapTables, 1, kCharacter, 1, 3),
            (std::vector<std::u16string>{u"0C07", u"0C06", u"0C05"}));
  ActiveKeymap active(tables);
  active.activate(1);
  EXPECT_EQ(active.character(active.BinSearch(u"a")), u"0C06");
}

// The table sort as first written: recursive Hoare partitioning around the
// middle row. The sort in use must leave every row where this one does.
void referenceQuickSort(KeymapTable& table, int lo, int hi) {
  auto& keys = table[kKeys];
  auto at = [](int row) { return static_cast<std::size_t>(row); };
  const std::u16string pivot = keys[at((lo + hi) / 2)];
  int i = lo;
  int j = hi;
  do {
    while (keys[at(i)] < pivot) ++i;
    while (pivot < keys[at(j)]) --j;
    if (i <= j) {
      for (auto& column : table) std::swap(column[at(i)], column[at(j)]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (lo < j) referenceQuickSort(table, lo, j);
  if (i < hi) referenceQuickSort(table, i, hi);
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

KeymapTable tableOf(const std::vector<std::u16string>& keys) {
  KeymapTable table;
  for (auto& column : table) column.resize(keys.size() + 1);
  for (std::size_t row = 1; row <= keys.size(); ++row) {
    table[kKeys][row] = keys[row - 1];
    table[kCharacter][row] = unitToHex(static_cast<char16_t>(row));  // tells rows apart
  }
  return table;
}

TEST_F(KeymapTablesTest, SortLeavesEveryRowWhereTheRecursiveSortDid) {
  std::mt19937 random(12);
  for (int round = 0; round < 300; ++round) {
    // Few distinct sequences, so that most rows have equal keys.
    const int n = 2 + static_cast<int>(random() % 200);
    const int alphabet = 1 + static_cast<int>(random() % 4);
    std::vector<std::u16string> keys(static_cast<std::size_t>(n));
    for (auto& key : keys)
      for (std::size_t length = 1 + random() % 3; length > 0; --length)
        key.push_back(static_cast<char16_t>(u'a' + random() % static_cast<unsigned>(alphabet)));
    KeymapTable expected = tableOf(keys);
    referenceQuickSort(expected, 1, n);
    tables.assign(1, tableOf(keys));
    tables.QuickSort(1, 1, n);
    ASSERT_EQ(tables.keymapTables[1].strings(), expected) << "round " << round;
  }
}

TEST_F(KeymapTablesTest, SortOfAnOrderThatDefeatsTheMiddlePivotStaysShallowAndFast) {
  // 100,000 rows: the recursive sort needs 100,000 stack frames and about
  // 5e9 comparisons for this order.
  std::vector<std::u16string> keys = maximumPivotOrder(100000);
  tables.assign(1, tableOf(keys));
  tables.QuickSort(1, 1, static_cast<int>(keys.size()));
  std::sort(keys.begin(), keys.end());
  const KeymapTable sortedTable = tables.keymapTables[1].strings();
  const auto& sorted = sortedTable[kKeys];
  EXPECT_TRUE(std::equal(keys.begin(), keys.end(), sorted.begin() + 1));
  // And a small one of the same kind, row by row as the recursive sort.
  keys = maximumPivotOrder(2000);
  KeymapTable expected = tableOf(keys);
  referenceQuickSort(expected, 1, 2000);
  tables.assign(1, tableOf(keys));
  tables.QuickSort(1, 1, 2000);
  EXPECT_EQ(tables.keymapTables[1].strings(), expected);
}

struct RefusedCase {
  const char* label;
  std::string xml;
  const char* reasonContains;
};

TEST_F(KeymapTablesTest, RefusedFilesFailBothChecksWithAReason) {
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
    EXPECT_FALSE(tables.integritycheck(path, &why));
    EXPECT_NE(why.find(c.reasonContains), std::string::npos) << why;
    EXPECT_FALSE(tables.integritycheck1(path));
  }
  EXPECT_FALSE(tables.integritycheck(folder.path() / "missing.xml"));
}

TEST_F(KeymapTablesTest, SupplementaryTextNeedsTheFlagOnlyWhereItIsTyped) {
  auto file = [](const char* header, const char* display, const char* character) {
    return std::string("<K><Header><LCID>0439</LCID>") + header + "</Header><Data><E><Display>" +
           display + "</Display><Character>" + character + "</Character><Keys>" +
           std::string(128, '6') + "</Keys></E></Data></K>";
  };
  // With the flag, pairs pass; Display may show one without it; 64 keys pass.
  EXPECT_TRUE(tables.integritycheck(
      folder.write("smp.xml", file("<SMP>True</SMP>", "D804DC05", "D804DC05"))));
  EXPECT_TRUE(tables.integritycheck(folder.write("shown.xml", file("", "D804DC05", "0915"))));
  EXPECT_EQ(tables.longestKeys(1), 64);
}

TEST_F(KeymapTablesTest, EmptyValuesPassAndTheValidatingCheckKeepsTheLcid) {
  auto path = folder.write("blank.xml",
                           "<K><HEADER><lcid>044E</lcid></HEADER><Data>"
                           "<E><Display></Display><Character></Character><Keys></Keys></E>"
                           "</Data></K>");
  EXPECT_TRUE(tables.integritycheck1(path));
  EXPECT_EQ(tables.validatedLcid, u"044E");
  EXPECT_TRUE(tables.integritycheck(path));
}

TEST(Globalroutines, HexConversions) {
  EXPECT_EQ(hexToInt(u"FFFF"), 65535);
  EXPECT_EQ(hexToInt(u"00"), 0);
  EXPECT_EQ(hexToInt(u"6b"), 0x6B);
  for (const char16_t* bad : {u"", u"G0", u"0x10", u" 1"})
    EXPECT_THROW(hexToInt(bad), ConversionError) << std::u16string(bad).size();
  EXPECT_EQ(hexToText(u"0915094"), u"\u0915");
  EXPECT_EQ(hexToText(u"091"), u"");
  EXPECT_EQ(hexToText(u"D800DC00"), u"\U00010000");
}

}  // namespace
}  // namespace korimo
