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
    const std::u16string_view text = keymap.character(keymap.entryRow(open_.back().range, piece));
    out_.append(text.data(), text.size());
    steps_.push_back({step.pos, piece.size(), step.outBefore, length});
    return;
  }

  // Otherwise the new key is a step of its own: longer pieces from there do
  // not fit, a space or carriage return is itself, else a one-key entry.
  Step step{oldLength, 1, out_.size(), steps_.empty() ? 0 : steps_.back().lastEnd};
  if (keymap.maxKeysLength > 0) {
    const KeyRange range = keymap.keyRange(key);
    if (key == u' ' || key == u'\r') {
      out_.push_back(key);  // a space, and Enter, are themselves
    } else if (keymap.isEntry(range)) {
      const std::u16string_view text =
          keymap.character(keymap.entryRow(range, std::u16string_view(&key, 1)));
      out_.append(text.data(), text.size());
      step.lastEnd = length;
    }
    if (!range.empty()) open_.push_back({steps_.size(), range});
  }
  steps_.push_back(step);
}

bool Conversion::convertEntry(const ActiveKeymap& keymap, std::u16string_view source,
                              KeyRange range) {
  if (source.empty() || source.size() > static_cast<std::size_t>(keymap.maxKeysLength) ||
      !keymap.isEntry(range))
    return false;
  if (source.size() == 1 && (source[0] == u' ' || source[0] == u'\r')) return false;
  // The state that extending key by key ends in: one step over the whole
  // sequence, open with the rows that begin with it.
  generation_ = keymap.generation;
  source_.assign(source.data(), source.size());
  steps_.clear();
  steps_.push_back({0, source.size(), 0, source.size()});
  open_.clear();
  open_.push_back({0, range});
  const std::u16string_view text = keymap.character(keymap.entryRow(range, source));
  out_.assign(text.data(), text.size());
  return true;
}

const ShortText& Conversion::convert(const ActiveKeymap& keymap, std::u16string_view source,
                                     ShortText& pendingKeys) {
  const bool sameKeymap = generation_ == keymap.generation && generation_ != 0;
  const std::u16string_view kept = source_;
  if (!sameKeymap || source != kept) {
    if (sameKeymap && source.size() == kept.size() + 1 && source.starts_with(kept)) {
      extend(keymap, source.back());
    } else if (source.size() != 1 || !convertEntry(keymap, source, keymap.keyRange(source[0]))) {
      restart(keymap);
      for (char16_t key : source) extend(keymap, key);
    }
  }
  // The keys after the last keymap match, or that match when it ends the
  // sequence (the last piece the left-to-right scan looked at).
  const Step& last = steps_.back();
  if (last.lastEnd != source_.size())
    pendingKeys.assign(source_.data() + last.lastEnd, source_.size() - last.lastEnd);
  else
    pendingKeys.assign(source_.data() + last.pos, last.length);
  return out_;
}

std::u16string Composition::convert(std::u16string_view source) {
  ShortText text;
  convert(source, text);
  return std::u16string(text);
}

void Composition::convert(std::u16string_view source, ShortText& text) {
  if (source.empty()) {
    text.clear();
    return;
  }
  text = conversion_.convert(keymap_, source, pendingKeys);
}

// After a composed key syllableKeys is the sequence last converted, so its
// conversion is at hand. The pending keys are left to the conversion of the
// new syllableKeys, which follows every advance.
void Composition::convertPrevious(std::u16string_view keys) {
  if (!keys.empty() && conversion_.holds(keymap_, keys))
    previousText = conversion_.output();
  else
    convert(keys, previousText);
}

KeyRange Composition::rangeOf(std::u16string_view keys) const {
  KeyRange range = keymap_.allRows();
  for (char16_t key : keys) {
    if (range.empty()) break;
    range = range.depth == 0 ? keymap_.keyRange(key) : keymap_.narrow(range, key);
  }
  return range;
}

// The first row that begins with a sequence is found by narrowing the rows
// that begin with the sequence one key shorter: syllableKeys and restartKeys
// keep theirs from the key before.
void Composition::advance(char16_t key) {
  if (rangesGeneration_ != keymap_.generation || rangesGeneration_ == 0) {
    syllableRange_ = rangeOf(syllableKeys);
    restartRange_ = rangeOf(restartKeys);
    rangesGeneration_ = keymap_.generation;
  }
  const KeyRange keyRange = keymap_.keyRange(key);
  // The rows that begin with dest = syllableKeys + key.
  KeyRange dest = syllableKeys.empty() ? keyRange : keymap_.narrow(syllableRange_, key);
  if (!dest.empty()) {
    // dest is a whole entry, or begins one.
    convertPrevious(syllableKeys);
    syllableKeys.push_back(key);
    syllableRange_ = dest;
    if (keymap_.isEntry(dest)) {
      // The conversion that the caller asks for next, at once.
      conversion_.convertEntry(keymap_, syllableKeys, dest);
      restartKeys.clear();
      restartRange_ = keymap_.allRows();
    } else {
      restartKeys.clear();
      restartKeys.push_back(key);
      restartRange_ = keyRange;
    }
    return;
  }
  // The rows that begin with restartKeys + key.
  const KeyRange restarted = restartKeys.empty() ? keyRange : keymap_.narrow(restartRange_, key);
  if (!restarted.empty()) {
    convertPrevious(restartKeys);
    syllableKeys = restartKeys;
    syllableKeys.push_back(key);
    syllableRange_ = restarted;
    conversion_.convertEntry(keymap_, syllableKeys, restarted);
    restartKeys.clear();
    restartKeys.push_back(key);
    restartRange_ = keyRange;
    return;
  }
  previousText.clear();
  restartKeys.clear();
  restartKeys.push_back(key);
  syllableKeys = restartKeys;
  restartRange_ = syllableRange_ = keyRange;
}

void StepHistory::empty(CompositionStep& slot) {
  slot.keys.clear();
  slot.restartKeys.clear();
  slot.before.clear();
  slot.after.clear();
  slot.filled = false;
}

void StepHistory::push(const ShortText& keys, const ShortText& restartKeys, const ShortText& before,
                       const ShortText& after) {
  // The oldest slot, whatever it held, becomes slot 0.
  head_ = (head_ + historyDepth - 1) % historyDepth;
  CompositionStep& newest = slots_[head_];
  // Copies into the buffers the slot already has.
  newest.keys = keys;
  newest.restartKeys = restartKeys;
  newest.before = before;
  newest.after = after;
  newest.filled = true;
}

void StepHistory::pop() {
  empty(slots_[head_]);  // becomes the oldest slot
  head_ = (head_ + 1) % historyDepth;
}

void StepHistory::clear() {
  for (CompositionStep& slot : slots_) empty(slot);
  head_ = 0;
}

void Composition::undoStep() {
  const CompositionStep& newest = history[0];
  if (newest.filled && history[1].filled) {
    replacement_.replace(newest.after, newest.before);
    const CompositionStep& before = history[1];
    syllableKeys = before.keys;
    restartKeys = before.restartKeys;
    previousText = before.before;
    history.pop();
    forgetRanges();
    return;
  }
  if (newest.filled)
    replacement_.replace(newest.after, newest.before);
  else
    replacement_.takeBackUnknown();
  reset();
}

void Composition::reset() {
  forgetHistory();
  conversion_.forget();
  replacement_.forgetShown();
  syllableKeys.clear();
  previousText.clear();
  restartKeys.clear();
  forgetRanges();
}

}  // namespace korimo
