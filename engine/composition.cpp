#include "engine/composition.h"

#include <algorithm>

namespace korimo {

std::u16string Composition::convert_text(std::u16string_view source) {
  std::u16string out;
  const std::size_t length = source.size();
  std::size_t lastEnd = 0;  // characters consumed by the last keymap match
  // Positions count from 0 here; a match of len characters at pos ends at pos + len.
  for (std::size_t pos = 0; pos < length;) {
    std::size_t len = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(keymap_.maxKeysLength, 0)), length - pos);
    std::size_t advance = 1;
    for (; len > 0; --len) {
      std::u16string_view piece = source.substr(pos, len);
      pendingKeys = piece;
      if (piece == u" ") {
        out += u"0020";
        break;
      }
      if (piece == u"\r") {
        out += u"000D";
        break;
      }
      if (int row = keymap_.BinSearch(piece); row != -1) {
        out += keymap_.character(row);
        advance = len;
        lastEnd = pos + len;
        break;
      }
    }
    pos += advance;
  }
  if (lastEnd != length) pendingKeys = source.substr(lastEnd);
  return out;
}

void Composition::check_continuity(char16_t key) {
  std::u16string dest = composeKeys + key;
  if (keymap_.BinSearch(dest) != -1) {
    previousCodes = convert_text(composeKeys);
    composeKeys = std::move(dest);
    restartKeys.clear();
    return;
  }
  if (keymap_.firstRowBeginningWith(dest) != -1) {
    previousCodes = convert_text(composeKeys);
    composeKeys = std::move(dest);
    restartKeys = std::u16string(1, key);
    return;
  }
  std::u16string restarted = restartKeys + key;
  if (keymap_.firstRowBeginningWith(restarted) != -1) {
    previousCodes = convert_text(restartKeys);
    composeKeys = std::move(restarted);
    restartKeys = std::u16string(1, key);
    return;
  }
  previousCodes.clear();
  restartKeys = std::u16string(1, key);
  composeKeys = std::u16string(1, key);
}

void Composition::sendupstack(const std::u16string& cf, const std::u16string& la,
                              const std::u16string& ts, const std::u16string& tm) {
  for (std::size_t i = historyDepth - 1; i >= 1; --i)
    historyStack[i] = historyStack[i - 1].fill == 1 ? historyStack[i - 1] : Tstruct{};
  historyStack[0] = Tstruct{cf, ts, la, tm, 1};
}

void Composition::getdownstack() {
  const Tstruct& newest = historyStack[0];
  if (newest.fill == 1 && historyStack[1].fill == 1) {
    replacement_.backNfront(newest.curtext, newest.lastext);
    composeKeys = historyStack[1].cfstr;
    restartKeys = historyStack[1].tsrr;
    previousCodes = historyStack[1].lastext;
    std::move(historyStack.begin() + 1, historyStack.end(), historyStack.begin());
    historyStack[historyDepth - 1] = Tstruct{};
    return;
  }
  if (newest.fill == 1) {
    replacement_.backNfront(newest.curtext, newest.lastext);
  } else {
    replacement_.bkspc(1, kBackspaceKind, u"");
  }
  setallnull();
}

void Composition::setallnull() {
  emptyHistory();
  composeKeys.clear();
  previousCodes.clear();
  restartKeys.clear();
}

}  // namespace korimo
