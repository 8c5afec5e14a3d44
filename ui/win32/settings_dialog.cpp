#include "ui/win32/settings_dialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "shell/program_core.h"
#include "ui/view_geometry.h"
#include "ui/win32/dpi.h"
#include "ui/win32/window_object.h"

namespace korimo::ui::win32 {
namespace {

using ui::scaleToDpi;

constexpr int kClientWidth = 555;
constexpr int kClientHeight = 444;
constexpr UINT kCheckChanged = WM_APP + 1;  // wParam row, lParam checked

enum : int {
  kServices = 101,
  kSurround,
  kModeGroup,
  kUseAlt,
  kAvoidAlt,
  kKeymapGroup,
  kImport,
  kOffGroup,
  kOffLabel,
  kList,
  kStartup,
  kOk,
  kPauseGroup,
  kPrograms,
  kAddProgram,
  kRemoveProgram,
  kFullScreen,
  kCancel = IDCANCEL,  // Escape cancels too
};

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// While the dialog is open, every window this thread activates (the dialog,
// its message boxes, the open-file dialog) is one of the program's own: the
// core composes nothing typed into them.
ProgramCore* ownWindowsCore = nullptr;
LRESULT CALLBACK ownWindowsHook(int code, WPARAM wParam, LPARAM lParam) {
  if (ownWindowsCore && code == HCBT_ACTIVATE)
    ownWindowsCore->addOwnWindow(static_cast<platform::WindowHandle>(wParam));
  if (ownWindowsCore && code == HCBT_DESTROYWND)
    ownWindowsCore->removeOwnWindow(static_cast<platform::WindowHandle>(wParam));
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class OwnWindowsWatch {
 public:
  explicit OwnWindowsWatch(ProgramCore& core) {
    ownWindowsCore = &core;
    hook_ = ::SetWindowsHookExW(WH_CBT, ownWindowsHook, nullptr, ::GetCurrentThreadId());
  }
  ~OwnWindowsWatch() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    ownWindowsCore = nullptr;
  }
  OwnWindowsWatch(const OwnWindowsWatch&) = delete;
  OwnWindowsWatch& operator=(const OwnWindowsWatch&) = delete;

 private:
  HHOOK hook_ = nullptr;
};

}  // namespace

SettingsDialog::SettingsDialog(HINSTANCE instance, ProgramCore& core,
                               platform::ShellPlatform& shell)
    : instance_(instance), core_(core), model_(shell, [&core] { core.restartApplication(); }) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &SettingsDialog::windowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kSettingsWindowClass;
  ::RegisterClassExW(&wc);  // already registered by an earlier dialog: fine
}

SettingsDialog::~SettingsDialog() {
  if (window_) {
    detachWindowObject(window_);
    ::DestroyWindow(window_);
  }
  if (font_) ::DeleteObject(font_);
}

HWND SettingsDialog::control(const wchar_t* className, const wchar_t* text, DWORD style, int left,
                             int top, int width, int height, int id) {
  HWND child = ::CreateWindowExW(
      0, className, text, WS_CHILD | WS_VISIBLE | style, scaleToDpi(left, dpi_),
      scaleToDpi(top, dpi_), scaleToDpi(width, dpi_), scaleToDpi(height, dpi_), window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  placed_.push_back({child, {left, top, left + width, top + height}});
  return child;
}

// The first five columns fit both their texts and their headings.
void SettingsDialog::fitColumns() {
  static const wchar_t* const headings[] = {L"Language", L"Keyboard", L"Encoding", L"Filename",
                                            L"Toggle Key"};
  HDC dc = ::GetDC(list_);
  HGDIOBJ oldFont = ::SelectObject(dc, font_);
  for (int column = 0; column < 5; ++column) {
    ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
    const LRESULT texts = ::SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0);
    SIZE heading{};
    ::GetTextExtentPoint32W(dc, headings[column], static_cast<int>(wcslen(headings[column])),
                            &heading);
    const LRESULT wanted = heading.cx + scaleToDpi(16, dpi_);
    if (wanted > texts) ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, column, wanted);
  }
  ::SelectObject(dc, oldFont);
  ::ReleaseDC(list_, dc);
}

HFONT SettingsDialog::makeFont() const {
  return ::CreateFontW(-MulDiv(8, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

void SettingsDialog::dpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  HFONT old = font_;
  font_ = makeFont();
  ::SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (const Placed& p : placed_) {
    ::SetWindowPos(p.control, nullptr, scaleToDpi(p.at96.left, dpi_), scaleToDpi(p.at96.top, dpi_),
                   scaleToDpi(p.at96.right - p.at96.left, dpi_),
                   scaleToDpi(p.at96.bottom - p.at96.top, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  fitColumns();
  if (old) ::DeleteObject(old);
  ::InvalidateRect(window_, nullptr, TRUE);
}

void SettingsDialog::create() {
  dpi_ = systemDpi();
  // Caption and tool-window border; no system menu, so no close box.
  const DWORD style = WS_POPUP | WS_CAPTION;
  const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, scaleToDpi(kClientWidth, dpi_), scaleToDpi(kClientHeight, dpi_)};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  window_ = ::CreateWindowExW(exStyle, kSettingsWindowClass, L"Settings", style,
                              work.left + (work.right - work.left - width) / 2,
                              work.top + (work.bottom - work.top - height) / 2, width, height,
                              nullptr, nullptr, instance_, this);
  model_.setOwner(reinterpret_cast<platform::WindowHandle>(window_));
  font_ = makeFont();

  const DWORD box = BS_AUTOCHECKBOX | WS_TABSTOP;
  control(L"BUTTON", L"Windows Text Services", box | WS_GROUP, 8, -4, 153, 38, kServices);
  control(L"BUTTON", L"Treat Backspace as Undo at preedit level  ", box, 167, -4, 218, 38,
          kSurround);
  control(L"BUTTON", L"Toggle Mode", BS_GROUPBOX, 124, 37, 191, 40, kModeGroup);
  control(L"BUTTON", L"Use Alt Key", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 124 + 8, 37 + 17,
          86, 17, kUseAlt);
  control(L"BUTTON", L"Avoid Alt key", BS_AUTORADIOBUTTON, 124 + 95, 37 + 17, 92, 17, kAvoidAlt);
  control(L"BUTTON", L" Keymap", BS_GROUPBOX, 321, 37, 105, 40, kKeymapGroup);
  import_ = control(L"BUTTON", L"Import...", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 321 + 24,
                    37 + 15, 73, 22, kImport);
  control(L"BUTTON", L"Keymap off Key", BS_GROUPBOX, 432, 37, 115, 40, kOffGroup);
  // A plain label lets mouse presses through to the dialog, which opens the
  // Keymap-off menu when the press is over it.
  offlabel_ = control(L"STATIC", L"", SS_CENTER, 432 + 16, 37 + 19, 96, 18, kOffLabel);
  list_ = control(WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 8, 83,
                  539, 209, kList);
  // Where not to type: the programs' list with its buttons, the full-screen box.
  control(L"BUTTON", L" Never type in", BS_GROUPBOX, 8, 296, 539, 102, kPauseGroup);
  programs_ = control(L"LISTBOX", L"",
                      LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 16,
                      313, 300, 78, kPrograms);
  addProgram_ = control(L"BUTTON", L"Add...", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 324, 313, 73,
                        22, kAddProgram);
  control(L"BUTTON", L"Remove", BS_PUSHBUTTON | WS_TABSTOP, 324, 341, 73, 22, kRemoveProgram);
  control(L"BUTTON", L"Pause in full-screen programs", box, 324, 369, 215, 20, kFullScreen);
  control(L"BUTTON", L"Start automatically when starting Windows", box, 8, 402, 264, 41, kStartup);
  control(L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 376, 411, 73, 23, kCancel);
  control(L"BUTTON", L"Ok", BS_PUSHBUTTON | WS_TABSTOP, 474, 411, 73, 23, kOk);

  ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  const wchar_t* const columns[] = {L"Language",   L"Keyboard", L"Encoding", L"Filename",
                                    L"Toggle Key", L"TKey1",    L"TKey2"};
  for (int i = 0; i < 7; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = i == 4 ? LVCFMT_CENTER : LVCFMT_LEFT;
    column.cx = i < 5 ? scaleToDpi(80, dpi_) : 0;
    column.pszText = const_cast<wchar_t*>(columns[i]);
    ::SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }

  // The Keymap-off label's hint.
  HWND tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                               nullptr, instance_, nullptr);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = kOffLabel;
  ::GetWindowRect(offlabel_, &tool.rect);
  ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&tool.rect), 2);
  wchar_t hint[] = L"click on it to modify toggle key";
  tool.lpszText = hint;
  ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void SettingsDialog::runModal() {
  OwnWindowsWatch own(core_);
  create();
  if (!window_) return;
  core_.addOwnWindow(reinterpret_cast<platform::WindowHandle>(window_));
  model_.open();
  showModel();
  ::ShowWindow(window_, SW_SHOWNORMAL);
  ::SetForegroundWindow(window_);
  ::SetFocus(import_);
  open_ = true;
  MSG msg;
  while (open_) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: the main loop must see the quit too.
      if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!::IsDialogMessageW(window_, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  core_.removeOwnWindow(reinterpret_cast<platform::WindowHandle>(window_));
  detachWindowObject(window_);
  ::DestroyWindow(window_);
  window_ = nullptr;
}

void SettingsDialog::close() { open_ = false; }

LRESULT CALLBACK SettingsDialog::windowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = windowObject<SettingsDialog>(window, message, lParam);
  if (self) {
    if (!self->window_) self->window_ = window;
    return self->handle(message, wParam, lParam);
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT SettingsDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: command(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == list_) listNotify(*header);
      return 0;
    }
    case kCheckChanged:
      model_.rowCheckChanged(static_cast<std::size_t>(wParam), lParam != 0);
      showModel();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      offKeyLabelPressed(at);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // Labels, boxes and group frames on the dialog's face colour.
      ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    case WM_CLOSE: close(); return 0;
    case WM_DPICHANGED:
      dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    default: return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

void SettingsDialog::readBoxes() {
  auto checked = [this](int id) { return ::IsDlgButtonChecked(window_, id) == BST_CHECKED; };
  model_.textServices = checked(kServices);
  model_.surround = checked(kSurround);
  model_.startWithWindows = checked(kStartup);
  model_.pauseInFullScreen = checked(kFullScreen);
}

void SettingsDialog::command(int id, int code) {
  if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return;
  switch (id) {
    case kUseAlt:
    case kAvoidAlt:
      model_.toggleModeChosen(id == kAvoidAlt ? ToggleMode::FunctionKeys : ToggleMode::Alt);
      showModel();
      break;
    case kImport:
      model_.importKeymap();
      showModel();
      break;
    case kAddProgram: addProgramPressed(); break;
    case kRemoveProgram: {
      const LRESULT row = ::SendMessageW(programs_, LB_GETCURSEL, 0, 0);
      if (row == LB_ERR) break;
      model_.removeProgram(static_cast<std::size_t>(row));
      showModel();
      break;
    }
    case kOk:
      readBoxes();
      if (model_.ok()) close();
      break;
    case kCancel: close(); break;
    default: readBoxes(); break;
  }
}

void SettingsDialog::listNotify(const NMHDR& header) {
  if (header.code == NM_CLICK || header.code == NM_RCLICK) {
    listClicked();
  } else if (header.code == LVN_ITEMCHANGED && !showing_) {
    // The user changed a row's check box (by the mouse or the space bar).
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (change.iItem < 0 || !(change.uChanged & LVIF_STATE) ||
        !((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK))
      return;
    const bool checked = ((change.uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
    // The list is refilled after the notification, not inside it.
    ::PostMessageW(window_, kCheckChanged, static_cast<WPARAM>(change.iItem), checked);
  }
}

// A mouse button released over the list: the row and column under the
// pointer; on a Toggle Key cell, that key's menu.
void SettingsDialog::listClicked() {
  LVHITTESTINFO hit{};
  ::GetCursorPos(&hit.pt);
  ::ScreenToClient(list_, &hit.pt);
  ::SendMessageW(list_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.flags & LVHT_ONITEMSTATEICON) return;  // the check box: LVN_ITEMCHANGED tells
  std::optional<std::size_t> row;
  if (hit.iItem >= 0) row = static_cast<std::size_t>(hit.iItem);
  const std::optional<RadioMenu> menu =
      model_.listPressed(row, static_cast<ListColumn>(hit.iSubItem < 0 ? 0 : hit.iSubItem));
  if (!menu) return;
  const int chosen = trackMenu(*menu);
  if (chosen < 0) return;
  model_.toggleKeyChosen(static_cast<std::size_t>(chosen));
  showModel();
}

void SettingsDialog::offKeyLabelPressed(POINT at) {
  RECT label{};
  ::GetWindowRect(offlabel_, &label);
  ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&label), 2);
  if (!::PtInRect(&label, at)) return;
  const int chosen = trackMenu(model_.offKeyMenu());
  if (chosen < 0) return;
  model_.offKeyChosen(static_cast<std::size_t>(chosen));
  showModel();
}

// Add...: the running programs and "Other program..." in a menu under the button.
void SettingsDialog::addProgramPressed() {
  readBoxes();
  const std::vector<std::u16string> items = model_.addProgramMenu();
  HMENU popup = ::CreatePopupMenu();
  for (std::size_t i = 0; i < items.size(); ++i)
    ::AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(i + 1), wide(items[i]).c_str());
  RECT button{};
  ::GetWindowRect(addProgram_, &button);
  const int chosen =
      static_cast<int>(::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTBUTTON,
                                        button.left, button.bottom, 0, window_, nullptr));
  ::DestroyMenu(popup);
  if (chosen <= 0) return;
  model_.addProgramChosen(static_cast<std::size_t>(chosen - 1));
  showModel();
}

// A popup menu of radio items at the pointer; the item chosen, or -1.
int SettingsDialog::trackMenu(const RadioMenu& menu) {
  HMENU popup = ::CreatePopupMenu();
  for (std::size_t i = 0; i < menu.items.size(); ++i) {
    std::wstring caption = wide(menu.items[i]);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    item.fType = MFT_STRING | MFT_RADIOCHECK;
    item.fState = i == menu.checked ? MFS_CHECKED : MFS_UNCHECKED;
    item.wID = static_cast<UINT>(i + 1);
    item.dwTypeData = caption.data();
    ::InsertMenuItemW(popup, static_cast<UINT>(i), TRUE, &item);
  }
  POINT at{};
  ::GetCursorPos(&at);
  const int chosen = static_cast<int>(::TrackPopupMenu(
      popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
  ::DestroyMenu(popup);
  return chosen - 1;
}

// Shows the model: the options, the mode, the Keymap-off label and the list.
void SettingsDialog::showModel() {
  showing_ = true;
  ::CheckDlgButton(window_, kServices, model_.textServices ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(window_, kSurround, model_.surround ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(window_, kStartup, model_.startWithWindows ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(window_, kFullScreen, model_.pauseInFullScreen ? BST_CHECKED : BST_UNCHECKED);
  ::SendMessageW(programs_, LB_RESETCONTENT, 0, 0);
  for (const std::u16string& program : model_.neverTypeIn)
    ::SendMessageW(programs_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(program).c_str()));
  ::CheckRadioButton(window_, kUseAlt, kAvoidAlt,
                     model_.toggleMode == ToggleMode::FunctionKeys ? kAvoidAlt : kUseAlt);
  ::SetWindowTextW(offlabel_, wide(model_.offKeyLabel()).c_str());

  ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t i = 0; i < model_.rows.size(); ++i) {
    const KeymapRow& row = model_.rows[i];
    const std::u16string* texts[] = {&row.language,  &row.keyboard, &row.encoding, &row.filename,
                                     &row.toggleKey, &row.tkey1,    &row.tkey2};
    std::wstring caption = wide(*texts[0]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = caption.data();
    const int at = static_cast<int>(
        ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (int column = 1; column < 7; ++column) {
      std::wstring text = wide(*texts[column]);
      LVITEMW sub{};
      sub.iSubItem = column;
      sub.pszText = text.data();
      ::SendMessageW(list_, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&sub));
    }
    LVITEMW state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(row.checked ? 2 : 1);
    ::SendMessageW(list_, LVM_SETITEMSTATE, at, reinterpret_cast<LPARAM>(&state));
  }
  fitColumns();
  ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
  showing_ = false;
}

}  // namespace korimo::ui::win32
