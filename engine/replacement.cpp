#include "engine/replacement.h"

#include <algorithm>

namespace korimo {
namespace {

bool isHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Units of the code point that ends text (two for a surrogate pair).
std::size_t lastCodePointUnits(std::u16string_view text) {
  const std::size_t n = text.size();
  if (n >= 2 && isLow(text[n - 1]) && isHigh(text[n - 2])) return 2;
  return n > 0 ? 1 : 0;
}

}  // namespace

int Replacement::characterCount(std::u16string_view text) {
  return static_cast<int>(
      std::count_if(text.begin(), text.end(), [](char16_t u) { return !isHigh(u); }));
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
    shown_.resize(shown_.size() - lastCodePointUnits(shown_));
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
