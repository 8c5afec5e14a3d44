#include "engine/keymap_tables.h"

#include <algorithm>
#include <climits>
#include <numeric>
#include <string_view>

#include "engine/globalroutines.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

// A required failure of the file, carrying the reason to the caller.
struct KeymapFault {
  std::string what;
};

std::string narrow(std::u16string_view text) {
  try {
    return xml::utf16ToUtf8(text);
  } catch (const xml::XmlError&) {
    return "?";
  }
}

bool isHex(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// The text as it is quoted in a reason, cut short when it is long.
std::string quotedValue(const char* element, std::u16string_view text) {
  constexpr std::size_t kShown = 40;
  return std::string(element) + " \"" + narrow(text.substr(0, kShown)) +
         (text.size() > kShown ? "...\"" : "\"");
}

bool isHighSurrogate(std::int32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(std::int32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// A code string's surrogates: each high one followed by a low one, no low one
// alone, and pairs only where the keymap declares supplementary-plane text.
std::string checkSurrogates(std::u16string_view codes, const char* element, bool pairsAllowed) {
  const std::size_t groups = groupCount(codes);
  for (std::size_t g = 0; g < groups; ++g) {
    const std::int32_t unit = groupUnit(group(codes, g));  // the groups are hexadecimal
    if (!isHighSurrogate(unit) && !isLowSurrogate(unit)) continue;
    if (isLowSurrogate(unit) || g + 1 == groups || !isLowSurrogate(groupUnit(group(codes, g + 1))))
      return quotedValue(element, codes) + ": group " + std::to_string(g + 1) + " \"" +
             narrow(group(codes, g)) + "\" is a lone surrogate";
    if (!pairsAllowed)
      return quotedValue(element, codes) + ": groups " + std::to_string(g + 1) + " and " +
             std::to_string(g + 2) +
             " make a character outside the Basic Multilingual Plane, which a keymap types "
             "only with <SMP>True</SMP> in its Header";
    ++g;
  }
  return {};
}

// Checks a text made of groups of `width` hexadecimal digits.
std::string checkGroups(std::u16string_view text, std::size_t width, const char* element) {
  auto quoted = [&] { return quotedValue(element, text); };
  if (text.size() % width != 0)
    return quoted() + ": length " + std::to_string(text.size()) + " is not a multiple of " +
           std::to_string(width);
  for (std::size_t i = 0; i < text.size(); i += width)
    for (std::size_t j = i; j < i + width; ++j)
      if (!isHex(text[j]))
        return quoted() + ": group " + std::to_string(i / width + 1) + " \"" +
               narrow(text.substr(i, width)) + "\" is not hexadecimal";
  return {};
}

bool nameIs(std::string_view name, std::string_view lowerCase) {
  if (name.size() != lowerCase.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = (name[i] >= 'A' && name[i] <= 'Z') ? static_cast<char>(name[i] + 32) : name[i];
    if (c != lowerCase[i]) return false;
  }
  return true;
}

// What the load and the check read of a keymap file, gathered as the file
// is read instead of kept as a document tree: the first Header and Data
// children of the root, the first LCID and SMP of that Header, and of each
// child of that Data (an entry) its first Display, Character and Keys, each
// found by name without regard to letter case. The values of the entries
// lie one after another in one buffer.
class KeymapFile : public xml::XmlHandler {
 public:
  enum Value : int { kDisplayValue = 0, kCharacterValue = 1, kKeysValue = 2 };
  struct Entry {
    std::uint32_t at[3] = {};
    std::uint32_t length[3] = {};
    bool present[3] = {};
  };

  explicit KeymapFile(const std::filesystem::path& path) { xml::readDocument(path, *this); }

  bool hasData = false;
  bool hasHeader = false;
  bool hasLcid = false;
  bool hasSmp = false;
  std::u16string lcid;
  std::u16string smp;
  std::vector<Entry> entries;

  std::u16string_view value(const Entry& entry, Value which) const {
    return std::u16string_view(values_).substr(entry.at[which], entry.length[which]);
  }

 private:
  enum class Role { kOther, kData, kHeader, kEntry, kLcid, kSmp, kDisplay, kCharacter, kKeys };

  void startElement(std::string_view name) override {
    const Role parent = roles_.empty() ? Role::kOther : roles_.back();
    Role role = Role::kOther;
    if (roles_.size() == 1) {  // a child of the root
      if (!hasData && nameIs(name, "data")) role = Role::kData, hasData = true;
      if (!hasHeader && nameIs(name, "header")) role = Role::kHeader, hasHeader = true;
    } else if (parent == Role::kData) {
      role = Role::kEntry;
      entries.emplace_back();
    } else if (parent == Role::kHeader) {
      if (!hasLcid && nameIs(name, "lcid")) role = Role::kLcid, hasLcid = true;
      if (!hasSmp && nameIs(name, "smp")) role = Role::kSmp, hasSmp = true;
    } else if (parent == Role::kEntry) {
      Entry& entry = entries.back();
      if (!entry.present[kDisplayValue] && nameIs(name, "display"))
        role = Role::kDisplay, entry.present[kDisplayValue] = true;
      if (!entry.present[kCharacterValue] && nameIs(name, "character"))
        role = Role::kCharacter, entry.present[kCharacterValue] = true;
      if (!entry.present[kKeysValue] && nameIs(name, "keys"))
        role = Role::kKeys, entry.present[kKeysValue] = true;
    }
    roles_.push_back(role);
  }

  void endElement(std::u16string& text) override {
    const Role role = roles_.back();
    roles_.pop_back();
    switch (role) {
      case Role::kLcid: lcid = text; break;
      case Role::kSmp: smp = text; break;
      case Role::kDisplay: keep(kDisplayValue, text); break;
      case Role::kCharacter: keep(kCharacterValue, text); break;
      case Role::kKeys: keep(kKeysValue, text); break;
      default: break;
    }
  }

  void keep(Value which, const std::u16string& text) {
    Entry& entry = entries.back();
    entry.at[which] = static_cast<std::uint32_t>(values_.size());
    entry.length[which] = static_cast<std::uint32_t>(text.size());
    values_ += text;
  }

  std::vector<Role> roles_;
  std::u16string values_;
};

// The file read, with the faults of its structure raised in the order in
// which a look at the document finds them.
KeymapFile openKeymap(const std::filesystem::path& path) {
  KeymapFile file(path);
  if (!file.hasData) throw KeymapFault{"missing Data element"};
  if (!file.hasHeader) throw KeymapFault{"missing Header element"};
  if (!file.hasLcid) throw KeymapFault{"Header: missing LCID element"};
  if (file.entries.size() > kMaxKeymapEntries)
    throw KeymapFault{"Data has " + std::to_string(file.entries.size()) +
                      " entries; a keymap may have at most " + std::to_string(kMaxKeymapEntries)};
  return file;
}

// The Boolean value of SMP (true for T or Y, false for F or N, in either
// case), false when it is missing or says neither.
bool smpOf(const KeymapFile& file) {
  if (!file.hasSmp || file.smp.empty()) return false;
  const char16_t first = file.smp[0];
  return first == u't' || first == u'T' || first == u'y' || first == u'Y';
}

struct EntryValues {
  std::u16string_view display;
  std::u16string_view character;
  std::u16string_view keys;
};

EntryValues entryValues(const KeymapFile& file, std::size_t index) {
  const KeymapFile::Entry& entry = file.entries[index];
  const char* names[] = {"Display", "Character", "Keys"};
  for (int which = 0; which < 3; ++which)
    if (!entry.present[which])
      throw KeymapFault{"entry " + std::to_string(index + 1) + ": missing " + names[which] +
                        " element"};
  return {file.value(entry, KeymapFile::kDisplayValue),
          file.value(entry, KeymapFile::kCharacterValue),
          file.value(entry, KeymapFile::kKeysValue)};
}

template <typename Body>
bool guarded(std::string* why, Body body) {
  try {
    body();
    return true;
  } catch (const KeymapFault& fault) {
    if (why) *why = fault.what;
  } catch (const xml::XmlError& error) {
    if (why) *why = error.what();
  } catch (const std::exception& error) {
    if (why) *why = error.what();
  }
  return false;
}

}  // namespace

std::string validateEntry(std::u16string_view display, std::u16string_view character,
                          std::u16string_view keys, bool smp, std::u16string* decodedKeys) {
  if (auto fault = checkGroups(display, 4, "Display"); !fault.empty()) return fault;
  if (auto fault = checkGroups(character, 4, "Character"); !fault.empty()) return fault;
  if (auto fault = checkGroups(keys, 2, "Keys"); !fault.empty()) return fault;
  // Display is only shown, so it may hold any whole character; Character is
  // typed, and a keymap without the SMP flag replaces text unit by unit.
  if (auto fault = checkSurrogates(display, "Display", true); !fault.empty()) return fault;
  if (auto fault = checkSurrogates(character, "Character", smp); !fault.empty()) return fault;
  if (keys.size() / 2 > kMaxKeyLength)
    return quotedValue("Keys", keys) + ": " + std::to_string(keys.size() / 2) +
           " keys; a key sequence may have at most " + std::to_string(kMaxKeyLength);
  if (decodedKeys) {
    decodedKeys->clear();
    for (std::size_t i = 0; i < keys.size(); i += 2)
      decodedKeys->push_back(
          static_cast<char16_t>(hexDigitValue(keys[i]) * 16 + hexDigitValue(keys[i + 1])));
  }
  return {};
}

std::u16string_view KeymapSlot::cell(Column column, std::size_t row, bool inFileOrder) const {
  if (row == 0) return (inFileOrder ? headerCopy : header)[static_cast<std::size_t>(column)];
  if (row > rows.size()) return {};  // the empty rows up to the padded count
  const Row& r = rows[inFileOrder ? fileOrder[row - 1] : row - 1];
  switch (column) {
    case kDisplay: return display(r);
    case kCharacter: return character(r);
    default: return keys(r);
  }
}

std::uint64_t KeymapSlot::headOf(std::u16string_view keys) {
  std::uint64_t head = 0;
  for (std::size_t i = 0; i < kHeadKeys; ++i)
    head = (head << 21) | (i < keys.size() ? std::uint64_t{keys[i]} + 1 : 0);
  return head;
}

void KeymapSlot::makeHeads() {
  heads.resize(rows.size());
  for (std::size_t p = 0; p < rows.size(); ++p) heads[p] = headOf(keys(rows[p]));
}

KeymapTable KeymapTableView::strings() const {
  KeymapTable table;
  for (int column = 0; column < 3; ++column) {
    const KeymapColumnView cells = (*this)[column];
    auto& strings = table[static_cast<std::size_t>(column)];
    strings.reserve(cells.size());
    for (std::size_t row = 0; row < cells.size(); ++row) strings.emplace_back(cells[row]);
  }
  return table;
}

int KeymapTables::entryCount(int keymap) const {
  return std::stoi(xml::utf16ToUtf8(cell(keymap, kDisplay, 0)));
}

int KeymapTables::longestKeys(int keymap) const {
  return std::stoi(xml::utf16ToUtf8(cell(keymap, kCharacter, 0)));
}

void KeymapTables::resizeTables(int keymaps) {
  const auto size = static_cast<std::size_t>(keymaps);
  if (slots_.size() >= size) return;
  // Slots not loaded yet hold the rows of an empty keymap.
  KeymapSlot empty;
  empty.columnSize = static_cast<std::size_t>(paddedCountFor(0)) + 1;
  slots_.resize(size, empty);
  keymapSmp.resize(size, false);
}

bool KeymapTables::integritycheck(const std::filesystem::path& path, std::string* why) {
  return guarded(why, [&] {
    const int k = loadingKeymap;
    int n = 0;
    {
      // The file's values are let go before the sort.
      const KeymapFile file = openKeymap(path);
      n = static_cast<int>(file.entries.size());
      const int padded = paddedCountFor(n);
      if (tableCapacity < padded) tableCapacity = padded;
      resizeTables(k + 1);

      // Each slot holds its own keymap's rows, up to its own padded count.
      KeymapSlot& slot = slots_[static_cast<std::size_t>(k)];
      slot = KeymapSlot{};
      slot.columnSize = static_cast<std::size_t>(padded) + 1;
      slot.header = {xml::utf8ToUtf16(std::to_string(n)), u"0", file.lcid};
      slot.headerCopy = slot.header;
      const bool smp = smpOf(file);
      keymapSmp[static_cast<std::size_t>(k)] = smp;

      std::size_t textSize = 0;
      std::size_t groupsSize = 0;
      for (const KeymapFile::Entry& entry : file.entries) {
        textSize += entry.length[KeymapFile::kDisplayValue] +
                    entry.length[KeymapFile::kCharacterValue] +
                    entry.length[KeymapFile::kKeysValue] / 2;
        groupsSize += entry.length[KeymapFile::kCharacterValue] / 4;
      }
      slot.text.reserve(textSize);
      slot.groups.reserve(groupsSize);
      slot.rows.reserve(file.entries.size());

      std::size_t longest = 0;
      std::u16string decoded;
      for (int i = 0; i < n; ++i) {
        const EntryValues entry = entryValues(file, static_cast<std::size_t>(i));
        std::string fault =
            validateEntry(entry.display, entry.character, entry.keys, smp, &decoded);
        if (!fault.empty()) throw KeymapFault{"entry " + std::to_string(i + 1) + ": " + fault};
        slot.rows.push_back({static_cast<std::uint32_t>(slot.text.size()),
                             static_cast<std::uint32_t>(decoded.size()),
                             static_cast<std::uint32_t>(entry.display.size()),
                             static_cast<std::uint32_t>(entry.character.size()),
                             static_cast<std::uint32_t>(slot.groups.size())});
        slot.text += decoded;
        slot.text += entry.display;
        slot.text += entry.character;
        appendGroups(entry.character, slot.groups);
        if (decoded.size() > longest) {
          longest = decoded.size();
          slot.header[kCharacter] = slot.headerCopy[kCharacter] =
              xml::utf8ToUtf16(std::to_string(longest));
        }
      }
      slot.fileOrder.resize(slot.rows.size());
      std::iota(slot.fileOrder.begin(), slot.fileOrder.end(), std::uint32_t{0});
    }
    if (n >= 2)
      QuickSort(k, 1, n);
    else
      slots_[static_cast<std::size_t>(k)].makeHeads();
  });
}

void KeymapTables::assign(int keymap, const KeymapTable& table) {
  resizeTables(keymap + 1);
  KeymapSlot& slot = slots_[static_cast<std::size_t>(keymap)];
  slot = KeymapSlot{};
  slot.columnSize = table[kKeys].size();
  for (std::size_t column = 0; column < 3; ++column) {
    if (table[column].size() != slot.columnSize)
      throw std::invalid_argument("the columns of a table differ in length");
    if (!table[column].empty()) slot.header[column] = slot.headerCopy[column] = table[column][0];
  }
  for (std::size_t row = 1; row < slot.columnSize; ++row) {
    if (!isHexGroups(table[kCharacter][row], 4))
      throw std::invalid_argument("a Character cell is not a code string");
    slot.rows.push_back({static_cast<std::uint32_t>(slot.text.size()),
                         static_cast<std::uint32_t>(table[kKeys][row].size()),
                         static_cast<std::uint32_t>(table[kDisplay][row].size()),
                         static_cast<std::uint32_t>(table[kCharacter][row].size()),
                         static_cast<std::uint32_t>(slot.groups.size())});
    slot.text += table[kKeys][row];
    slot.text += table[kDisplay][row];
    slot.text += table[kCharacter][row];
    appendGroups(table[kCharacter][row], slot.groups);
  }
  slot.fileOrder.resize(slot.rows.size());
  std::iota(slot.fileOrder.begin(), slot.fileOrder.end(), std::uint32_t{0});
  slot.makeHeads();
}

bool KeymapTables::integritycheck1(const std::filesystem::path& path, std::string* why) {
  return guarded(why, [&] {
    const KeymapFile file = openKeymap(path);
    validatedLcid = file.lcid;
    const bool smp = smpOf(file);
    for (std::size_t i = 0; i < file.entries.size(); ++i) {
      const EntryValues entry = entryValues(file, i);
      std::string fault = validateEntry(entry.display, entry.character, entry.keys, smp, nullptr);
      if (!fault.empty()) throw KeymapFault{"entry " + std::to_string(i + 1) + ": " + fault};
    }
  });
}

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

}  // namespace

namespace {

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

// The rows in ascending order of their Keys; where the keymap repeats a
// sequence, the order of its rows is that of the quicksort. Only the rows'
// offsets move; the file order follows them to where they go.
void KeymapTables::QuickSort(int keymap, int lo, int hi) {
  if (lo >= hi) return;
  KeymapSlot& slot = slots_[static_cast<std::size_t>(keymap)];
  std::vector<KeymapSlot::Row>& rows = slot.rows;
  const auto first = static_cast<std::size_t>(lo) - 1;  // row lo is rows[lo - 1]
  const auto count = static_cast<std::size_t>(hi - lo) + 1;
  const auto keyAt = [&](std::uint32_t i) { return slot.keys(rows[first + i]); };

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
    byKeys = {};
  }
  // The file row at each position of the range, before the rows move.
  std::vector<std::uint32_t> fileRowAt(count);
  for (std::size_t i = 0; i < slot.fileOrder.size(); ++i)
    if (slot.fileOrder[i] >= first && slot.fileOrder[i] - first < count)
      fileRowAt[slot.fileOrder[i] - first] = static_cast<std::uint32_t>(i);
  std::vector<KeymapSlot::Row> moved(count);
  for (std::size_t p = 0; p < count; ++p) {
    moved[p] = rows[first + from[p]];
    slot.fileOrder[fileRowAt[from[p]]] = static_cast<std::uint32_t>(first + p);
  }
  std::copy(moved.begin(), moved.end(), rows.begin() + static_cast<std::ptrdiff_t>(first));
  slot.makeHeads();
}

}  // namespace korimo
