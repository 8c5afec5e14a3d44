#pragma once
// The active keymap and the look-ups the composition makes in it.

#include <array>
#include <string>
#include <string_view>

#include "engine/loaded_keymaps.h"

namespace korimo {

// Rows first..last (from 1) of the active keymap's sorted entries whose key
// sequences begin with the same depth keys: a node of the trie that the
// sorted entries make. Empty when first > last.
struct KeyRange {
  int first = 1;
  int last = 0;
  int depth = 0;
  bool empty() const { return first > last; }
};

class ActiveKeymap {
 public:
  explicit ActiveKeymap(const LoadedKeymaps& keymaps) : keymaps_(keymaps), keymap_(&keymaps[0]) {}

  // Keymap number k becomes the active one.
  void activate(int keymap);
  // No keymap active, as before the first activate.
  void deactivate() {
    keymap_ = &keymaps_[0];
    activeKeymap = entryCount = paddedCount = maxKeysLength = 0;
    activeSmp = false;
    keyRanges_.fill(KeyRange{});
    lastRange_ = {0, -1, -1};
  }

  // Row of the active keymap whose key sequence is keys exactly, or -1.
  // When rows repeat a sequence, the one the halving probes meet first.
  int findRow(std::u16string_view keys) const;
  // What the entry for keys shows, or empty.
  std::u16string_view displayOf(std::u16string_view keys) const;

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
  // The row findRow gives for the sequence of range, which is an entry:
  // the range's first row unless the keymap repeats the sequence, when the
  // halving probes decide which of the repeats it is.
  int entryRow(KeyRange range, std::u16string_view sequence) const {
    const bool repeated = range.first < range.last &&
                          keys(range.first + 1).size() == static_cast<std::size_t>(range.depth);
    return repeated ? findRow(sequence) : range.first;
  }

  // The texts of row (1..entryCount) of the active keymap's sorted entries.
  std::u16string_view keys(int row) const { return keymap().keys(index(row)); }
  std::u16string_view character(int row) const { return keymap().sorted(index(row)).character; }
  std::u16string_view display(int row) const { return keymap().sorted(index(row)).display; }
  const Keymap& keymap() const { return *keymap_; }

  int activeKeymap = 0;
  // Counts activations, so that what was worked out for one keymap is not
  // taken for another.
  unsigned generation = 0;
  int entryCount = 0;
  int paddedCount = 0;
  int maxKeysLength = 0;
  bool activeSmp = false;

 private:
  static std::size_t index(int row) { return static_cast<std::size_t>(row - 1); }
  const LoadedKeymaps& keymaps_;
  const Keymap* keymap_;  // the active one, asked for on every key
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
