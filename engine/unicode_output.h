#pragma once
// Everything the engine types reaches the target as synthetic keyboard input:
// text as Unicode character events, deletions as key presses.

#include <string_view>

#include "engine/code_groups.h"
#include "platform/desktop.h"

namespace korimo {

class UnicodeOutput {
 public:
  explicit UnicodeOutput(platform::Desktop& desktop) : desktop_(desktop) {}

  // One Unicode character event (key-down only, time 10) per complete group
  // of four hexadecimal digits; a surrogate pair goes out as two events.
  // A group that is not hexadecimal raises ConversionError.
  void SendunicodeKey(std::u16string_view codes) { sendGroups(TextGroups{codes}); }
  // The same for a code string held as groups.
  void SendunicodeKey(CodeGroups codes) { sendGroups(PackedGroups{codes}); }
  template <typename Groups>
  void sendGroups(const Groups& codes);
  // Press and release of one key (Backspace, Left or Delete).
  void pressKey(std::uint16_t virtualKey);

  // The one record every send fills anew.
  platform::KeyboardInput& buffer() { return record_; }
  // Sends the buffer as it stands.
  void send() { desktop_.sendInput(record_); }
  // One event for one UTF-16 unit.
  void sendUnit(std::uint16_t unit);

 private:
  platform::Desktop& desktop_;
  platform::KeyboardInput record_;
};

template <typename Groups>
void UnicodeOutput::sendGroups(const Groups& codes) {
  for (std::size_t g = 0; g < codes.size(); ++g) {
    const std::int32_t unit = codes.unit(g);
    if (unit < 0) throw ConversionError("not a hexadecimal digit");
    sendUnit(static_cast<std::uint16_t>(unit));
  }
}

}  // namespace korimo
