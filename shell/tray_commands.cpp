// The tray icon's clicks and the commands of its menus.

#include "platform/scope_exit.h"
#include "shell/program_core.h"

namespace korimo {

bool ProgramCore::trayIconPressed(TrayButton button) {
  forgetClosedWindows();
  if (button == TrayButton::Right) {
    // The main menu opens by itself; its "Never type in" item names the
    // program in front.
    const platform::WindowHandle front = windowInFront();
    menuProgram =
        front == platform::kNoWindow ? std::u16string() : platforms_.desktop.programName(front);
    return false;
  }
  // The keymap sub-menu opens at the pointer; its item clicks arrive as
  // keymapMenuChosen. The program's window comes to the front first, or the
  // menu would not close when the user clicks elsewhere.
  platforms_.shell.setForegroundWindow(engine.windows.ownWindow);
  return true;
}

void ProgramCore::trayMenuClosed() {
  // A closed tray menu needs one more message to its window to close properly.
  platforms_.shell.postMessage(engine.windows.ownWindow, platform::kWmNull, 0, 0);
  // The menu took the focus to the program's hidden window; keys typed next
  // belong to the window the user was typing in.
  if (engine.windows.targetWindow != platform::kNoWindow)
    platforms_.shell.setForegroundWindow(engine.windows.targetWindow);
}

void ProgramCore::keymapMenuChosen(std::size_t item) {
  if (item >= catalogue.keymapMenu.size()) return;
  if (engine.windows.targetWindow != platform::kNoWindow)
    platforms_.shell.setForegroundWindow(engine.windows.targetWindow);
  if (catalogue.keymapMenu[item].checked) toggle_.toggleSwitching = true;
  switchKeymap(catalogue.keymapMenu[item].keymap);
  toggle_.toggleSwitching = false;
}

void ProgramCore::toggleKeyPreview() {
  keyPreviewChecked = !keyPreviewChecked;
  changed(ViewPart::MainMenu | ViewPart::KeyPreview);
}

void ProgramCore::toggleOnScreenKeyboard() {
  oskChecked = !oskChecked;
  if (oskChecked) osk.setLegends(engine.keymap);
  changed(ViewPart::MainMenu | ViewPart::Keyboard);
}

void ProgramCore::previewArrowClicked(KeyPreview::Arrow arrow) {
  preview.turnPage(engine.keymap, arrow);
  changed(ViewPart::KeyPreview);
}

void ProgramCore::exitProgram() {
  ending_ = true;
  language.restoreSwitchedWindows();
  platforms_.shell.terminateApplication();
}

void ProgramCore::restartApplication() {
  ending_ = true;
  const std::u16string self = platforms_.shell.moduleFileName().u16string();
  platforms_.shell.runOffThread(
      [&] { platforms_.shell.shellExecute(engine.windows.ownWindow, u"open", self); });
  language.restoreSwitchedWindows();
  platforms_.shell.terminateApplication();
}

void ProgramCore::mainMenuChosen(MainMenuItem item) {
  switch (item) {
    case MainMenuItem::Settings: openSettings(); break;
    case MainMenuItem::OnScreenKeyboard: toggleOnScreenKeyboard(); break;
    case MainMenuItem::KeyPreview: toggleKeyPreview(); break;
    case MainMenuItem::VisitHelpPage: visitHelpPage(); break;
    case MainMenuItem::About: openAbout(); break;
    case MainMenuItem::NeverTypeIn: neverTypeInChosen(); break;
    case MainMenuItem::Exit: exitProgram(); break;
  }
}

void ProgramCore::openSettings() {
  if (settingsOpen || !dialogHost_) return;  // one is open already
  settingsOpen = true;                       // for as long as it is shown
  ScopeExit closed([this] { settingsOpen = false; });
  dialogHost_->showSettings();
}

void ProgramCore::openAbout() {
  if (aboutOpen || !dialogHost_) return;
  aboutOpen = true;
  ScopeExit closed([this] { aboutOpen = false; });
  dialogHost_->showAbout();
}

std::filesystem::path ProgramCore::helpPage() {
  return platforms_.shell.executableFolder() / "korimohelp.html";
}

void ProgramCore::visitHelpPage() {
  const std::filesystem::path page = helpPage();
  if (!platforms_.shell.fileExists(page)) {
    platforms_.shell.messageBox(
        u"The help page korimohelp.html is missing beside the program. Install Vantrel Korimo "
        u"again to repair it.",
        u"Vantrel Korimo");
    return;
  }
  const std::u16string file = page.u16string();
  platforms_.shell.runOffThread(
      [&] { platforms_.shell.shellExecute(engine.windows.ownWindow, u"open", file); });
}

}  // namespace korimo
