#pragma once
// The in-memory keymap tables: every loaded keymap file as rows of Display,
// Character and Keys, once sorted by key sequence and once in file order.
//
// Addressed as [keymap][column][row]. Row 0 is a header row (entry count,
// longest key sequence, input locale); entries start at row 1 and are
// followed by empty rows up to the padded count, the next multiple of 18
// above the entry count, which the key preview pages through.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/code_groups.h"

namespace korimo {

enum Column : int { kDisplay = 0, kCharacter = 1, kKeys = 2 };

// A keymap's table as columns of strings, [column][row]: what the tables
// read out give, and what KeymapTables::assign takes.
using KeymapTable = std::array<std::vector<std::u16string>, 3>;

// What a keymap may hold at most; a file beyond is refused, saying so.
inline constexpr std::size_t kMaxKeymapEntries = 100000;
inline constexpr std::size_t kMaxKeyLength = 64;  // keys of one sequence

// Rows a keymap of n entries occupies after its header: n rounded up past the
// next multiple of 18 (0 gives 18, 17 gives 18, 18 gives 36).
constexpr int paddedCountFor(int entries) { return entries / 18 * 18 + 18; }

// Orders key sequences by their UTF-16 units as unsigned numbers; a proper
// prefix sorts first. Exact and case-sensitive.
inline bool keysLess(std::u16string_view a, std::u16string_view b) { return a < b; }

// One keymap's rows, stored compactly instead of as a string per cell: the
// texts of all its entries lie in one buffer, each row is a few offsets into
// it, and the file order is a permutation of the sorted rows rather than a
// second copy of the strings. Empty rows up to the padded count are not
// stored; they read as empty.
struct KeymapSlot {
  struct Row {
    std::uint32_t at;  // in text: the decoded Keys, then Display, then Character
    std::uint32_t keysLength;
    std::uint32_t displayLength;
    std::uint32_t characterLength;
    std::uint32_t groupsAt;  // the Character's groups in groups
  };
  std::u16string text;
  std::vector<Row> rows;                 // stored rows in sorted order: row p + 1 at p
  std::vector<std::uint32_t> fileOrder;  // file row i + 1 is rows[fileOrder[i]]
  // Each row's Character as the engine types it (code_groups.h).
  std::vector<CodeGroup> groups;
  // Each stored row's first kHeadKeys keys, in the order of rows, for the
  // halving searches of the key path: key i + 1 in the 21 bits from bit
  // 42 - 21 i down, 0 where the sequence is shorter.
  std::vector<std::uint64_t> heads;
  static constexpr std::size_t kHeadKeys = 3;
  static std::uint64_t headOf(std::u16string_view keys);
  // The heads in the order of rows, after the rows have been stored or moved.
  void makeHeads();
  std::array<std::u16string, 3> header;      // row 0 of keymapTables
  std::array<std::u16string, 3> headerCopy;  // row 0 of keymapTablesCopy
  std::size_t columnSize = 0;                // header, stored rows and empty rows

  std::u16string_view keys(const Row& row) const { return {text.data() + row.at, row.keysLength}; }
  std::u16string_view display(const Row& row) const {
    return {text.data() + row.at + row.keysLength, row.displayLength};
  }
  std::u16string_view character(const Row& row) const {
    return {text.data() + row.at + row.keysLength + row.displayLength, row.characterLength};
  }
  CodeGroups characterGroups(const Row& row) const {
    return {groups.data() + row.groupsAt, row.characterLength / 4};
  }
  // The cell [column][row] in sorted order, or in file order.
  std::u16string_view cell(Column column, std::size_t row, bool inFileOrder) const;
};

// A read-only look at one keymap's table, [column][row], in sorted or in
// file order; cells read as views into the slot.
class KeymapColumnView {
 public:
  KeymapColumnView(const KeymapSlot& slot, Column column, bool inFileOrder)
      : slot_(&slot), column_(column), inFileOrder_(inFileOrder) {}
  std::size_t size() const { return slot_->columnSize; }
  std::u16string_view operator[](std::size_t row) const {
    return slot_->cell(column_, row, inFileOrder_);
  }

 private:
  const KeymapSlot* slot_;
  Column column_;
  bool inFileOrder_;
};

class KeymapTableView {
 public:
  KeymapTableView(const KeymapSlot& slot, bool inFileOrder)
      : slot_(&slot), inFileOrder_(inFileOrder) {}
  KeymapColumnView operator[](int column) const {
    return {*slot_, static_cast<Column>(column), inFileOrder_};
  }
  // The whole table as strings.
  KeymapTable strings() const;

 private:
  const KeymapSlot* slot_;
  bool inFileOrder_;
};

// keymapTables and keymapTablesCopy: every slot, [keymap][column][row].
class KeymapTablesView {
 public:
  KeymapTablesView(const std::vector<KeymapSlot>& slots, bool inFileOrder)
      : slots_(&slots), inFileOrder_(inFileOrder) {}
  KeymapTableView operator[](std::size_t keymap) const { return {(*slots_)[keymap], inFileOrder_}; }
  std::size_t size() const { return slots_->size(); }

 private:
  const std::vector<KeymapSlot>* slots_;
  bool inFileOrder_;
};

class KeymapTables {
 public:
  KeymapTables() = default;
  // The views keep referring to this object's own slots.
  KeymapTables(const KeymapTables& other) { *this = other; }
  KeymapTables& operator=(const KeymapTables& other) {
    slots_ = other.slots_;
    keymapSmp = other.keymapSmp;
    tableCapacity = other.tableCapacity;
    loadingKeymap = other.loadingKeymap;
    validatedLcid = other.validatedLcid;
    return *this;
  }
  KeymapTables& operator=(KeymapTables&& other) noexcept {
    slots_ = std::move(other.slots_);
    keymapSmp = std::move(other.keymapSmp);
    tableCapacity = other.tableCapacity;
    loadingKeymap = other.loadingKeymap;
    validatedLcid = std::move(other.validatedLcid);
    return *this;
  }

  // Loads the keymap file at path into slot loadingKeymap. False, with the
  // reason in *why when given, when the file fails; the slot may then be
  // partly written, and the next load overwrites it.
  bool integritycheck(const std::filesystem::path& path, std::string* why = nullptr);
  // Checks a keymap file without loading it and keeps its LCID in validatedLcid.
  bool integritycheck1(const std::filesystem::path& path, std::string* why = nullptr);

  // Sorts rows lo..hi of keymapTables[keymap] by Keys, moving whole rows,
  // into the order of a middle-pivot Hoare quicksort (which decides where
  // equal sequences end), in O(n log^2 n) time and little stack.
  // keymapTablesCopy keeps its order.
  void QuickSort(int keymap, int lo, int hi);

  // Puts a table given as strings into slot keymap as it stands, as both the
  // sorted and the file-order table (a table built in memory, as benchmarks
  // and tests make them). Its Character cells must be code strings.
  void assign(int keymap, const KeymapTable& table);
  // Rewrites a cell of keymapTables' header row (the loader puts the input
  // locale in place of the LCID); keymapTablesCopy keeps the file's.
  void setHeader(int keymap, Column column, std::u16string text) {
    slots_[static_cast<std::size_t>(keymap)].header[column] = std::move(text);
  }

 private:
  std::vector<KeymapSlot> slots_;

 public:
  // Each keymap's columns hold rows 0 up to its own padded count.
  KeymapTablesView keymapTables{slots_, false};     // rows 1..n sorted by Keys
  KeymapTablesView keymapTablesCopy{slots_, true};  // rows 1..n in file order
  std::vector<bool> keymapSmp;
  int tableCapacity = 0;  // the largest padded count loaded so far
  int loadingKeymap = 1;  // slot of the next load; the loader advances it
  std::u16string validatedLcid;

  // Header figures of a loaded keymap.
  int entryCount(int keymap) const;
  int longestKeys(int keymap) const;
  std::u16string_view cell(int keymap, Column column, int row) const {
    return slot(keymap).cell(column, static_cast<std::size_t>(row), false);
  }
  const KeymapSlot& slot(int keymap) const { return slots_[static_cast<std::size_t>(keymap)]; }

 private:
  void resizeTables(int keymaps);
};

// Checks one entry's three values by the validation rule: hexadecimal groups
// of the right width, no lone surrogate, supplementary-plane characters in
// Character only when the keymap's SMP flag is set, at most kMaxKeyLength
// keys. On success, when decodedKeys is given, it receives the key
// characters. Returns the reason for a failure, or an empty string.
std::string validateEntry(std::u16string_view display, std::u16string_view character,
                          std::u16string_view keys, bool smp, std::u16string* decodedKeys);

}  // namespace korimo
