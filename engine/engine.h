#pragma once
// The composition engine's state for one run: the keymap tables, the active
// keymap, the per-window memory and the composition. It types nothing
// itself: each key leaves the change of the target's text it calls for in
// replacement.change(), which the program makes on the desktop.

#include <cstdint>

#include "engine/composition.h"
#include "engine/loaded_keymaps.h"
#include "engine/lookup.h"
#include "engine/replacement.h"
#include "engine/window_keymaps.h"

namespace korimo {

class Engine {
 public:
  explicit Engine(platform::WindowHandle ownWindow = platform::kNoWindow)
      : windows(ownWindow), replacement(keymap), composition(keymap, replacement) {}
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The output step of the key handlers for one composable key press while a
  // keymap is on. With surround, Backspace undoes the newest step and every
  // other key records one. Returns true when the composition moved on (the
  // key preview then follows it). The change of the target's text the key
  // calls for is in replacement.change(), empty when there is none.
  bool composeKey(std::uint16_t vkCode, char16_t keyChar, bool surround);

  LoadedKeymaps keymaps;
  ActiveKeymap keymap{keymaps};
  WindowKeymapList windows;
  Replacement replacement;
  Composition composition;
};

}  // namespace korimo
