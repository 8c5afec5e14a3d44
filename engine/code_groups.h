#pragma once
// Code strings as the engine holds them while it composes: one 32-bit value
// per four-digit group instead of the four digits as text, so that a key
// copies, compares and types code units rather than re-reading hexadecimal.
//
// A group's low 16 bits are its UTF-16 unit; bits 16 to 19 tell which of its
// four digits were written as lower-case letters (bit 16 for the last digit,
// bit 19 for the first). Two groups are therefore equal exactly when their
// texts are ("094d" and "094D" differ, as text does), and the text can be
// written back digit for digit. A value with bit 31 set stands for four
// characters that are not hexadecimal.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/globalroutines.h"
#include "engine/inline_buffer.h"

namespace korimo {

using CodeGroup = std::uint32_t;
// A code string's groups as the key path holds them: a syllable's fit in
// place, and longer ones keep their buffer from key to key.
using CodeString = InlineBuffer<CodeGroup, 16>;
using CodeGroups = std::span<const CodeGroup>;

inline constexpr CodeGroup kNotHexGroup = 0x80000000u;
inline constexpr CodeGroup kSpaceGroup = 0x0020;           // "0020"
inline constexpr CodeGroup kCarriageReturnGroup = 0x000D;  // "000D"

// The group of four characters (exactly four), or kNotHexGroup.
inline CodeGroup packGroup(std::u16string_view four) {
  const std::int32_t unit = groupUnit(four);
  if (unit < 0) return kNotHexGroup;
  CodeGroup lowerCase = 0;
  for (char16_t c : four) lowerCase = (lowerCase << 1) | (c >= u'a' ? 1u : 0u);
  return static_cast<CodeGroup>(unit) | (lowerCase << 16);
}

// The UTF-16 unit of a group, or -1 for one that is not hexadecimal.
inline std::int32_t unitOf(CodeGroup group) {
  return (group & kNotHexGroup) ? -1 : static_cast<std::int32_t>(group & 0xFFFF);
}

// Appends the groups of every complete four-character group of text.
template <typename Groups>
void appendGroups(std::u16string_view text, Groups& out) {
  for (std::size_t g = 0; g < groupCount(text); ++g) out.push_back(packGroup(group(text, g)));
}

// A code string's groups read alike from its text and from its groups, for
// the routines that take either: the number of groups, a group's unit (-1
// when it is not hexadecimal), whether two groups are the same text, and
// the groups from one on or up to one.
struct TextGroups {
  std::u16string_view text;
  std::size_t size() const { return groupCount(text); }
  std::int32_t unit(std::size_t g) const { return groupUnit(group(text, g)); }
  bool same(std::size_t g, const TextGroups& other, std::size_t h) const {
    return group(text, g) == group(other.text, h);
  }
  TextGroups first(std::size_t n) const { return {text.substr(0, 4 * n)}; }
  TextGroups from(std::size_t g) const { return {text.substr(4 * g, 4 * (size() - g))}; }
  void appendTo(CodeString& out) const { appendGroups(text, out); }
};

struct PackedGroups {
  CodeGroups groups;
  std::size_t size() const { return groups.size(); }
  std::int32_t unit(std::size_t g) const { return unitOf(groups[g]); }
  bool same(std::size_t g, const PackedGroups& other, std::size_t h) const {
    return groups[g] == other.groups[h];
  }
  PackedGroups first(std::size_t n) const { return {groups.first(n)}; }
  PackedGroups from(std::size_t g) const { return {groups.subspan(g)}; }
  void appendTo(CodeString& out) const { out.append(groups.data(), groups.size()); }
};

// The text of groups, each written as it was read. A group that is not
// hexadecimal has no text to give back and raises ConversionError.
std::u16string groupsToText(CodeGroups groups);

}  // namespace korimo
