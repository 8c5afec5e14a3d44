#pragma once
// The program's icon in the notification area (Shell_NotifyIconW with
// NOTIFYICON_VERSION_4). Its clicks arrive at the owner window as
// callbackMessage; the owner calls restore() when the shell restarts.

#include <windows.h>
// shellapi.h needs the declarations of windows.h first.
#include <shellapi.h>

#include <string>

namespace korimo::ui::win32 {

class TrayIcon {
 public:
  TrayIcon(HWND owner, UINT callbackMessage);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Shows or updates the icon. False when the shell did not take it (early
  // in a logon): the caller tries again later.
  bool show(HICON icon, const std::u16string& tooltip);
  // Adds the icon again, as it was (the shell restarted: "TaskbarCreated").
  bool restore();
  void remove();
  // A balloon notification over the icon (NIF_INFO); the shell reports its
  // click, its time-out or its closing to the owner as NIN_BALLOON* events.
  bool notify(const std::u16string& title, const std::u16string& text, bool warning);
  bool shown() const { return shown_; }

 private:
  NOTIFYICONDATAW data() const;

  HWND owner_;
  UINT callbackMessage_;
  HICON icon_ = nullptr;
  std::u16string tooltip_;
  bool shown_ = false;
};

}  // namespace korimo::ui::win32
