#pragma once
// The syllable being composed: its key sequence, what it shows, and the undo
// history of composition steps that Backspace walks back through.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/inline_buffer.h"
#include "engine/lookup.h"
#include "engine/replacement.h"

namespace korimo {

// One composition step, as Backspace undoes it: the syllable's keys after
// it, and the text the syllable showed before and after it.
struct CompositionStep {
  ShortText keys;         // syllableKeys
  ShortText restartKeys;  // restartKeys
  ShortText before;       // previousText
  ShortText after;        // currentText
  bool filled = false;    // the slot holds a step
};

constexpr std::size_t historyDepth = 12;

// The undo history: historyDepth slots, slot 0 the newest step, the filled
// ones an unbroken run from slot 0. It is kept as a ring: a push or a pop
// moves where slot 0 lies instead of copying every slot along, and an
// emptied slot keeps its strings' buffers, so that recording a step costs
// four copies into buffers already there.
class StepHistory {
 public:
  CompositionStep& operator[](std::size_t slot) { return slots_[physical(slot)]; }
  const CompositionStep& operator[](std::size_t slot) const { return slots_[physical(slot)]; }
  static constexpr std::size_t size() { return historyDepth; }

  // Slot i takes slot i - 1 for every i from the oldest down, the oldest
  // step goes, and slot 0 holds the step given.
  void push(const ShortText& keys, const ShortText& restartKeys, const ShortText& before,
            const ShortText& after);
  // Slot i takes slot i + 1, and the oldest slot is empty.
  void pop();
  // Every slot empty.
  void clear();

 private:
  std::size_t physical(std::size_t slot) const { return (head_ + slot) % historyDepth; }
  static void empty(CompositionStep& slot);

  std::array<CompositionStep, historyDepth> slots_{};
  std::size_t head_ = 0;  // where slot 0 lies
};

// The greedy longest-match conversion of one key sequence, kept with what it
// takes to convert the sequence plus one more key without starting over.
//
// The conversion is a chain of steps, each at the position where the
// previous one ended, each taking the longest entry that fits there. A key
// added at the end changes a step only where the keys from that step to the
// new end now make a whole entry; the first such step takes everything to
// the end, and the steps before it stand. So the conversion keeps, for the
// steps whose keys up to the end still begin some entry (open steps), the
// range of rows they begin, and narrows each by the new key. The cost of a
// key is the number of open steps (at most the longest key sequence) times
// two halving searches, plus one exact look-up for the new match, however
// long the sequence has grown.
class Conversion {
 public:
  // The conversion of source (not empty), with the pending keys it leaves.
  const ShortText& convert(const ActiveKeymap& keymap, std::u16string_view source,
                           ShortText& pendingKeys);
  void forget() {
    source_.clear();
    generation_ = 0;
  }
  // Whether source is the sequence last converted, with the keymap active.
  bool holds(const ActiveKeymap& keymap, std::u16string_view source) const {
    return generation_ == keymap.generation && generation_ != 0 &&
           source == std::u16string_view(source_);
  }
  // The conversion of the sequence last converted.
  const ShortText& output() const { return out_; }
  // Takes source, whose rows are range, as converted when source is itself
  // an entry that the greedy scan takes whole (no longer than the longest
  // key sequence, and not a lone space or carriage return): then its
  // conversion is that entry's Character in one step, found without the
  // steps that lead to it. False, with nothing changed, otherwise.
  bool convertEntry(const ActiveKeymap& keymap, std::u16string_view source, KeyRange range);

 private:
  struct Step {
    std::size_t pos;        // first key of the step
    std::size_t length;     // keys it takes
    std::size_t outBefore;  // length of the output before it
    std::size_t lastEnd;    // end of the last keymap match, this step included
  };
  struct Open {
    std::size_t step;
    KeyRange range;  // the rows that begin with the step's keys up to the end
  };
  void restart(const ActiveKeymap& keymap);
  void extend(const ActiveKeymap& keymap, char16_t key);

  unsigned generation_ = 0;  // of the keymap the conversion was made with
  ShortText source_;
  ShortText out_;
  // A syllable's steps in place, as its keys are.
  InlineBuffer<Step, 16> steps_;
  InlineBuffer<Open, 16> open_;
};

class Composition {
 public:
  Composition(const ActiveKeymap& keymap, Replacement& replacement)
      : keymap_(keymap), replacement_(replacement) {}

  // Greedy longest match from left to right; also sets pendingKeys. The
  // conversion of the last sequence is kept, so that converting it again,
  // or it plus one key, costs the same however long it is.
  std::u16string convert(std::u16string_view source);
  // The same into text, whose buffer is reused: what the key path uses.
  void convert(std::u16string_view source, ShortText& text);
  // Advances syllableKeys, restartKeys and previousText by one key.
  void advance(char16_t key);
  // Records the step just made, which Backspace undoes.
  void recordStep() { history.push(syllableKeys, restartKeys, previousText, currentText); }
  // Undoes the newest step in the target and in the state.
  void undoStep();
  // Ends the composition; currentText stays as it was.
  void reset();
  // Forgets every recorded step and keeps the live texts.
  void forgetHistory() { history.clear(); }

  ShortText syllableKeys;
  ShortText restartKeys;
  ShortText previousText;  // what the syllable showed before the key
  ShortText currentText;   // and after it
  ShortText pendingKeys;
  StepHistory history;

 private:
  // The rows that begin with syllableKeys and with restartKeys, kept from key
  // to key for the keymap of that generation, so that the next key narrows
  // them instead of searching the whole keymap.
  KeyRange rangeOf(std::u16string_view keys) const;
  // previousText := the conversion of keys, as convert gives it.
  void convertPrevious(std::u16string_view keys);
  void forgetRanges() { rangesGeneration_ = 0; }

  const ActiveKeymap& keymap_;
  Replacement& replacement_;
  Conversion conversion_;
  KeyRange syllableRange_;
  KeyRange restartRange_;
  unsigned rangesGeneration_ = 0;  // of the keymap the ranges were found in; 0 none
};

}  // namespace korimo
