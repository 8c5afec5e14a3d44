// The key handlers: the per-event step (classifyKey and its twins), which
// decides whether the key is composed and withheld, the toggle-key state
// machine of both toggle modes, and the mouse handler.

#include "shell/program_core.h"

namespace korimo {
namespace {

using hooks::KeyReport;
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
bool isResetMouseMessage(std::uint32_t message) {
  switch (message) {
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

void ProgramCore::onKeyReport(const KeyReport& report) {
  key_ = report;
  keyPlaceRead_ = false;
  bool withhold = handleKey(catalogue.toggleMode, catalogue.surroundActive);
  // Whether to withhold a release is not decided by the modifiers of its
  // moment (Ctrl let go before C, a keymap switched on while a key is held):
  // it follows the key's presses. A press that reached the application
  // makes its release reach it too.
  PressFate& fate = pressFates_[report.vk & 0xFF];
  if (report.down) {
    if (fate != PressFate::Passed) fate = withhold ? PressFate::Withheld : PressFate::Passed;
  } else {
    withhold = fate == PressFate::Withheld;
    fate = PressFate::None;
  }
  setDisableKeyboard(withhold);
}

bool ProgramCore::windowsKeyDown() const {
  const platform::KeysDown& held = keyHook_->keysDown();
  return held[kVkLWin] || held[kVkRWin];
}

void ProgramCore::setDisableKeyboard(bool disable) {
  if (disable == keyHook_->withholding()) return;
  keyHook_->setWithholding(disable);
  keyHook_->update();
}

void ProgramCore::classifyKey(ToggleMode toggleMode, bool surround) {
  ToggleState& t = toggle_;
  const KeyReport& s = key_;
  const char16_t c = s.character;
  const bool character = (c >= 32 && c <= 126) || c == u'\r' || (surround && c == u'\b');
  const bool windowsKey = windowsKeyDown();
  if (toggleMode == ToggleMode::FunctionKeys) {
    t.noModifiers = !s.ctrl && !s.alt && !windowsKey;
    t.composableKey = character && t.noModifiers;
    t.toggleKeyPressed = isFunctionToggleKey(s.vk) && t.noModifiers;
  } else {
    t.composableKey = character && !s.ctrl && !s.alt && !windowsKey;
  }
  // Keys typed into the program's own windows (a menu, a dialog, a message
  // box) are theirs: nothing is composed or withheld there. Nor for a
  // window that would not take the program's typing: a withheld key would
  // be lost.
  ownWindowInFront_ = foregroundCheck();
  if (ownWindowInFront_ || !targetAcceptsInput) t.composableKey = false;
}

bool ProgramCore::handleKey(ToggleMode toggleMode, bool surround) {
  const KeyReport& s = key_;
  classifyKey(toggleMode, surround);
  if (s.ctrl) engine.composition.reset();
  // The release of a key the program took (composed or toggled) does
  // nothing more.
  if (!s.down && pressFates_[s.vk & 0xFF] == PressFate::Withheld) return true;
  if (s.down && paused()) return false;
  if (toggle_.composableKey) {
    if (!keymapOn || !s.down) return false;
    return composeKey(surround);
  }
  if (toggleMode == ToggleMode::Alt ? s.alt : toggle_.toggleKeyPressed)
    return toggleMode == ToggleMode::Alt ? toggleStepAlt() : toggleStepFunctionKey();
  if (isResetKey(s.vk)) engine.composition.reset();
  return false;
}

bool ProgramCore::composeKey(bool surround) {
  const auto vk = static_cast<std::uint16_t>(key_.vk);
  bool updated = engine.composeKey(vk, key_.character, surround);
  // Where the focus and the caret are, read once for a key that changes the
  // text: before taking anything back it must be where the last change left it.
  std::optional<platform::FocusPlace> place;
  if (!engine.replacement.change().empty()) place = keyFocusPlace();
  if (engine.replacement.change().takeBack > 0 && caretMoved(place)) {
    // What the syllable typed is no longer before the caret: nothing is
    // taken back there, and the key begins a new syllable.
    engine.composition.reset();
    updated = engine.composeKey(vk, key_.character, surround);
  }
  if (!applyChange()) {
    // Windows took the text in part or not at all: the syllable is gone,
    // and the key reaches the window as typed rather than being lost.
    engine.composition.reset();
    return false;
  }
  if (place) lastPlace_ = place;
  if (updated && keyPreviewChecked) {
    preview.clear();
    preview.showContinuations(engine.keymap, engine.composition.pendingKeys);
    changed(ViewPart::KeyPreview);
  }
  // Enter composes nothing: it reaches the window itself.
  return key_.character != u'\r';
}

bool ProgramCore::applyChange() {
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
bool ProgramCore::caretMoved(const std::optional<platform::FocusPlace>& now) const {
  if (!lastPlace_ || !now) return false;
  const platform::FocusPlace& was = *lastPlace_;
  if (now->focus != was.focus || now->caretWindow != was.caretWindow) return true;
  if (now->caretWindow == kNoWindow) return false;
  const std::int32_t line = std::max(was.caretBottom - was.caretTop, 1);
  return now->caretTop < was.caretTop - line / 2 || now->caretTop > was.caretTop + line + line / 2;
}

bool ProgramCore::toggleStepAlt() {
  const KeyReport& s = key_;
  const Catalogue& c = catalogue;
  if (leftButtonDown_ || s.ctrl) {
    engine.composition.reset();
    return false;
  }
  if (!s.down) return false;
  const std::uint32_t vk = s.vk;
  const bool altKey = vk == kVkLMenu || vk == kVkRMenu;
  const bool digitToggle = vk >= kVk0 && vk <= kVk9 && c.altKeys[vk - kVk0].assigned;
  if (!digitToggle && !altKey) return false;
  // The window sees Alt pressed and, once the user lets go, released: with
  // no key between, it would open its menu bar. A key no layout assigns
  // comes between instead of the withheld digit.
  if (digitToggle) output_.tap(kVkUnassigned);
  // The digit the key types on the layout (which may not be the key's own).
  const char16_t digit = key_.character;
  if (digit >= u'0' && digit <= u'9' && c.altKeys[digit - u'0'].assigned) {
    toggle_.toggleSwitching = true;
    switchKeymap(c.altKeys[digit - u'0'].keymap);
    toggle_.toggleSwitching = false;
  }
  return true;
}

bool ProgramCore::toggleStepFunctionKey() {
  const KeyReport& s = key_;
  if (!s.down) return false;
  engine.composition.reset();
  const std::optional<std::size_t> slot = Catalogue::functionKeySlot(s.vk);
  if (!slot) return false;
  toggle_.toggleSwitching = true;
  switchKeymap(catalogue.functionKeys[*slot].keymap);
  toggle_.toggleSwitching = false;
  return true;
}

bool ProgramCore::isFunctionToggleKey(std::uint32_t vk) const {
  const std::optional<std::size_t> slot = Catalogue::functionKeySlot(vk);
  return slot && catalogue.functionKeys[*slot].assigned;
}

// A click may move the caret of the window typed into. A click on one of the
// program's own windows (the strip's arrows, the keyboard picture) does not:
// the syllable being typed goes on.
void ProgramCore::onMouseReport(const hooks::MouseReport& report) {
  const std::uint32_t message = report.message;
  if (message == kWmLButtonDown || message == kWmLButtonDblClk) leftButtonDown_ = true;
  if (message == kWmLButtonUp) leftButtonDown_ = false;
  if (isResetMouseMessage(message) && !engine.windows.isOwnWindow(report.window))
    engine.composition.reset();
}

}  // namespace korimo
