// The keymap load check on any file: it loads or refuses with a reason, both
// checks agree, and a loaded keymap has the tables the engine relies on
// (header figures, sorted rows, empty padding rows) and types the same text
// in every window class.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "engine/keymap_tables.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/stream_typer.h"

namespace {

using namespace korimo;

void checkTables(const KeymapTables& tables) {
  const int n = tables.entryCount(1);
  const int padded = paddedCountFor(n);
  fuzz::check(n >= 0 && static_cast<std::size_t>(n) <= kMaxKeymapEntries, "entry count");
  std::size_t longest = 0;
  using Row = std::tuple<std::u16string, std::u16string, std::u16string>;
  std::vector<Row> sortedRows, fileRows;
  for (const KeymapTablesView* t : {&tables.keymapTables, &tables.keymapTablesCopy}) {
    const KeymapTable table = (*t)[1].strings();
    for (const auto& column : table)
      fuzz::check(column.size() == static_cast<std::size_t>(padded) + 1, "slot size");
    for (int row = n + 1; row <= padded; ++row)
      for (const auto& column : table)
        fuzz::check(column[static_cast<std::size_t>(row)].empty(), "padding rows are empty");
    for (int row = 1; row <= n; ++row) {
      const auto r = static_cast<std::size_t>(row);
      (t == &tables.keymapTables ? sortedRows : fileRows)
          .emplace_back(table[kKeys][r], table[kDisplay][r], table[kCharacter][r]);
      longest = std::max(longest, table[kKeys][r].size());
      if (t == &tables.keymapTables && row > 1)
        fuzz::check(!keysLess(table[kKeys][r], table[kKeys][r - 1]), "rows sorted by Keys");
    }
  }
  fuzz::check(static_cast<std::size_t>(tables.longestKeys(1)) == longest, "longest key");
  fuzz::check(longest <= kMaxKeyLength, "key length limit");
  std::sort(sortedRows.begin(), sortedRows.end());
  std::sort(fileRows.begin(), fileRows.end());
  fuzz::check(sortedRows == fileRows, "the sorted table holds the file's rows");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path path = fuzz::Scratch::folder() / "keymap.xml";
  fuzz::writeFile(path, fuzz::bytesOf(data, size));
  KeymapTables tables;
  std::string why;
  const bool loaded = tables.integritycheck(path, &why);
  KeymapTables checked;
  fuzz::check(checked.integritycheck1(path) == loaded, "both checks agree");
  if (!loaded) {
    fuzz::check(!why.empty(), "a refusal has a reason");
    return 0;
  }
  checkTables(tables);

  // Its own sequences, typed one after another, then undone.
  testing::StreamTyper typer;
  fuzz::check(typer.load(path), "the keymap loads again");
  std::u16string keys;
  const auto& fileKeys = tables.keymapTablesCopy[1][kKeys];
  for (int row = 1; row <= tables.entryCount(1) && keys.size() < 64; ++row)
    for (char16_t key : fileKeys[static_cast<std::size_t>(row)])
      if (key >= 32 && key <= 126) keys.push_back(key);
  keys += u"\b\b\b";
  for (bool surround : {false, true}) {
    const std::u16string expected = typer.type(u"Edit", keys, surround);
    for (std::u16string_view className : testing::StreamTyper::kClasses)
      fuzz::check(className == u"Edit" || typer.type(className, keys, surround) == expected,
                  "every window class ends with the same text");
  }
  return 0;
}
