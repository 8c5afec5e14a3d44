#pragma once
// Key streams typed with one keymap into fresh simulated windows of any
// class, the way the key handler drives the engine while the keymap is on:
// printable keys and Enter are composed (Backspace too when it undoes),
// printable keys and an undoing Backspace are withheld, every other key
// reaches the window, and Backspace and Escape end the composition.

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "platform/sim/sim_desktop.h"
#include "platform/text_output.h"

namespace korimo::testing {

class StreamTyper {
 public:
  // The window classes that delete differently: plain Backspace first.
  static constexpr std::u16string_view kClasses[] = {u"Edit", u"Chrome_XPFrame",
                                                     u"{1C03B488-D53B-4a81-97F8-754559640193}",
                                                     u"Chrome_VistaFrame", u"Chrome_2003Frame"};

  // Loads the keymap as keymap 1 and switches it on.
  bool load(const std::filesystem::path& path, std::string* why = nullptr) {
    if (!engine_.keymaps.load(1, path, why)) return false;
    engine_.keymap.activate(1);
    return true;
  }
  Engine& engine() { return engine_; }

  // The text of a fresh window of the class after the keys ('\r' Enter,
  // '\b' Backspace, '\x1b' Escape, printable ASCII the character keys).
  std::u16string type(std::u16string_view className, std::u16string_view keys, bool surround) {
    const platform::WindowHandle window =
        desktop_.openWindow(std::u16string(className), platform::sim::clusterMarksFor(className));
    engine_.windows.targetWindow = window;
    engine_.composition.reset();
    for (char16_t key : keys) {
      press(key, true, surround);
      press(key, false, surround);
    }
    std::u16string text = desktop_.text(window);
    desktop_.close(window);
    return text;
  }

 private:
  void press(char16_t key, bool down, bool surround) {
    const std::uint16_t vk = key == u'\b'     ? platform::kVkBack
                             : key == u'\r'   ? platform::kVkReturn
                             : key == u'\x1b' ? platform::kVkEscape
                                              : std::uint16_t{0x41};
    const bool composable = (key >= 32 && key <= 126) || key == u'\r' || (surround && key == u'\b');
    if (composable) {
      if (down) {
        engine_.composeKey(vk, key, surround);
        output_.apply(engine_.replacement.change(), engine_.windows.targetWindow, held_);
      }
    } else {
      engine_.composition.reset();
    }
    if ((composable && key != u'\r') || !down) return;
    desktop_.userKey(vk, key);
  }

  platform::sim::SimDesktop desktop_;
  Engine engine_;
  platform::TextOutput output_{desktop_};
  platform::KeysDown held_;
};

}  // namespace korimo::testing
