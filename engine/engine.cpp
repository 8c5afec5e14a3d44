#include "engine/engine.h"

namespace korimo {

bool Engine::composeKey(std::uint16_t vkCode, char16_t keyChar, bool surround) {
  Composition& c = composition;
  replacement.clearChange();
  if (surround && vkCode == platform::kVkBack) {
    c.undoStep();
    return false;
  }
  c.advance(keyChar);
  c.convert(c.syllableKeys, c.currentText);
  if (surround) c.recordStep();
  bool updated = false;
  if (c.currentText != std::u16string_view(u"\r")) {
    replacement.replace(c.previousText, c.currentText);
    updated = true;
  } else {
    // Enter: nothing is typed; the key itself reaches the application, and
    // what stands before the new line is no longer part of a cluster.
    replacement.forgetShown();
    if (surround) c.forgetHistory();
  }
  if (surround && vkCode == platform::kVkReturn) c.forgetHistory();
  return updated;
}

}  // namespace korimo
