#pragma once
// ProgramCore, the program core: it owns the hook components, the engine, the
// catalogue and the per-window memory, handles every key and mouse report,
// switches keymaps, and keeps the state that the tray, the key preview and
// the on-screen keyboard show. It needs no window of its own to work: views
// register a CoreObserver and draw its state when it tells them.
//
// Its work is split by job:
//   program_core.cpp        start-up, shut-down, the observers, the program's own windows
//   catalogue_loader.cpp the catalogue loader loadCatalogue and the hook components
//   keymap_switching.cpp switchKeymap and the foreground check
//   key_handlers.cpp     the four key handlers, the toggle keys, the mouse handler
//   tray_commands.cpp    the tray icon's clicks and the menu commands
//   pauses.cpp           where not to type: listed programs, full screen, password fields
// and tray_menus.h says what the tray icon and its menus show.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "hooks/key_hook.h"
#include "hooks/mouse_hook.h"
#include "osk/onscreen_keyboard.h"
#include "platform/desktop.h"
#include "platform/hook_platform.h"
#include "platform/shell_platform.h"
#include "platform/text_output.h"
#include "preview/key_preview.h"
#include "shell/catalogue.h"
#include "shell/core_observer.h"
#include "shell/dialog_host.h"
#include "shell/regional_language.h"
#include "shell/tray_menus.h"
#include "xml/xml_document.h"

namespace korimo {

enum class TrayButton { Left, Right, Middle };

// Why keys pass unchanged: the program never types in a program on the list
// nor in one that runs full screen, and not into a password field while a
// keymap is on.
enum class Pause : std::uint8_t { None, ListedProgram, FullScreen, PasswordField };

// What the catalogue loader reads: by default the configuration file
// config.xml beside the executable and the keymaps of its Data folder.
struct CatalogueSource {
  std::optional<xml::XmlDocument> configuration;  // nullopt: no readable configuration
  std::filesystem::path keymapFolder;
  std::u16string problem;  // why there is no configuration, for the user
};

class ProgramCore {
 public:
  struct Platforms {
    platform::Desktop& desktop;
    platform::HookPlatform& hooks;
    platform::ShellPlatform& shell;
  };
  // ownWindow is the program's own hidden window, never taken as a target.
  ProgramCore(Platforms platforms, platform::WindowHandle ownWindow);
  ~ProgramCore();
  ProgramCore(const ProgramCore&) = delete;
  ProgramCore& operator=(const ProgramCore&) = delete;

  // Start-up: catalogue, hooks started, engine off, regional-language check.
  void start();
  // The same with the catalogue read from source instead of the program's folder.
  void start(CatalogueSource source);
  // Shut-down: stops and frees the hooks.
  void shutDown();
  // The catalogue loader: configuration, keymaps, toggle keys, hook
  // components. Running it again builds the catalogue afresh.
  void loadCatalogue();
  void loadCatalogue(CatalogueSource source);

  // Switches the keymap with that file name on, or keymaps off.
  void switchKeymap(KeymapChoice keymap);

  // The key handlers and the mouse handler.
  void onKeyReport(const hooks::KeyReport& report);
  void onMouseReport(const hooks::MouseReport& report);

  // The tray and its menus.
  // A press on the tray icon; true when the keymap sub-menu opens (left and
  // middle button). The view shows the menu (the main menu for the right
  // button), then calls trayMenuClosed, then runs the item chosen.
  bool trayIconPressed(TrayButton button);
  void trayMenuClosed();
  void keymapMenuChosen(std::size_t item);
  void toggleKeyPreview();        // "Key Preview"
  void toggleOnScreenKeyboard();  // "On-Screen Keyboard "
  void previewArrowClicked(KeyPreview::Arrow arrow);
  void exitProgram();
  // After the settings dialog saved the configuration: starts a new instance
  // of the program, which reads it, and ends this one. The new instance
  // waits for this one to go.
  void restartApplication();
  void mainMenuChosen(MainMenuItem item);
  void openSettings();  // "Settings"
  void openAbout();     // "About..."
  // "Never type in <program>" for the program of menuProgram: it goes on the
  // list, or off it when it is on it already. The configuration file keeps
  // the list.
  void neverTypeInChosen();
  void visitHelpPage();  // "Visit Help page"
  // The help page beside the program, which "Visit Help page" opens.
  std::filesystem::path helpPage();
  void forgetClosedWindows() { engine.windows.forgetClosedWindows(platforms_.desktop); }

  // Views: told what changed after every operation that changes what they show.
  void addObserver(CoreObserver& observer);
  void removeObserver(CoreObserver& observer);
  // The program's own windows besides the hidden main window (the key
  // preview strip, the on-screen keyboard, dialogs, menus): never a target.
  void addOwnWindow(platform::WindowHandle window) { engine.windows.addOwnWindow(window); }
  void removeOwnWindow(platform::WindowHandle window) { engine.windows.removeOwnWindow(window); }
  // Who shows the settings dialog and the About box; none: they do not open.
  void setDialogHost(DialogHost* host) { dialogHost_ = host; }
  // The program is on its way out (Exit, the restart): a new instance waits for it to go.
  bool ending() const { return ending_; }

  hooks::KeyHook* keyHook() { return keyHook_.get(); }
  hooks::MouseHook* mouseHook() { return mouseHook_.get(); }

  Engine engine;
  Catalogue catalogue;
  RegionalLanguage language;
  KeyPreview preview;
  OnScreenKeyboard osk;

  bool keymapOn = false;
  KeymapChoice activeKeymap;       // nullopt while keymaps are off
  bool keyPreviewChecked = false;  // "Key Preview"
  bool oskChecked = false;         // "On-Screen Keyboard "
  bool settingsOpen = false;
  bool aboutOpen = false;
  // Why the program cannot type (a hook library that did not start), shown
  // by the tray instead of the keymap; empty when it works.
  std::u16string hookProblem;
  // Whether the window being typed into takes the program's typing: not one
  // of a process with higher rights (run as administrator), which Windows
  // keeps injected input from. Its keys are then let through unchanged.
  bool targetAcceptsInput = true;
  // Why the last text could not be typed (Windows took fewer records than
  // sent: another program blocks input), shown by the tray until typing
  // works again; empty when it works.
  std::u16string typingProblem;
  // What start-up could not do (an unreadable configuration, a keymap left
  // out and why, a hook that did not start): told in a tray notification
  // when they are new, the whole list in a message box from its click.
  std::vector<std::u16string> startupProblems;
  // Where the program does not type now, and why; the tray shows it. While
  // paused the program takes no key (toggle keys included): every key
  // reaches the window as typed, and the window keeps its keymap for later.
  Pause pause = Pause::None;
  // The program (executable file name) of the window typed into; empty when
  // the platform cannot tell.
  std::u16string targetProgram;
  // The program the main menu's "Never type in" item names: that of the
  // window in front when the menu opened (the one typed into); empty when
  // there is none.
  std::u16string menuProgram;

  // Notifications waiting for the tray to show them as balloons, oldest
  // first: the welcome of the first start, the start-up's new problems.
  // The tray view shows one when the tray changes and calls
  // notificationShown; a click on it comes back as notificationClicked.
  std::vector<TrayNotification> notifications;
  void notificationShown();
  void notificationClicked(TrayNotification::Kind kind);

 private:
  // The state of the toggle keys during a key event.
  struct ToggleState {
    bool composableKey = false;     // per event: the key may take part in composition
    bool noModifiers = false;       // per event, mode 2: no Ctrl, Alt or Windows key
    bool toggleKeyPressed = false;  // per event, mode 2: an assigned toggle key, no modifiers
    bool toggleSwitching = false;   // switchKeymap runs for a toggle or the checked menu item
  };
  // What became of a key's presses since it went down: a release is
  // withheld exactly when its presses were, so that Windows and the
  // applications never see a key down that the user has let go.
  enum class PressFate : std::uint8_t { None, Withheld, Passed };

  // start-up
  void startUp(std::optional<CatalogueSource> source);
  void startHooks();
  void hookLost(bool reinstalled);
  void mouseHookLost();
  void tellStartupProblems();
  void welcomeOnFirstStart();
  std::u16string startupProblemsText() const;
  // the catalogue loader
  CatalogueSource programFolderSource();
  void readGlobalSettings(const xml::XmlDocument& document);
  void readPauseSettings(const xml::XmlDocument& document);
  void installToggleTables();
  void addKeymaps(const xml::XmlDocument& document, const std::filesystem::path& keymapFolder);
  void createHookComponents();
  // keymap switching
  void switchOff(bool fullSequence);
  void giveFocusBack();
  // True when one of the program's own windows is in front.
  bool foregroundCheck();
  // pauses
  // Brought up to date on every key press; true when the key passes unchanged.
  bool paused();
  // Why the window typed into stops the program typing, whatever has the
  // focus in it.
  Pause targetWindowPause();
  bool runsFullScreen(platform::WindowHandle window);
  // A new pause (or none) in the same window; changeLanguage: the window's
  // input language follows (given back in a pause, asked for after it).
  void setPause(Pause now, bool changeLanguage);
  // The window the main menu's "Never type in" item is for.
  platform::WindowHandle windowInFront();
  // Where the focus and the caret are, read at most once a key event.
  const std::optional<platform::FocusPlace>& keyFocusPlace();
  // key handlers and toggle keys; each decides whether the key is withheld
  bool handleKey(ToggleMode toggleMode, bool surround);
  void classifyKey(ToggleMode toggleMode, bool surround);
  bool composeKey(bool surround);
  bool toggleStepAlt();
  bool toggleStepFunctionKey();
  bool isFunctionToggleKey(std::uint32_t vk) const;
  void setDisableKeyboard(bool disable);
  bool windowsKeyDown() const;
  // The change of the target's text that the engine worked out, made on the
  // desktop; false when Windows did not take it.
  bool applyChange();
  // Whether the focus or the caret (now) left the place where the last
  // change was made (a click the mouse hook did not see, say).
  bool caretMoved(const std::optional<platform::FocusPlace>& now) const;
  // views
  void changed(ViewParts parts);

  Platforms platforms_;
  platform::TextOutput output_;
  std::unique_ptr<hooks::KeyHook> keyHook_;
  std::unique_ptr<hooks::MouseHook> mouseHook_;
  std::vector<CoreObserver*> observers_;
  DialogHost* dialogHost_ = nullptr;
  bool ending_ = false;

  // The event in hand, copied at the start of every key report.
  hooks::KeyReport key_;
  ToggleState toggle_;
  std::array<PressFate, 256> pressFates_{};
  bool leftButtonDown_ = false;  // as the mouse reports say
  // Where the focus and the caret were when the last change was made.
  std::optional<platform::FocusPlace> lastPlace_;
  std::optional<platform::FocusPlace> keyPlace_;  // this key event's, once read
  bool keyPlaceRead_ = false;
  bool ownWindowInFront_ = false;  // as this key event's foreground check found
  // The pause of the window in front (a listed program, full screen) as last
  // checked: when it came to the front, and then at most every
  // kFullScreenRecheckMs of key events' time.
  Pause windowPause_ = Pause::None;
  std::uint32_t fullScreenCheckedAt_ = 0;
};

}  // namespace korimo
