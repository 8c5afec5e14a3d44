#include "engine/engine.h"

namespace korimo {

bool Engine::composeKey(std::uint16_t vkCode, char16_t keyChar, bool surround) {
  Composition& c = composition;
  replacement.clearChange();
  if (surround && vkCode == platform::kVkBack) {
    c.getdownstack();
    return false;
  }
  c.check_continuity(keyChar);
  c.convert_text(c.composeKeys, c.currentCodes);
  if (surround) c.sendupstack(c.composeKeys, c.previousCodes, c.restartKeys, c.currentCodes);
  bool updated = false;
  if (c.currentCodes.size() != 1 || c.currentCodes[0] != kCarriageReturnGroup) {
    replacement.backNfront(c.previousCodes, c.currentCodes);
    updated = true;
  } else {
    // Enter: nothing is typed; the key itself reaches the application, and
    // what stands before the new line is no longer part of a cluster.
    replacement.forgetShown();
    if (surround) c.emptyHistory();
  }
  if (surround && vkCode == platform::kVkReturn) c.emptyHistory();
  return updated;
}

}  // namespace korimo
