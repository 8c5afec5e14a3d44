#include "engine/window_keymaps.h"

#include <algorithm>

namespace korimo {

WindowKeymapList::WindowKeymapList(platform::WindowHandle own) : ownWindow(own) {
  currentEntry = &append(ownWindow, std::nullopt);
}

WindowEntry* WindowKeymapList::find(platform::WindowHandle window) {
  for (WindowEntry& entry : entries_)
    if (entry.window == window) return &entry;
  return nullptr;
}

WindowEntry& WindowKeymapList::append(platform::WindowHandle window,
                                      std::optional<std::u16string> keymap) {
  return entries_.emplace_back(WindowEntry{window, std::move(keymap)});
}

void WindowKeymapList::forgetClosedWindows(platform::Desktop& desktop) {
  entries_.remove_if([&](const WindowEntry& entry) {
    return entry.window == ownWindow || !desktop.windowExists(entry.window);
  });
  currentEntry = &append(ownWindow, std::nullopt);
}

bool WindowKeymapList::isOwnWindow(platform::WindowHandle window) const {
  return window == ownWindow || std::find(otherOwnWindows_.begin(), otherOwnWindows_.end(),
                                          window) != otherOwnWindows_.end();
}

void WindowKeymapList::addOwnWindow(platform::WindowHandle window) {
  if (window != platform::kNoWindow && !isOwnWindow(window)) otherOwnWindows_.push_back(window);
}

void WindowKeymapList::removeOwnWindow(platform::WindowHandle window) {
  std::erase(otherOwnWindows_, window);
}

}  // namespace korimo
