#include "ui/script_fonts.h"

#include <algorithm>
#include <array>

#include "text/unicode_text.h"

namespace korimo::ui {
namespace {

struct Range {
  char32_t first;
  char32_t last;
};

bool within(char32_t c, Range range) { return c >= range.first && c <= range.last; }

template <std::size_t N>
bool withinAny(char32_t c, const std::array<Range, N>& ranges) {
  return std::any_of(ranges.begin(), ranges.end(), [c](Range r) { return within(c, r); });
}

struct ScriptBlocks {
  Script script;
  std::array<Range, 5> blocks;  // unused places are {0, 0}
};

constexpr std::array<ScriptBlocks, 12> kScriptBlocks{{
    {Script::Devanagari, {{{0x0900, 0x097F}, {0xA8E0, 0xA8FF}, {0x1CD0, 0x1CFF}}}},
    {Script::Bengali, {{{0x0980, 0x09FF}}}},
    {Script::Gurmukhi, {{{0x0A00, 0x0A7F}}}},
    {Script::Gujarati, {{{0x0A80, 0x0AFF}}}},
    {Script::Odia, {{{0x0B00, 0x0B7F}}}},
    {Script::Tamil, {{{0x0B80, 0x0BFF}}}},
    {Script::Telugu, {{{0x0C00, 0x0C7F}}}},
    {Script::Kannada, {{{0x0C80, 0x0CFF}}}},
    {Script::Malayalam, {{{0x0D00, 0x0D7F}}}},
    // Meetei Mayek and its extensions.
    {Script::MeeteiMayek, {{{0xABC0, 0xABFF}, {0xAAE0, 0xAAFF}}}},
    {Script::OlChiki, {{{0x1C50, 0x1C7F}}}},
    // Arabic, its supplement, extended-A and both presentation-form blocks.
    {Script::Arabic,
     {{{0x0600, 0x06FF}, {0x0750, 0x077F}, {0x08A0, 0x08FF}, {0xFB50, 0xFDFF}, {0xFE70, 0xFEFF}}}},
}};

Script blockOf(char16_t c) {
  for (const ScriptBlocks& entry : kScriptBlocks)
    for (Range block : entry.blocks)
      if (block.last != 0 && within(c, block)) return entry.script;
  return Script::None;
}

bool shared(char16_t c) { return c == 0x0964 || c == 0x0965 || c == 0x200C || c == 0x200D; }

// What Windows has, from Microsoft's "Script and font support in Windows":
// Nirmala UI (Windows 8) carries the nine older scripts of India, Ol Chiki
// since Windows 8.1 and Meetei Mayek since Windows 10; the scripts' own
// older fonts (Mangal, Kalinga, ...) stay as the fallback for systems
// before Windows 8. Segoe UI Historic has only historic scripts (Brahmi,
// Kharoshthi, ...), neither Ol Chiki nor Meetei Mayek, so those two have
// Nirmala UI alone. For Perso-Arabic text, Urdu Typesetting (Windows 8, a
// Nastaliq face; an optional font package since Windows 10) where present,
// then Segoe UI (Arabic since Windows 8) and Tahoma (Arabic on every
// Windows since 2000).
constexpr std::u16string_view kNirmalaUi = u"Nirmala UI";
constexpr std::array<std::u16string_view, 2> kDevanagariFaces{kNirmalaUi, u"Mangal"};
constexpr std::array<std::u16string_view, 2> kBengaliFaces{kNirmalaUi, u"Vrinda"};
constexpr std::array<std::u16string_view, 2> kGurmukhiFaces{kNirmalaUi, u"Raavi"};
constexpr std::array<std::u16string_view, 2> kGujaratiFaces{kNirmalaUi, u"Shruti"};
constexpr std::array<std::u16string_view, 2> kOdiaFaces{kNirmalaUi, u"Kalinga"};
constexpr std::array<std::u16string_view, 2> kTamilFaces{kNirmalaUi, u"Latha"};
constexpr std::array<std::u16string_view, 2> kTeluguFaces{kNirmalaUi, u"Gautami"};
constexpr std::array<std::u16string_view, 2> kKannadaFaces{kNirmalaUi, u"Tunga"};
constexpr std::array<std::u16string_view, 2> kMalayalamFaces{kNirmalaUi, u"Kartika"};
constexpr std::array<std::u16string_view, 1> kNirmalaUiAlone{kNirmalaUi};
constexpr std::array<std::u16string_view, 3> kArabicFaces{u"Urdu Typesetting", u"Segoe UI",
                                                          u"Tahoma"};

enum class Direction : std::uint8_t { Neutral, LeftToRight, RightToLeft };

// The blocks of the right-to-left scripts: Hebrew to Arabic Extended-A,
// the Hebrew and Arabic presentation forms, and those of the supplementary
// planes.
constexpr std::array<Range, 5> kRightToLeftBlocks{{
    {0x0590, 0x08FF},
    {0xFB1D, 0xFDFF},
    {0xFE70, 0xFEFE},
    {0x10800, 0x10FFF},
    {0x1E800, 0x1EFFF},
}};

// Inside those blocks, what has no strong direction: the combining marks,
// digits, number signs and punctuation of Hebrew and Arabic.
constexpr std::array<Range, 24> kWeakInRightToLeftBlocks{{
    {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2}, {0x05C4, 0x05C5},   {0x05C7, 0x05C7},
    {0x0600, 0x060C}, {0x060E, 0x061A}, {0x064B, 0x066C}, {0x0670, 0x0670},   {0x06D6, 0x06ED},
    {0x06F0, 0x06F9}, {0x0711, 0x0711}, {0x0730, 0x074A}, {0x07A6, 0x07B0},   {0x07EB, 0x07F3},
    {0x0816, 0x082D}, {0x0859, 0x085B}, {0x0890, 0x089F}, {0x08CA, 0x08FF},   {0xFB1E, 0xFB1E},
    {0xFD3E, 0xFD3F}, {0xFDFD, 0xFDFD}, {0xFE70, 0xFE70}, {0x10D30, 0x10D39},
}};

// Outside them, what has no strong direction: Latin-1 punctuation and
// signs, combining marks, general punctuation and symbols, variation
// selectors, the CJK and small-form punctuation, the specials, emoji and
// tags. (A few letters among the symbols count as neutral too; no keymap
// shows them.)
constexpr std::array<Range, 13> kNeutralBlocks{{
    {0x00A0, 0x00BF},
    {0x00D7, 0x00D7},
    {0x00F7, 0x00F7},
    {0x02B9, 0x036F},
    {0x2000, 0x2BFF},
    {0x2E00, 0x2E7F},
    {0x3000, 0x3003},
    {0xFE00, 0xFE6F},
    {0xFEFF, 0xFEFF},
    {0xFFF0, 0xFFFF},
    {0x1F000, 0x1FFFF},
    {0xE0000, 0xE0FFF},
    {0xD800, 0xDFFF},  // a surrogate standing alone
}};

Direction directionOf(char32_t c) {
  if (c < 0x80) {
    const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    return letter ? Direction::LeftToRight : Direction::Neutral;
  }
  if (withinAny(c, kRightToLeftBlocks))
    return withinAny(c, kWeakInRightToLeftBlocks) ? Direction::Neutral : Direction::RightToLeft;
  return withinAny(c, kNeutralBlocks) ? Direction::Neutral : Direction::LeftToRight;
}

}  // namespace

Script scriptOf(std::u16string_view text) {
  bool danda = false;
  for (char16_t c : text) {
    if (shared(c)) {
      danda = danda || c == 0x0964 || c == 0x0965;
      continue;
    }
    if (Script script = blockOf(c); script != Script::None) return script;
  }
  return danda ? Script::Devanagari : Script::None;
}

std::span<const std::u16string_view> scriptFaces(Script script) {
  switch (script) {
    case Script::Devanagari: return kDevanagariFaces;
    case Script::Bengali: return kBengaliFaces;
    case Script::Gurmukhi: return kGurmukhiFaces;
    case Script::Gujarati: return kGujaratiFaces;
    case Script::Odia: return kOdiaFaces;
    case Script::Tamil: return kTamilFaces;
    case Script::Telugu: return kTeluguFaces;
    case Script::Kannada: return kKannadaFaces;
    case Script::Malayalam: return kMalayalamFaces;
    case Script::MeeteiMayek:
    case Script::OlChiki: return kNirmalaUiAlone;
    case Script::Arabic: return kArabicFaces;
    case Script::None: break;
  }
  return {};
}

int fontHeightFor(Script script, int height) {
  return script == Script::Arabic ? height + height / 3 : height;
}

bool readsRightToLeft(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    switch (directionOf(text::nextCodePoint(text, i))) {
      case Direction::RightToLeft: return true;
      case Direction::LeftToRight: return false;
      case Direction::Neutral: break;
    }
  }
  return false;
}

}  // namespace korimo::ui
