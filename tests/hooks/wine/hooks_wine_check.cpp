// Runs the real keyboard and mouse hook components over the real hook
// libraries, for the Wine checks of run-hook-checks.sh. It reports every key
// and mouse event it is given on stdout, one line each, and acts on a few
// keys the way the engine does:
//   Q    withheld from the target;
//   J    withheld, and U+0915 typed into the target with the program's own
//        SendInput instead (not reported: the injected flag is off);
//   K    withheld; the injected flag is switched on for the moment and "+"
//        typed, so that its report arrives nested inside this one; the
//        library must still hold K's record afterwards;
//   F9   withheld; reads the target's text back and ends the run.
//
//   hooks_wine_check TITLE      watch the desktop while the window whose
//                               title starts with TITLE is the target
//   hooks_wine_check --load     only try to start both hooks and say so
//   hooks_wine_check --classic TITLE
//                               the classic mode: a window of its own with
//                               an edit field, titled TITLE, whose keys are
//                               reported; Q is withheld, F9 reads the field
//                               back and ends the run

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "hooks/key_hook.h"
#include "hooks/mouse_hook.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_hook_exports.h"
#include "platform/win32/win32_hooks.h"
#include "tests/wine/test_program.h"

namespace {

using namespace korimo;

constexpr UINT kReadText = WM_APP + 1;
constexpr UINT_PTR kDeadline = 1;
constexpr UINT kDeadlineMs = 90000;

using korimo::wine::say;

HWND findTarget(const std::wstring& prefix) {
  for (int i = 0; i < 200; ++i) {
    if (HWND found = korimo::wine::findWindowByTitlePrefix(prefix)) return found;
    ::Sleep(50);
  }
  return nullptr;
}

void typeUnicode(platform::Desktop& desktop, char16_t unit) {
  platform::KeyboardInput in[2];
  in[0].wScan = in[1].wScan = unit;
  in[0].dwFlags = platform::kKeyEventUnicode;
  in[1].dwFlags = platform::kKeyEventUnicode | platform::kKeyEventKeyUp;
  desktop.sendInput(in);
}

bool withheldKey(const hooks::KeyReport& s) {
  if (s.injected) return false;
  switch (s.vk) {
    case 'Q':
    case 'J':
    case 'K':
    case VK_F9: return true;
    default: return false;
  }
}

// The engine's rule: change the flag only when it differs, then update.
void decide(hooks::KeyHook& hook, bool withhold) {
  if (hook.withholding() == withhold) return;
  hook.setWithholding(withhold);
  hook.update();
}

int loadOnly() {
  platform::win32::Win32HookPlatform platform;
  hooks::KeyHook key(platform);
  hooks::MouseHook mouse(platform);
  key.setLowLevel(true);
  bool k = key.start();
  bool m = mouse.start();
  say("load key=%d mouse=%d", k, m);
  return 0;
}

LRESULT CALLBACK classicWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFOCUS) {
    if (HWND edit = ::FindWindowExW(window, nullptr, L"Edit", nullptr)) ::SetFocus(edit);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

int classicMode(const wchar_t* title) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &classicWindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"KorimoClassicCheck";
  ::RegisterClassExW(&wc);
  HWND window = ::CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                                  50, 400, 200, nullptr, nullptr, instance, nullptr);
  HWND edit = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 380,
                                150, window, nullptr, instance, nullptr);
  ::SetFocus(edit);
  const DWORD mainThread = ::GetCurrentThreadId();

  platform::win32::Win32HookPlatform platform;
  hooks::KeyHook key(platform);
  key.setReportMessage(platform.registerWindowMessage(u"keyhook_msg"));
  key.setLowLevel(false);
  key.setKeyHandler([&](hooks::KeyHook& hook, const hooks::KeyReport& s) {
    say("ckey vk=%02x down=%d char=%04x", unsigned(s.vk), s.down, unsigned(s.character));
    decide(hook, s.vk == 'Q' || s.vk == VK_F9);
    if (s.vk == VK_F9 && s.down) ::PostThreadMessageW(mainThread, kReadText, 0, 0);
  });
  say("classic ready key=%d", key.start());
  ::SetTimer(nullptr, kDeadline, kDeadlineMs, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == kReadText) {
      wchar_t text[64] = {};
      ::GetWindowTextW(edit, text, 64);
      std::string ascii;
      for (const wchar_t* c = text; *c; ++c) ascii += *c < 0x80 ? char(*c) : '?';
      say("classic text=%s", ascii.c_str());
      break;
    }
    if (msg.message == WM_TIMER && msg.wParam == kDeadline) {
      say("deadline");
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  say("classic stopped key=%d", key.stop());
  ::DestroyWindow(window);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  if (std::wstring(argv[1]) == L"--load") return loadOnly();
  if (std::wstring(argv[1]) == L"--classic") return argc > 2 ? classicMode(argv[2]) : 2;

  HWND target = findTarget(argv[1]);
  if (!target) {
    say("no target");
    return 1;
  }
  HWND edit = ::FindWindowExW(target, nullptr, L"Edit", nullptr);

  platform::win32::Win32HookPlatform platform;
  platform::win32::Win32Desktop desktop;
  hooks::KeyHook key(platform);
  hooks::MouseHook mouse(platform);
  key.setReportMessage(platform.registerWindowMessage(u"keyhook_msg"));
  key.setLowLevel(true);
  key.setReportsInjected(false);
  mouse.setReportMessage(platform.registerWindowMessage(u"mousehook_msg"));

  // The library's own view of the report being handled, to check that a
  // nested report leaves the outer one's record in place.
  std::u16string libraryPath = platform.executableFolder() + u"\\Vantrelx.dll";
  HMODULE library =
      ::LoadLibraryExW(reinterpret_cast<const wchar_t*>(libraryPath.c_str()), nullptr,
                       LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  auto getData =
      library
          ? reinterpret_cast<platform::win32::exports::CSignature<
                decltype(platform::keyhook::Exports::GetDataLL)>>(
                reinterpret_cast<void (*)()>(::GetProcAddress(library, "KeyboardHook_GetDataLL")))
          : nullptr;
  const DWORD mainThread = ::GetCurrentThreadId();

  key.setKeyHandler([&](hooks::KeyHook& hook, const hooks::KeyReport& s) {
    say("key vk=%02x down=%d char=%04x shift=%d injected=%d sc=%x", unsigned(s.vk), s.down,
        unsigned(s.character),
        hook.keysDown()[VK_SHIFT] && s.vk != VK_SHIFT && s.vk != VK_LSHIFT && s.vk != VK_RSHIFT,
        s.injected, unsigned(s.scanCode));
    decide(hook, withheldKey(s));
    if (!s.down || s.injected) return;
    switch (s.vk) {
      case 'J': typeUnicode(desktop, u'\u0915'); break;
      case 'K': {
        hook.setReportsInjected(true);
        hook.update();
        typeUnicode(desktop, u'+');
        hook.setReportsInjected(false);
        hook.update();
        const KBDLLHOOKSTRUCT* record = getData ? getData() : nullptr;
        say("nested outer=%02x", record ? unsigned(record->vkCode) : 0u);
        // The nested reports may have changed the flag; this key's fate is ours.
        decide(hook, withheldKey(s));
        break;
      }
      case VK_F9: ::PostThreadMessageW(mainThread, kReadText, 0, 0); break;
      default: break;
    }
  });
  mouse.setMouseHandler([](hooks::MouseHook&, const hooks::MouseReport& s) {
    if (s.message == 0x0200) return;  // moves are many; clicks are what is checked
    say("mouse msg=%x", unsigned(s.message));
  });

  bool k = key.start();
  bool m = mouse.start();
  say("ready key=%d mouse=%d", k, m);
  ::SetTimer(nullptr, kDeadline, kDeadlineMs, nullptr);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == kReadText) {
      wchar_t text[256] = {};
      DWORD_PTR length = 0;
      ::SendMessageTimeoutW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                            5000, &length);
      std::string hex;
      for (DWORD_PTR i = 0; i < length && i < 255; ++i) {
        char unit[8];
        std::snprintf(unit, sizeof unit, "%s%04x", i ? " " : "", unsigned(text[i]));
        hex += unit;
      }
      say("text=%s", hex.c_str());
      break;
    }
    if (msg.message == WM_TIMER && msg.wParam == kDeadline) {
      say("deadline");
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  bool ks = key.stop();
  bool ms = mouse.stop();
  say("stopped key=%d mouse=%d", ks, ms);
  if (library) ::FreeLibrary(library);
  say("done");
  return 0;
}
