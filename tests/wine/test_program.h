#pragma once
// Shared by the test programs that run under Wine: their report lines and
// the search for a target window.

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace korimo::wine {

// One line on standard output, written at once (the driver script polls it).
inline void say(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(line, sizeof line - 1, format, args);
  va_end(args);
  if (n < 0) return;
  if (n > int(sizeof line) - 2) n = int(sizeof line) - 2;
  line[n++] = '\n';
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line, DWORD(n), &written, nullptr);
}

// A top-level window by the start of its title (runs give their targets
// unique titles), or nullptr.
inline HWND findWindowByTitlePrefix(const std::wstring& prefix) {
  struct Search {
    const std::wstring& prefix;
    HWND found = nullptr;
  } search{prefix};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t title[256] = {};
        ::GetWindowTextW(window, title, 256);
        if (std::wstring(title).rfind(s->prefix, 0) != 0) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace korimo::wine
