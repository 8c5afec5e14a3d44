// The tray icon's clicks and the commands of its menus.

#include "shell/main_form.h"

namespace korimo {

void TForm1::trayclick(TrayButton button) {
  flushout();
  if (button == TrayButton::Right) return;
  // The keymap sub-menu opens at the pointer; its item clicks arrive as
  // mmenuItemClick. Afterwards the menu needs a message to close properly.
  platforms_.shell.setForegroundWindow(engine.windows.ownWindow);
  platforms_.shell.postMessage(engine.windows.ownWindow, platform::kWmNull, 0, 0);
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
  language.broadcastDefaultInputLanguage();
  platforms_.shell.terminateApplication();
}

}  // namespace korimo
