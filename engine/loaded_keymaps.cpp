#include "engine/loaded_keymaps.h"

#include <algorithm>
#include <climits>
#include <numeric>

namespace korimo {
namespace {

// The ranks of rows being sorted (equal key sequences have equal ranks) in a
// tree of range minima and maxima. It answers the two scans of a partition,
// "the first row from i on whose rank is not below the pivot's" and "the last
// row up to j whose rank is not above it", in logarithmic time, so that a
// partition costs its exchanges rather than its length.
class RankTree {
 public:
  explicit RankTree(const std::vector<int>& ranks) {
    while (leaves_ < ranks.size()) leaves_ *= 2;
    min_.assign(2 * leaves_, INT_MAX);
    max_.assign(2 * leaves_, INT_MIN);
    for (std::size_t i = 0; i < ranks.size(); ++i) min_[leaves_ + i] = max_[leaves_ + i] = ranks[i];
    for (std::size_t node = leaves_ - 1; node > 0; --node) pull(node);
  }

  int rank(std::size_t i) const { return min_[leaves_ + i]; }

  void exchange(std::size_t i, std::size_t j) {
    const int ri = rank(i);
    set(i, rank(j));
    set(j, ri);
  }

  // First position in from..to whose rank is at least value; to + 1 if none.
  std::ptrdiff_t firstAtLeast(std::ptrdiff_t from, std::ptrdiff_t to, int value) const {
    if (from > to) return to + 1;
    std::ptrdiff_t found = find(
        1, 0, static_cast<std::ptrdiff_t>(leaves_) - 1, from, to,
        [&](std::size_t node) { return max_[node] >= value; }, true);
    return found < 0 ? to + 1 : found;
  }

  // Last position in from..to whose rank is at most value; from - 1 if none.
  std::ptrdiff_t lastAtMost(std::ptrdiff_t from, std::ptrdiff_t to, int value) const {
    if (from > to) return from - 1;
    std::ptrdiff_t found = find(
        1, 0, static_cast<std::ptrdiff_t>(leaves_) - 1, from, to,
        [&](std::size_t node) { return min_[node] <= value; }, false);
    return found < 0 ? from - 1 : found;
  }

 private:
  void pull(std::size_t node) {
    min_[node] = std::min(min_[2 * node], min_[2 * node + 1]);
    max_[node] = std::max(max_[2 * node], max_[2 * node + 1]);
  }
  void set(std::size_t i, int value) {
    std::size_t node = leaves_ + i;
    min_[node] = max_[node] = value;
    for (node /= 2; node > 0; node /= 2) pull(node);
  }

  // The leftmost (or rightmost) leaf in from..to under node, which covers
  // lo..hi, whose subtree passes the test; -1 if none. Recurses over the
  // tree's height only.
  template <typename Test>
  std::ptrdiff_t find(std::size_t node, std::ptrdiff_t lo, std::ptrdiff_t hi, std::ptrdiff_t from,
                      std::ptrdiff_t to, const Test& test, bool leftmost) const {
    if (hi < from || lo > to || !test(node)) return -1;
    if (lo == hi) return lo;
    const std::ptrdiff_t mid = lo + (hi - lo) / 2;
    if (leftmost) {
      std::ptrdiff_t found = find(2 * node, lo, mid, from, to, test, leftmost);
      return found >= 0 ? found : find(2 * node + 1, mid + 1, hi, from, to, test, leftmost);
    }
    std::ptrdiff_t found = find(2 * node + 1, mid + 1, hi, from, to, test, leftmost);
    return found >= 0 ? found : find(2 * node, lo, mid, from, to, test, leftmost);
  }

  std::size_t leaves_ = 1;
  std::vector<int> min_;
  std::vector<int> max_;
};

using Part = std::pair<std::ptrdiff_t, std::ptrdiff_t>;

// Hoare partitioning around the middle row, exactly so: the order it leaves
// equal key sequences in decides which of them the halving search meets.
// This runs the partitions over positions 0..count-1: partition(a, b, i, j)
// partitions a..b around the rank at its middle, starting its scans at i = a
// and j = b and leaving them where they crossed, or gives up with false, and
// so does this. The parts wait on a list instead of the call stack, the
// larger part first, so the list stays logarithmic.
template <typename Partition>
bool eachPartition(std::size_t count, Partition partition) {
  std::vector<Part> pending;
  pending.emplace_back(0, static_cast<std::ptrdiff_t>(count) - 1);
  while (!pending.empty()) {
    auto [a, b] = pending.back();
    pending.pop_back();
    while (a < b) {
      std::ptrdiff_t i = a;
      std::ptrdiff_t j = b;
      if (!partition(a, b, i, j)) return false;
      // Parts a..j and i..b; sorting them in either order ends the same.
      if (j - a < b - i) {
        if (i < b) pending.emplace_back(i, b);
        b = j;
      } else {
        if (a < j) pending.emplace_back(a, j);
        a = i;
      }
    }
  }
  return true;
}

// The partitions with plain scans over the ranks, quick for the orders
// keymaps come in; false, having given up, when the scans grow well beyond
// n log n steps (an order that defeats the middle pivot).
bool partitionByScans(std::vector<int> ranks, std::vector<std::uint32_t>& from) {
  const std::size_t count = ranks.size();
  std::size_t budget = 16 * count;
  for (std::size_t n = count; n > 1; n /= 2) budget += 16 * count;
  std::iota(from.begin(), from.end(), std::uint32_t{0});
  const auto at = [&](std::ptrdiff_t p) { return ranks[static_cast<std::size_t>(p)]; };
  return eachPartition(
      count, [&](std::ptrdiff_t a, std::ptrdiff_t b, std::ptrdiff_t& i, std::ptrdiff_t& j) {
        const int pivot = at((a + b) / 2);
        do {
          while (at(i) < pivot) ++i;
          while (pivot < at(j)) --j;
          if (i <= j) {
            std::swap(ranks[static_cast<std::size_t>(i)], ranks[static_cast<std::size_t>(j)]);
            std::swap(from[static_cast<std::size_t>(i)], from[static_cast<std::size_t>(j)]);
            ++i;
            --j;
          }
        } while (i <= j);
        const auto steps = static_cast<std::size_t>(b - a + 1);
        if (steps > budget) return false;
        budget -= steps;
        return true;
      });
}

// The same partitions on the ranks in a RankTree, where the scans skip ahead
// in logarithmic time and exchanges are the only real work; a partition
// exchanges at most one row more than its smaller part holds, so the whole
// sort takes O(n log^2 n) even for orders that make each partition split off
// a single row. It leaves in from, for each position, the row that the sort
// moves there.
// keyAt(i) is the key sequence of row i of the range being sorted.
template <typename KeyAt>
void partitionLikeQuickSort(const KeyAt& keyAt, const std::vector<std::uint32_t>& byKeys,
                            std::vector<std::uint32_t>& from) {
  const std::size_t count = byKeys.size();
  std::vector<int> ranks(count);
  for (std::size_t t = 0; t < count; ++t) {
    const bool same = t > 0 && keyAt(byKeys[t]) == keyAt(byKeys[t - 1]);
    ranks[byKeys[t]] = same ? ranks[byKeys[t - 1]] : static_cast<int>(t);
  }

  if (partitionByScans(ranks, from)) return;
  RankTree tree(ranks);
  std::iota(from.begin(), from.end(), std::uint32_t{0});
  eachPartition(
      count, [&](std::ptrdiff_t a, std::ptrdiff_t b, std::ptrdiff_t& i, std::ptrdiff_t& j) {
        // Row numbers are offset by lo; (lo + a + lo + b) div 2 is lo + (a + b) div 2.
        const int pivot = tree.rank(static_cast<std::size_t>((a + b) / 2));
        do {
          i = tree.firstAtLeast(i, b, pivot);
          j = tree.lastAtMost(a, j, pivot);
          if (i <= j) {
            tree.exchange(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
            std::swap(from[static_cast<std::size_t>(i)], from[static_cast<std::size_t>(j)]);
            ++i;
            --j;
          }
        } while (i <= j);
        return true;
      });
}

}  // namespace

Keymap::Keymap(const KeymapFile& file) : lcid(file.lcid), smp(file.smp) {
  std::size_t size = 0;
  for (const KeymapEntry& e : file.entries)
    size += e.keys.size() + e.display.size() + e.character.size();
  text_.reserve(size);
  rows_.reserve(file.entries.size());
  for (const KeymapEntry& e : file.entries) {
    rows_.push_back({static_cast<std::uint32_t>(text_.size()),
                     static_cast<std::uint32_t>(e.keys.size()),
                     static_cast<std::uint32_t>(e.display.size()),
                     static_cast<std::uint32_t>(e.character.size())});
    text_ += e.keys;
    text_ += e.display;
    text_ += e.character;
    longestKeys_ = std::max(longestKeys_, static_cast<int>(e.keys.size()));
  }
  fileOrder_.resize(rows_.size());
  std::iota(fileOrder_.begin(), fileOrder_.end(), std::uint32_t{0});
  sortRows();
}

std::uint64_t Keymap::headOf(std::u16string_view keys) {
  std::uint64_t head = 0;
  for (std::size_t i = 0; i < kHeadKeys; ++i)
    head = (head << 21) | (i < keys.size() ? std::uint64_t{keys[i]} + 1 : 0);
  return head;
}

// The entries in ascending order of their key sequences; where the keymap
// repeats a sequence, the order of its rows is that of the quicksort. Only
// the rows' offsets move; the file order follows them to where they go.
void Keymap::sortRows() {
  const std::size_t count = rows_.size();
  if (count >= 2) {
    const auto keyAt = [&](std::uint32_t i) { return keys(i); };
    std::vector<std::uint32_t> byKeys(count);
    std::iota(byKeys.begin(), byKeys.end(), std::uint32_t{0});
    std::sort(byKeys.begin(), byKeys.end(),
              [&](std::uint32_t a, std::uint32_t b) { return keysLess(keyAt(a), keyAt(b)); });
    std::vector<std::uint32_t> from(count);  // position -> row it receives
    bool repeats = false;
    for (std::size_t t = 1; t < count && !repeats; ++t)
      repeats = keyAt(byKeys[t]) == keyAt(byKeys[t - 1]);
    if (!repeats) {
      // Every sort puts distinct sequences in the one ascending order.
      from = std::move(byKeys);
    } else {
      partitionLikeQuickSort(keyAt, byKeys, from);
    }
    // Before the sort, file entry i is row i.
    std::vector<Row> moved(count);
    for (std::size_t p = 0; p < count; ++p) {
      moved[p] = rows_[from[p]];
      fileOrder_[from[p]] = static_cast<std::uint32_t>(p);
    }
    rows_ = std::move(moved);
  }
  heads_.resize(count);
  for (std::size_t p = 0; p < count; ++p) heads_[p] = headOf(keys(p));
}

bool LoadedKeymaps::load(int number, const std::filesystem::path& path, std::string* why) {
  const std::optional<KeymapFile> file = readKeymapFile(path, why);
  if (!file) return false;
  adopt(number, *file);
  return true;
}

void LoadedKeymaps::adopt(int number, const KeymapFile& file) {
  const auto n = static_cast<std::size_t>(number);
  if (keymaps_.size() <= n) keymaps_.resize(n + 1);
  keymaps_[n] = Keymap(file);
}

const Keymap& LoadedKeymaps::operator[](int number) const {
  static const Keymap empty;
  const auto n = static_cast<std::size_t>(number);
  return number > 0 && n < keymaps_.size() ? keymaps_[n] : empty;
}

}  // namespace korimo
