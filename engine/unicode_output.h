#pragma once
// Everything the engine types reaches the target as synthetic keyboard input:
// text as Unicode character events, deletions as key presses.

#include <string_view>

#include "platform/desktop.h"

namespace korimo {

class UnicodeOutput {
 public:
  explicit UnicodeOutput(platform::Desktop& desktop) : desktop_(desktop) {}

  // One Unicode character event (key-down only, time 10) per complete group
  // of four hexadecimal digits; a surrogate pair goes out as two events.
  // A group that is not hexadecimal raises ConversionError.
  void SendunicodeKey(std::u16string_view codes);
  // Press and release of one key (Backspace, Left or Delete).
  void pressKey(std::uint16_t virtualKey);

  // The one record every send fills anew.
  platform::KeyboardInput& buffer() { return record_; }
  // Sends the buffer as it stands.
  void send() { desktop_.sendInput(record_); }

 private:
  platform::Desktop& desktop_;
  platform::KeyboardInput record_;
};

}  // namespace korimo
