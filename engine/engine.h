#pragma once
// The composition engine's state for one run: the keymap tables, the active
// keymap, the per-window memory and the composition, wired to one desktop.

#include <cstdint>

#include "engine/composition.h"
#include "engine/keymap_tables.h"
#include "engine/lookup.h"
#include "engine/replacement.h"
#include "engine/unicode_output.h"
#include "engine/window_keymaps.h"
#include "platform/desktop.h"

namespace korimo {

class Engine {
 public:
  explicit Engine(platform::Desktop& desktop,
                  platform::WindowHandle ownWindow = platform::kNoWindow)
      : desktop(desktop),
        output(desktop),
        windows(ownWindow),
        replacement(desktop, output, keymap, windows),
        composition(keymap, replacement) {}
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The output step of the key handlers for one composable key press while a
  // keymap is on. With surround, Backspace undoes the newest step and every
  // other key records one. Returns true when the target's text was brought
  // up to date (the key preview then follows it).
  bool composeKey(std::uint16_t vkCode, char16_t keyChar, bool surround);

  platform::Desktop& desktop;
  KeymapTables tables;
  ActiveKeymap keymap{tables};
  UnicodeOutput output;
  WindowKeymapList windows;
  Replacement replacement;
  Composition composition;
};

}  // namespace korimo
