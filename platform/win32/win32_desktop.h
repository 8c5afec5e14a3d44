#pragma once
#include "platform/desktop.h"

namespace korimo::platform::win32 {

// Desktop over the real user32 calls.
class Win32Desktop : public Desktop {
 public:
  unsigned sendInput(std::span<const KeyboardInput> records) override;
  std::u16string className(WindowHandle window) override;
  void readClassName(WindowHandle window, std::u16string& into) override;
  WindowHandle foregroundWindow() override;
  bool windowExists(WindowHandle window) override;
  bool acceptsInjectedInput(WindowHandle window) override;
  bool isOwnProcessWindow(WindowHandle window) override;
  std::optional<FocusPlace> focusPlace(WindowHandle window) override;
  std::u16string programName(WindowHandle window) override;
  bool isPasswordField(WindowHandle control) override;
  bool shellReportsFullScreen() override;
  bool coversItsMonitor(WindowHandle window) override;
};

// The executable file name of the process ("notepad.exe"); empty when it
// cannot be read (a protected process).
std::u16string processProgramName(std::uint32_t processId);

}  // namespace korimo::platform::win32
