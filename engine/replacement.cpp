#include "engine/replacement.h"

#include <algorithm>

#include "engine/globalroutines.h"

namespace korimo {
namespace {

// Combining marks of the Indic blocks (vowel signs, length marks, candrabindu,
// anusvara, visarga, nukta, virama, Devanagari accents) in stored order.
constexpr std::uint16_t kVowlist[] = {
    // Bengali
    0x0981, 0x0982, 0x0983, 0x09BC, 0x09BE, 0x09BF, 0x09C0, 0x09C1, 0x09C2, 0x09C3, 0x09C4, 0x09C7,
    0x09C8, 0x09CB, 0x09CC, 0x09CD, 0x09D7,
    // Gurmukhi
    0x0A01, 0x0A02, 0x0A03, 0x0A3C, 0x0A3E, 0x0A3F, 0x0A40, 0x0A41, 0x0A42, 0x0A47, 0x0A48, 0x0A4B,
    0x0A4C, 0x0A4D,
    // Devanagari
    0x0901, 0x0902, 0x0903, 0x093C, 0x093E, 0x093F, 0x0940, 0x0941, 0x0942, 0x0943, 0x0944, 0x0945,
    0x0946, 0x0947, 0x0948, 0x0949, 0x094A, 0x094B, 0x094C, 0x094D, 0x0951, 0x0952, 0x0953, 0x0954,
    // Kannada
    0x0C82, 0x0C83, 0x0CBC, 0x0CBE, 0x0CBF, 0x0CC0, 0x0CC1, 0x0CC2, 0x0CC3, 0x0CC4, 0x0CC6, 0x0CC7,
    0x0CC8, 0x0CCA, 0x0CCB, 0x0CCC, 0x0CCD, 0x0CD5, 0x0CD6, 0x0CE2, 0x0CE3,
    // Telugu
    0x0C01, 0x0C02, 0x0C03, 0x0C3E, 0x0C3F, 0x0C40, 0x0C41, 0x0C42, 0x0C43, 0x0C44, 0x0C46, 0x0C47,
    0x0C48, 0x0C4A, 0x0C4B, 0x0C4C, 0x0C4D,
    // Gujarati
    0x0A81, 0x0A82, 0x0A83, 0x0ABC, 0x0ABE, 0x0ABF, 0x0AC0, 0x0AC1, 0x0AC2, 0x0AC3, 0x0AC4, 0x0AC5,
    0x0AC7, 0x0AC8, 0x0AC9, 0x0ACB, 0x0ACC, 0x0ACD, 0x0AE2, 0x0AE3,
    // Malayalam
    0x0D02, 0x0D03, 0x0D3E, 0x0D3F, 0x0D40, 0x0D41, 0x0D42, 0x0D43, 0x0D46, 0x0D47, 0x0D48, 0x0D4A,
    0x0D4B, 0x0D4C, 0x0D4D,
    // Tamil
    0x0BBE, 0x0BBF, 0x0BC0, 0x0BC1, 0x0BC2, 0x0BC6, 0x0BC7, 0x0BC8, 0x0BCA, 0x0BCB, 0x0BCC, 0x0BCD};

// The marks that the second browser class deletes together with their base.
constexpr std::uint16_t kVowlist1[] = {
    // Bengali
    0x0981, 0x09BC, 0x09BE, 0x09C1, 0x09C2, 0x09C3, 0x09C4, 0x09CD, 0x09D7,
    // Gurmukhi
    0x0A01, 0x0A02, 0x0A3C, 0x0A41, 0x0A42, 0x0A47, 0x0A48, 0x0A4B, 0x0A4C, 0x0A4D,
    // Devanagari
    0x0901, 0x0902, 0x093C, 0x0941, 0x0942, 0x0943, 0x0944, 0x0945, 0x0946, 0x0947, 0x0948, 0x094D,
    0x0951, 0x0952, 0x0953, 0x0954,
    // Kannada
    0x0CBC, 0x0CBF, 0x0CC2, 0x0CC6, 0x0CCC, 0x0CCD, 0x0CD5, 0x0CD6, 0x0CE2, 0x0CE3,
    // Telugu
    0x0C3E, 0x0C3F, 0x0C40, 0x0C46, 0x0C47, 0x0C48, 0x0C4A, 0x0C4B, 0x0C4C, 0x0C4D,
    // Gujarati
    0x0A81, 0x0A82, 0x0ABC, 0x0AC1, 0x0AC2, 0x0AC3, 0x0AC4, 0x0AC5, 0x0AC7, 0x0AC8, 0x0ACD, 0x0AE2,
    0x0AE3,
    // Malayalam
    0x0D3E, 0x0D41, 0x0D42, 0x0D43, 0x0D4D,
    // Tamil
    0x0BBE, 0x0BC0, 0x0BCD};

static_assert(std::size(kVowlist) == 140);
static_assert(std::size(kVowlist1) == 76);

template <std::size_t N>
bool contains(const std::uint16_t (&table)[N], char32_t code) {
  return std::find(std::begin(table), std::end(table), code) != std::end(table);
}

// The value of a four-digit group, or -1 when it is not one (such text is in
// no table).
long groupValue(std::u16string_view code) { return groupUnit(code); }

}  // namespace

bool isClusterMark(int kind, char32_t codePoint) {
  return kind == 1 ? contains(kVowlist1, codePoint) : contains(kVowlist, codePoint);
}

Replacement::Replacement(platform::Desktop& desktop, UnicodeOutput& output,
                         const ActiveKeymap& keymap, const WindowKeymapList& windows)
    : clusterDeleteClasses{u"Chrome_XPFrame", u"{1C03B488-D53B-4a81-97F8-754559640193}",
                           u"Chrome_VistaFrame", u"Chrome_2003Frame"},
      desktop_(desktop),
      output_(output),
      keymap_(keymap),
      windows_(windows) {}

bool Replacement::vowelhas(std::u16string_view code) {
  long value = groupValue(code);
  return value >= 0 && contains(kVowlist, static_cast<char32_t>(value));
}

bool Replacement::vowelhas1(std::u16string_view code) {
  long value = groupValue(code);
  return value >= 0 && contains(kVowlist1, static_cast<char32_t>(value));
}

int Replacement::windowKind(std::u16string_view className) const {
  for (std::size_t kind = 0; kind < clusterDeleteClasses.size(); ++kind)
    if (className == clusterDeleteClasses[kind]) return static_cast<int>(kind);
  return kBackspaceKind;
}

template <typename Groups>
int Replacement::characters(const Groups& codes) {
  int count = 0;
  for (std::size_t g = 0; g < codes.size(); ++g) {
    const std::int32_t value = codes.unit(g);
    if (value < 0xD800 || value > 0xDBFF) ++count;
  }
  return count;
}

namespace {

bool isHigh(std::int32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLow(std::int32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Groups of the code point that ends codes (two for a surrogate pair).
template <typename Groups>
std::size_t lastCodePointGroups(const Groups& codes) {
  const std::size_t groups = codes.size();
  if (groups >= 2 && isLow(codes.unit(groups - 1)) && isHigh(codes.unit(groups - 2))) return 2;
  return groups > 0 ? 1 : 0;
}

// A unit of a group that is not hexadecimal (-1) is in no table.
bool inKindTable(int kind, std::int32_t unit) {
  return unit >= 0 && isClusterMark(kind, static_cast<char32_t>(unit));
}

}  // namespace

template <typename Groups>
void Replacement::deleteBack(int count, int kind, const Groups& shown) {
  if (kind == kBackspaceKind) {
    for (int i = 0; i < count; ++i) output_.pressKey(platform::kVkBack);
    return;
  }
  Groups work = shown;
  for (int i = 0; i < count; ++i) {
    const std::size_t lastGroups = lastCodePointGroups(work);
    if (lastGroups == 0) {
      // Nothing known about the character: Backspace takes that one only.
      output_.pressKey(platform::kVkBack);
      continue;
    }
    const std::size_t groups = work.size();
    const bool mark = lastGroups == 1 && inKindTable(kind, work.unit(groups - 1));
    work = work.first(groups - lastGroups);
    if (!mark) {
      output_.pressKey(platform::kVkLeft);
      output_.pressKey(platform::kVkDelete);
      continue;
    }
    // Left + Delete takes the whole cluster: type again what stood before the
    // deleted mark, from the cluster's base on, when the base is known.
    std::size_t base = work.size();
    while (base > 0 && inKindTable(kind, work.unit(base - 1))) --base;
    if (base == 0) {
      output_.pressKey(platform::kVkBack);
      continue;
    }
    base -= lastCodePointGroups(work.first(base));
    output_.pressKey(platform::kVkLeft);
    output_.pressKey(platform::kVkDelete);
    output_.sendGroups(work.from(base));
  }
}

void Replacement::deleteShown(int count) {
  if (count <= 0) return;
  // Only a deletion depends on the class, so a key that only adds text does
  // not ask the desktop for it.
  desktop_.readClassName(windows_.targetWindow, className_);
  bkspc(count, windowKind(className_), shown_);
  for (int i = 0; i < count && !shown_.empty(); ++i)
    shown_.resize(shown_.size() - lastCodePointGroups(PackedGroups{shown_}));
}

template <typename Groups>
void Replacement::typeShown(const Groups& codes) {
  output_.sendGroups(codes);
  codes.appendTo(shown_);
  if (shown_.size() > 2 * kShownLimit) shown_.eraseFront(shown_.size() - kShownLimit);
}

template <typename Groups>
void Replacement::replace(const Groups& prev, const Groups& cur) {
  try {
    if (keymap_.activeSmp) {
      deleteShown(characters(prev));
      typeShown(cur);
      return;
    }
    const std::size_t oldCount = prev.size();
    const std::size_t newCount = cur.size();
    std::size_t shared = 0;
    while (shared < std::min(oldCount, newCount) && prev.same(shared, cur, shared)) ++shared;
    deleteShown(static_cast<int>(oldCount - shared));
    typeShown(cur.from(shared));
  } catch (const std::exception&) {
    // A group that is not hexadecimal: what was sent stays sent, and what
    // the target shows is no longer known.
    shown_.clear();
  }
}

template void Replacement::replace(const TextGroups&, const TextGroups&);
template void Replacement::replace(const PackedGroups&, const PackedGroups&);
template void Replacement::deleteBack(int, int, const TextGroups&);
template void Replacement::deleteBack(int, int, const PackedGroups&);
template int Replacement::characters(const TextGroups&);
template int Replacement::characters(const PackedGroups&);

}  // namespace korimo
