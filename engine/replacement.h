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

  // The target's text ends in prev; make it end in cur.
  void backNfront(std::u16string_view prev, std::u16string_view cur);
  // Deletes count characters before the caret; shown is what the target shows
  // at its end (read by the Left + Delete methods only).
  void bkspc(int count, int kind, std::u16string_view shown);

  // Characters the code string makes on screen; a surrogate pair counts once.
  static int bkspchowmuch(std::u16string_view codes);
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
};

// Code points in the combining-mark tables: the whole table for kinds 0, 2
// and 3, the smaller one for kind 1.
bool isClusterMark(int kind, char32_t codePoint);

}  // namespace korimo
