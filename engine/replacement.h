#pragma once
// Works out how the text at the end of the target changes from one code
// string to another with the fewest keystrokes: what to take back and what
// to type. The desktop's TextOutput makes the change, by the method the
// target window's class needs.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/lookup.h"
#include "platform/text_output.h"

namespace korimo {

class Replacement {
 public:
  explicit Replacement(const ActiveKeymap& keymap) : keymap_(keymap) {}

  // The target's text ends in prev; the change makes it end in cur. The
  // code strings as text, or as groups (what the key path holds). The change
  // stays readable (change()) until the next call.
  void backNfront(std::u16string_view prev, std::u16string_view cur) {
    replace(TextGroups{prev}, TextGroups{cur});
  }
  void backNfront(CodeGroups prev, CodeGroups cur) {
    replace(PackedGroups{prev}, PackedGroups{cur});
  }
  // One character taken back of which nothing is known (Backspace takes it
  // in every window).
  void takeBackUnknown();
  // The change the last call worked out; empty when there is none.
  const platform::TextChange& change() const { return change_; }
  void clearChange() { change_ = {}; }

  // The code string the engine has typed at the caret since the composition
  // was last reset, as far as it still stands (the newest kShownLimit
  // groups): what the cluster methods read to type a deleted cluster's base
  // again.
  const CodeString& shownCodes() const { return shown_; }
  // The caret may have moved or text come from elsewhere: nothing is known.
  void forgetShown() { shown_.clear(); }
  static constexpr std::size_t kShownLimit = 1024;

  // Characters the code string makes on screen; a surrogate pair counts once.
  static int bkspchowmuch(std::u16string_view codes) { return characters(TextGroups{codes}); }
  static int bkspchowmuch(CodeGroups codes) { return characters(PackedGroups{codes}); }

 private:
  template <typename Groups>
  void replace(const Groups& prev, const Groups& cur);
  template <typename Groups>
  static int characters(const Groups& codes);
  // The change takes back count characters of what the engine typed.
  void takeBackShown(int count);
  template <typename Groups>
  void typeShown(const Groups& codes);

  const ActiveKeymap& keymap_;
  CodeString shown_;
  platform::TextChange change_;
  // The texts change_ points into, kept from key to key.
  std::u16string before_;
  std::u16string typed_;
};

}  // namespace korimo
