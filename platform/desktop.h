#pragma once
// The thin seam between the engine and the desktop it types into. Everything
// above platform/ reaches windows and synthetic input only through Desktop;
// platform/win32 implements it with the real calls, platform/sim with a
// simulated desktop for tests.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/input_codes.h"

namespace korimo::platform {

// A top-level window, as the platform names it (an HWND on Windows). 0 is no window.
using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;

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

// Where typing goes in a window's thread (GetGUIThreadInfo): the control that
// has the keyboard focus and the caret it shows. A program that draws its own
// caret (a browser) shows none: caretWindow is then no window.
struct FocusPlace {
  WindowHandle focus = kNoWindow;
  WindowHandle caretWindow = kNoWindow;
  // The caret's rectangle in caretWindow's client coordinates.
  std::int32_t caretLeft = 0;
  std::int32_t caretTop = 0;
  std::int32_t caretBottom = 0;

  friend bool operator==(const FocusPlace&, const FocusPlace&) = default;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  // SendInput with all the records in one call, so that nothing the user
  // types comes between them; returns the number of events Windows inserted
  // (fewer than given when input is blocked).
  virtual unsigned sendInput(std::span<const KeyboardInput> records) = 0;
  // GetClassNameW; empty when the window does not exist.
  virtual std::u16string className(WindowHandle window) = 0;
  // The same into a buffer the caller keeps, so that asking on every key
  // allocates nothing once the buffer is large enough.
  virtual void readClassName(WindowHandle window, std::u16string& into) {
    into = className(window);
  }
  // GetForegroundWindow.
  virtual WindowHandle foregroundWindow() = 0;
  // GetWindow(window, GW_HWNDFIRST) != nullptr: the handle still names a window.
  virtual bool windowExists(WindowHandle window) = 0;
  // Whether input this program injects reaches the window: Windows drops it
  // without a word for a window of a process with higher rights (one run as
  // administrator). Asked when the foreground window changes.
  virtual bool acceptsInjectedInput(WindowHandle window) = 0;
  // Whether the window belongs to this program's own process (its menus,
  // dialogs and message boxes among them).
  virtual bool isOwnProcessWindow(WindowHandle window) = 0;
  // The focus and caret of the thread of the window; nullopt when the
  // platform cannot tell.
  virtual std::optional<FocusPlace> focusPlace(WindowHandle window) = 0;

  // Where the program pauses. Each has an answer that changes nothing for a
  // desktop that cannot tell.
  // The executable file name of the window's process ("notepad.exe");
  // empty when it cannot be read. Asked when the foreground window changes.
  virtual std::u16string programName(WindowHandle /*window*/) { return {}; }
  // Whether the control is a password field (isPasswordControl of its class
  // and style); false when its style cannot be read.
  virtual bool isPasswordField(WindowHandle /*control*/) { return false; }
  // Whether the shell reports a full-screen Direct3D program or
  // presentation mode (SHQueryUserNotificationState).
  virtual bool shellReportsFullScreen() { return false; }
  // Whether the window is shown over the whole of its monitor without a
  // caption: a full-screen game, video or browser (a maximized window
  // keeps its caption).
  virtual bool coversItsMonitor(WindowHandle /*window*/) { return false; }
};

}  // namespace korimo::platform
