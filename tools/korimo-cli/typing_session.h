#pragma once
// `korimo-cli type`: the program core on a simulated desktop with one keymap
// catalogued on Alt+1 and switched on in one window, fed key by key as a
// user types: each character is a key press and release (with Shift where
// the US keyboard needs it) that goes through the hooks and the key handler.

#include <filesystem>
#include <string>
#include <vector>

#include "tools/korimo-cli/desktop_session.h"

namespace korimo::cli {

class TypingSession {
 public:
  explicit TypingSession(std::u16string className = u"Edit");

  // Catalogues the keymap, starts the program and switches the keymap on in
  // the window. False with the reason when the file fails the load check.
  bool loadKeymap(const std::filesystem::path& path, bool surround, std::string& why);

  // Printable ASCII, '\r' (Enter), '\b' (Backspace) or '\x1b' (Escape).
  static bool isTypable(char16_t c);
  void typeKey(char16_t c);

  const std::u16string& text() { return session_.desktop.text(window_); }
  // With tracing on, one line per input event the window receives.
  void traceEvents() { tracing_ = true; }
  const std::vector<std::string>& events() const { return events_; }
  ProgramCore& core() { return session_.core(); }

 private:
  DesktopSession session_;
  std::u16string className_;
  platform::WindowHandle window_ = platform::kNoWindow;
  bool tracing_ = false;
  std::vector<std::string> events_;
};

}  // namespace korimo::cli
