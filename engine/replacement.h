#pragma once
// Changes the text at the end of the target from one code string to another
// with the fewest keystrokes, deleting by the method the window's class needs.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/lookup.h"
#include "engine/unicode_output.h"
#include "engine/window_keymaps.h"
#include "platform/desktop.h"

namespace korimo {

// Window kinds 0..3 delete with Left then Delete, which in these browsers
// removes a whole cluster; after deleting a combining mark the base before it
// is typed again. Kind 4 deletes with Backspace.
constexpr int kBackspaceKind = 4;

class Replacement {
 public:
  Replacement(platform::Desktop& desktop, UnicodeOutput& output, const ActiveKeymap& keymap,
              const WindowKeymapList& windows);

  // The target's text ends in prev; make it end in cur. The code strings as
  // text, or as groups (what the key path holds).
  void backNfront(std::u16string_view prev, std::u16string_view cur) {
    replace(TextGroups{prev}, TextGroups{cur});
  }
  void backNfront(CodeGroups prev, CodeGroups cur) {
    replace(PackedGroups{prev}, PackedGroups{cur});
  }
  // Deletes count characters before the caret. shown is the code string the
  // engine knows to stand at the end of the target's text, read by the
  // Left + Delete methods only: Left + Delete takes a whole cluster (a base
  // and the marks after it), so after deleting a mark the base and the marks
  // before it are typed again from shown. Where shown does not reach back to
  // the deleted character, or to the base of a deleted mark, the character is
  // deleted with Backspace instead, which takes no more than Left + Delete.
  void bkspc(int count, int kind, std::u16string_view shown) {
    deleteBack(count, kind, TextGroups{shown});
  }
  void bkspc(int count, int kind, CodeGroups shown) {
    deleteBack(count, kind, PackedGroups{shown});
  }

  // The code string the engine has typed at the caret since the composition
  // was last reset, as far as it still stands (the newest kShownLimit
  // groups): what bkspc reads in backNfront.
  const CodeString& shownCodes() const { return shown_; }
  // The caret may have moved or text come from elsewhere: nothing is known.
  void forgetShown() { shown_.clear(); }
  static constexpr std::size_t kShownLimit = 1024;

  // Characters the code string makes on screen; a surrogate pair counts once.
  static int bkspchowmuch(std::u16string_view codes) { return characters(TextGroups{codes}); }
  static int bkspchowmuch(CodeGroups codes) { return characters(PackedGroups{codes}); }
  // The four-digit code is a combining mark of the first / second table.
  static bool vowelhas(std::u16string_view code);
  static bool vowelhas1(std::u16string_view code);
  int windowKind(std::u16string_view className) const;

  // The class names of kinds 0 to 3, in kind order.
  std::array<std::u16string, 4> clusterDeleteClasses;

 private:
  platform::Desktop& desktop_;
  UnicodeOutput& output_;
  const ActiveKeymap& keymap_;
  const WindowKeymapList& windows_;
  CodeString shown_;
  std::u16string className_;  // the target's, read afresh whenever a replacement deletes

  template <typename Groups>
  void replace(const Groups& prev, const Groups& cur);
  template <typename Groups>
  void deleteBack(int count, int kind, const Groups& shown);
  template <typename Groups>
  static int characters(const Groups& codes);
  // Deletes count characters of shown_ by the method of the target's class.
  void deleteShown(int count);
  template <typename Groups>
  void typeShown(const Groups& codes);
};

// Code points in the combining-mark tables: the whole table for kinds 0, 2
// and 3, the smaller one for kind 1.
bool isClusterMark(int kind, char32_t codePoint);

}  // namespace korimo
