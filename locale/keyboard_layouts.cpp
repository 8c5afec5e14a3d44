#include "locale/keyboard_layouts.h"

#include <algorithm>
#include <tuple>

#include "text/unicode_text.h"

namespace korimo::locale_tool {
namespace {

bool sameLanguage(std::u16string_view layoutId, std::u16string_view language) {
  return text::parseHex(layoutId.substr(4)) == text::parseHex(language);
}

}  // namespace

bool isLanguageId(std::u16string_view text) { return text.size() == 4 && text::parseHex(text); }

std::optional<std::uint32_t> packedLayoutNumber(const KeyboardLayout& layout) {
  if (layout.id.size() != 8 || !text::parseHex(layout.id)) return std::nullopt;
  std::uint32_t lead = *text::parseHex(std::u16string_view(layout.id).substr(0, 4));
  if (lead >> 12 == 0xe) return std::nullopt;  // an input method, not a keyboard layout
  std::uint32_t high = 0;
  if (!layout.layoutId.empty()) {
    auto id = text::parseHex(layout.layoutId);
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
    return std::make_tuple(l.layoutId.empty(), *text::parseHex(l.id));
  };
  for (const KeyboardLayout& layout : layouts) {
    if (!packedLayoutNumber(layout) || !sameLanguage(layout.id, language)) continue;
    if (!best || rank(layout) < rank(*best)) best = &layout;
  }
  if (!best) return std::nullopt;
  return *best;
}

}  // namespace korimo::locale_tool
