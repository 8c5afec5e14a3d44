// The key handlers: the per-event step (wrefresh and its twins), which
// decides whether the key is composed and withheld, the toggle-key state
// machine of both toggle modes, and the mouse handler.

#include "engine/globalroutines.h"
#include "shell/main_form.h"

namespace korimo {
namespace {

using hooks::TKeyStates;
using namespace platform;

// Keys that end the composition when they are neither composed nor toggles:
// they move the caret or edit the text.
bool isResetKey(std::uint32_t vk) {
  return vk == kVkBack || vk == kVkTab || vk == kVkPause || vk == kVkEscape ||
         (vk >= kVkPrior && vk <= kVkDown) || vk == kVkSnapshot || vk == kVkDelete ||
         (vk >= kVkF1 && vk <= kVkF12) || vk == kVkScroll || vk == kVkBrowserBack ||
         vk == kVkBrowserForward || vk == kVkNone;
}

// Mouse messages after which the caret may have moved.
bool isResetMouseMessage(std::int32_t message) {
  switch (static_cast<std::uint32_t>(message)) {
    case kWmLButtonDown:
    case kWmRButtonDown:
    case kWmMButtonDown:
    case kWmLButtonDblClk:
    case kWmRButtonDblClk:
    case kWmMButtonDblClk:
    case kWmNcLButtonDown:
    case kWmNcRButtonDown:
    case kWmNcMButtonDown:
    case kWmNcLButtonDblClk:
    case kWmNcRButtonDblClk:
    case kWmMouseWheel: return true;
    default: return false;
  }
}

}  // namespace

void TForm1::OnKey(const TKeyStates& states, const hooks::TKeyNames& names) {
  lastKeyChar = names.KeyChar;
  lastKeyStates = states;
  bool withhold = false;
  switch (installedHandler_) {
    case KeyHandler::OnKeyPressed: withhold = handleKey(1, true); break;
    case KeyHandler::OnKeyPressed2: withhold = handleKey(1, false); break;
    case KeyHandler::OnKeyPressed1: withhold = handleKey(2, true); break;
    case KeyHandler::OnKeyPressed3: withhold = handleKey(2, false); break;
  }
  // Whether to withhold a release is not decided by the modifiers of its
  // moment (Ctrl let go before C, a keymap switched on while a key is held):
  // it follows the key's presses. A press that reached the application
  // makes its release reach it too.
  PressFate& fate = pressFates_[states.KeyInfo.vkCode & 0xFF];
  if (states.KeyDown) {
    if (fate != PressFate::Passed) fate = withhold ? PressFate::Withheld : PressFate::Passed;
  } else {
    withhold = fate == PressFate::Withheld;
    fate = PressFate::None;
  }
  setDisableKeyboard(withhold);
}

bool TForm1::windowsKeyDown() const {
  const platform::KeysDown& held = keyHook_->keysDown();
  return held[kVkLWin] || held[kVkRWin];
}

void TForm1::setDisableKeyboard(bool disable) {
  if (disable == keyHook_->DisableKeyboard()) return;
  keyHook_->SetDisableKeyboard(disable);
  keyHook_->UpdateHook();
}

void TForm1::wrefresh(int toggleMode, bool surround) {
  ToggleState& t = toggle_;
  const TKeyStates& s = lastKeyStates;
  const char16_t c = lastKeyChar;
  const bool character = (c >= 32 && c <= 126) || c == u'\r' || (surround && c == u'\b');
  const bool windowsKey = windowsKeyDown();
  if (toggleMode == 2) {
    t.noModifiers = !s.CtrlDown && !s.AltDown && !windowsKey;
    t.composableKey = character && t.noModifiers;
    t.toggleKeyPressed = istky(s.KeyInfo.vkCode) && t.noModifiers;
  } else {
    t.composableKey = character && !s.CtrlDown && !s.AltDown && !windowsKey;
  }
  // Keys typed into the program's own windows (a menu, a dialog, a message
  // box) are theirs: nothing is composed or withheld there. Nor for a
  // window that would not take the program's typing: a withheld key would
  // be lost.
  if (foregroundCheck() || !targetAcceptsInput) t.composableKey = false;
}

bool TForm1::handleKey(int toggleMode, bool surround) {
  const TKeyStates& s = lastKeyStates;
  wrefresh(toggleMode, surround);
  if (s.CtrlDown) engine.composition.reset();
  // The release of a key the program took (composed or toggled) does
  // nothing more.
  if (!s.KeyDown && pressFates_[s.KeyInfo.vkCode & 0xFF] == PressFate::Withheld) return true;
  if (toggle_.composableKey) {
    if (!keymapOn || !s.KeyDown) return false;
    return composeKey(surround);
  }
  if (toggleMode == 1 ? s.AltDown : toggle_.toggleKeyPressed)
    return toggleMode == 1 ? toggleStepAlt() : toggleStepFunctionKey();
  if (isResetKey(s.KeyInfo.vkCode)) engine.composition.reset();
  return false;
}

bool TForm1::composeKey(bool surround) {
  const auto vk = static_cast<std::uint16_t>(lastKeyStates.KeyInfo.vkCode);
  bool updated = engine.composeKey(vk, lastKeyChar, surround);
  // Where the focus and the caret are, read once for a key that changes the
  // text: before taking anything back it must be where the last change left it.
  std::optional<platform::FocusPlace> place;
  if (!engine.replacement.change().empty())
    place = platforms_.desktop.focusPlace(engine.windows.targetWindow);
  if (engine.replacement.change().takeBack > 0 && caretMoved(place)) {
    // What the syllable typed is no longer before the caret: nothing is
    // taken back there, and the key begins a new syllable.
    engine.composition.reset();
    updated = engine.composeKey(vk, lastKeyChar, surround);
  }
  if (!applyChange()) {
    // Windows took the text in part or not at all: the syllable is gone,
    // and the key reaches the window as typed rather than being lost.
    engine.composition.reset();
    return false;
  }
  if (place) lastPlace_ = place;
  if (updated && keyPreviewChecked) {
    preview.emptify();
    preview.fillitup(engine.keymap, engine.composition.pendingKeys);
    changed(ViewPart::KeyPreview);
  }
  // Enter composes nothing: it reaches the window itself.
  return lastKeyChar != u'\r';
}

bool TForm1::applyChange() {
  const platform::TextChange& change = engine.replacement.change();
  if (change.empty()) return true;
  const bool taken = output_.apply(change, engine.windows.targetWindow, keyHook_->keysDown());
  const std::u16string_view problem = taken ? u"" : u"Windows did not take the typed text";
  if (typingProblem != problem) {
    typingProblem = problem;
    changed(ViewPart::Tray);
  }
  return taken;
}

// The caret moves along its line as the text is typed, and down to the
// next line where the line wraps; a caret on an earlier line, further down,
// or in another control got there some other way. (A program that draws
// its own caret tells only where the focus is.)
bool TForm1::caretMoved(const std::optional<platform::FocusPlace>& now) const {
  if (!lastPlace_ || !now) return false;
  const platform::FocusPlace& was = *lastPlace_;
  if (now->focus != was.focus || now->caretWindow != was.caretWindow) return true;
  if (now->caretWindow == kNoWindow) return false;
  const std::int32_t line = std::max(was.caretBottom - was.caretTop, 1);
  return now->caretTop < was.caretTop - line / 2 || now->caretTop > was.caretTop + line + line / 2;
}

bool TForm1::toggleStepAlt() {
  const TKeyStates& s = lastKeyStates;
  const Catalogue& c = catalogue;
  if (leftButtonDown_ || s.CtrlDown) {
    engine.composition.reset();
    return false;
  }
  if (!s.KeyDown) return false;
  const std::uint32_t vk = s.KeyInfo.vkCode;
  const bool altKey = vk == kVkLMenu || vk == kVkRMenu;
  const bool digitToggle = vk >= kVk0 && vk <= kVk9 &&
                           c.toggleDigits.find(static_cast<char16_t>(vk)) != std::u16string::npos;
  if (!digitToggle && !altKey) return false;
  // The window sees Alt pressed and, once the user lets go, released: with
  // no key between, it would open its menu bar. A key no layout assigns
  // comes between instead of the withheld digit.
  if (digitToggle) output_.tap(kVkUnassigned);
  if (lastKeyChar >= u'0' && lastKeyChar <= u'9' &&
      c.toggleDigits.find(lastKeyChar) != std::u16string::npos) {
    toggle_.toggleSwitching = true;
    set_environ(c.altKeymapNames[static_cast<std::size_t>(lastKeyChar - u'0')]);
    toggle_.toggleSwitching = false;
  }
  return true;
}

bool TForm1::toggleStepFunctionKey() {
  const TKeyStates& s = lastKeyStates;
  if (!s.KeyDown) return false;
  engine.composition.reset();
  const int slot = hexToInt(catalogue.slotOfVk(s.KeyInfo.vkCode));
  toggle_.toggleSwitching = true;
  set_environ(catalogue.fkeyKeymapNames[static_cast<std::size_t>(slot)]);
  toggle_.toggleSwitching = false;
  return true;
}

bool TForm1::istky(std::uint32_t vk) const {
  for (char16_t slot : catalogue.fkeyToggleSlots)
    if (Catalogue::fkeyCodes[static_cast<std::size_t>(hexToInt(std::u16string_view(&slot, 1)))] ==
        vk)
      return true;
  return false;
}

// A click may move the caret of the window typed into. A click on one of the
// program's own windows (the strip's arrows, the keyboard picture) does not:
// the syllable being typed goes on.
void TForm1::OnMouseEvent(const hooks::TMouseStates& states) {
  const auto message = static_cast<std::uint32_t>(states.ButtonInfo);
  if (message == kWmLButtonDown || message == kWmLButtonDblClk) leftButtonDown_ = true;
  if (message == kWmLButtonUp) leftButtonDown_ = false;
  if (isResetMouseMessage(states.ButtonInfo) && !engine.windows.isOwnWindow(states.Window))
    engine.composition.reset();
}

}  // namespace korimo
