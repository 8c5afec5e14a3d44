#pragma once
// Works out how the text at the end of the target changes from one text to
// another with the fewest keystrokes: what to take back and what to type.
// The desktop's TextOutput makes the change, by the method the target
// window's class needs.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/inline_buffer.h"
#include "engine/lookup.h"
#include "platform/text_output.h"

namespace korimo {

class Replacement {
 public:
  explicit Replacement(const ActiveKeymap& keymap) : keymap_(keymap) {}

  // The target's text ends in before; the change makes it end in after. It
  // stays readable (change()) until the next call.
  void replace(std::u16string_view before, std::u16string_view after);
  // One character taken back of which nothing is known (Backspace takes it
  // in every window).
  void takeBackUnknown();
  // The change the last call worked out; empty when there is none.
  const platform::TextChange& change() const { return change_; }
  void clearChange() { change_ = {}; }

  // The text the program has typed at the caret since the composition was
  // last reset, as far as it still stands (the newest kShownLimit units):
  // what the cluster methods read to type a deleted cluster's base again.
  std::u16string_view shown() const;
  // The caret may have moved or text come from elsewhere: nothing is known.
  void forgetShown();
  static constexpr std::size_t kShownLimit = 1024;

  // Characters the text makes on screen; a surrogate pair counts once.
  static int characterCount(std::u16string_view text);

 private:
  // What the last change did to the text at the caret, made part of shown_
  // when the next change is worked out (the change reads shown_ till then).
  void settleShown();

  const ActiveKeymap& keymap_;
  std::u16string shown_;
  platform::TextChange change_;
  std::u16string typed_;  // the text change_ types, kept from key to key
  int pendingTakeBack_ = 0;
  bool pendingType_ = false;
  bool forgotten_ = false;  // shown_ is to be cleared
};

}  // namespace korimo
