#pragma once
// TForm1, the program core: it owns the hook components, the engine, the
// catalogue and the per-window memory, handles every key and mouse report,
// switches keymaps, and keeps the state that the tray, the key preview and
// the on-screen keyboard show. It needs no window of its own to work.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/engine.h"
#include "hooks/cp_key_hook.h"
#include "hooks/cp_mouse_hook.h"
#include "osk/onscreen_keyboard.h"
#include "platform/desktop.h"
#include "platform/hook_platform.h"
#include "platform/shell_platform.h"
#include "preview/key_preview.h"
#include "shell/catalogue.h"
#include "shell/regional_language.h"
#include "xml/xml_document.h"

namespace korimo {

// The four key handlers: toggle mode 1 or 2, with or without Surround
// (Backspace as undo).
enum class KeyHandler { OnKeyPressed, OnKeyPressed1, OnKeyPressed2, OnKeyPressed3 };

enum class TrayButton { Left, Right, Middle };

class TForm1 {
 public:
  struct Platforms {
    platform::Desktop& desktop;
    platform::HookPlatform& hooks;
    platform::ShellPlatform& shell;
  };
  // ownWindow is the program's own hidden window, never taken as a target.
  TForm1(Platforms platforms, platform::WindowHandle ownWindow);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Start-up: catalogue, hooks started, engine off, regional-language check.
  void FormCreate();
  // Shut-down: stops and frees the hooks.
  void FormDestroy();
  // The catalogue loader: configuration, keymaps, toggle keys, hook components.
  void GetFilesCount();

  // Switches the keymap with that file name on, or the engine off for "****".
  void set_environ(std::u16string name);

  // The key handlers and the mouse handler.
  void OnKey(const hooks::TKeyStates& states, const hooks::TKeyNames& names);
  void OnMouseEvent(const hooks::TMouseStates& states);

  // The tray and its menus.
  void trayclick(TrayButton button);
  void mmenuItemClick(std::size_t item);
  void sett1Click();        // "Key Preview"
  void KeymapHelp2Click();  // "On-Screen Keyboard "
  void arrowClick(KeyPreview::Arrow arrow);
  void Exit1Click();
  void flushout() { engine.windows.flushout(platforms_.desktop); }

  hooks::TCPKeyHook* keyHook() { return keyHook_.get(); }
  hooks::TCPMouseHook* mouseHook() { return mouseHook_.get(); }
  KeyHandler installedHandler() const { return installedHandler_; }

  Engine engine;
  Catalogue catalogue;
  RegionalLanguage language;
  KeyPreview preview;
  OnScreenKeyboard osk;

  bool keymapOn = false;
  std::u16string activeKeymapName = u"****";
  bool keyPreviewChecked = false;  // "Key Preview"
  bool oskChecked = false;         // "On-Screen Keyboard "

 private:
  void handleKey(int toggleMode, bool surround);
  void wrefresh(int toggleMode, bool surround);
  void foregroundCheck();
  void switchOffForNewWindow();
  void toggleStepAlt();
  void toggleStepFunctionKey();
  bool istky(std::uint32_t vk) const;
  void onlyaltup();
  void setDisableKeyboard(bool disable);
  bool windowsKeyDown();
  void loadCatalogue(const xml::XmlDocument& document);
  void installToggleTables();
  void createHookComponents();

  Platforms platforms_;
  std::unique_ptr<hooks::TCPKeyHook> keyHook_;
  std::unique_ptr<hooks::TCPMouseHook> mouseHook_;
  KeyHandler installedHandler_ = KeyHandler::OnKeyPressed;

  // The event in hand, copied at the start of every key report.
  char16_t lastKeyChar = 0;
  hooks::TKeyStates lastKeyStates;

  bool composableKey = false;
  bool noModifiers = false;
  bool toggleKeyPressed = false;
  bool togglePending = false;
  bool toggleSwitching = false;
  int toggleSlot = 0;
  std::uint32_t altKeyUsed = 164;
};

}  // namespace korimo
