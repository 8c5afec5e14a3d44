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
//   resources FILE          what a program or library carries, as Explorer
//                           reads it: the version numbers and texts, the
//                           number of icons, the manifest's size in bytes
//   manifest FILE           the embedded application manifest, as it is
//   dpi CLASS               the DPI awareness of the process that owns the
//                           top-level window of that class: unaware, system,
//                           per-monitor or per-monitor-v2

#include <windows.h>
// psapi.h needs the declarations of windows.h first.
#include <psapi.h>
#include <winver.h>

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
  if (command == L"resources" && argc == 3) return resources(argv[2]);
  if (command == L"manifest" && argc == 3) return manifest(argv[2]);
  if (command == L"dpi" && argc == 3) return dpi(argv[2]);
  say("usage: korimo_probe windows | children HWND | text TITLE | foreground | "
      "post HWND MSG WPARAM | memory EXE | hooktime SECONDS FILE | resources FILE | "
      "manifest FILE | dpi CLASS");
  return 2;
}
