// Korimo.exe: the program a user runs. It sits in the notification area,
// watches the keyboard through the hook libraries, and types Indian scripts
// into any application while a keymap is on.
//
// Start-up, in order: the single-instance guard; the splash, painted at
// once; the hidden main window and the program core (TForm1) made with its
// handle; the key preview strip (the application's main window: closing it
// ends the program) and the on-screen keyboard; the tray icon; FormCreate
// (catalogue, hooks, engine off). Then the message loop; FormDestroy at the
// end.

#include <windows.h>

#include "app/icons/icon_ids.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_hooks.h"
#include "platform/win32/win32_shell.h"
#include "shell/dialog_host.h"
#include "shell/main_form.h"
#include "ui/win32/main_window.h"
#include "ui/win32/single_instance.h"
#include "ui/win32/splash_window.h"

namespace {

using namespace korimo;

// The modal windows of the program, shown when the core asks.
class Dialogs : public DialogHost {
 public:
  explicit Dialogs(HINSTANCE instance) : instance_(instance) {}
  void showSettings() override {}
  void showAbout() override {
    ui::win32::SplashWindow about(instance_);
    about.runModal();
  }

 private:
  HINSTANCE instance_;
};

// Per-monitor DPI awareness where the system has it; the manifest says the
// same on systems that read it.
void becomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  auto set = reinterpret_cast<SetContext>(
      reinterpret_cast<void (*)()>(::GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  if (set && set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4))))  // per monitor, version 2
    return;
  ::SetProcessDPIAware();
}

// The picture of the size the notification area shows.
HICON trayIcon(HINSTANCE instance, int id) {
  return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         ::GetSystemMetrics(SM_CXSMICON),
                                         ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

int run(HINSTANCE instance) {
  std::optional<ui::win32::SingleInstance> guard = ui::win32::SingleInstance::acquire();
  if (!guard) return 0;

  ui::win32::SplashWindow splash(instance);
  splash.show();

  platform::win32::Win32HookPlatform hooks;
  platform::win32::Win32Desktop desktop;
  platform::win32::Win32Shell shell;
  HICON offIcon = trayIcon(instance, IDI_KORIMO_OFF);
  HICON onIcon = trayIcon(instance, IDI_KORIMO_ON);
  ui::win32::MainWindow mainWindow(instance, offIcon, onIcon);
  TForm1 core(TForm1::Platforms{desktop, hooks, shell},
              reinterpret_cast<platform::WindowHandle>(mainWindow.handle()));
  Dialogs dialogs(instance);
  core.setDialogHost(&dialogs);
  mainWindow.attach(core);

  core.catalogue.trayVisible = true;
  mainWindow.showTray();  // at once, however long the keymaps take to load
  core.FormCreate();
  splash.closeSoon();

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  core.FormDestroy();
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  becomeDpiAware();
  return run(instance);
}
