// Where not to type: the pauses in the programs on the list, in programs
// that run full screen and in password fields, and the main menu's
// "Never type in <program>".
//
// The checks stay off the key path's cost: the program and the full-screen
// state of the window in front are read when it comes to the front (the
// first key there), and the full-screen state again at most every two
// seconds of key events' own time stamps, which costs no call; the focused
// control's style, a read of the window's shared record, on every press
// while a keymap is on.

#include <algorithm>

#include "platform/window_kinds.h"
#include "shell/program_core.h"
#include "text/unicode_text.h"

namespace korimo {
namespace {

constexpr std::uint32_t kFullScreenRecheckMs = 2000;

}  // namespace

bool ProgramCore::paused() {
  // The program's own windows are its own: nothing is composed there anyway.
  if (ownWindowInFront_) return false;
  // A program may go full screen while in front (F11, Alt+Enter).
  if (windowPause_ != Pause::ListedProgram &&
      key_.time - fullScreenCheckedAt_ >= kFullScreenRecheckMs) {
    fullScreenCheckedAt_ = key_.time;
    windowPause_ = targetWindowPause();
  }
  Pause now = windowPause_;
  if (now == Pause::None && keymapOn && targetAcceptsInput) {
    const std::optional<platform::FocusPlace>& place = keyFocusPlace();
    if (place && platforms_.desktop.isPasswordField(place->focus)) now = Pause::PasswordField;
  }
  setPause(now, true);
  return now != Pause::None;
}

Pause ProgramCore::targetWindowPause() {
  const platform::WindowHandle window = engine.windows.targetWindow;
  if (window == platform::kNoWindow) return Pause::None;
  if (!targetProgram.empty() && listsProgram(catalogue.neverTypeIn, targetProgram))
    return Pause::ListedProgram;
  if (catalogue.pauseInFullScreen && runsFullScreen(window)) return Pause::FullScreen;
  return Pause::None;
}

// The desktop and the taskbar cover a monitor without being a program in
// full screen.
bool ProgramCore::runsFullScreen(platform::WindowHandle window) {
  platform::Desktop& desktop = platforms_.desktop;
  return desktop.shellReportsFullScreen() ||
         (desktop.coversItsMonitor(window) &&
          !platform::isDesktopOrShellClass(desktop.className(window)));
}

void ProgramCore::setPause(Pause now, bool changeLanguage) {
  if (now == pause) return;
  const bool was = pause != Pause::None;
  pause = now;
  // What was typed on one side is not continued on the other: a new syllable.
  engine.composition.reset();
  preview.clear();
  // A window in a pause types with its own input language, so that its keys
  // are the user's keys.
  if (changeLanguage && keymapOn && catalogue.textServices && was != (now != Pause::None)) {
    if (was)
      language.switchInputLanguage(catalogue.keymapMenu.checkedItem());
    else
      language.restoreInputLanguage();
  }
  changed(ViewPart::Tray | ViewPart::KeyPreview);
}

const std::optional<platform::FocusPlace>& ProgramCore::keyFocusPlace() {
  if (!keyPlaceRead_) {
    keyPlace_ = platforms_.desktop.focusPlace(engine.windows.targetWindow);
    keyPlaceRead_ = true;
  }
  return keyPlace_;
}

// The window the user was typing in, to which the menu gives the focus
// back: clicking the tray makes the taskbar (Wine: its tray window, of
// another class) the foreground window. Before any key, the window in front
// if it is not the program's own, the desktop or the shell.
platform::WindowHandle ProgramCore::windowInFront() {
  if (engine.windows.targetWindow != platform::kNoWindow) return engine.windows.targetWindow;
  platform::Desktop& desktop = platforms_.desktop;
  const platform::WindowHandle front = desktop.foregroundWindow();
  if (front == platform::kNoWindow || engine.windows.isOwnWindow(front) ||
      desktop.isOwnProcessWindow(front) ||
      platform::isDesktopOrShellClass(desktop.className(front)))
    return platform::kNoWindow;
  return front;
}

void ProgramCore::neverTypeInChosen() {
  if (menuProgram.empty()) return;
  std::vector<std::u16string> programs = catalogue.neverTypeIn;
  if (listsProgram(programs, menuProgram))
    std::erase_if(programs,
                  [this](const std::u16string& p) { return sameProgram(p, menuProgram); });
  else
    programs.push_back(menuProgram);
  try {
    saveProgramList(programs, platforms_.shell.executableFolder());
  } catch (const std::exception& error) {
    std::u16string why;
    try {
      why = text::utf8ToUtf16(error.what());
    } catch (const text::EncodingError&) {
      why = u"the file could not be written";
    }
    platforms_.shell.messageBox(
        u"The list of programs Vantrel Korimo never types in could not be "
        u"saved in config.xml (" +
            why + u"); the change holds until the program ends.",
        u"Vantrel Korimo");
  }
  catalogue.neverTypeIn = std::move(programs);
  windowPause_ = targetWindowPause();
  setPause(windowPause_, true);
  changed(ViewPart::Tray | ViewPart::MainMenu);
}

}  // namespace korimo
