#pragma once
// The active keymap and the look-ups the composition makes in it.

#include <array>
#include <string>
#include <string_view>

#include "engine/keymap_tables.h"

namespace korimo {

// Rows first..last of the sorted table whose Keys begin with the same depth
// keys: a node of the trie that the sorted rows make. Empty when first > last.
struct KeyRange {
  int first = 1;
  int last = 0;
  int depth = 0;
  bool empty() const { return first > last; }
};

class ActiveKeymap {
 public:
  explicit ActiveKeymap(const KeymapTables& tables) : tables_(tables) {}

  // Takes the figures of keymap k from its header row and its SMP flag.
  void activate(int keymap);
  // No keymap active, as before the first activate.
  void deactivate() {
    activeKeymap = entryCount = paddedCount = maxKeysLength = 0;
    activeSmp = false;
    keyRanges_.fill(KeyRange{});
    lastRange_ = {0, -1, -1};
  }

  // Row of the active keymap whose Keys equal key exactly, or -1. When rows
  // repeat a sequence, the one the halving probes meet first.
  int BinSearch(std::u16string_view key) const;
  // The Display text of the entry for key, or empty.
  std::u16string convv(std::u16string_view key) const;
  // First row, in sorted order, whose Keys begin with prefix, or -1. The rows
  // that begin with a sequence follow each other from its lower bound, so
  // this halves instead of scanning.
  int firstRowBeginningWith(std::u16string_view prefix) const;

  // Every row, as the range of the empty sequence.
  KeyRange allRows() const { return {1, entryCount, 0}; }
  // The rows of range whose next key (at position depth) is key: two
  // halving searches that compare one key each, whatever the depth.
  KeyRange narrow(KeyRange range, char16_t key) const {
    if (range.empty()) return {range.first, range.last, range.depth + 1};
    if (key == lastKey_ && range.first == lastRange_.first && range.last == lastRange_.last &&
        range.depth == lastRange_.depth)
      return lastNarrowed_;
    return search(range, key);
  }
  // Whether range's sequence is itself an entry (it sorts first in range).
  bool isEntry(KeyRange range) const {
    return !range.empty() && keys(range.first).size() == static_cast<std::size_t>(range.depth);
  }
  // The rows that begin with the one key: remembered per key for the
  // keymap active, since every composed key asks for them.
  KeyRange keyRange(char16_t key) const {
    if (key < keyRanges_.size() && keyRanges_[key].depth != 0) return keyRanges_[key];
    return findKeyRange(key);
  }
  // The row BinSearch gives for the sequence of range, which is an entry:
  // the range's first row unless the keymap repeats the sequence, when the
  // halving probes decide which of the repeats it is.
  int entryRow(KeyRange range, std::u16string_view sequence) const {
    const bool repeated = range.first < range.last &&
                          keys(range.first + 1).size() == static_cast<std::size_t>(range.depth);
    return repeated ? BinSearch(sequence) : range.first;
  }

  // The cells of row (1..entryCount) of the active keymap's sorted table.
  std::u16string_view keys(int row) const {
    const KeymapSlot& s = slot();
    return s.keys(s.rows[static_cast<std::size_t>(row - 1)]);
  }
  std::u16string_view character(int row) const {
    const KeymapSlot& s = slot();
    return s.character(s.rows[static_cast<std::size_t>(row - 1)]);
  }
  std::u16string_view display(int row) const {
    const KeymapSlot& s = slot();
    return s.display(s.rows[static_cast<std::size_t>(row - 1)]);
  }
  // The row's Character as the groups the engine types.
  CodeGroups characterGroups(int row) const {
    const KeymapSlot& s = slot();
    return s.characterGroups(s.rows[static_cast<std::size_t>(row - 1)]);
  }
  const KeymapSlot& slot() const { return tables_.slot(activeKeymap); }
  const KeymapTables& tables() const { return tables_; }

  int activeKeymap = 0;
  // Counts activations, so that what was worked out for one keymap is not
  // taken for another.
  unsigned generation = 0;
  int entryCount = 0;
  int paddedCount = 0;
  int maxKeysLength = 0;
  bool activeSmp = false;

 private:
  const KeymapTables& tables_;
  KeyRange findKeyRange(char16_t key) const;
  KeyRange search(KeyRange range, char16_t key) const;
  // keyRange of the keys below 128, found on first use; depth 0 when not yet.
  mutable std::array<KeyRange, 128> keyRanges_{};
  // The last narrowing, which the composition and the conversion of the same
  // sequence both ask for.
  mutable KeyRange lastRange_{0, -1, -1};
  mutable char16_t lastKey_ = 0;
  mutable KeyRange lastNarrowed_;
};

}  // namespace korimo
