#pragma once
// How a change of the text at the caret reaches a window: the keystrokes
// that take characters back (by the method the window's class needs) and
// type new ones, sent in one SendInput call. The simulated and the Win32
// desktop share it; they only carry the records to the window.
//
// The records keep Windows' input contracts: each character is a
// KEYEVENTF_UNICODE press and release with virtual key 0; Backspace, Left and
// Delete are real keys with their scan codes (Left and Delete extended);
// time 0. Keys the user holds combine with injected ones (Shift+Left selects,
// Shift+Delete cuts to the clipboard), so the modifiers that change what an
// editing key does are lifted for the change and pressed again after it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"
#include "platform/keys_down.h"

namespace korimo::platform {

// How a window takes characters back from before the caret.
enum class Deletion {
  Backspace,  // one code point a Backspace
  // Left then Delete, which in these browsers removes a whole cluster: a base
  // and the combining marks after it. After deleting a mark, the base (and
  // the marks before the deleted one) are typed again.
  ClusterAllMarks,   // every combining mark of the Indic blocks
  ClusterSomeMarks,  // the smaller set of the older browser class
};

// The method for a window of this class (names compare exactly).
Deletion deletionFor(std::u16string_view className);
// Whether the code point is one of the marks that deletion takes with its base.
bool isClusterMark(Deletion deletion, char32_t codePoint);

// What should happen to the text before the caret.
struct TextChange {
  // Characters (code points) to take back from before the caret.
  int takeBack = 0;
  // What stands before the caret as far as it is known, ending at the caret:
  // the cluster methods read it to type again what a Left + Delete takes
  // beyond the character meant. A character it does not reach back to is
  // taken back with Backspace.
  std::u16string_view before;
  // What to type after taking back.
  std::u16string_view type;

  bool empty() const { return takeBack == 0 && type.empty(); }
};

class TextOutput {
 public:
  explicit TextOutput(Desktop& desktop) : desktop_(desktop) {}

  // Makes the change at the caret of the foreground window; target is that
  // window, whose class decides how characters are taken back. held: the
  // keys Windows has down. True when Windows took every record.
  bool apply(const TextChange& change, WindowHandle target, const KeysDown& held);
  // Presses and releases one key in one call.
  bool tap(VirtualKey vk);
  // The records of the last call, in order.
  std::span<const KeyboardInput> lastRecords() const { return records_; }

 private:
  void key(VirtualKey vk, bool up);
  void type(std::u16string_view text);
  void takeBack(int count, Deletion deletion, std::u16string_view before);
  bool send();

  Desktop& desktop_;
  std::vector<KeyboardInput> records_;
  std::u16string className_;
};

}  // namespace korimo::platform
