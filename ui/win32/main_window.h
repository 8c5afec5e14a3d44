#pragma once
// The program's hidden main window (the window of ProgramCore): it owns the tray
// icon and opens its two menus, keeps the icon when the shell restarts, and
// answers a second instance of the program. It draws what the core says
// changed (tray picture and tooltip).

#include <windows.h>

#include <memory>
#include <type_traits>

#include "shell/core_observer.h"
#include "ui/win32/tray_icon.h"

namespace korimo {
class ProgramCore;
}

namespace korimo::ui::win32 {

// The window class by which a second instance finds the running one, and
// the message it sends: wParam kInstanceQuery asks whether the running one
// is still starting (answer kInstanceStarting), running (kInstanceRunning)
// or ending (kInstanceEnding); kInstanceShowMenu asks it to open its keymap
// sub-menu.
constexpr wchar_t kMainWindowClass[] = L"VantrelKorimoMainWindow";
constexpr wchar_t kInstanceMessageName[] = L"VantrelKorimo.Instance";
enum : WPARAM { kInstanceQuery = 1, kInstanceShowMenu = 2 };
enum : LRESULT { kInstanceRunning = 1, kInstanceEnding = 2, kInstanceStarting = 3 };

class MainWindow : public CoreObserver {
 public:
  // Creates the hidden window; the core comes later (attach), since it is
  // made with this window's handle. The tray icon's two pictures are the
  // icon resources offIcon and onIcon.
  MainWindow(HINSTANCE instance, int offIcon, int onIcon);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  HWND handle() const { return window_; }
  void attach(ProgramCore& core);
  // Start-up has finished: a second start may now ask for the menu.
  void started() { started_ = true; }
  // Shows the tray icon as the core is now.
  void showTray();

  void coreChanged(ViewParts parts) override;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void trayEvent(UINT event);
  // The next notification the core has waiting, as a balloon, once the one
  // shown before has gone.
  void showNextNotification();
  void notificationGone();
  // The tray's pictures at the size the notification area shows at the
  // current DPI (LoadIconMetric), loaded anew when the scaling changes.
  void loadTrayIcons();
  void openKeymapMenu();
  void openMainMenu();

  struct IconDeleter {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
  };
  using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

  HINSTANCE instance_;
  int offIconId_;
  int onIconId_;
  OwnedIcon offIcon_;
  OwnedIcon onIcon_;
  HWND window_ = nullptr;
  ProgramCore* core_ = nullptr;
  std::unique_ptr<TrayIcon> tray_;
  UINT taskbarCreated_ = 0;
  UINT instanceMessage_ = 0;
  DWORD lastKeySelect_ = 0;
  bool menuOpen_ = false;
  bool started_ = false;
  bool balloonShown_ = false;
  TrayNotification::Kind balloonKind_ = TrayNotification::Kind::Welcome;
};

}  // namespace korimo::ui::win32
