#include "engine/written_values.h"

namespace korimo {
std::int32_t hexToInt(std::u16string_view text) {
  const auto value = text::parseHex(text);
  if (!value) throw ConversionError("not a hexadecimal number of one to eight digits");
  return static_cast<std::int32_t>(*value);
}

std::optional<std::int32_t> parseInteger(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
    value = value * 10 + (text[i] - u'0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::u16string trimmed(std::u16string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && text[first] <= u' ') ++first;
  while (last > first && text[last - 1] <= u' ') --last;
  return std::u16string(text.substr(first, last - first));
}

}  // namespace korimo
