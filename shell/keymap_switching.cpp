// Keymap switching: switchKeymap, the one operation that switches a keymap on
// or the engine off, and the foreground check that gives every top-level
// window its own keymap.

#include "shell/program_core.h"

namespace korimo {

void ProgramCore::switchKeymap(KeymapChoice name) {
  Catalogue& c = catalogue;
  bool off = !name || (name == activeKeymap && toggle_.toggleSwitching);
  // With no catalogued keymap there is nothing to switch on.
  if (c.keymapMenu.size() < 2) off = true;
  if (off) {
    switchOff(true);
    return;
  }

  std::size_t item = 0;
  for (std::size_t k = 1; k < c.keymapMenu.size(); ++k)
    if (c.keymapMenu[k].keymap == name) {
      item = k;
      break;
    }
  if (item == 0) {  // no item carries the name: the first keymap
    item = 1;
    name = c.keymapMenu[1].keymap;
  }
  const int keymap = static_cast<int>(item);
  if (c.textServices && pause == Pause::None) language.switchInputLanguage(keymap);
  c.keymapMenu.check(item);
  c.trayHint = c.keymapMenu[item].caption;
  engine.keymap.activate(keymap);
  c.surroundActive = engine.keymap.activeSmp ? false : c.surroundSetting;
  preview.previewPage = -1;
  engine.windows.currentEntry->keymap = name;
  keymapOn = true;
  typingProblem.clear();
  preview.clear();
  c.setIcon(true);
  engine.composition.reset();
  activeKeymap = name;
  giveFocusBack();
  osk.setLegends(engine.keymap);
  changed(ViewPart::Tray | ViewPart::KeymapMenu | ViewPart::KeyPreview | ViewPart::Keyboard);
}

// Switching off. switchKeymap's full sequence is a request from the user
// (a toggle key, the sub-menu, a window that remembers "off"): it also
// writes "off" into the current window's entry, clears the key preview,
// gives the focus back to the window being typed into and relabels the
// on-screen keyboard. The foreground check's shorter one serves a window
// seen for the first time, in the middle of its first key event: its entry
// was just made with "****", it is already in front, and the keyboard's
// legends follow the last keymap switched on, which switching off keeps.
// The key preview keeps its listing until a keymap is switched on again.
void ProgramCore::switchOff(bool fullSequence) {
  Catalogue& c = catalogue;
  language.restoreInputLanguage();
  c.keymapMenu.check(0);
  if (fullSequence) engine.windows.currentEntry->keymap.reset();
  keymapOn = false;
  if (fullSequence) preview.clear();
  c.setIcon(false);
  c.trayHint = u"Keymap Off";
  engine.composition.reset();
  activeKeymap.reset();
  // A password field pauses only a keymap that is on.
  if (pause == Pause::PasswordField) setPause(Pause::None, false);
  if (!fullSequence) {
    changed(ViewPart::Tray | ViewPart::KeymapMenu);
    return;
  }
  giveFocusBack();
  osk.setLegends(engine.keymap);
  changed(ViewPart::Tray | ViewPart::KeymapMenu | ViewPart::KeyPreview | ViewPart::Keyboard);
}

// The window typed into gets the focus back (from the tray menu, say); a
// dialog or message box of the program that the user is working in keeps it.
void ProgramCore::giveFocusBack() {
  const platform::WindowHandle target = engine.windows.targetWindow;
  if (target == platform::kNoWindow) return;
  const platform::WindowHandle front = platforms_.desktop.foregroundWindow();
  if (front != target && front != engine.windows.ownWindow &&
      (engine.windows.isOwnWindow(front) || platforms_.desktop.isOwnProcessWindow(front)))
    return;
  platforms_.shell.setForegroundWindow(target);
}

bool ProgramCore::foregroundCheck() {
  WindowKeymapList& windows = engine.windows;
  const platform::WindowHandle fg = platforms_.desktop.foregroundWindow();
  if (windows.isOwnWindow(fg) || platforms_.desktop.isOwnProcessWindow(fg)) return true;
  if (fg == windows.targetWindow || fg == platform::kNoWindow) return false;
  windows.targetWindow = fg;
  const bool accepts = platforms_.desktop.acceptsInjectedInput(fg);
  if (accepts != targetAcceptsInput) {
    targetAcceptsInput = accepts;
    changed(ViewPart::Tray);
  }
  // Where not to type, as the window is when it comes to the front.
  targetProgram = platforms_.desktop.programName(fg);
  fullScreenCheckedAt_ = key_.time;
  windowPause_ = targetWindowPause();
  setPause(windowPause_, false);
  if (WindowEntry* entry = windows.find(fg)) {
    windows.currentEntry = entry;
    toggle_.toggleSwitching = false;
    switchKeymap(entry->keymap);
    return false;
  }
  windows.currentEntry = &windows.append(fg, std::nullopt);
  switchOff(false);
  return false;
}

}  // namespace korimo
