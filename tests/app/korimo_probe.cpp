// korimo_probe: looks at the running program from outside, as another
// program can, for the Wine checks of Korimo.exe. One command a run; it
// prints what it finds, one line an item.
//
//   windows                 every top-level window: handle, process, class,
//                           visible, rectangle, extended style, title
//   children HWND           the child windows of one: class, rectangle, text
//   text TITLE              the text of the Edit control of the window whose
//                           title begins with TITLE (Notepad), as UTF-8
//   foreground              the foreground window: handle, class, title
//   post HWND MSG WPARAM [LPARAM]  posts a message (numbers in decimal or 0x hex)
//   click HWND TEXT         posts BM_CLICK to the child button of HWND with that text
//   checked HWND TEXT       the check state (0, 1) of the child button with that text
//   focus                   the control with the keyboard focus in the foreground
//                           window's thread: class and text
//   listview HWND           the rows of the list view child of HWND, read through
//                           memory in its process: [x] or [ ], then every column's
//                           text separated by |
//   cell HWND ROW COLUMN    the screen point at the middle of a cell of that list
//                           view, scrolled into view
//   memory EXE              the working set of the process of that name, in KiB
//   hooktime SECONDS FILE   for SECONDS (or until FILE.stop exists), the time each key event spends
//   in
//                           the hooks installed before this one (the running
//                           program's), one line per event, in microseconds
//   passhook SECONDS FILE   a low-level hook that does nothing, for SECONDS or
//                           until FILE.stop exists: what any hook costs
//   resources FILE          what a program or library carries, as Explorer
//                           reads it: the version numbers and texts, the
//                           number of icons, the manifest's size in bytes
//   manifest FILE           the embedded application manifest, as it is
//   dpi CLASS               the DPI awareness of the process that owns the
//                           top-level window of that class: unaware, system,
//                           per-monitor or per-monitor-v2
//   keys VK...              whether Windows holds each key down, as every
//                           program reads it (GetAsyncKeyState): "VK down|up"
//   clipboard [TEXT]        the clipboard's text; with TEXT, puts it there
//   window CLASS TITLE SECONDS FILE
//                           a top-level window of that class holding an Edit,
//                           for SECONDS or until FILE.stop exists (a window
//                           of a browser's class, say)
//   password TITLE SECONDS FILE
//                           a log-in window: a user-name Edit and a password
//                           Edit (ES_PASSWORD) with the focus, for SECONDS or
//                           until FILE.stop exists; the password's text is
//                           written to FILE (UTF-8) whenever it changes
//   listbox HWND            the items of the list box child of HWND, one a line

#include <windows.h>
// psapi.h needs the declarations of windows.h first.
#include <commctrl.h>
#include <psapi.h>
#include <winver.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/wine/test_program.h"

namespace {

using korimo::wine::say;

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr,
                                nullptr);
  std::string out(std::size_t(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring className(HWND window) {
  wchar_t name[256] = L"";
  ::GetClassNameW(window, name, 256);
  return name;
}

std::wstring title(HWND window) {
  wchar_t text[512] = L"";
  ::GetWindowTextW(window, text, 512);
  return text;
}

std::wstring processName(HWND window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return L"?";
  wchar_t path[MAX_PATH] = L"";
  DWORD size = MAX_PATH;
  std::wstring name = L"?";
  if (::QueryFullProcessImageNameW(process, 0, path, &size)) {
    name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
  }
  ::CloseHandle(process);
  return name;
}

std::uintptr_t number(const wchar_t* text) { return std::wcstoull(text, nullptr, 0); }

HWND childWithText(HWND parent, const std::wstring& text) {
  struct Search {
    const std::wstring& text;
    HWND found;
  } search{text, nullptr};
  ::EnumChildWindows(
      parent,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (title(child) != s->text) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND childOfClass(HWND parent, const wchar_t* name) {
  return ::FindWindowExW(parent, nullptr, name, nullptr);
}

int focus() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND front = ::GetForegroundWindow();
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(front, nullptr), &info) || !info.hwndFocus)
    return 1;
  say("class=%s text=%s", utf8(className(info.hwndFocus)).c_str(),
      utf8(title(info.hwndFocus)).c_str());
  return 0;
}

// Memory in another process, freed when it goes.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, std::size_t size) : size_(size) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_)
      at_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (at_) ::VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    if (process_) ::CloseHandle(process_);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  bool ok() const { return at_ != nullptr; }
  char* at() const { return static_cast<char*>(at_); }
  bool write(std::size_t offset, const void* data, std::size_t size) {
    return ::WriteProcessMemory(process_, at() + offset, data, size, nullptr);
  }
  bool read(std::size_t offset, void* data, std::size_t size) {
    return ::ReadProcessMemory(process_, at() + offset, data, size, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  void* at_ = nullptr;
  std::size_t size_;
};

int listview(HWND parent) {
  HWND list = childOfClass(parent, WC_LISTVIEWW);
  if (!list) return 1;
  const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
  const int columns = header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  constexpr int kChars = 512;
  RemoteMemory memory(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  if (!memory.ok()) return 1;
  for (int row = 0; row < rows; ++row) {
    const UINT state =
        static_cast<UINT>(::SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    std::wstring line = ((state >> 12) == 2) ? L"[x] " : L"[ ] ";
    for (int column = 0; column < columns; ++column) {
      LVITEMW item{};
      item.iSubItem = column;
      item.pszText = reinterpret_cast<wchar_t*>(memory.at() + sizeof(LVITEMW));
      item.cchTextMax = kChars;
      memory.write(0, &item, sizeof item);
      const int length = static_cast<int>(
          ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(memory.at())));
      std::vector<wchar_t> text(kChars, L'\0');
      memory.read(sizeof(LVITEMW), text.data(), kChars * sizeof(wchar_t));
      line +=
          (column ? L"|" : L"") + std::wstring(text.data(), std::size_t(length > 0 ? length : 0));
    }
    say("%s", utf8(line).c_str());
  }
  return 0;
}

int cell(HWND parent, int row, int column) {
  HWND list = childOfClass(parent, WC_LISTVIEWW);
  if (!list) return 1;
  ::SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);  // scrolled into view first
  RemoteMemory memory(list, sizeof(RECT));
  if (!memory.ok()) return 1;
  RECT r{LVIR_BOUNDS, column, 0, 0};  // top: the sub-item, left: the part
  memory.write(0, &r, sizeof r);
  if (!::SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(memory.at())))
    return 1;
  memory.read(0, &r, sizeof r);
  POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  if (column == 0) middle.x = r.left + 30;  // the caption, past the check box
  ::ClientToScreen(list, &middle);
  say("%ld %ld", middle.x, middle.y);
  return 0;
}

int windows() {
  ::EnumWindows(
      [](HWND window, LPARAM) -> BOOL {
        RECT r{};
        ::GetWindowRect(window, &r);
        say("%llu %s class=%s visible=%d rect=%ld,%ld,%ld,%ld exstyle=0x%lx title=%s",
            static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)),
            utf8(processName(window)).c_str(), utf8(className(window)).c_str(),
            ::IsWindowVisible(window) ? 1 : 0, r.left, r.top, r.right, r.bottom,
            static_cast<unsigned long>(::GetWindowLongPtrW(window, GWL_EXSTYLE)),
            utf8(title(window)).c_str());
        return TRUE;
      },
      0);
  return 0;
}

int children(HWND parent) {
  ::EnumChildWindows(
      parent,
      [](HWND child, LPARAM) -> BOOL {
        RECT r{};
        ::GetWindowRect(child, &r);
        say("class=%s rect=%ld,%ld,%ld,%ld text=%s", utf8(className(child)).c_str(), r.left, r.top,
            r.right, r.bottom, utf8(title(child)).c_str());
        return TRUE;
      },
      0);
  return 0;
}

int text(const std::wstring& prefix) {
  HWND window = korimo::wine::findWindowByTitlePrefix(prefix);
  HWND edit = window ? ::FindWindowExW(window, nullptr, L"Edit", nullptr) : nullptr;
  if (!edit) return 1;
  std::vector<wchar_t> buffer(1 << 16);
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(edit, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, 2000, &copied))
    return 1;
  say("%s", utf8(std::wstring(buffer.data(), copied)).c_str());
  return 0;
}

int foreground() {
  HWND window = ::GetForegroundWindow();
  say("%llu class=%s title=%s",
      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)),
      utf8(className(window)).c_str(), utf8(title(window)).c_str());
  return 0;
}

int memory(const std::wstring& exe) {
  DWORD pids[4096];
  DWORD bytes = 0;
  if (!::EnumProcesses(pids, sizeof pids, &bytes)) return 1;
  for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
    HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, pids[i]);
    if (!process) continue;
    wchar_t path[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    std::wstring name;
    if (::QueryFullProcessImageNameW(process, 0, path, &size)) {
      name = path;
      name = name.substr(name.find_last_of(L"\\/") + 1);
    }
    PROCESS_MEMORY_COUNTERS counters{};
    if (_wcsicmp(name.c_str(), exe.c_str()) == 0 &&
        ::GetProcessMemoryInfo(process, &counters, sizeof counters)) {
      say("%s working-set=%llu KiB peak=%llu KiB", utf8(name).c_str(),
          static_cast<unsigned long long>(counters.WorkingSetSize / 1024),
          static_cast<unsigned long long>(counters.PeakWorkingSetSize / 1024));
      ::CloseHandle(process);
      return 0;
    }
    ::CloseHandle(process);
  }
  return 1;
}

// The newest low-level hook is called first: this one, installed after the
// program's, times the call that runs the program's hook and the rest.
FILE* timings = nullptr;
LARGE_INTEGER frequency;
LRESULT CALLBACK timeNextHooks(int code, WPARAM wParam, LPARAM lParam) {
  if (code != HC_ACTION) return ::CallNextHookEx(nullptr, code, wParam, lParam);
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  LARGE_INTEGER start, end;
  ::QueryPerformanceCounter(&start);
  const LRESULT result = ::CallNextHookEx(nullptr, code, wParam, lParam);
  ::QueryPerformanceCounter(&end);
  if (!(key->flags & LLKHF_INJECTED)) {
    std::fprintf(timings, "%lu %s %lld\n", key->vkCode, (key->flags & LLKHF_UP) ? "up" : "down",
                 (end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
    std::fflush(timings);  // the run is ended from outside
  }
  return result;
}

// The message loop, for SECONDS or until FILE.stop exists.
void runUntil(int seconds, const std::wstring& file) {
  const std::wstring stop = file + L".stop";
  const DWORD deadline = ::GetTickCount() + DWORD(seconds) * 1000;
  const UINT_PTR watch = ::SetTimer(nullptr, 0, 100, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.wParam == watch) {
      if (LONG(::GetTickCount() - deadline) >= 0 ||
          ::GetFileAttributesW(stop.c_str()) != INVALID_FILE_ATTRIBUTES)
        break;
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::KillTimer(nullptr, watch);
}

LRESULT CALLBACK passOn(int code, WPARAM wParam, LPARAM lParam) {
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// hooktime (timing) or passhook (a hook that does nothing, to compare with).
int runHook(bool timing, int seconds, const std::wstring& file) {
  if (timing) {
    timings = _wfopen(file.c_str(), L"w");
    if (!timings) return 1;
  }
  ::QueryPerformanceFrequency(&frequency);
  HHOOK hook = ::SetWindowsHookExW(WH_KEYBOARD_LL, timing ? timeNextHooks : passOn,
                                   ::GetModuleHandleW(nullptr), 0);
  if (!hook) return 1;
  say(timing ? "timing" : "hooked");
  runUntil(seconds, file);
  ::UnhookWindowsHookEx(hook);
  if (timings) std::fclose(timings);
  say("done");
  return 0;
}

// The version resource's string of that name, in the first translation.
std::wstring versionText(const std::vector<char>& info, const wchar_t* name) {
  struct Translation {
    WORD language, codePage;
  }* translations = nullptr;
  UINT size = 0;
  if (!::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &size) ||
      size < sizeof(Translation))
    return L"?";
  wchar_t path[128];
  std::swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations->language,
                translations->codePage, name);
  wchar_t* value = nullptr;
  if (!::VerQueryValueW(info.data(), path, reinterpret_cast<void**>(&value), &size) || !value)
    return L"?";
  return value;
}

// The module's resources without running it.
struct ResourceFile {
  explicit ResourceFile(const std::wstring& file)
      : module(::LoadLibraryExW(file.c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~ResourceFile() {
    if (module) ::FreeLibrary(module);
  }
  ResourceFile(const ResourceFile&) = delete;
  ResourceFile& operator=(const ResourceFile&) = delete;
  // The manifest's bytes (id 1 of a program, 2 of a library), or empty.
  std::string manifest() const {
    for (WORD id : {WORD(1), WORD(2)}) {
      HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(24));
      if (!found) continue;
      const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
      if (bytes) return std::string(bytes, ::SizeofResource(module, found));
    }
    return {};
  }
  HMODULE module;
};

int resources(const std::wstring& file) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
  std::vector<char> info(size);
  if (size && ::GetFileVersionInfoW(file.c_str(), 0, size, info.data())) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed)
      say("numbers %u.%u.%u.%u", unsigned(HIWORD(fixed->dwFileVersionMS)),
          unsigned(LOWORD(fixed->dwFileVersionMS)), unsigned(HIWORD(fixed->dwFileVersionLS)),
          unsigned(LOWORD(fixed->dwFileVersionLS)));
    for (const wchar_t* name :
         {L"ProductName", L"ProductVersion", L"FileVersion", L"FileDescription", L"CompanyName"})
      say("%s %s", utf8(name).c_str(), utf8(versionText(info, name)).c_str());
  } else {
    say("no version resource");
  }
  ResourceFile module(file);
  if (!module.module) return 1;
  int icons = 0;
  ::EnumResourceNamesW(
      module.module, MAKEINTRESOURCEW(14),  // RT_GROUP_ICON
      [](HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) -> BOOL {
        ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&icons));
  say("icons %d", icons);
  say("manifest %zu bytes", module.manifest().size());
  return 0;
}

int manifest(const std::wstring& file) {
  ResourceFile module(file);
  const std::string bytes = module.manifest();
  if (bytes.empty()) return 1;
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()), &written,
              nullptr);
  return 0;
}

int dpi(const std::wstring& windowClass) {
  HWND window = ::FindWindowW(windowClass.c_str(), nullptr);
  if (!window) return 1;
  const DPI_AWARENESS_CONTEXT context = ::GetWindowDpiAwarenessContext(window);
  if (::AreDpiAwarenessContextsEqual(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
    say("per-monitor-v2");
    return 0;
  }
  switch (::GetAwarenessFromDpiAwarenessContext(context)) {
    case DPI_AWARENESS_UNAWARE: say("unaware"); break;
    case DPI_AWARENESS_SYSTEM_AWARE: say("system"); break;
    case DPI_AWARENESS_PER_MONITOR_AWARE: say("per-monitor"); break;
    default: say("?"); break;
  }
  return 0;
}

int keys(int count, wchar_t** codes) {
  for (int i = 0; i < count; ++i) {
    const int vk = static_cast<int>(number(codes[i]));
    say("%d %s", vk, (::GetAsyncKeyState(vk) & 0x8000) ? "down" : "up");
  }
  return 0;
}

int clipboard(const wchar_t* text) {
  if (!::OpenClipboard(nullptr)) return 1;
  int result = 0;
  if (text) {
    ::EmptyClipboard();
    const std::size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory) {
      std::memcpy(::GlobalLock(memory), text, bytes);
      ::GlobalUnlock(memory);
      if (!::SetClipboardData(CF_UNICODETEXT, memory)) ::GlobalFree(memory);
    }
  } else if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    const auto* held = static_cast<const wchar_t*>(::GlobalLock(data));
    say("%s", utf8(held ? held : L"").c_str());
    ::GlobalUnlock(data);
  } else {
    result = 1;
  }
  ::CloseClipboard();
  return result;
}

LRESULT CALLBACK holderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      ::MoveWindow(::GetWindow(window, GW_CHILD), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS: ::SetFocus(::GetWindow(window, GW_CHILD)); return 0;
    default: return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

int holderWindow(const std::wstring& windowClass, const std::wstring& caption, int seconds,
                 const std::wstring& file) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = holderProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = windowClass.c_str();
  if (!::RegisterClassExW(&wc)) return 1;
  HWND window = ::CreateWindowExW(0, windowClass.c_str(), caption.c_str(), WS_OVERLAPPEDWINDOW, 100,
                                  100, 500, 300, nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) return 1;
  ::CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 500,
                    300, window, nullptr, wc.hInstance, nullptr);
  ::ShowWindow(window, SW_SHOW);
  say("window");
  runUntil(seconds, file);
  ::DestroyWindow(window);
  return 0;
}

// The log-in window's password field writes its text to this file.
std::wstring passwordFile;

LRESULT CALLBACK loginProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == 2) {
        const std::string typed = utf8(title(reinterpret_cast<HWND>(lParam)));
        HANDLE file = ::CreateFileW(passwordFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
          DWORD written = 0;
          ::WriteFile(file, typed.data(), DWORD(typed.size()), &written, nullptr);
          ::CloseHandle(file);
        }
      }
      return 0;
    case WM_SETFOCUS: ::SetFocus(::GetDlgItem(window, 2)); return 0;
    default: return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

int loginWindow(const std::wstring& caption, int seconds, const std::wstring& file) {
  passwordFile = file;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = loginProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"KorimoProbeLogin";
  if (!::RegisterClassExW(&wc)) return 1;
  HWND window = ::CreateWindowExW(0, wc.lpszClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, 150,
                                  150, 400, 160, nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) return 1;
  const DWORD edit = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
  ::CreateWindowExW(0, L"Edit", L"", edit, 20, 20, 340, 24, window,
                    reinterpret_cast<HMENU>(INT_PTR{1}), wc.hInstance, nullptr);
  ::CreateWindowExW(0, L"Edit", L"", edit | ES_PASSWORD, 20, 60, 340, 24, window,
                    reinterpret_cast<HMENU>(INT_PTR{2}), wc.hInstance, nullptr);
  ::ShowWindow(window, SW_SHOW);
  ::SetFocus(::GetDlgItem(window, 2));
  say("window");
  runUntil(seconds, file);
  ::DestroyWindow(window);
  return 0;
}

int listbox(HWND parent) {
  HWND list = childOfClass(parent, L"ListBox");
  if (!list) return 1;
  const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring item(std::size_t(::SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
    const LRESULT n =
        ::SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(n > 0 ? std::size_t(n) : 0);
    say("%s", utf8(item).c_str());
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"windows") return windows();
  if (command == L"children" && argc == 3) return children(reinterpret_cast<HWND>(number(argv[2])));
  if (command == L"text" && argc == 3) return text(argv[2]);
  if (command == L"foreground") return foreground();
  if (command == L"post" && (argc == 5 || argc == 6))
    return ::PostMessageW(reinterpret_cast<HWND>(number(argv[2])), UINT(number(argv[3])),
                          number(argv[4]), argc == 6 ? LPARAM(number(argv[5])) : 0)
               ? 0
               : 1;
  if (command == L"click" && argc == 4) {
    HWND button = childWithText(reinterpret_cast<HWND>(number(argv[2])), argv[3]);
    return button && ::PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (command == L"checked" && argc == 4) {
    HWND button = childWithText(reinterpret_cast<HWND>(number(argv[2])), argv[3]);
    if (!button) return 1;
    say("%d", static_cast<int>(::SendMessageW(button, BM_GETCHECK, 0, 0)));
    return 0;
  }
  if (command == L"focus") return focus();
  if (command == L"listview" && argc == 3) return listview(reinterpret_cast<HWND>(number(argv[2])));
  if (command == L"cell" && argc == 5)
    return cell(reinterpret_cast<HWND>(number(argv[2])), _wtoi(argv[3]), _wtoi(argv[4]));
  if (command == L"memory" && argc == 3) return memory(argv[2]);
  if (command == L"hooktime" && argc == 4) return runHook(true, _wtoi(argv[2]), argv[3]);
  if (command == L"passhook" && argc == 4) return runHook(false, _wtoi(argv[2]), argv[3]);
  if (command == L"resources" && argc == 3) return resources(argv[2]);
  if (command == L"manifest" && argc == 3) return manifest(argv[2]);
  if (command == L"dpi" && argc == 3) return dpi(argv[2]);
  if (command == L"keys" && argc >= 3) return keys(argc - 2, argv + 2);
  if (command == L"clipboard" && argc <= 3) return clipboard(argc == 3 ? argv[2] : nullptr);
  if (command == L"window" && argc == 6)
    return holderWindow(argv[2], argv[3], _wtoi(argv[4]), argv[5]);
  if (command == L"password" && argc == 5) return loginWindow(argv[2], _wtoi(argv[3]), argv[4]);
  if (command == L"listbox" && argc == 3) return listbox(reinterpret_cast<HWND>(number(argv[2])));
  say("usage: korimo_probe windows | children HWND | text TITLE | foreground | "
      "post HWND MSG WPARAM [LPARAM] | click HWND TEXT | checked HWND TEXT | focus | listview HWND "
      "| "
      "cell HWND ROW COLUMN | memory EXE | hooktime SECONDS FILE | passhook SECONDS FILE | "
      "resources FILE | "
      "manifest FILE | dpi CLASS | keys VK... | clipboard [TEXT] | "
      "window CLASS TITLE SECONDS FILE | password TITLE SECONDS FILE | listbox HWND");
  return 2;
}
