#include "engine/replacement.h"

#include <algorithm>

namespace korimo {
namespace {

bool isHigh(std::int32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLow(std::int32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Groups of the code point that ends codes (two for a surrogate pair).
template <typename Groups>
std::size_t lastCodePointGroups(const Groups& codes) {
  const std::size_t groups = codes.size();
  if (groups >= 2 && isLow(codes.unit(groups - 1)) && isHigh(codes.unit(groups - 2))) return 2;
  return groups > 0 ? 1 : 0;
}

// The units of the groups as text; false at a group that is not
// hexadecimal, where the text stops.
template <typename Groups>
bool appendUnits(const Groups& codes, std::u16string& text) {
  for (std::size_t g = 0; g < codes.size(); ++g) {
    const std::int32_t unit = codes.unit(g);
    if (unit < 0) return false;
    text.push_back(static_cast<char16_t>(unit));
  }
  return true;
}

}  // namespace

template <typename Groups>
int Replacement::characters(const Groups& codes) {
  int count = 0;
  for (std::size_t g = 0; g < codes.size(); ++g) {
    const std::int32_t value = codes.unit(g);
    if (value < 0xD800 || value > 0xDBFF) ++count;
  }
  return count;
}

void Replacement::takeBackShown(int count) {
  if (count <= 0) return;
  before_.clear();
  appendUnits(PackedGroups{shown_}, before_);
  change_.takeBack = count;
  change_.before = before_;
  for (int i = 0; i < count && !shown_.empty(); ++i)
    shown_.resize(shown_.size() - lastCodePointGroups(PackedGroups{shown_}));
}

void Replacement::takeBackUnknown() {
  change_ = {};
  change_.takeBack = 1;
  forgetShown();
}

template <typename Groups>
void Replacement::typeShown(const Groups& codes) {
  typed_.clear();
  if (!appendUnits(codes, typed_)) {
    // A group that is not hexadecimal (a keymap the load check would have
    // refused): what comes before it is typed, and what the target shows
    // is no longer known.
    change_.type = typed_;
    shown_.clear();
    return;
  }
  change_.type = typed_;
  codes.appendTo(shown_);
  if (shown_.size() > 2 * kShownLimit) shown_.eraseFront(shown_.size() - kShownLimit);
}

template <typename Groups>
void Replacement::replace(const Groups& prev, const Groups& cur) {
  change_ = {};
  if (keymap_.activeSmp) {
    takeBackShown(characters(prev));
    typeShown(cur);
    return;
  }
  const std::size_t oldCount = prev.size();
  const std::size_t newCount = cur.size();
  std::size_t shared = 0;
  while (shared < std::min(oldCount, newCount) && prev.same(shared, cur, shared)) ++shared;
  takeBackShown(static_cast<int>(oldCount - shared));
  typeShown(cur.from(shared));
}

template void Replacement::replace(const TextGroups&, const TextGroups&);
template void Replacement::replace(const PackedGroups&, const PackedGroups&);
template int Replacement::characters(const TextGroups&);
template int Replacement::characters(const PackedGroups&);

}  // namespace korimo
