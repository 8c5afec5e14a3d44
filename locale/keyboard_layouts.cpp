#include "locale/keyboard_layouts.h"

#include <algorithm>
#include <tuple>

namespace korimo::locale_tool {
namespace {

std::optional<std::uint32_t> hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return std::nullopt;
}

// The text as a hexadecimal number of one to eight digits.
std::optional<std::uint32_t> hexNumber(std::u16string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char16_t c : text) {
    auto digit = hexDigit(c);
    if (!digit) return std::nullopt;
    value = value << 4 | *digit;
  }
  return value;
}

bool sameLanguage(std::u16string_view layoutId, std::u16string_view language) {
  return hexNumber(layoutId.substr(4)) == hexNumber(language);
}

}  // namespace

bool isLanguageId(std::u16string_view text) { return text.size() == 4 && hexNumber(text); }

std::optional<std::uint32_t> packedLayoutNumber(const KeyboardLayout& layout) {
  if (layout.id.size() != 8 || !hexNumber(layout.id)) return std::nullopt;
  std::uint32_t lead = *hexNumber(std::u16string_view(layout.id).substr(0, 4));
  if (lead >> 12 == 0xe) return std::nullopt;  // an input method, not a keyboard layout
  std::uint32_t high = 0;
  if (!layout.layoutId.empty()) {
    auto id = hexNumber(layout.layoutId);
    if (!id || *id > 0xfff) return std::nullopt;
    high = *id;
  }
  // Seven digits from the top: lead digit, high digit, lead digit, ...
  std::uint32_t packed = 0;
  for (int i = 3; i >= 0; --i) {
    packed = packed << 4 | (lead >> (4 * i) & 0xf);
    if (i > 0) packed = packed << 4 | (high >> (4 * (i - 1)) & 0xf);
  }
  return packed;
}

std::optional<KeyboardLayout> layoutForLanguage(std::u16string_view language,
                                                const std::vector<KeyboardLayout>& layouts) {
  if (!isLanguageId(language)) return std::nullopt;
  const KeyboardLayout* best = nullptr;
  auto rank = [](const KeyboardLayout& l) {
    return std::make_tuple(l.layoutId.empty(), *hexNumber(l.id));
  };
  for (const KeyboardLayout& layout : layouts) {
    if (!packedLayoutNumber(layout) || !sameLanguage(layout.id, language)) continue;
    if (!best || rank(layout) < rank(*best)) best = &layout;
  }
  if (!best) return std::nullopt;
  return *best;
}

}  // namespace korimo::locale_tool
