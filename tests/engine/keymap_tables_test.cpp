#include "engine/keymap_tables.h"

#include <gtest/gtest.h>

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

  std::vector<std::u16string> column(const std::vector<KeymapTable>& t, int k, Column c, int from,
                                     int to) {
    const auto& cells = t[static_cast<std::size_t>(k)][c];
    return {cells.begin() + from, cells.begin() + to + 1};
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

TEST_F(KeymapTablesTest, EighteenEntriesPadToThirtySixAndCapacityOnlyGrows) {
  std::vector<FixtureEntry> entries;
  for (char c = 'a'; c < 'a' + 18; ++c) entries.push_back({std::string(1, c), "0915", ""});
  ASSERT_TRUE(tables.integritycheck(folder.keymap("big.xml", entries)));
  EXPECT_EQ(tables.tableCapacity, 36);
  EXPECT_EQ(column(tables.keymapTables, 1, kKeys, 19, 36), std::vector<std::u16string>(18));

  tables.loadingKeymap = 2;
  ASSERT_TRUE(tables.integritycheck(folder.keymap("small.xml", {{"k", "0915", ""}}, true)));
  EXPECT_EQ(tables.tableCapacity, 36);
  EXPECT_EQ(tables.keymapTables[2][kKeys].size(), 37u);
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
