#pragma once
// The in-memory keymap tables: every loaded keymap file as rows of Display,
// Character and Keys, once sorted by key sequence and once in file order.
//
// Addressed as [keymap][column][row]. Row 0 is a header row (entry count,
// longest key sequence, input locale); entries start at row 1 and are
// followed by empty rows up to the padded count, the next multiple of 18
// above the entry count, which the key preview pages through.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace korimo {

enum Column : int { kDisplay = 0, kCharacter = 1, kKeys = 2 };

using KeymapTable = std::array<std::vector<std::u16string>, 3>;

// What a keymap may hold at most; a file beyond is refused, saying so.
inline constexpr std::size_t kMaxKeymapEntries = 100000;
inline constexpr std::size_t kMaxKeyLength = 64;  // keys of one sequence

// Rows a keymap of n entries occupies after its header: n rounded up past the
// next multiple of 18 (0 gives 18, 17 gives 18, 18 gives 36).
constexpr int paddedCountFor(int entries) { return entries / 18 * 18 + 18; }

// Orders key sequences by their UTF-16 units as unsigned numbers; a proper
// prefix sorts first. Exact and case-sensitive.
inline bool keysLess(const std::u16string& a, const std::u16string& b) { return a < b; }

class KeymapTables {
 public:
  // Loads the keymap file at path into slot loadingKeymap. False, with the
  // reason in *why when given, when the file fails; the slot may then be
  // partly written, and the next load overwrites it.
  bool integritycheck(const std::filesystem::path& path, std::string* why = nullptr);
  // Checks a keymap file without loading it and keeps its LCID in validatedLcid.
  bool integritycheck1(const std::filesystem::path& path, std::string* why = nullptr);

  // Sorts rows lo..hi of keymapTables[keymap] by Keys, moving whole rows,
  // into the order of a middle-pivot Hoare quicksort (which decides where
  // equal sequences end), in O(n log^2 n) time and little stack.
  void QuickSort(int keymap, int lo, int hi);

  // Each keymap's columns hold rows 0 up to its own padded count.
  std::vector<KeymapTable> keymapTables;      // rows 1..n sorted by Keys
  std::vector<KeymapTable> keymapTablesCopy;  // rows 1..n in file order
  std::vector<bool> keymapSmp;
  int tableCapacity = 0;  // the largest padded count loaded so far
  int loadingKeymap = 1;  // slot of the next load; the loader advances it
  std::u16string validatedLcid;

  // Header figures of a loaded keymap.
  int entryCount(int keymap) const;
  int longestKeys(int keymap) const;
  const std::u16string& cell(int keymap, Column column, int row) const {
    return keymapTables[static_cast<std::size_t>(keymap)][column][static_cast<std::size_t>(row)];
  }

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
