#pragma once
// The thin seam between the engine and the desktop it types into. Everything
// above platform/ reaches windows and synthetic input only through Desktop;
// platform/win32 implements it with the real calls, platform/sim with a
// simulated desktop for tests.

#include <cstdint>
#include <string>

namespace korimo::platform {

// A top-level window, as the platform names it (an HWND on Windows). 0 is no window.
using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;

constexpr std::uint32_t kInputKeyboard = 1;    // INPUT_KEYBOARD
constexpr std::uint32_t kKeyEventKeyUp = 2;    // KEYEVENTF_KEYUP
constexpr std::uint32_t kKeyEventUnicode = 4;  // KEYEVENTF_UNICODE

// Virtual-key codes the engine itself presses or reads.
constexpr std::uint16_t kVkBack = 8;
constexpr std::uint16_t kVkTab = 9;
constexpr std::uint16_t kVkReturn = 13;
constexpr std::uint16_t kVkEscape = 27;
constexpr std::uint16_t kVkLeft = 37;
constexpr std::uint16_t kVkDelete = 46;

// The fields of one keyboard INPUT record. The Win32 side copies them into the
// platform's own INPUT structure and passes its real size.
struct KeyboardInput {
  std::uint32_t type = kInputKeyboard;
  std::uint16_t wVk = 0;
  std::uint16_t wScan = 0;
  std::uint32_t dwFlags = 0;
  std::uint32_t time = 0;
  std::uintptr_t dwExtraInfo = 0;

  friend bool operator==(const KeyboardInput&, const KeyboardInput&) = default;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  // SendInput with one keyboard record; returns the number of events inserted.
  virtual unsigned sendInput(const KeyboardInput& input) = 0;
  // GetClassNameW; empty when the window does not exist.
  virtual std::u16string className(WindowHandle window) = 0;
  // GetForegroundWindow.
  virtual WindowHandle foregroundWindow() = 0;
  // GetWindow(window, GW_HWNDFIRST) != nullptr: the handle still names a window.
  virtual bool windowExists(WindowHandle window) = 0;
};

}  // namespace korimo::platform
