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
//   post HWND MSG WPARAM    posts a message (numbers in decimal or 0x hex)
//   memory EXE              the working set of the process of that name, in KiB
//   hooktime SECONDS FILE   for SECONDS, the time each key event spends in
//                           the hooks installed before this one (the running
//                           program's), one line per event, in microseconds

#include <windows.h>
// psapi.h needs the declarations of windows.h first.
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
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
  if (!(key->flags & LLKHF_INJECTED))
    std::fprintf(timings, "%lu %s %lld\n", key->vkCode, (key->flags & LLKHF_UP) ? "up" : "down",
                 (end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
  return result;
}

int hooktime(int seconds, const std::wstring& file) {
  timings = _wfopen(file.c_str(), L"w");
  if (!timings) return 1;
  ::QueryPerformanceFrequency(&frequency);
  HHOOK hook = ::SetWindowsHookExW(WH_KEYBOARD_LL, timeNextHooks, ::GetModuleHandleW(nullptr), 0);
  if (!hook) return 1;
  say("timing");
  const UINT_PTR deadline = ::SetTimer(nullptr, 0, UINT(seconds) * 1000, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.wParam == deadline) break;
    ::DispatchMessageW(&msg);
  }
  ::UnhookWindowsHookEx(hook);
  std::fclose(timings);
  say("done");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"windows") return windows();
  if (command == L"children" && argc == 3) return children(reinterpret_cast<HWND>(number(argv[2])));
  if (command == L"text" && argc == 3) return text(argv[2]);
  if (command == L"foreground") return foreground();
  if (command == L"post" && argc == 5)
    return ::PostMessageW(reinterpret_cast<HWND>(number(argv[2])), UINT(number(argv[3])),
                          number(argv[4]), 0)
               ? 0
               : 1;
  if (command == L"memory" && argc == 3) return memory(argv[2]);
  if (command == L"hooktime" && argc == 4) return hooktime(_wtoi(argv[2]), argv[3]);
  say("usage: korimo_probe windows | children HWND | text TITLE | foreground | "
      "post HWND MSG WPARAM | memory EXE | hooktime SECONDS FILE");
  return 2;
}
