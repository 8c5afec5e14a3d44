#pragma once
// The program core running on a simulated desktop, with a user's hands on
// its keyboard and mouse: what `korimo-cli simulate` scripts and `korimo-cli
// type` feeds. Keys go through the simulated hook libraries into the core's
// handlers, exactly as on Windows; what reaches the applications lands in
// the text fields of the simulated windows.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_hooks.h"
#include "platform/sim/sim_shell.h"
#include "shell/program_core.h"

namespace korimo::cli {

class DesktopSession {
 public:
  // The program's folder holds config.xml and Data/ (it need not exist).
  explicit DesktopSession(std::filesystem::path appFolder);
  ~DesktopSession();
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  // Starts the program: from the program's folder, or from source.
  void startUp(std::optional<CatalogueSource> source = std::nullopt);
  bool started() const { return core_ != nullptr; }
  ProgramCore& core() { return *core_; }
  // A new instance of the program, after this one has ended; it starts
  // from the program's folder.
  void restart();
  // Ends the program once it has asked to end (Exit, the regional check).
  // True when it has ended.
  bool endIfTerminated();

  // A new top-level window with a text field; it comes to the front.
  platform::WindowHandle openWindow(std::u16string className);

  // Whether a key of the US keyboard types c (printable ASCII, Enter,
  // Backspace, Escape, Tab).
  static bool isTypable(char16_t c);
  // One key press and release for c, with Shift held where the US keyboard
  // needs it. c must be typable.
  void typeCharacter(char16_t c);

  platform::sim::SimDesktop desktop;
  platform::sim::SimHookPlatform hooks;
  platform::sim::SimShell shell;
  const platform::WindowHandle ownWindow;

 private:
  std::unique_ptr<ProgramCore> core_;
  bool ended_ = false;
};

}  // namespace korimo::cli
