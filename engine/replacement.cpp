#include "engine/replacement.h"

#include <algorithm>

#include "text/unicode_text.h"

namespace korimo {
int Replacement::characterCount(std::u16string_view text) {
  return static_cast<int>(text::characterCount(text));
}

std::u16string_view Replacement::shown() const {
  return forgotten_ ? std::u16string_view() : std::u16string_view(shown_);
}

// The change in hand may still read shown_: it is cleared when the next
// change is worked out.
void Replacement::forgetShown() {
  forgotten_ = true;
  pendingTakeBack_ = 0;
  pendingType_ = false;
}

void Replacement::settleShown() {
  if (forgotten_) shown_.clear();
  forgotten_ = false;
  for (; pendingTakeBack_ > 0 && !shown_.empty(); --pendingTakeBack_)
    shown_.resize(shown_.size() - text::lastCharacterUnits(shown_));
  pendingTakeBack_ = 0;
  if (pendingType_) shown_ += typed_;
  pendingType_ = false;
  if (shown_.size() > 2 * kShownLimit) shown_.erase(0, shown_.size() - kShownLimit);
}

void Replacement::takeBackUnknown() {
  forgetShown();
  change_ = {};
  change_.takeBack = 1;
}

void Replacement::replace(std::u16string_view before, std::u16string_view after) {
  settleShown();
  change_ = {};
  // A keymap typing supplementary characters replaces the whole text, a
  // character at a time; the others keep what the two texts share.
  std::size_t shared = 0;
  if (!keymap_.activeSmp)
    while (shared < std::min(before.size(), after.size()) && before[shared] == after[shared])
      ++shared;
  change_.takeBack = characterCount(before.substr(shared));
  change_.before = shown_;
  typed_.assign(after.substr(shared));
  change_.type = typed_;
  pendingTakeBack_ = change_.takeBack;
  pendingType_ = true;
}

}  // namespace korimo
