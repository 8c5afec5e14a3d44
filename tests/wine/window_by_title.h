#pragma once
// For the test programs that run under Wine: find a top-level window by the
// start of its title (runs give their targets unique titles).

#include <windows.h>

#include <string>

namespace korimo::wine {

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
