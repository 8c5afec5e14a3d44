#pragma once
// Shared by the test programs that run under Wine: their report lines, their
// options and message loop, the search for a target window and the reading
// of its text.

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

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

// Text as its UTF-16 units in hex: "0061 0915".
inline std::string hexUnits(const std::wstring& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char unit[8];
    std::snprintf(unit, sizeof unit, "%s%04x", i ? " " : "", unsigned(text[i]));
    out += unit;
  }
  return out;
}

// The text field of a target window, read from outside the way any program
// can; printed as "text I=HEX" whenever it changed.
class TargetText {
 public:
  TargetText(std::size_t index, std::wstring titlePrefix)
      : index_(index), prefix_(std::move(titlePrefix)) {}

  // Prints the text when it differs from the last one printed.
  void poll() {
    if (!edit_ || !::IsWindow(edit_)) {
      HWND found = findWindowByTitlePrefix(prefix_);
      edit_ = found ? ::FindWindowExW(found, nullptr, L"Edit", nullptr) : nullptr;
      if (!edit_) return;
    }
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(edit_, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 1000, &length)) return;
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(edit_, WM_GETTEXT, buffer.size(),
                               reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, 1000, &copied))
      return;
    std::wstring text(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
    if (shown_ && text == last_) return;
    shown_ = true;
    last_ = text;
    say("text %zu=%s", index_, hexUnits(text).c_str());
  }

 private:
  std::size_t index_;
  std::wstring prefix_;
  HWND edit_ = nullptr;
  std::wstring last_;
  bool shown_ = false;
};

// The program's own hidden top-level window; the core never takes it as a
// target.
class OwnWindow {
 public:
  explicit OwnWindow(const wchar_t* className) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    ::RegisterClassExW(&wc);
    hwnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, className, L"Vantrel Korimo", WS_POPUP, 0, 0, 0, 0,
                              nullptr, nullptr, instance, nullptr);
  }
  ~OwnWindow() {
    if (hwnd_) ::DestroyWindow(hwnd_);
  }
  OwnWindow(const OwnWindow&) = delete;
  OwnWindow& operator=(const OwnWindow&) = delete;

  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// The options of a program that watches target windows until told to stop:
//   --target TITLE [--target TITLE ...] --stop FILE [--seconds N]
struct RunOptions {
  std::vector<std::wstring> targets;
  std::wstring stopFile;
  unsigned seconds = 60;
};

inline bool parseRunOptions(int argc, wchar_t** argv, RunOptions& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring name = argv[i];
    if (name == L"--target") {
      options.targets.emplace_back(argv[i + 1]);
    } else if (name == L"--stop") {
      options.stopFile = argv[i + 1];
    } else if (name == L"--seconds") {
      options.seconds = unsigned(std::wcstoul(argv[i + 1], nullptr, 10));
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && !options.targets.empty() && !options.stopFile.empty() &&
         options.seconds > 0 && options.seconds <= 600;
}

inline bool fileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs the thread's message loop, calling watch every watchMs. Returns why
// it ended: "stop" when watch returned false, "deadline" after seconds,
// "quit" on WM_QUIT.
inline const char* runMessageLoop(unsigned seconds, UINT watchMs,
                                  const std::function<bool()>& watch) {
  // Thread timers: the system picks their identifiers.
  const UINT_PTR watchTimer = ::SetTimer(nullptr, 0, watchMs, nullptr);
  const UINT_PTR deadline = ::SetTimer(nullptr, 0, seconds * 1000, nullptr);
  const char* reason = "quit";
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
      if (msg.wParam == deadline) {
        reason = "deadline";
        break;
      }
      if (msg.wParam == watchTimer && !watch()) {
        reason = "stop";
        break;
      }
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::KillTimer(nullptr, watchTimer);
  ::KillTimer(nullptr, deadline);
  return reason;
}

}  // namespace korimo::wine
