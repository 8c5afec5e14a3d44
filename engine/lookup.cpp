#include "engine/lookup.h"

#include "engine/globalroutines.h"

namespace korimo {

void ActiveKeymap::activate(int keymap) {
  activeKeymap = keymap;
  ++generation;
  entryCount = tables_.entryCount(keymap);
  paddedCount = paddedCountFor(entryCount);
  maxKeysLength = tables_.longestKeys(keymap);
  activeSmp = tables_.keymapSmp[static_cast<std::size_t>(keymap)];
  keyRanges_.fill(KeyRange{});
  lastRange_ = {0, -1, -1};
}

KeyRange ActiveKeymap::findKeyRange(char16_t key) const {
  const KeyRange range = narrow(allRows(), key);
  if (key < keyRanges_.size()) keyRanges_[key] = range;
  return range;
}

int ActiveKeymap::BinSearch(std::u16string_view key) const {
  int lo = 1;
  int hi = entryCount;
  if (hi < lo) return -1;
  const KeymapSlot& s = slot();
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    std::u16string_view probe = s.keys(s.rows[static_cast<std::size_t>(mid - 1)]);
    if (probe == key) return mid;
    if (probe < key)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return -1;
}

std::u16string ActiveKeymap::convv(std::u16string_view key) const {
  int row = BinSearch(key);
  return row == -1 ? std::u16string() : hexToText(display(row));
}

int ActiveKeymap::firstRowBeginningWith(std::u16string_view prefix) const {
  int lo = 1;
  int hi = entryCount + 1;  // lower bound in rows 1..entryCount
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (keys(mid) < prefix)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo <= entryCount && keys(lo).starts_with(prefix)) return lo;
  return -1;
}

KeyRange ActiveKeymap::narrow(KeyRange range, char16_t key) const {
  const auto depth = static_cast<std::size_t>(range.depth);
  if (range.empty()) return {range.first, range.last, range.depth + 1};
  if (key == lastKey_ && range.first == lastRange_.first && range.last == lastRange_.last &&
      range.depth == lastRange_.depth)
    return lastNarrowed_;
  const KeymapSlot& s = slot();
  const KeymapSlot::Row* rows = s.rows.data();  // row r at rows[r - 1]
  const char16_t* text = s.text.data();
  // Within the range, the sequence itself sorts first (it has no key at
  // depth), then the rows by their key at depth: the rows with key follow
  // the first row whose key there is not below it, and end before the
  // first row whose key there is above it.
  auto boundary = [&](int lo, int hi, bool orEqual) {
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      const KeymapSlot::Row& row = rows[mid - 1];
      if (row.keysLength <= depth) {
        lo = mid + 1;
        continue;
      }
      const char16_t k = text[row.at + depth];
      if (k < key || (orEqual && k == key))
        lo = mid + 1;
      else
        hi = mid;
    }
    return lo;
  };
  const int first = boundary(range.first, range.last + 1, false);
  lastRange_ = range;
  lastKey_ = key;
  lastNarrowed_ = {first, boundary(first, range.last + 1, true) - 1, range.depth + 1};
  return lastNarrowed_;
}

}  // namespace korimo
