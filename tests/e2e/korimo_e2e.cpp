// The program core as it runs on Windows, for the end-to-end checks of
// run-e2e.sh: ProgramCore over the real desktop, hook and shell platforms, with
// the real hook libraries, the configuration and the keymaps beside this
// executable. Keys come from the desktop and the core types into the focused
// window; this program adds only the watching.
//
//   korimo_e2e --target TITLE [--target TITLE2 ...] --stop FILE [--seconds N]
//
// TITLE  the start of a target window's title; its Edit child's text is
//        printed as UTF-16 units in hex ("text 0=0061 0915", numbered in the
//        order given) whenever it changes
// FILE   a file whose appearance ends the run; when FILE.slow appears, the
//        core starts work that takes until FILE.done appears (as a file on a
//        slow share would), through ShellPlatform's runOffThread, as it reads
//        a file the user chose, while keys go on
// N      the run ends by itself after N seconds (default 60)
//
// Lines on stdout:
//   ready key=K mouse=M keymaps=N   after start-up: hooks running, keymaps catalogued
//   key vk=.. down=D alt=A withheld=W on=O keymap=NAME pending=KEYS
//                                    after each key report the core handled
//   text I=HEX                       target I's text, when it changed
//   error MESSAGE                    an error report of the core
//   slow work, slow work done        the slow work began, ended
//   stopped reason=stop|deadline|quit, then done

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_hooks.h"
#include "platform/win32/win32_shell.h"
#include "shell/program_core.h"
#include "tests/wine/test_program.h"

namespace {

using namespace korimo;

constexpr UINT kWatchMs = 50;
constexpr wchar_t kOwnWindowClass[] = L"VantrelKorimoE2E";

using korimo::wine::OwnWindow;
using korimo::wine::RunOptions;
using korimo::wine::say;
using korimo::wine::TargetText;

// Printable ASCII as is, anything else as \uXXXX: names and key sequences
// of the core, for the log.
std::string printable(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += char(c);
    } else {
      char unit[8];
      std::snprintf(unit, sizeof unit, "\\u%04x", unsigned(c));
      out += unit;
    }
  }
  return out;
}

int run(const RunOptions& options) {
  platform::win32::Win32HookPlatform hooks;
  hooks.setErrorReport(
      [](std::string_view message) { say("error %.*s", int(message.size()), message.data()); });
  platform::win32::Win32Desktop desktop;
  platform::win32::Win32Shell shell;
  OwnWindow own(kOwnWindowClass);
  if (!own.get()) {
    say("no own window");
    return 1;
  }

  ProgramCore core(ProgramCore::Platforms{desktop, hooks, shell},
                   reinterpret_cast<platform::WindowHandle>(own.get()));
  core.start();

  // The core's own handler, with a line about its decision after each key.
  if (hooks::KeyHook* key = core.keyHook()) {
    key->setKeyHandler([&core](hooks::KeyHook& hook, const hooks::KeyReport& s) {
      core.onKeyReport(s);
      say("key vk=%02x down=%d alt=%d withheld=%d on=%d keymap=%s pending=%s", unsigned(s.vk),
          s.down, s.alt, hook.withholding(), core.keymapOn,
          printable(core.activeKeymap.value_or(u"****")).c_str(),
          printable(std::u16string(core.engine.composition.pendingKeys)).c_str());
    });
  }
  const bool keyRunning = core.keyHook() && core.keyHook()->running();
  const bool mouseRunning = core.mouseHook() && core.mouseHook()->running();
  say("ready key=%d mouse=%d keymaps=%d", keyRunning, mouseRunning, core.catalogue.keymapCount);

  std::vector<TargetText> targets;
  for (const std::wstring& title : options.targets) targets.emplace_back(targets.size(), title);
  auto pollTargets = [&targets] {
    for (TargetText& target : targets) target.poll();
  };
  pollTargets();
  const std::wstring slowFile = options.stopFile + L".slow";
  const std::wstring doneFile = options.stopFile + L".done";
  bool slowDone = false;
  const char* reason = korimo::wine::runMessageLoop(options.seconds, kWatchMs, [&] {
    pollTargets();
    if (!slowDone && korimo::wine::fileExists(slowFile)) {
      slowDone = true;
      say("slow work");
      shell.runOffThread([&] {
        while (!korimo::wine::fileExists(doneFile)) ::Sleep(50);
      });
      say("slow work done");
    }
    return !korimo::wine::fileExists(options.stopFile);
  });
  pollTargets();
  core.shutDown();
  say("stopped reason=%s", reason);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  RunOptions options;
  if (!korimo::wine::parseRunOptions(argc, argv, options)) {
    say("usage: korimo_e2e --target TITLE [--target TITLE ...] --stop FILE [--seconds N]");
    return 2;
  }
  int result = run(options);
  say("done");
  return result;
}
