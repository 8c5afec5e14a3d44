#pragma once
// Which keymap was last in force in each top-level window, so that a window
// gets its keymap back when the user returns to it.

#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"

namespace korimo {

struct WindowEntry {
  platform::WindowHandle window;
  std::optional<std::u16string> keymap;  // its file name; nullopt: keymaps off
};

class WindowKeymapList {
 public:
  // Start-up: one entry for the program's own window with no keymap, which
  // takes the switches until the first foreground window is seen.
  explicit WindowKeymapList(platform::WindowHandle ownWindow);

  // The window's entry, or nullptr.
  WindowEntry* find(platform::WindowHandle window);
  WindowEntry& append(platform::WindowHandle window, std::optional<std::u16string> keymap);

  // Removes the entries of windows that no longer exist, and makes a fresh
  // entry of the program's own window current in place of its old one.
  void forgetClosedWindows(platform::Desktop& desktop);

  const std::list<WindowEntry>& entries() const { return entries_; }

  // The program's own windows: the hidden main window and those added (the
  // key preview strip, the on-screen keyboard, dialogs, menus). None of
  // them ever becomes the target.
  bool isOwnWindow(platform::WindowHandle window) const;
  void addOwnWindow(platform::WindowHandle window);
  void removeOwnWindow(platform::WindowHandle window);

  platform::WindowHandle targetWindow = platform::kNoWindow;
  platform::WindowHandle ownWindow;
  WindowEntry* currentEntry;

 private:
  std::list<WindowEntry> entries_;  // references stay valid across removals
  std::vector<platform::WindowHandle> otherOwnWindows_;
};

}  // namespace korimo
