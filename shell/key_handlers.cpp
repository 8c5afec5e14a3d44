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
  switch (installedHandler_) {
    case KeyHandler::OnKeyPressed: handleKey(1, true); break;
    case KeyHandler::OnKeyPressed2: handleKey(1, false); break;
    case KeyHandler::OnKeyPressed1: handleKey(2, true); break;
    case KeyHandler::OnKeyPressed3: handleKey(2, false); break;
  }
}

bool TForm1::windowsKeyDown() {
  return platforms_.hooks.asyncKeyState(kVkLWin) != 0 ||
         platforms_.hooks.asyncKeyState(kVkRWin) != 0;
}

void TForm1::setDisableKeyboard(bool disable) {
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
  // Keys typed into the program's own windows (a menu, a dialog) are theirs:
  // nothing is composed or withheld there. Nor for a window that would not
  // take the program's typing: a withheld key would be lost.
  if (foregroundCheck() || !targetAcceptsInput) t.composableKey = false;
  if (!t.togglePending) {
    const bool want = t.composableKey && keymapOn && c != u'\r';
    if (want != keyHook_->DisableKeyboard()) setDisableKeyboard(want);
  } else if (toggleMode == 1) {
    // The user still holds the Alt of the toggle: the target sees it pressed
    // and released, so its menu bar does not take the focus.
    for (VirtualKey alt : {kVkLMenu, kVkRMenu}) {
      if (platforms_.hooks.asyncKeyState(alt) != 0) {
        t.altKeyUsed = alt;
        onlyaltup();
        if (engine.windows.targetWindow != kNoWindow)
          platforms_.shell.setForegroundWindow(engine.windows.targetWindow);
        break;
      }
    }
  }
}

void TForm1::handleKey(int toggleMode, bool surround) {
  const TKeyStates& s = lastKeyStates;
  wrefresh(toggleMode, surround);
  if (s.CtrlDown) engine.composition.setallnull();
  toggle_.togglePending = false;
  if (toggle_.composableKey) {
    if (!keymapOn || !s.KeyDown) return;
    const bool updated =
        engine.composeKey(static_cast<std::uint16_t>(s.KeyInfo.vkCode), lastKeyChar, surround);
    if (updated && keyPreviewChecked) {
      preview.emptify();
      preview.fillitup(engine.keymap, engine.composition.pendingKeys);
      changed(ViewPart::KeyPreview);
    }
    return;
  }
  if (toggleMode == 1 ? s.AltDown : toggle_.toggleKeyPressed) {
    toggleMode == 1 ? toggleStepAlt() : toggleStepFunctionKey();
    return;
  }
  if (isResetKey(s.KeyInfo.vkCode)) engine.composition.setallnull();
}

void TForm1::toggleStepAlt() {
  ToggleState& t = toggle_;
  const TKeyStates& s = lastKeyStates;
  const Catalogue& c = catalogue;
  language.restoreDefaultInputLanguage();
  if (platforms_.hooks.asyncKeyState(kVkLButton) != 0 || s.CtrlDown) {
    engine.composition.setallnull();
    return;
  }
  if (!s.KeyDown) return;
  const std::uint32_t vk = s.KeyInfo.vkCode;
  const bool altKey = vk == kVkLMenu || vk == kVkRMenu;
  const bool digitToggle = vk >= kVk0 && vk <= kVk9 &&
                           c.toggleDigits.find(static_cast<char16_t>(vk)) != std::u16string::npos;
  if (!digitToggle && !altKey) return;
  if (altKey) t.altKeyUsed = vk;
  setDisableKeyboard(true);
  if (lastKeyChar >= u'0' && lastKeyChar <= u'9' &&
      c.toggleDigits.find(lastKeyChar) != std::u16string::npos) {
    t.togglePending = true;
    t.toggleSlot = lastKeyChar - u'0';
    t.toggleSwitching = true;
    set_environ(c.altKeymapNames[static_cast<std::size_t>(t.toggleSlot)]);
    t.toggleSwitching = false;
  }
}

void TForm1::toggleStepFunctionKey() {
  ToggleState& t = toggle_;
  const TKeyStates& s = lastKeyStates;
  if (!s.KeyDown) return;  // the release stays withheld like the press
  setDisableKeyboard(true);
  engine.composition.setallnull();
  t.togglePending = true;
  t.toggleSlot = hexToInt(catalogue.slotOfVk(s.KeyInfo.vkCode));
  t.toggleSwitching = true;
  set_environ(catalogue.fkeyKeymapNames[static_cast<std::size_t>(t.toggleSlot)]);
  t.toggleSwitching = false;
}

bool TForm1::istky(std::uint32_t vk) const {
  for (char16_t slot : catalogue.fkeyToggleSlots)
    if (Catalogue::fkeyCodes[static_cast<std::size_t>(hexToInt(std::u16string_view(&slot, 1)))] ==
        vk)
      return true;
  return false;
}

void TForm1::onlyaltup() {
  UnicodeOutput& out = engine.output;
  const auto alt = static_cast<VirtualKey>(toggle_.altKeyUsed);
  out.buffer() = KeyboardInput{kInputKeyboard, alt, 0, 0, 0, 0};
  out.send();
  out.buffer() = KeyboardInput{kInputKeyboard, kVkEscape, 0, kKeyEventKeyUp, 0, 0};
  out.send();
  out.buffer() = KeyboardInput{kInputKeyboard, alt, 0, kKeyEventKeyUp, 0, 0};
  out.send();
}

void TForm1::OnMouseEvent(const hooks::TMouseStates& states) {
  if (isResetMouseMessage(states.ButtonInfo)) engine.composition.setallnull();
}

}  // namespace korimo
