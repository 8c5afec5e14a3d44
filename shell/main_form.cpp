#include "shell/main_form.h"

#include <algorithm>

#include "engine/globalroutines.h"
#include "platform/files.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

using hooks::TKeyStates;
using xml::XmlElement;

constexpr std::uint16_t kVkLButton = 0x01;
constexpr int kVkLWin = 0x5B;
constexpr int kVkRWin = 0x5C;
constexpr std::uint32_t kVkLMenu = 0xA4;
constexpr std::uint32_t kVkRMenu = 0xA5;

std::u16string decimal(std::int64_t value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

char16_t hexDigit(int value) { return u"0123456789ABCDEF"[value & 0xF]; }

// Keys that end the composition when they are neither composed nor toggles.
bool isResetKey(std::uint32_t vk) {
  return vk == 8 || vk == 9 || vk == 19 || vk == 27 || (vk >= 33 && vk <= 40) || vk == 44 ||
         vk == 46 || (vk >= 112 && vk <= 123) || vk == 145 || vk == 166 || vk == 167 || vk == 255;
}

// Mouse messages after which the caret may have moved.
bool isResetMouseMessage(std::int32_t message) {
  switch (message) {
    case 0x0201:
    case 0x0204:
    case 0x0207:
    case 0x0203:
    case 0x0206:
    case 0x0209:
    case 0x00A1:
    case 0x00A4:
    case 0x00A7:
    case 0x00A3:
    case 0x00A6:
    case 0x020A: return true;
    default: return false;
  }
}

KeyHandler handlerFor(int toggleMode, bool surround) {
  if (toggleMode == 2) return surround ? KeyHandler::OnKeyPressed1 : KeyHandler::OnKeyPressed3;
  return surround ? KeyHandler::OnKeyPressed : KeyHandler::OnKeyPressed2;
}

// A required element of the configuration file; its absence ends the loader.
struct LoaderStop {};

const XmlElement& required(const XmlElement& parent, std::u16string_view name) {
  const XmlElement* child = parent.childByName(name);
  if (!child) throw LoaderStop{};
  return *child;
}

}  // namespace

TForm1::TForm1(Platforms platforms, platform::WindowHandle ownWindow)
    : engine(platforms.desktop, ownWindow),
      language(platforms.shell, engine.tables, engine.windows, catalogue),
      platforms_(platforms) {}

TForm1::~TForm1() { FormDestroy(); }

// ---------------------------------------------------------------- start-up

void TForm1::FormCreate() {
  keymapOn = false;
  language.defaultLayoutId = language.readDefaultLayoutId();
  language.loadUnassignedLayouts = language.isloadingtodo();
  GetFilesCount();
  activeKeymapName = u"****";
  catalogue.trayVisible = true;
  catalogue.seticon(false);
  keyHook_->Start_KeyHook();
  mouseHook_->Start_MouseHook();
  engine.composition.setallnull();
  set_environ(u"****");
  if (language.windowsVersionClass() != 8) language.regionalLanguageCheck();
}

void TForm1::FormDestroy() {
  if (keyHook_ && keyHook_->Enabled()) keyHook_->Stop_KeyHook();
  if (mouseHook_ && mouseHook_->Enabled()) mouseHook_->Stop_MouseHook();
  keyHook_.reset();
  mouseHook_.reset();
}

void TForm1::GetFilesCount() {
  engine.tables.loadingKeymap = 1;
  const std::filesystem::path folder = platforms_.shell.executableFolder();
  std::optional<xml::XmlDocument> document;
  // The global settings. A missing, broken or cut-short file ends the
  // loading here: what it did give stays, the rest keeps the readers'
  // defaults, and no keymap is catalogued.
  try {
    document = xml::XmlDocument::load(platform::findFileNoCase(folder, u"config.xml"));
    const XmlElement& local = required(document->root(), u"Local");
    catalogue.toggleMode = required(local, u"ToggleMode").valueAsInt(1) == 2 ? 2 : 1;
    catalogue.offKey =
        required(local, catalogue.toggleMode == 2 ? u"TKey2" : u"TKey1").valueAsInt(0);
    catalogue.textServices = required(local, u"TextServices").valueAsBool(true);
    catalogue.surroundActive = required(local, u"Surround").valueAsBool(true);
    catalogue.surroundSetting = catalogue.surroundActive;
  } catch (const LoaderStop&) {
    document.reset();
  } catch (const xml::XmlError&) {
    document.reset();
  }
  installToggleTables();
  if (document) {
    try {
      loadCatalogue(*document);
    } catch (const LoaderStop&) {
    } catch (const LocaleError&) {
    } catch (const std::exception&) {
    }
  }
  catalogue.keymapCount = engine.tables.loadingKeymap - 1;
  language.activateDefaultLayout();
  // The components exist whatever the loader met, so that the Keymap-off
  // key and the tray keep working.
  createHookComponents();
}

void TForm1::installToggleTables() {
  Catalogue& c = catalogue;
  if (c.toggleMode == 2) {
    if (c.offKey < 0 || c.offKey > 11) c.offKey = 0;  // no such key: the default one
    c.fkeyToggleSlots = std::u16string(1, hexDigit(c.offKey));
    c.fkeyKeymapNames[static_cast<std::size_t>(c.offKey)] = u"****";
    for (int slot = 0; slot < 11; ++slot)
      c.fkeySlotByVk[static_cast<std::size_t>(slot)] = std::u16string(1, hexDigit(slot));
    c.fkeySlotByVk[kScrollLockVk - kFirstToggleVk] = u"B";
    c.mmenu.append(
        std::u16string(functionKeyNames[static_cast<std::size_t>(c.offKey)]) + u"  Keymap off",
        u"****");
  } else {
    if (c.offKey < 0 || c.offKey > 9) c.offKey = 0;
    c.toggleDigits = decimal(c.offKey);
    c.altKeymapNames[static_cast<std::size_t>(c.offKey)] = u"****";
    c.mmenu.append(u"Alt+" + decimal(c.offKey) + u"  Keymap off", u"****");
  }
}

void TForm1::loadCatalogue(const xml::XmlDocument& document) {
  Catalogue& c = catalogue;
  KeymapTables& tables = engine.tables;
  const std::filesystem::path folder = platforms_.shell.executableFolder();
  const XmlElement& keymaps = required(document.root(), u"Keymaps");
  for (std::size_t i = 0; i < keymaps.childCount(); ++i) {
    const XmlElement& entry = keymaps.child(i);
    const std::u16string& name = required(entry, u"Filename").value();
    const std::filesystem::path path = folder / "Data" / name;
    if (!platforms_.shell.fileExists(path)) continue;
    const std::u16string& key = required(entry, c.toggleMode == 2 ? u"TKey2" : u"TKey1").value();
    std::optional<std::int32_t> n = parseInteger(key);
    if (key == u"Null" || !n) {
      // No toggle key: such a keymap is never catalogued, but while the
      // language support is incomplete its keyboard layout is loaded.
      if (language.loadUnassignedLayouts && tables.integritycheck1(path))
        language.inputLocaleFor(tables.validatedLcid);
      continue;
    }
    const bool accepted =
        c.toggleMode == 2
            ? *n >= 0 && *n <= 11 && c.fkeyToggleSlots.find(hexDigit(*n)) == std::u16string::npos
            : *n >= 0 && *n <= 9 && c.toggleDigits.find(key) == std::u16string::npos;
    if (!accepted) continue;
    if (!tables.integritycheck(path)) continue;
    if (c.toggleMode == 2) {
      c.fkeyKeymapNames[static_cast<std::size_t>(*n)] = name;
      c.fkeyToggleSlots.push_back(hexDigit(*n));
    } else {
      c.altKeymapNames[static_cast<std::size_t>(*n)] = name;
      c.toggleDigits += key;
    }
    const std::u16string description = required(entry, u"Language").value() + u" " +
                                       required(entry, u"Keyboard").value() + u" " +
                                       required(entry, u"Encoding").value();
    std::u16string caption = c.toggleMode == 2
                                 ? std::u16string(functionKeyNames[static_cast<std::size_t>(*n)])
                                 : u"Alt+" + key;
    c.mmenu.append(caption + u"  " + description, name);
    language.deriveInputLocaleString(tables.loadingKeymap);
    ++tables.loadingKeymap;
  }
}

void TForm1::createHookComponents() {
  platform::HookPlatform& hooks = platforms_.hooks;
  mouseHook_ = std::make_unique<hooks::TCPMouseHook>(hooks);
  mouseHook_->SetUserHookMsg(hooks.registerWindowMessage(u"mousehook_msg"));
  mouseHook_->SetDisableMouse(false);
  mouseHook_->SetOnMouse(
      [this](hooks::TCPMouseHook&, const hooks::TMouseStates& states) { OnMouseEvent(states); });

  keyHook_ = std::make_unique<hooks::TCPKeyHook>(hooks);
  keyHook_->SetUserHookMsg(hooks.registerWindowMessage(u"keyhook_msg"));
  keyHook_->SetDisableKeyboard(false);
  keyHook_->SetLowLevelHook(true);
  keyHook_->SetHookInjected(false);
  installedHandler_ = handlerFor(catalogue.toggleMode, catalogue.surroundActive);
  // One dispatcher stays installed; switching keymaps changes which handler
  // it runs, from the next event on.
  keyHook_->SetOnKey([this](hooks::TCPKeyHook&, const TKeyStates& states,
                            const hooks::TKeyNames& names) { OnKey(states, names); });
}

// ------------------------------------------------------------ switching

void TForm1::set_environ(std::u16string name) {
  Catalogue& c = catalogue;
  Composition& composition = engine.composition;
  bool off = name == u"****" || (name == activeKeymapName && toggleSwitching);
  // With no catalogued keymap there is nothing to switch on.
  if (c.mmenu.size() < 2) off = true;
  auto giveFocusBack = [&] {
    if (engine.windows.targetWindow != platform::kNoWindow)
      platforms_.shell.setForegroundWindow(engine.windows.targetWindow);
  };

  if (off) {
    language.restoreDefaultInputLanguage();
    c.mmenu.check(0);
    engine.windows.currentEntry->keymap = u"****";
    keymapOn = false;
    preview.emptify();
    c.seticon(false);
    c.trayHint = u"Keymap Off";
    composition.setallnull();
    activeKeymapName = u"****";
    giveFocusBack();
    osk.keyitup(engine.keymap);
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
  if (c.textServices) language.switchInputLanguage(engine.tables.cell(keymap, kKeys, 0));
  c.mmenu.check(item);
  c.trayHint = c.mmenu[item].caption;
  engine.keymap.activate(keymap);
  c.surroundActive = engine.keymap.activeSmp ? false : c.surroundSetting;
  installedHandler_ = handlerFor(c.toggleMode, c.surroundActive);
  preview.previewPage = -1;
  engine.windows.currentEntry->keymap = name;
  keymapOn = true;
  preview.emptify();
  c.seticon(true);
  composition.setallnull();
  activeKeymapName = name;
  giveFocusBack();
  osk.keyitup(engine.keymap);
}

void TForm1::foregroundCheck() {
  WindowKeymapList& windows = engine.windows;
  const platform::WindowHandle fg = platforms_.desktop.foregroundWindow();
  if (fg == windows.targetWindow || fg == windows.ownWindow || fg == platform::kNoWindow) return;
  windows.targetWindow = fg;
  if (WindowEntry* entry = windows.find(windowText(fg))) {
    windows.currentEntry = entry;
    toggleSwitching = false;
    set_environ(trimmed(entry->keymap));
    return;
  }
  windows.currentEntry = &windows.append(windowText(fg), u"****");
  switchOffForNewWindow();
}

void TForm1::switchOffForNewWindow() {
  language.restoreDefaultInputLanguage();
  catalogue.mmenu.check(0);
  keymapOn = false;
  catalogue.seticon(false);
  catalogue.trayHint = u"Keymap Off";
  activeKeymapName = u"****";
  engine.composition.setallnull();
}

// ---------------------------------------------------------------- keys

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
  const TKeyStates& s = lastKeyStates;
  const char16_t c = lastKeyChar;
  const bool character = (c >= 32 && c <= 126) || c == 13 || (surround && c == 8);
  const bool windowsKey = windowsKeyDown();
  if (toggleMode == 2) {
    noModifiers = !s.CtrlDown && !s.AltDown && !windowsKey;
    composableKey = character && noModifiers;
    toggleKeyPressed = istky(s.KeyInfo.vkCode) && noModifiers;
  } else {
    composableKey = character && !s.CtrlDown && !s.AltDown && !windowsKey;
  }
  foregroundCheck();
  if (!togglePending) {
    const bool want = composableKey && keymapOn && c != 13;
    if (want != keyHook_->DisableKeyboard()) setDisableKeyboard(want);
  } else if (toggleMode == 1) {
    // The user still holds the Alt of the toggle: the target sees it pressed
    // and released, so its menu bar does not take the focus.
    for (std::uint32_t alt : {kVkLMenu, kVkRMenu}) {
      if (platforms_.hooks.asyncKeyState(static_cast<int>(alt)) != 0) {
        altKeyUsed = alt;
        onlyaltup();
        if (engine.windows.targetWindow != platform::kNoWindow)
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
  togglePending = false;
  if (composableKey) {
    if (!keymapOn || !s.KeyDown) return;
    const bool updated =
        engine.composeKey(static_cast<std::uint16_t>(s.KeyInfo.vkCode), lastKeyChar, surround);
    if (updated && keyPreviewChecked) {
      preview.emptify();
      preview.fillitup(engine.keymap, engine.composition.pendingKeys);
    }
    return;
  }
  if (toggleMode == 1 ? s.AltDown : toggleKeyPressed) {
    toggleMode == 1 ? toggleStepAlt() : toggleStepFunctionKey();
    return;
  }
  if (isResetKey(s.KeyInfo.vkCode)) engine.composition.setallnull();
}

void TForm1::toggleStepAlt() {
  const TKeyStates& s = lastKeyStates;
  const Catalogue& c = catalogue;
  language.restoreDefaultInputLanguage();
  if (platforms_.hooks.asyncKeyState(kVkLButton) != 0 || s.CtrlDown) {
    engine.composition.setallnull();
    return;
  }
  if (!s.KeyDown) return;
  const std::uint32_t vk = s.KeyInfo.vkCode;
  const bool digitToggle = vk >= '0' && vk <= '9' &&
                           c.toggleDigits.find(static_cast<char16_t>(vk)) != std::u16string::npos;
  if (!digitToggle && vk != kVkLMenu && vk != kVkRMenu) return;
  if (vk == kVkLMenu || vk == kVkRMenu) altKeyUsed = vk;
  setDisableKeyboard(true);
  if (lastKeyChar >= u'0' && lastKeyChar <= u'9' &&
      c.toggleDigits.find(lastKeyChar) != std::u16string::npos) {
    togglePending = true;
    toggleSlot = lastKeyChar - u'0';
    toggleSwitching = true;
    set_environ(c.altKeymapNames[static_cast<std::size_t>(toggleSlot)]);
    toggleSwitching = false;
  }
}

void TForm1::toggleStepFunctionKey() {
  const TKeyStates& s = lastKeyStates;
  if (!s.KeyDown) return;  // the release stays withheld like the press
  setDisableKeyboard(true);
  engine.composition.setallnull();
  togglePending = true;
  toggleSlot = hexToInt(catalogue.slotOfVk(s.KeyInfo.vkCode));
  toggleSwitching = true;
  set_environ(catalogue.fkeyKeymapNames[static_cast<std::size_t>(toggleSlot)]);
  toggleSwitching = false;
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
  const std::uint16_t alt = static_cast<std::uint16_t>(altKeyUsed);
  out.buffer() = platform::KeyboardInput{platform::kInputKeyboard, alt, 0, 0, 0, 0};
  out.send();
  out.buffer() = platform::KeyboardInput{
      platform::kInputKeyboard, platform::kVkEscape, 0, platform::kKeyEventKeyUp, 0, 0};
  out.send();
  out.buffer() =
      platform::KeyboardInput{platform::kInputKeyboard, alt, 0, platform::kKeyEventKeyUp, 0, 0};
  out.send();
}

void TForm1::OnMouseEvent(const hooks::TMouseStates& states) {
  if (isResetMouseMessage(states.ButtonInfo)) engine.composition.setallnull();
}

// ------------------------------------------------------------- the tray

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
  if (catalogue.mmenu[item].checked) toggleSwitching = true;
  set_environ(catalogue.mmenu[item].Hint);
  toggleSwitching = false;
}

void TForm1::sett1Click() { keyPreviewChecked = !keyPreviewChecked; }

void TForm1::KeymapHelp2Click() {
  oskChecked = !oskChecked;
  if (oskChecked) osk.keyitup(engine.keymap);
}

void TForm1::arrowClick(KeyPreview::Arrow arrow) {
  preview.UpDown1ChangingEx(engine.keymap, arrow);
}

void TForm1::Exit1Click() {
  language.broadcastDefaultInputLanguage();
  platforms_.shell.terminateApplication();
}

}  // namespace korimo
