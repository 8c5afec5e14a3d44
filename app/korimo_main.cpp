// Korimo.exe: the program a user runs. It sits in the notification area,
// watches the keyboard through the hook libraries, and types Indian scripts
// into any application while a keymap is on.
//
// Start-up, in order: an elevated start hands over to a copy with the
// shell's rights; the single-instance guard; the splash, painted at
// once; the hidden main window and the program core (ProgramCore) made with its
// handle; the key preview strip (the application's main window: closing it
// ends the program) and the on-screen keyboard, both hidden until their
// menu items are checked; the tray icon; start
// (catalogue, hooks, engine off). Then the message loop; shutDown at the
// end.

#include <windows.h>

#include <memory>

#include "app/icons/icon_ids.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/unelevated_start.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_hooks.h"
#include "platform/win32/win32_shell.h"
#include "shell/dialog_host.h"
#include "shell/program_core.h"
#include "ui/win32/key_preview_window.h"
#include "ui/win32/keyboard_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/settings_dialog.h"
#include "ui/win32/single_instance.h"
#include "ui/win32/splash_window.h"

namespace {

using namespace korimo;

// The modal windows of the program, shown when the core asks.
class Dialogs : public DialogHost {
 public:
  Dialogs(HINSTANCE instance, ProgramCore& core, platform::ShellPlatform& shell)
      : instance_(instance), core_(core), shell_(shell) {}
  void showSettings() override {
    ui::win32::SettingsDialog settings(instance_, core_, shell_);
    settings.runModal();
  }
  void showAbout() override {
    ui::win32::SplashWindow about(instance_, IDI_KORIMO_ON);
    about.runModal();
  }

 private:
  HINSTANCE instance_;
  ProgramCore& core_;
  platform::ShellPlatform& shell_;
};

int run(HINSTANCE instance) {
  if (platform::win32::restartWithShellRights()) return 0;
  std::optional<ui::win32::SingleInstance> guard = ui::win32::SingleInstance::acquire();
  if (!guard) return 0;

  ui::win32::SplashWindow splash(instance, IDI_KORIMO_ON);
  splash.show();

  platform::win32::Win32HookPlatform hooks;
  platform::win32::Win32Desktop desktop;
  platform::win32::Win32Shell shell;
  // A message box of the start-up (the regional-language question, say)
  // would open beneath the top-most splash: the splash goes first.
  const DWORD uiThread = ::GetCurrentThreadId();
  shell.beforeMessageBox = [&splash, uiThread] {
    if (::GetCurrentThreadId() == uiThread) splash.close();
  };
  // The core outlives every view that watches it: it is made after the main
  // window (it needs its handle) but goes last.
  std::unique_ptr<ProgramCore> program;
  ui::win32::MainWindow mainWindow(instance, IDI_KORIMO_OFF, IDI_KORIMO_ON);
  program =
      std::make_unique<ProgramCore>(ProgramCore::Platforms{desktop, hooks, shell},
                                    reinterpret_cast<platform::WindowHandle>(mainWindow.handle()));
  ProgramCore& core = *program;
  // Closing the strip, the application's main window, ends the program.
  ui::win32::KeyPreviewWindow strip(core, instance, [] { ::PostQuitMessage(0); });
  strip.setIcon(instance, IDI_KORIMO_ON);
  ui::win32::KeyboardWindow keyboard(core, instance);
  Dialogs dialogs(instance, core, shell);
  core.setDialogHost(&dialogs);
  mainWindow.attach(core);

  core.catalogue.trayVisible = true;
  mainWindow.showTray();  // at once, however long the keymaps take to load
  core.start();
  splash.closeSoon();
  mainWindow.started();

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  core.shutDown();
  return 0;
}

}  // namespace

// The program's manifest (packaging/korimo.manifest) makes it aware of each
// monitor's DPI before any window exists.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  platform::win32::restrictLibrarySearch();
  return run(instance);
}
