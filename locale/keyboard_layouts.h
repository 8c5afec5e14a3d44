#pragma once
// The keyboard layouts Windows has, and the packed layout number through
// which the program learns, per keymap language, which layout to load and
// which input language to ask the target window for.
//
// A layout is a key under the local machine's "Keyboard Layouts", named by
// its eight-digit identifier: the last four digits are the language, the
// first four tell the layouts of one language apart. A layout other than the
// language's first has a "Layout Id", and its input language's high word is
// "f" followed by that id's last three digits (00010439 with Layout Id 00c0
// is the input language f0c00439).
//
// The packed number interleaves the two: written in hexadecimal with at
// least seven digits, its odd digits are the first four digits of the
// layout's identifier and its even digits the three digits after "f". The
// program loads the layout "odd digits + language" and asks for the input
// language "f + even digits + language".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korimo::locale_tool {

inline constexpr char16_t kKeyboardLayoutsKey[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";

struct KeyboardLayout {
  std::u16string id;        // the key's name
  std::u16string layoutId;  // its "Layout Id" value; empty when it has none
  std::u16string text;      // its "Layout Text"

  friend bool operator==(const KeyboardLayout&, const KeyboardLayout&) = default;
};

// Whether text is a language identifier: exactly four hexadecimal digits.
bool isLanguageId(std::u16string_view text);

// The packed layout number of a layout. A layout without a Layout Id (the
// language's first layout, whose input language is the language twice, as
// 04390439) has no "f" form: its even digits are 000, so that the program
// still loads the right layout and asks for f000 followed by the language,
// which names no other layout. nullopt for what cannot be packed: an
// identifier that is not eight hexadecimal digits, an input method (its
// identifier starts with e), a Layout Id that is not hexadecimal or above fff.
std::optional<std::uint32_t> packedLayoutNumber(const KeyboardLayout& layout);

// The layout to name for a language among the layouts: those whose
// identifier ends in the language's four digits and that can be packed; one
// with a Layout Id before one without (the program can ask for its input
// language as it is), then the lowest identifier. nullopt when none fits.
std::optional<KeyboardLayout> layoutForLanguage(std::u16string_view language,
                                                const std::vector<KeyboardLayout>& layouts);

}  // namespace korimo::locale_tool
