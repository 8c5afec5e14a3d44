#pragma once
// The conversion of a key sequence as first written, for comparison with the
// one the engine keeps from key to key: at each position every length from the
// longest key sequence down, each looked up from scratch.

#include <algorithm>
#include <string>
#include <string_view>

#include "engine/lookup.h"

namespace korimo::testing {

inline std::u16string referenceConvert(const ActiveKeymap& keymap, std::u16string_view source,
                                       std::u16string& pendingKeys) {
  std::u16string out;
  std::size_t lastEnd = 0;
  for (std::size_t pos = 0; pos < source.size();) {
    std::size_t len = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(keymap.maxKeysLength, 0)), source.size() - pos);
    std::size_t advance = 1;
    for (; len > 0; --len) {
      std::u16string_view piece = source.substr(pos, len);
      pendingKeys = piece;
      if (piece == u" " || piece == u"\r") {
        out += piece;
        break;
      }
      if (int row = keymap.findRow(piece); row != -1) {
        out += keymap.character(row);
        advance = len;
        lastEnd = pos + len;
        break;
      }
    }
    pos += advance;
  }
  if (lastEnd != source.size()) pendingKeys = source.substr(lastEnd);
  return out;
}

}  // namespace korimo::testing
