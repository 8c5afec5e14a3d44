#include "engine/composition.h"

#include <algorithm>

namespace korimo {

void Conversion::restart(const ActiveKeymap& keymap) {
  generation_ = keymap.generation;
  source_.clear();
  out_.clear();
  steps_.clear();
  open_.clear();
}

void Conversion::extend(const ActiveKeymap& keymap, char16_t key) {
  const std::size_t oldLength = source_.size();
  source_.push_back(key);
  const std::size_t length = source_.size();

  // The first open step whose keys to the new end make an entry takes them
  // all; steps after it go.
  std::size_t kept = 0;
  bool matched = false;
  for (Open& open : open_) {
    KeyRange range = keymap.narrow(open.range, key);
    if (range.empty()) continue;
    open_[kept++] = {open.step, range};
    if (keymap.isEntry(range)) {
      matched = true;
      break;
    }
  }
  open_.resize(kept);
  if (matched) {
    const std::size_t s = open_.back().step;
    const Step step = steps_[s];
    steps_.resize(s);
    out_.resize(step.outBefore);
    const std::u16string_view piece = std::u16string_view(source_).substr(step.pos);
    out_ += keymap.character(keymap.BinSearch(piece));
    steps_.push_back({step.pos, piece.size(), step.outBefore, length});
    return;
  }

  // Otherwise the new key is a step of its own: longer pieces from there do
  // not fit, a space or carriage return is itself, else a one-key entry.
  Step step{oldLength, 1, out_.size(), steps_.empty() ? 0 : steps_.back().lastEnd};
  if (keymap.maxKeysLength > 0) {
    const KeyRange range = keymap.narrow(keymap.allRows(), key);
    if (key == u' ') {
      out_ += u"0020";
    } else if (key == u'\r') {
      out_ += u"000D";
    } else if (keymap.isEntry(range)) {
      out_ += keymap.character(keymap.BinSearch(std::u16string_view(&key, 1)));
      step.lastEnd = length;
    }
    if (!range.empty()) open_.push_back({steps_.size(), range});
  }
  steps_.push_back(step);
}

const std::u16string& Conversion::convert(const ActiveKeymap& keymap, std::u16string_view source,
                                          std::u16string& pendingKeys) {
  const bool sameKeymap = generation_ == keymap.generation && generation_ != 0;
  if (!sameKeymap || source != source_) {
    if (sameKeymap && source.size() == source_.size() + 1 && source.starts_with(source_)) {
      extend(keymap, source.back());
    } else {
      restart(keymap);
      for (char16_t key : source) extend(keymap, key);
    }
  }
  // The keys after the last keymap match, or that match when it ends the
  // sequence (the last piece the left-to-right scan looked at).
  const Step& last = steps_.back();
  if (last.lastEnd != source_.size())
    pendingKeys.assign(source_, last.lastEnd);
  else
    pendingKeys.assign(source_, last.pos, last.length);
  return out_;
}

std::u16string Composition::convert_text(std::u16string_view source) {
  if (source.empty()) return {};
  return conversion_.convert(keymap_, source, pendingKeys);
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
  conversion_.forget();
  replacement_.forgetShown();
  composeKeys.clear();
  previousCodes.clear();
  restartKeys.clear();
}

}  // namespace korimo
