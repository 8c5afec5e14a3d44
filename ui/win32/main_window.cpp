#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "shell/program_core.h"
#include "shell/tray_menus.h"
#include "ui/win32/window_object.h"

namespace korimo::ui::win32 {
namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT_PTR kTrayRetryTimer = 1;
constexpr UINT kTrayRetryMs = 2000;
constexpr DWORD kKeySelectRepeatMs = 500;  // Enter on the icon may arrive twice
constexpr UINT_PTR kBalloonTimer = 2;
constexpr UINT kBalloonMs = 12000;

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// A popup menu of the lines, opened at the pointer; the chosen line, or -1.
// Radio items show the keymap in force with a round mark.
int trackMenu(HWND owner, const std::vector<MenuLine>& lines, bool radio) {
  HMENU menu = ::CreatePopupMenu();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::wstring caption = wide(lines[i].caption);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    item.fType = MFT_STRING | (radio ? MFT_RADIOCHECK : 0);
    item.fState = (lines[i].checked ? MFS_CHECKED : MFS_UNCHECKED) |
                  (lines[i].enabled ? MFS_ENABLED : MFS_DISABLED);
    item.wID = static_cast<UINT>(i + 1);
    item.dwTypeData = caption.data();
    ::InsertMenuItemW(menu, static_cast<UINT>(i), TRUE, &item);
  }
  POINT at{};
  ::GetCursorPos(&at);
  const int chosen = static_cast<int>(
      ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, at.x,
                       at.y, 0, owner, nullptr));
  ::DestroyMenu(menu);
  return chosen - 1;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, int offIcon, int onIcon)
    : instance_(instance), offIconId_(offIcon), onIconId_(onIcon) {
  loadTrayIcons();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &MainWindow::windowProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(offIcon));
  wc.lpszClassName = kMainWindowClass;
  ::RegisterClassExW(&wc);
  taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
  instanceMessage_ = ::RegisterWindowMessageW(kInstanceMessageName);
  // A hidden top-level window, not a message-only one: only top-level
  // windows hear that the shell restarted.
  window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kMainWindowClass, L"Vantrel Korimo", WS_POPUP, 0, 0,
                              0, 0, nullptr, nullptr, instance, this);
  // Run elevated, the program still hears the shell (its restart, the
  // tray icon's clicks) and a second start, which run with normal rights.
  for (UINT message : {taskbarCreated_, instanceMessage_, static_cast<UINT>(kTrayMessage)})
    ::ChangeWindowMessageFilterEx(window_, message, MSGFLT_ALLOW, nullptr);
  tray_ = std::make_unique<TrayIcon>(window_, kTrayMessage);
}

MainWindow::~MainWindow() {
  if (core_) core_->removeObserver(*this);
  tray_.reset();
  if (window_) {
    detachWindowObject(window_);
    ::DestroyWindow(window_);
  }
}

void MainWindow::attach(ProgramCore& core) {
  core_ = &core;
  core.addObserver(*this);
}

void MainWindow::showTray() {
  if (!core_) return;
  const TrayLook look = trayLook(*core_);
  if (!tray_->show(look.on ? onIcon_.get() : offIcon_.get(), look.tooltip)) {
    ::SetTimer(window_, kTrayRetryTimer, kTrayRetryMs, nullptr);  // the shell is not ready yet
    return;
  }
  showNextNotification();
}

void MainWindow::loadTrayIcons() {
  auto load = [this](int id) {
    HICON icon = nullptr;
    if (FAILED(::LoadIconMetric(instance_, MAKEINTRESOURCEW(id), LIM_SMALL, &icon)) || !icon)
      icon = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                             ::GetSystemMetrics(SM_CXSMICON),
                                             ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    return OwnedIcon(icon);
  };
  // The shell holds its own copy of the picture: the old ones may go.
  offIcon_ = load(offIconId_);
  onIcon_ = load(onIconId_);
}

void MainWindow::showNextNotification() {
  if (balloonShown_ || !core_ || core_->notifications.empty()) return;
  const TrayNotification notice = core_->notifications.front();
  core_->notificationShown();
  if (!tray_->notify(notice.title, notice.text, notice.kind == TrayNotification::Kind::Problems))
    return;
  balloonShown_ = true;
  balloonKind_ = notice.kind;
  // A shell that shows no balloon reports nothing of it: the next one
  // waits no longer than a balloon stays.
  ::SetTimer(window_, kBalloonTimer, kBalloonMs, nullptr);
}

void MainWindow::notificationGone() {
  ::KillTimer(window_, kBalloonTimer);
  balloonShown_ = false;
  showNextNotification();
}

void MainWindow::coreChanged(ViewParts parts) {
  if (parts.has(ViewPart::Tray) && core_ && core_->catalogue.trayVisible) showTray();
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = windowObject<MainWindow>(window, message, lParam);
  if (self) {
    if (!self->window_) self->window_ = window;
    return self->handle(message, wParam, lParam);
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayMessage) {
    trayEvent(LOWORD(lParam));
    return 0;
  }
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    // Also sent when the scaling changed: the pictures' size with it.
    loadTrayIcons();
    if (core_ && core_->catalogue.trayVisible) {
      tray_->remove();
      showTray();
    }
    return 0;
  }
  if (message == instanceMessage_ && instanceMessage_ != 0) {
    if (wParam == kInstanceQuery) {
      if (!core_ || !started_) return kInstanceStarting;
      return core_->ending() ? kInstanceEnding : kInstanceRunning;
    }
    if (wParam == kInstanceShowMenu && core_ && !menuOpen_ &&
        core_->trayIconPressed(TrayButton::Left))
      openKeymapMenu();
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kTrayRetryTimer) {
        ::KillTimer(window_, kTrayRetryTimer);
        showTray();
      } else if (wParam == kBalloonTimer) {
        notificationGone();
      }
      return 0;
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE:
      loadTrayIcons();
      if (core_ && core_->catalogue.trayVisible) showTray();
      return 0;
    case WM_CLOSE:
      // Another program asks the program to close (at logoff, say): as Exit.
      if (core_) core_->exitProgram();
      return 0;
    default: return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

void MainWindow::trayEvent(UINT event) {
  if (!core_ || menuOpen_) return;
  switch (event) {
    case NIN_KEYSELECT: {
      // Enter on the focused icon may be reported twice.
      const DWORD now = ::GetTickCount();
      if (now - lastKeySelect_ < kKeySelectRepeatMs) return;
      lastKeySelect_ = now;
      [[fallthrough]];
    }
    case NIN_SELECT:
      if (core_->trayIconPressed(TrayButton::Left)) openKeymapMenu();
      break;
    case WM_MBUTTONUP:
      if (core_->trayIconPressed(TrayButton::Middle)) openKeymapMenu();
      break;
    case WM_CONTEXTMENU:
      core_->trayIconPressed(TrayButton::Right);
      openMainMenu();
      break;
    case NIN_BALLOONUSERCLICK: {
      const TrayNotification::Kind kind = balloonKind_;
      notificationGone();
      core_->notificationClicked(kind);
      break;
    }
    case NIN_BALLOONTIMEOUT:
    case NIN_BALLOONHIDE: notificationGone(); break;
    default: break;
  }
}

// The core has brought this window to the front (trayIconPressed).
void MainWindow::openKeymapMenu() {
  menuOpen_ = true;
  const int chosen = trackMenu(window_, keymapMenuLines(*core_), true);
  core_->trayMenuClosed();
  menuOpen_ = false;
  if (chosen >= 0) core_->keymapMenuChosen(static_cast<std::size_t>(chosen));
}

void MainWindow::openMainMenu() {
  menuOpen_ = true;
  ::SetForegroundWindow(window_);
  const int chosen = trackMenu(window_, mainMenuLines(*core_), false);
  core_->trayMenuClosed();
  menuOpen_ = false;
  if (chosen >= 0 && chosen < static_cast<int>(kMainMenuItems.size()))
    core_->mainMenuChosen(kMainMenuItems[static_cast<std::size_t>(chosen)]);
}

}  // namespace korimo::ui::win32
