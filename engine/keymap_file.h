#pragma once
// A keymap file, read and checked. Whether a keymap file is usable is decided
// here alone: by the catalogue loader, `korimo-cli check`, the locale tool
// and the settings dialog's import alike.
//
// A keymap is an XML file whose root holds a Header (LCID; optionally SMP,
// Language, Keyboard, Encoding) and a Data element, each of whose children is
// an entry with Display, Character and Keys. Display and Character are groups
// of four hexadecimal digits, one UTF-16 unit each; Keys groups of two, one
// key's character each. Element names compare without regard to letter case;
// where an element repeats, the first counts. The values are decoded once,
// here: the rest of the program holds a keymap's texts as text.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korimo {

// What a keymap may hold at most; a file beyond is refused, saying so.
inline constexpr std::size_t kMaxKeymapEntries = 100000;
inline constexpr std::size_t kMaxKeyLength = 64;  // keys of one sequence

struct KeymapEntry {
  std::u16string keys;       // the key sequence, one character a key
  std::u16string display;    // what the key preview and the keyboard show
  std::u16string character;  // what is typed

  friend bool operator==(const KeymapEntry&, const KeymapEntry&) = default;
};

struct KeymapFile {
  std::u16string lcid;  // the language, four hexadecimal digits as written
  // The keymap types characters outside the Basic Multilingual Plane: its
  // text is replaced character by character, never unit by unit.
  bool smp = false;
  // The Header's descriptions, empty when missing.
  std::u16string language;
  std::u16string keyboard;
  std::u16string encoding;
  std::vector<KeymapEntry> entries;  // in file order

  std::size_t longestKeys() const;
};

// The file read, checked and decoded; nullopt, with the reason in *why when
// given, when it is not a usable keymap.
std::optional<KeymapFile> readKeymapFile(const std::filesystem::path& path,
                                         std::string* why = nullptr);

// The rule for one entry's values as written: hexadecimal groups of the
// right width, no lone surrogate, characters outside the Basic Multilingual
// Plane in Character only with smp, at most kMaxKeyLength keys. The reason
// for a refusal, or an empty string.
std::string checkEntry(std::u16string_view display, std::u16string_view character,
                       std::u16string_view keys, bool smp);

}  // namespace korimo
