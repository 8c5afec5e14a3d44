#include "engine/lookup.h"

#include <algorithm>

namespace korimo {

void ActiveKeymap::activate(int keymap) {
  activeKeymap = keymap;
  ++generation;
  keymap_ = &keymaps_[keymap];
  const Keymap& k = *keymap_;
  entryCount = k.entryCount();
  paddedCount = paddedCountFor(entryCount);
  maxKeysLength = k.longestKeys();
  activeSmp = k.smp;
  keyRanges_.fill(KeyRange{});
  lastRange_ = {0, -1, -1};
}

KeyRange ActiveKeymap::findKeyRange(char16_t key) const {
  const KeyRange range = narrow(allRows(), key);
  if (key < keyRanges_.size()) keyRanges_[key] = range;
  return range;
}

int ActiveKeymap::findRow(std::u16string_view key) const {
  int lo = 1;
  int hi = entryCount;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const std::u16string_view probe = keys(mid);
    if (probe == key) return mid;
    if (probe < key)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return -1;
}

std::u16string_view ActiveKeymap::displayOf(std::u16string_view key) const {
  const int row = findRow(key);
  return row == -1 ? std::u16string_view() : display(row);
}

KeyRange ActiveKeymap::search(KeyRange range, char16_t key) const {
  const auto depth = static_cast<std::size_t>(range.depth);
  const Keymap& k = keymap();
  // Within the range, the sequence itself sorts first (it has no key at
  // depth), then the rows by their key at depth: the rows with key follow
  // the first row whose key there is not below it, and end before the
  // first row whose key there is above it. keyAt gives the key at depth
  // plus one, 0 for a sequence that ends before it.
  auto search = [&](auto keyAt) {
    const std::uint32_t wanted = std::uint32_t{key} + 1;
    auto boundary = [&](int lo, int hi, bool orEqual) {
      while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const std::uint32_t k = keyAt(mid - 1);  // row mid
        if (k < wanted || (orEqual && k == wanted))
          lo = mid + 1;
        else
          hi = mid;
      }
      return lo;
    };
    const int first = boundary(range.first, range.last + 1, false);
    // The rows with key are few next to the range: their end is sought
    // from their start, in steps that double, and then halved.
    int lo = first;
    int step = 1;
    while (lo + step <= range.last && keyAt(lo + step - 1) == wanted) {
      lo += step;
      step *= 2;
    }
    const int end = boundary(lo, std::min(lo + step, range.last + 1), true);
    return KeyRange{first, end - 1, range.depth + 1};
  };
  if (depth < Keymap::kHeadKeys) {
    const unsigned shift = static_cast<unsigned>(21 * (Keymap::kHeadKeys - 1 - depth));
    lastNarrowed_ = search([&](int p) {
      return static_cast<std::uint32_t>(k.head(static_cast<std::size_t>(p)) >> shift) & 0x1FFFFF;
    });
  } else {
    lastNarrowed_ = search([&](int p) {
      const std::u16string_view keys = k.keys(static_cast<std::size_t>(p));
      return keys.size() <= depth ? 0u : std::uint32_t{keys[depth]} + 1;
    });
  }
  lastRange_ = range;
  lastKey_ = key;
  return lastNarrowed_;
}

}  // namespace korimo
