#pragma once
// How the program core tells its views what to draw again. A view (the tray
// icon, the key preview strip, the on-screen keyboard, or a simulated
// desktop's record of them) registers an observer; after every operation
// that changes what a view shows, the core names the parts that changed, and
// the view reads the new state from the core.

#include <cstdint>
#include <string>

namespace korimo {

enum class ViewPart : std::uint8_t {
  Tray = 1 << 0,        // the tray icon's picture and hint
  KeymapMenu = 1 << 1,  // the keymap sub-menu: its items and check marks
  MainMenu = 1 << 2,    // the check marks of "Key Preview" and "On-Screen Keyboard "
  KeyPreview = 1 << 3,  // the key preview strip: its cells, and whether it is shown
  Keyboard = 1 << 4,    // the on-screen keyboard: its legends, and whether it is shown
};

// A set of view parts.
class ViewParts {
 public:
  constexpr ViewParts() = default;
  constexpr ViewParts(ViewPart part) : bits_(static_cast<std::uint8_t>(part)) {}  // NOLINT
  static constexpr ViewParts all() {
    ViewParts parts;
    parts.bits_ = 0x1F;
    return parts;
  }

  constexpr bool has(ViewPart part) const { return (bits_ & static_cast<std::uint8_t>(part)) != 0; }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr ViewParts& operator|=(ViewParts other) {
    bits_ |= other.bits_;
    return *this;
  }
  friend constexpr ViewParts operator|(ViewParts a, ViewParts b) { return a |= b; }
  friend constexpr bool operator==(ViewParts, ViewParts) = default;

  // The names of the parts, blank-separated, in the order of ViewPart:
  // "tray keymap-menu main-menu key-preview keyboard".
  std::string names() const;

 private:
  std::uint8_t bits_ = 0;
};

constexpr ViewParts operator|(ViewPart a, ViewPart b) { return ViewParts(a) | ViewParts(b); }

// A notification for the tray to show as a balloon.
struct TrayNotification {
  enum class Kind : std::uint8_t { Welcome, Problems };
  Kind kind;
  std::u16string title;
  std::u16string text;  // at most 255 characters, as a balloon holds
};

class CoreObserver {
 public:
  virtual ~CoreObserver() = default;
  // Called on the UI thread once an operation of the core has finished
  // changing the parts named.
  virtual void coreChanged(ViewParts parts) = 0;
};

}  // namespace korimo
