#include "platform/text_output.h"

#include <algorithm>
#include <array>

#include "text/unicode_text.h"

namespace korimo::platform {
namespace {

// The combining marks (Unicode categories Mn and Mc) of the scripts the
// keymaps type, as ranges: what a browser deletes together with the base
// before them.
struct MarkRange {
  char32_t first;
  char32_t last;
};
constexpr MarkRange kCombiningMarks[] = {
    // Devanagari
    {0x0900, 0x0903},
    {0x093A, 0x093C},
    {0x093E, 0x094F},
    {0x0951, 0x0957},
    {0x0962, 0x0963},
    // Bengali
    {0x0981, 0x0983},
    {0x09BC, 0x09BC},
    {0x09BE, 0x09C4},
    {0x09C7, 0x09C8},
    {0x09CB, 0x09CD},
    {0x09D7, 0x09D7},
    {0x09E2, 0x09E3},
    {0x09FE, 0x09FE},
    // Gurmukhi
    {0x0A01, 0x0A03},
    {0x0A3C, 0x0A3C},
    {0x0A3E, 0x0A42},
    {0x0A47, 0x0A48},
    {0x0A4B, 0x0A4D},
    {0x0A51, 0x0A51},
    {0x0A70, 0x0A71},
    {0x0A75, 0x0A75},
    // Gujarati
    {0x0A81, 0x0A83},
    {0x0ABC, 0x0ABC},
    {0x0ABE, 0x0AC5},
    {0x0AC7, 0x0AC9},
    {0x0ACB, 0x0ACD},
    {0x0AE2, 0x0AE3},
    {0x0AFA, 0x0AFF},
    // Oriya
    {0x0B01, 0x0B03},
    {0x0B3C, 0x0B3C},
    {0x0B3E, 0x0B44},
    {0x0B47, 0x0B48},
    {0x0B4B, 0x0B4D},
    {0x0B55, 0x0B57},
    {0x0B62, 0x0B63},
    // Tamil
    {0x0B82, 0x0B82},
    {0x0BBE, 0x0BC2},
    {0x0BC6, 0x0BC8},
    {0x0BCA, 0x0BCD},
    {0x0BD7, 0x0BD7},
    // Telugu
    {0x0C00, 0x0C04},
    {0x0C3C, 0x0C3C},
    {0x0C3E, 0x0C44},
    {0x0C46, 0x0C48},
    {0x0C4A, 0x0C4D},
    {0x0C55, 0x0C56},
    {0x0C62, 0x0C63},
    // Kannada
    {0x0C81, 0x0C83},
    {0x0CBC, 0x0CBC},
    {0x0CBE, 0x0CC4},
    {0x0CC6, 0x0CC8},
    {0x0CCA, 0x0CCD},
    {0x0CD5, 0x0CD6},
    {0x0CE2, 0x0CE3},
    // Malayalam
    {0x0D00, 0x0D03},
    {0x0D3B, 0x0D3C},
    {0x0D3E, 0x0D44},
    {0x0D46, 0x0D48},
    {0x0D4A, 0x0D4D},
    {0x0D57, 0x0D57},
    {0x0D62, 0x0D63},
    // Arabic
    {0x0610, 0x061A},
    {0x064B, 0x065F},
    {0x0670, 0x0670},
    {0x06D6, 0x06DC},
    {0x06DF, 0x06E4},
    {0x06E7, 0x06E8},
    {0x06EA, 0x06ED},
    // Vedic Extensions
    {0x1CD0, 0x1CD2},
    {0x1CD4, 0x1CE8},
    {0x1CED, 0x1CED},
    {0x1CF4, 0x1CF4},
    {0x1CF7, 0x1CF9},
    // Devanagari Extended
    {0xA8E0, 0xA8F1},
    {0xA8FF, 0xA8FF},
    // Meetei Mayek
    {0xABE3, 0xABEA},
    {0xABEC, 0xABED},
};

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

static_assert(std::size(kVowlist1) == 76);

template <std::size_t N>
bool contains(const std::uint16_t (&table)[N], char32_t code) {
  return std::find(std::begin(table), std::end(table), code) != std::end(table);
}

// The browser classes that delete whole clusters, and how.
struct ClusterClass {
  std::u16string_view name;
  Deletion deletion;
};
constexpr std::array<ClusterClass, 4> kClusterClasses = {{
    {u"Chrome_XPFrame", Deletion::ClusterAllMarks},
    {u"{1C03B488-D53B-4a81-97F8-754559640193}", Deletion::ClusterSomeMarks},
    {u"Chrome_VistaFrame", Deletion::ClusterAllMarks},
    {u"Chrome_2003Frame", Deletion::ClusterAllMarks},
}};

// The scan code of a key the program presses (set 1, the same on every
// layout), with the extended flag where the key is an extended one.
KeyboardInput keyRecord(VirtualKey vk, bool up) {
  KeyboardInput record;
  record.wVk = vk;
  record.dwFlags = up ? kKeyEventKeyUp : 0u;
  switch (vk) {
    case kVkBack: record.wScan = 0x0E; break;
    case kVkLeft: record.wScan = 0x4B, record.dwFlags |= kKeyEventExtendedKey; break;
    case kVkDelete: record.wScan = 0x53, record.dwFlags |= kKeyEventExtendedKey; break;
    case kVkLShift: record.wScan = 0x2A; break;
    case kVkRShift: record.wScan = 0x36; break;
    case kVkLControl: record.wScan = 0x1D; break;
    case kVkRControl: record.wScan = 0x1D, record.dwFlags |= kKeyEventExtendedKey; break;
    default: break;
  }
  return record;
}

// Held, these change what an editing key does: Shift selects and cuts, Ctrl
// moves and deletes by words. (Alt and the Windows keys are never held while
// text is typed: keys pressed with them are not composed.)
constexpr VirtualKey kEditingModifiers[] = {kVkLShift, kVkRShift, kVkLControl, kVkRControl};

}  // namespace

Deletion deletionFor(std::u16string_view className) {
  for (const ClusterClass& c : kClusterClasses)
    if (className == c.name) return c.deletion;
  return Deletion::Backspace;
}

bool isClusterMark(Deletion deletion, char32_t codePoint) {
  switch (deletion) {
    case Deletion::Backspace: return false;
    case Deletion::ClusterSomeMarks: return contains(kVowlist1, codePoint);
    case Deletion::ClusterAllMarks:
      return std::any_of(
          std::begin(kCombiningMarks), std::end(kCombiningMarks),
          [codePoint](const MarkRange& r) { return codePoint >= r.first && codePoint <= r.last; });
  }
  return false;
}

void TextOutput::key(VirtualKey vk, bool up) { records_.push_back(keyRecord(vk, up)); }

void TextOutput::type(std::u16string_view text) {
  const std::size_t at = records_.size();
  records_.resize(at + 2 * text.size());
  KeyboardInput* record = records_.data() + at;
  for (char16_t unit : text) {
    record->wScan = unit;
    record->dwFlags = kKeyEventUnicode;
    ++record;
    record->wScan = unit;
    record->dwFlags = kKeyEventUnicode | kKeyEventKeyUp;
    ++record;
  }
}

void TextOutput::takeBack(int count, Deletion deletion, std::u16string_view before) {
  auto press = [this](VirtualKey vk) {
    key(vk, false);
    key(vk, true);
  };
  if (deletion == Deletion::Backspace) {
    for (int i = 0; i < count; ++i) press(kVkBack);
    return;
  }
  std::u16string_view work = before;
  for (int i = 0; i < count; ++i) {
    const std::size_t last = text::lastCharacterUnits(work);
    if (last == 0) {
      // Nothing known about the character: Backspace takes that one only.
      press(kVkBack);
      continue;
    }
    const bool mark = last == 1 && isClusterMark(deletion, work.back());
    work.remove_suffix(last);
    if (!mark) {
      press(kVkLeft);
      press(kVkDelete);
      continue;
    }
    // Left + Delete takes the whole cluster: type again what stood before the
    // deleted mark, from the cluster's base on, when the base is known.
    std::size_t base = work.size();
    while (base > 0 && isClusterMark(deletion, work[base - 1])) --base;
    if (base == 0) {
      press(kVkBack);
      continue;
    }
    base -= text::lastCharacterUnits(work.substr(0, base));
    press(kVkLeft);
    press(kVkDelete);
    type(work.substr(base));
  }
}

bool TextOutput::send() {
  if (records_.empty()) return true;
  return desktop_.sendInput(records_) == records_.size();
}

bool TextOutput::apply(const TextChange& change, WindowHandle target, const KeysDown& held) {
  records_.clear();
  if (change.takeBack > 0) {
    // Only taking back depends on the class, so a key that only adds text
    // does not ask the desktop for it.
    desktop_.readClassName(target, className_);
    for (VirtualKey m : kEditingModifiers)
      if (held[m]) key(m, true);
    takeBack(change.takeBack, deletionFor(className_), change.before);
    type(change.type);
    for (VirtualKey m : kEditingModifiers)
      if (held[m]) key(m, false);
  } else {
    type(change.type);
  }
  return send();
}

bool TextOutput::tap(VirtualKey vk) {
  records_.clear();
  key(vk, false);
  key(vk, true);
  return send();
}

}  // namespace korimo::platform
