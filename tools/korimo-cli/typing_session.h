#pragma once
// One keymap switched on in one simulated window, fed key by key the way the
// key handler is fed: each character is a key press and release.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/sim/sim_desktop.h"

namespace korimo::cli {

// The virtual-key code of the key that types c on a US keyboard.
std::uint16_t usVirtualKey(char16_t c);
// Whether a US keyboard needs Shift to type c.
bool usNeedsShift(char16_t c);

// How a simulated window of this class edits: browser classes move over and
// delete clusters of a base and the marks the engine lists for that class.
platform::sim::ClusterMarkTest clusterMarksFor(const Replacement& replacement,
                                               std::u16string_view className);

class TypingSession {
 public:
  explicit TypingSession(std::u16string className = u"Edit");

  // Loads the keymap as keymap 1 and switches it on. False with the reason
  // when the file fails the load check.
  bool loadKeymap(const std::filesystem::path& path, bool surround, std::string& why);

  // Printable ASCII, '\r' (Enter), '\b' (Backspace) or '\x1b' (Escape).
  static bool isTypable(char16_t c);
  void typeKey(char16_t c);

  const std::u16string& text() { return desktop_.text(window_); }
  // With tracing on, one line per input event the window receives.
  void traceEvents() { tracing_ = true; }
  const std::vector<std::string>& events() const { return events_; }
  bool surround() const { return surround_; }
  Engine& engine() { return engine_; }

 private:
  void keyEvent(char16_t c, bool down);

  platform::sim::SimDesktop desktop_;
  Engine engine_{desktop_};
  platform::WindowHandle window_;
  bool surround_ = false;
  bool tracing_ = false;
  std::vector<std::string> events_;
};

}  // namespace korimo::cli
