#include "ui/win32/tray_icon.h"

#include <algorithm>

namespace korimo::ui::win32 {
namespace {

constexpr UINT kIconId = 1;

}  // namespace

TrayIcon::TrayIcon(HWND owner, UINT callbackMessage)
    : owner_(owner), callbackMessage_(callbackMessage) {}

TrayIcon::~TrayIcon() { remove(); }

NOTIFYICONDATAW TrayIcon::data() const {
  NOTIFYICONDATAW d{};
  d.cbSize = sizeof d;
  d.hWnd = owner_;
  d.uID = kIconId;  // an id, not a GUID: a GUID ties the icon to the program's path
  d.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  d.uCallbackMessage = callbackMessage_;
  d.hIcon = icon_;
  const std::size_t n = std::min(tooltip_.size(), std::size(d.szTip) - 1);
  std::copy_n(reinterpret_cast<const wchar_t*>(tooltip_.data()), n, d.szTip);
  d.szTip[n] = L'\0';
  return d;
}

bool TrayIcon::show(HICON icon, const std::u16string& tooltip) {
  icon_ = icon;
  tooltip_ = tooltip;
  NOTIFYICONDATAW d = data();
  if (shown_) return ::Shell_NotifyIconW(NIM_MODIFY, &d) != FALSE;
  return restore();
}

bool TrayIcon::restore() {
  NOTIFYICONDATAW d = data();
  // The shell sends "TaskbarCreated" also when the icon still exists (a
  // change of scaling): then it is modified instead.
  if (!::Shell_NotifyIconW(NIM_ADD, &d) && !::Shell_NotifyIconW(NIM_MODIFY, &d)) {
    shown_ = false;
    return false;
  }
  // The version is not kept across an add.
  d.uVersion = NOTIFYICON_VERSION_4;
  ::Shell_NotifyIconW(NIM_SETVERSION, &d);
  shown_ = true;
  return true;
}

bool TrayIcon::notify(const std::u16string& title, const std::u16string& text, bool warning) {
  if (!shown_) return false;
  NOTIFYICONDATAW d = data();
  d.uFlags |= NIF_INFO;
  // Not NIIF_RESPECT_QUIET_TIME: the welcome is for a new user above all.
  d.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
  auto copy = [](const std::u16string& from, wchar_t* to, std::size_t size) {
    const std::size_t n = std::min(from.size(), size - 1);
    std::copy_n(reinterpret_cast<const wchar_t*>(from.data()), n, to);
    to[n] = L'\0';
  };
  copy(title, d.szInfoTitle, std::size(d.szInfoTitle));
  copy(text, d.szInfo, std::size(d.szInfo));
  return ::Shell_NotifyIconW(NIM_MODIFY, &d) != FALSE;
}

void TrayIcon::remove() {
  if (!shown_) return;
  NOTIFYICONDATAW d = data();
  ::Shell_NotifyIconW(NIM_DELETE, &d);
  shown_ = false;
}

}  // namespace korimo::ui::win32
