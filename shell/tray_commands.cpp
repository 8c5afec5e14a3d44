// The tray icon's clicks and the commands of its menus.

#include "platform/scope_exit.h"
#include "shell/main_form.h"

namespace korimo {

bool TForm1::trayclick(TrayButton button) {
  flushout();
  if (button == TrayButton::Right) return false;  // the main menu opens by itself
  // The keymap sub-menu opens at the pointer; its item clicks arrive as
  // mmenuItemClick. The program's window comes to the front first, or the
  // menu would not close when the user clicks elsewhere.
  platforms_.shell.setForegroundWindow(engine.windows.ownWindow);
  return true;
}

void TForm1::trayMenuClosed() {
  // A closed tray menu needs one more message to its window to close properly.
  platforms_.shell.postMessage(engine.windows.ownWindow, platform::kWmNull, 0, 0);
  // The menu took the focus to the program's hidden window; keys typed next
  // belong to the window the user was typing in.
  if (engine.windows.targetWindow != platform::kNoWindow)
    platforms_.shell.setForegroundWindow(engine.windows.targetWindow);
}

void TForm1::mmenuItemClick(std::size_t item) {
  if (item >= catalogue.mmenu.size()) return;
  if (engine.windows.targetWindow != platform::kNoWindow)
    platforms_.shell.setForegroundWindow(engine.windows.targetWindow);
  if (catalogue.mmenu[item].checked) toggle_.toggleSwitching = true;
  set_environ(catalogue.mmenu[item].Hint);
  toggle_.toggleSwitching = false;
}

void TForm1::sett1Click() {
  keyPreviewChecked = !keyPreviewChecked;
  changed(ViewPart::MainMenu | ViewPart::KeyPreview);
}

void TForm1::KeymapHelp2Click() {
  oskChecked = !oskChecked;
  if (oskChecked) osk.keyitup(engine.keymap);
  changed(ViewPart::MainMenu | ViewPart::Keyboard);
}

void TForm1::arrowClick(KeyPreview::Arrow arrow) {
  preview.UpDown1ChangingEx(engine.keymap, arrow);
  changed(ViewPart::KeyPreview);
}

void TForm1::Exit1Click() {
  ending_ = true;
  language.restoreSwitchedWindows();
  platforms_.shell.terminateApplication();
}

void TForm1::restartApplication() {
  ending_ = true;
  const std::u16string self = platforms_.shell.moduleFileName().u16string();
  platforms_.shell.runOffThread(
      [&] { platforms_.shell.shellExecute(engine.windows.ownWindow, u"open", self); });
  language.restoreSwitchedWindows();
  platforms_.shell.terminateApplication();
}

void TForm1::mainMenuClick(MainMenuItem item) {
  switch (item) {
    case MainMenuItem::Settings: opensettings(); break;
    case MainMenuItem::OnScreenKeyboard: KeymapHelp2Click(); break;
    case MainMenuItem::KeyPreview: sett1Click(); break;
    case MainMenuItem::VisitHelpPage: VisitHelppage1Click(); break;
    case MainMenuItem::About: opensplash(); break;
    case MainMenuItem::Exit: Exit1Click(); break;
  }
}

void TForm1::opensettings() {
  if (settingsOpen || !dialogHost_) return;  // one is open already
  settingsOpen = true;                       // for as long as it is shown
  ScopeExit closed([this] { settingsOpen = false; });
  dialogHost_->showSettings();
}

void TForm1::opensplash() {
  if (aboutOpen || !dialogHost_) return;
  aboutOpen = true;
  ScopeExit closed([this] { aboutOpen = false; });
  dialogHost_->showAbout();
}

std::filesystem::path TForm1::helpPage() {
  return platforms_.shell.executableFolder() / "korimohelp.html";
}

void TForm1::VisitHelppage1Click() {
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
