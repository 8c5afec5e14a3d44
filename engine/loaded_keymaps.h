#pragma once
// The keymaps of the catalogue, loaded: each keymap's entries as text, in
// the order of their key sequences (which the look-ups halve through) and in
// file order (which the key preview pages through).

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/keymap_file.h"

namespace korimo {

// Orders key sequences by their UTF-16 units as unsigned numbers; a proper
// prefix sorts first. Exact and case-sensitive.
inline bool keysLess(std::u16string_view a, std::u16string_view b) { return a < b; }

// The rows the key preview pages through for a keymap of n entries: n
// rounded up past the next multiple of 18 (0 gives 18, 17 gives 18, 18 gives 36).
constexpr int paddedCountFor(int entries) { return entries / 18 * 18 + 18; }

// One loaded keymap. Its texts lie in one buffer; each entry is a few
// offsets into it, and the file order is a permutation of the sorted
// entries rather than a second copy.
//
// Where the file repeats a key sequence, the repeats stand in the order a
// middle-pivot Hoare quicksort leaves them, and the look-up takes the one its
// halving probes meet first: the rule the program has always kept, and which
// no simpler statement (the first or the last in the file, say) reproduces.
class Keymap {
 public:
  struct Entry {
    std::u16string_view keys;
    std::u16string_view display;
    std::u16string_view character;
  };

  Keymap() = default;
  explicit Keymap(const KeymapFile& file);

  int entryCount() const { return static_cast<int>(rows_.size()); }
  int longestKeys() const { return longestKeys_; }
  // Entry i (from 0) in the order of the key sequences, or in file order.
  Entry sorted(std::size_t i) const { return entry(rows_[i]); }
  Entry inFileOrder(std::size_t i) const { return entry(rows_[fileOrder_[i]]); }
  // The key sequence of sorted entry i, and its first kHeadKeys keys packed
  // in one word for the halving searches of the key path: key j + 1 in the
  // 21 bits from bit 42 - 21 j down, 0 where the sequence is shorter.
  std::u16string_view keys(std::size_t i) const {
    return {text_.data() + rows_[i].at, rows_[i].keysLength};
  }
  std::uint64_t head(std::size_t i) const { return heads_[i]; }
  static constexpr std::size_t kHeadKeys = 3;

  std::u16string lcid;
  bool smp = false;

 private:
  struct Row {
    std::uint32_t at;  // in text_: the keys, then Display, then Character
    std::uint32_t keysLength;
    std::uint32_t displayLength;
    std::uint32_t characterLength;
  };
  Entry entry(const Row& row) const {
    const char16_t* at = text_.data() + row.at;
    return {{at, row.keysLength},
            {at + row.keysLength, row.displayLength},
            {at + row.keysLength + row.displayLength, row.characterLength}};
  }
  static std::uint64_t headOf(std::u16string_view keys);
  void sortRows();

  std::u16string text_;
  std::vector<Row> rows_;                 // sorted by key sequence
  std::vector<std::uint32_t> fileOrder_;  // file entry i is rows_[fileOrder_[i]]
  std::vector<std::uint64_t> heads_;      // of rows_, in their order
  int longestKeys_ = 0;
};

// The catalogue's keymaps by their number (1 for the first).
class LoadedKeymaps {
 public:
  // Loads the file as keymap number; false, with the reason in *why when
  // given, when it is not a usable keymap (the number keeps what it had).
  bool load(int number, const std::filesystem::path& path, std::string* why = nullptr);
  // A keymap made in memory (tests, benchmarks).
  void adopt(int number, const KeymapFile& file);
  // Keymap number; an empty keymap for a number nothing was loaded as. The
  // reference stays valid while this object lives (a later load of the same
  // number changes what it refers to).
  const Keymap& operator[](int number) const;

 private:
  std::deque<Keymap> keymaps_;  // keymap n at n; 0 is never one
};

}  // namespace korimo
