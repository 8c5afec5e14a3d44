// Keymap switching: set_environ, the one operation that switches a keymap on
// or the engine off, and the foreground check that gives every top-level
// window its own keymap.

#include "engine/globalroutines.h"
#include "shell/main_form.h"

namespace korimo {

KeyHandler TForm1::handlerFor(int toggleMode, bool surround) {
  if (toggleMode == 2) return surround ? KeyHandler::OnKeyPressed1 : KeyHandler::OnKeyPressed3;
  return surround ? KeyHandler::OnKeyPressed : KeyHandler::OnKeyPressed2;
}

void TForm1::set_environ(std::u16string name) {
  Catalogue& c = catalogue;
  bool off = name == u"****" || (name == activeKeymapName && toggle_.toggleSwitching);
  // With no catalogued keymap there is nothing to switch on.
  if (c.mmenu.size() < 2) off = true;
  if (off) {
    switchOff(true);
    return;
  }

  std::size_t item = 0;
  for (std::size_t k = 1; k < c.mmenu.size(); ++k)
    if (c.mmenu[k].Hint == name) {
      item = k;
      break;
    }
  if (item == 0) {  // no item carries the name: the first keymap
    item = 1;
    name = c.mmenu[1].Hint;
  }
  const int keymap = static_cast<int>(item);
  if (c.textServices) language.switchInputLanguage(keymap);
  c.mmenu.check(item);
  c.trayHint = c.mmenu[item].caption;
  engine.keymap.activate(keymap);
  c.surroundActive = engine.keymap.activeSmp ? false : c.surroundSetting;
  installedHandler_ = handlerFor(c.toggleMode, c.surroundActive);
  preview.previewPage = -1;
  engine.windows.currentEntry->keymap = name;
  keymapOn = true;
  typingProblem.clear();
  preview.emptify();
  c.seticon(true);
  engine.composition.reset();
  activeKeymapName = name;
  giveFocusBack();
  osk.keyitup(engine.keymap);
  changed(ViewPart::Tray | ViewPart::KeymapMenu | ViewPart::KeyPreview | ViewPart::Keyboard);
}

// Switching off. set_environ's full sequence is a request from the user
// (a toggle key, the sub-menu, a window that remembers "off"): it also
// writes "off" into the current window's entry, clears the key preview,
// gives the focus back to the window being typed into and relabels the
// on-screen keyboard. The foreground check's shorter one serves a window
// seen for the first time, in the middle of its first key event: its entry
// was just made with "****", it is already in front, and the keyboard's
// legends follow the last keymap switched on, which switching off keeps.
// The key preview keeps its listing until a keymap is switched on again.
void TForm1::switchOff(bool fullSequence) {
  Catalogue& c = catalogue;
  language.restoreInputLanguage();
  c.mmenu.check(0);
  if (fullSequence) engine.windows.currentEntry->keymap = u"****";
  keymapOn = false;
  if (fullSequence) preview.emptify();
  c.seticon(false);
  c.trayHint = u"Keymap Off";
  engine.composition.reset();
  activeKeymapName = u"****";
  if (!fullSequence) {
    changed(ViewPart::Tray | ViewPart::KeymapMenu);
    return;
  }
  giveFocusBack();
  osk.keyitup(engine.keymap);
  changed(ViewPart::Tray | ViewPart::KeymapMenu | ViewPart::KeyPreview | ViewPart::Keyboard);
}

// The window typed into gets the focus back (from the tray menu, say); a
// dialog or message box of the program that the user is working in keeps it.
void TForm1::giveFocusBack() {
  const platform::WindowHandle target = engine.windows.targetWindow;
  if (target == platform::kNoWindow) return;
  const platform::WindowHandle front = platforms_.desktop.foregroundWindow();
  if (front != target && front != engine.windows.ownWindow &&
      (engine.windows.isOwnWindow(front) || platforms_.desktop.isOwnProcessWindow(front)))
    return;
  platforms_.shell.setForegroundWindow(target);
}

bool TForm1::foregroundCheck() {
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
  if (WindowEntry* entry = windows.find(windowText(fg))) {
    windows.currentEntry = entry;
    toggle_.toggleSwitching = false;
    set_environ(trimmed(entry->keymap));
    return false;
  }
  windows.currentEntry = &windows.append(windowText(fg), u"****");
  switchOff(false);
  return false;
}

}  // namespace korimo
