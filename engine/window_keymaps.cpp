#include "engine/window_keymaps.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace korimo {

std::u16string windowText(platform::WindowHandle window) {
  std::string digits = std::to_string(window);
  return std::u16string(digits.begin(), digits.end());
}

namespace {

platform::WindowHandle handleOf(std::u16string_view text) {
  std::string digits(text.begin(), text.end());
  platform::WindowHandle handle = platform::kNoWindow;
  std::from_chars(digits.data(), digits.data() + digits.size(), handle);
  return handle;
}

}  // namespace

WindowKeymapList::WindowKeymapList(platform::WindowHandle own) : ownWindow(own) {
  currentEntry = &append(windowText(ownWindow), u"****");
}

WindowEntry* WindowKeymapList::find(std::u16string_view text) {
  for (WindowEntry& entry : entries_)
    if (entry.windowText == text) return &entry;
  return nullptr;
}

WindowEntry& WindowKeymapList::append(std::u16string text, std::u16string keymap) {
  return entries_.emplace_back(WindowEntry{std::move(text), std::move(keymap)});
}

void WindowKeymapList::flushout(platform::Desktop& desktop) {
  entries_.remove_if(
      [&](const WindowEntry& entry) { return !desktop.windowExists(handleOf(entry.windowText)); });
  currentEntry = &append(windowText(ownWindow), u"");
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
