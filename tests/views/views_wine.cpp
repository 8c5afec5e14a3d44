// The key preview strip and the on-screen keyboard as real windows, for the
// checks of run-views.sh: ProgramCore over the real desktop, hook and shell
// platforms with the real hook libraries, the configuration and the keymaps
// beside this executable, and both views shown. Keys and clicks come from
// the desktop; this program adds only the watching.
//
//   views_wine --target TITLE --stop FILE [--seconds N]
//
// TITLE  the start of the target window's title; its Edit child's text is
//        printed as UTF-16 units in hex ("text 0=0061 0915") when it changes
// FILE   a file whose appearance asks the strip to close, which ends the run
// N      the run ends by itself after N seconds (default 60)
//
// Lines on stdout (rectangles in screen pixels as L,T,R,B; points as X,Y):
//   ready key=K mouse=M dpi=D       after start-up, both views shown
//   strip RECT visible=V left=POINT right=POINT
//                                    the strip and the centres of its arrows,
//                                    when it moved or was shown or hidden
//   keyboard RECT visible=V          the same for the on-screen keyboard
//   preview page=P x1=HEX y1=HEX x2=HEX y2=HEX
//                                    after each change of the strip's cells
//   legends k=HEX K=HEX n=HEX        after each change of the keyboard's legends
//   foreground TITLE                 the foreground window's title, when it changed
//   text 0=HEX                       the target's text, when it changed
//   error MESSAGE                    an error report of the core
//   stopped reason=closed|deadline, then done

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_hooks.h"
#include "platform/win32/win32_shell.h"
#include "shell/program_core.h"
#include "tests/wine/test_program.h"
#include "ui/key_preview_layout.h"
#include "ui/win32/key_preview_window.h"
#include "ui/win32/keyboard_window.h"

namespace {

using namespace korimo;
using korimo::wine::hexUnits;
using korimo::wine::OwnWindow;
using korimo::wine::RunOptions;
using korimo::wine::say;
using korimo::wine::TargetText;

constexpr UINT kWatchMs = 50;

std::string hex(const std::u16string& text) {
  return hexUnits(std::wstring(text.begin(), text.end()));
}

std::string rectText(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
  return text;
}

// Prints a window's place when it changed.
class PlaceWatch {
 public:
  PlaceWatch(const char* name, HWND window) : name_(name), window_(window) {}

  void poll(const ui::win32::KeyPreviewWindow* strip) {
    RECT r{};
    ::GetWindowRect(window_, &r);
    const bool visible = ::IsWindowVisible(window_) != FALSE;
    if (reported_ && visible == visible_ && ::EqualRect(&r, &rect_)) return;
    reported_ = true;
    rect_ = r;
    visible_ = visible;
    std::string arrows;
    if (strip) {
      for (auto [name, arrow] : {std::pair{"left", KeyPreview::Arrow::Left},
                                 std::pair{"right", KeyPreview::Arrow::Right}}) {
        ui::Rect button = ui::scaleToDpi(ui::key_preview_layout::arrowButton(arrow), strip->dpi());
        char point[48];
        std::snprintf(point, sizeof point, " %s=%ld,%ld", name,
                      r.left + button.left + button.width / 2,
                      r.top + button.top + button.height / 2);
        arrows += point;
      }
    }
    say("%s %s visible=%d%s", name_, rectText(r).c_str(), visible, arrows.c_str());
  }

 private:
  const char* name_;
  HWND window_;
  RECT rect_{};
  bool visible_ = false;
  bool reported_ = false;
};

// Prints what the views show after each change the core reports.
class Watcher : public CoreObserver {
 public:
  explicit Watcher(ProgramCore& core) : core_(core) { core_.addObserver(*this); }
  ~Watcher() override { core_.removeObserver(*this); }
  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

  void coreChanged(ViewParts parts) override {
    if (parts.has(ViewPart::KeyPreview)) {
      const KeyPreview& p = core_.preview;
      say("preview page=%d x1=%s y1=%s x2=%s y2=%s", p.previewPage, hex(p.keys[0]).c_str(),
          hex(p.characters[0]).c_str(), hex(p.keys[1]).c_str(), hex(p.characters[1]).c_str());
    }
    if (parts.has(ViewPart::Keyboard)) {
      say("legends k=%s K=%s n=%s", hex(core_.osk.legend(u'k')).c_str(),
          hex(core_.osk.legend(u'K')).c_str(), hex(core_.osk.legend(u'n')).c_str());
    }
  }

 private:
  ProgramCore& core_;
};

std::string titleOf(HWND window) {
  wchar_t title[256] = {};
  if (window) ::GetWindowTextW(window, title, 256);
  std::string out;
  for (const wchar_t* c = title; *c; ++c) out += (*c >= 0x20 && *c < 0x7F) ? char(*c) : '?';
  return window ? out : "(none)";
}

// Aware of each monitor's dots per inch, as the program is by its manifest.
void becomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (!setContext || !setContext(reinterpret_cast<HANDLE>(-4)))  // per monitor, version 2
    ::SetProcessDPIAware();
}

int run(const RunOptions& options) {
  becomeDpiAware();
  platform::win32::Win32HookPlatform hooks;
  hooks.setErrorReport(
      [](std::string_view message) { say("error %.*s", int(message.size()), message.data()); });
  platform::win32::Win32Desktop desktop;
  platform::win32::Win32Shell shell;
  OwnWindow own(L"VantrelKorimoViews");
  if (!own.get()) {
    say("no own window");
    return 1;
  }
  HINSTANCE instance = ::GetModuleHandleW(nullptr);

  // The order of the program's start-up: the strip, the keyboard, then the core's start.
  ProgramCore core(ProgramCore::Platforms{desktop, hooks, shell},
                   reinterpret_cast<platform::WindowHandle>(own.get()));
  bool closed = false;
  ui::win32::KeyPreviewWindow strip(core, instance, [&closed] {
    closed = true;
    ::PostQuitMessage(0);
  });
  ui::win32::KeyboardWindow keyboard(core, instance);
  Watcher watcher(core);
  core.start();
  core.toggleKeyPreview();
  core.toggleOnScreenKeyboard();

  const bool keyRunning = core.keyHook() && core.keyHook()->running();
  const bool mouseRunning = core.mouseHook() && core.mouseHook()->running();
  PlaceWatch stripPlace("strip", strip.handle());
  PlaceWatch keyboardPlace("keyboard", keyboard.handle());
  TargetText target(0, options.targets.front());
  std::string foreground;
  auto poll = [&] {
    stripPlace.poll(&strip);
    keyboardPlace.poll(nullptr);
    target.poll();
    std::string now = titleOf(::GetForegroundWindow());
    if (now != foreground) say("foreground %s", (foreground = now).c_str());
  };
  poll();
  say("ready key=%d mouse=%d dpi=%d", keyRunning, mouseRunning, strip.dpi());

  // The strip is the program's main window: asking it to close ends the run.
  bool closeAsked = false;
  const char* reason = korimo::wine::runMessageLoop(options.seconds, kWatchMs, [&] {
    poll();
    if (!closeAsked && korimo::wine::fileExists(options.stopFile)) {
      closeAsked = true;
      ::PostMessageW(strip.handle(), WM_CLOSE, 0, 0);
    }
    return true;
  });
  target.poll();
  core.shutDown();
  say("stopped reason=%s", closed ? "closed" : reason);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  RunOptions options;
  if (!korimo::wine::parseRunOptions(argc, argv, options)) {
    say("usage: views_wine --target TITLE --stop FILE [--seconds N]");
    return 2;
  }
  int result = run(options);
  say("done");
  return result;
}
