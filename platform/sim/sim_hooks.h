#pragma once
// A simulated keyboard, mouse and screen with the two hook libraries, for
// the hook components. The libraries keep the report protocol of the real
// ones: a report is sent to the component's hidden window and answered
// before the event goes on, the event is then withheld or passed by the
// flags the library was last given, and injected keys pass unreported while
// the injected flag is off. The keyboard layout is US English, with dead
// keys a test may add.
//
// It is as strict as Windows where Windows is stricter than it looks:
// - the system's key state follows the key events that passed the hooks, so
//   a release withheld after its press passed leaves the key down for every
//   program (stuckKeys);
// - the dead-key state is one for the keyboard: a translation without
//   ToUnicodeEx's keep-state flag takes a dead key the application left
//   pending, as Windows does;
// - injected keys combine with the modifiers Windows holds;
// - the thread that serves the hooks must answer each report at once: a
//   modal call inside a report, or the thread kept busy longer than the
//   hook timeout, makes Windows remove both hooks without a word.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/hook_platform.h"
#include "platform/sim/sim_desktop.h"

namespace korimo::platform::sim {

// A key event as it left the hooks: what the foreground application got.
struct DeliveredKey {
  std::uint32_t vk = 0;
  bool down = false;
  bool injected = false;
  char16_t unicode = 0;  // KEYEVENTF_UNICODE unit, 0 otherwise
};

struct DeliveredMouse {
  std::uint32_t message = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uintptr_t extraInfo = 0;
};

class SimHookPlatform : public HookPlatform, public Desktop {
 public:
  SimHookPlatform();
  ~SimHookPlatform() override;
  SimHookPlatform(const SimHookPlatform&) = delete;
  SimHookPlatform& operator=(const SimHookPlatform&) = delete;

  // ---- the simulated disk and the two libraries
  std::u16string exeFolder = u"C:\\Program Files\\Vantrel Korimo";
  // Full paths of the library files that exist; both libraries lie beside
  // the executable at first.
  std::set<std::u16string> libraryFiles;
  // Exports a test removed, by name.
  std::set<std::string> missingExports;
  bool refuseStart = false;  // the libraries' start functions return false
  // Every library load asked for, by the path given.
  std::vector<std::u16string> loadRequests;
  // Every export call, as "Name arg arg ...".
  std::vector<std::string> exportCalls;
  int liveLibraries() const { return liveLibraries_; }
  void removeLibrary(std::u16string_view fileName);

  // ---- the keyboard
  // Windows removes a hook without telling the program (a handler that
  // took too long); the library still thinks it installed.
  void loseKeyboardHook() { keyHook_.installed = false; }
  void loseMouseHook() { mouseHook_.installed = false; }
  bool keyboardHookInstalled() const { return keyHook_.installed; }
  bool mouseHookInstalled() const { return mouseHook_.installed; }
  // How long Windows waits for a hook's thread (LowLevelHooksTimeout, at
  // most a second since Windows 10 1709).
  static constexpr std::uint32_t kHookTimeoutMs = 1000;
  // The thread that serves the hooks did something that took ms: keys and
  // the mouse waited meanwhile, and past the timeout Windows removed the hooks.
  void threadBlocked(std::uint32_t ms);
  // The user does nothing for ms: the next event's time is that much later.
  void timePasses(std::uint32_t ms) { clock_ += ms; }
  // The thread that serves the hooks entered a modal loop (a message box):
  // inside a report that report waits for the user, past any timeout.
  void modalLoop();
  bool inReport() const { return !keyHook_.frames.empty() || !mouseHook_.frames.empty(); }
  void press(std::uint32_t vk);    // key down (an auto-repeat if already down)
  void release(std::uint32_t vk);  // key up
  void type(std::uint32_t vk) {
    press(vk);
    release(vk);
  }
  // A dead key: the spacing character it gives alone, and what it makes of
  // the characters that may follow.
  void addDeadKey(std::uint32_t vk, char16_t spacing, std::map<char16_t, char16_t> combined);
  bool deadKeyPending() const { return pendingDead_ != 0; }
  // Down as the system has it (what every program reads).
  bool held(std::uint32_t vk) const { return (keys_[vk & 0xFF] & 0x80) != 0; }
  // Down in the user's hands.
  bool physicallyHeld(std::uint32_t vk) const { return physical_[vk & 0xFF]; }
  // Keys the system has down that the user released: each one stuck.
  std::vector<std::uint32_t> stuckKeys() const;
  std::vector<DeliveredKey> deliveredKeys;
  // A thread without the keyboard focus (a program watching others through
  // a low-level hook) sees its own keyboard state (GetKeyState,
  // GetKeyboardState) two events behind the keyboard; with the focus it is
  // current. GetAsyncKeyState is always current.
  bool threadHasFocus = false;
  // Queries of the keyboard's state and translations asked for: each a
  // round trip to the system on Windows.
  int keyboardQueries = 0;
  std::u16string layoutName = u"00000409";

  // ---- the mouse and screen
  int width = 1280;
  int height = 800;
  std::int32_t cursorX = 640;
  std::int32_t cursorY = 400;
  WindowHandle windowUnderPointer = 0x20020;
  void moveMouse(std::int32_t x, std::int32_t y);
  void mouseButton(std::uint32_t message);  // a button or wheel message at the pointer
  // The clock of the key and mouse records, in milliseconds.
  std::uint32_t now() const { return clock_; }
  std::vector<DeliveredMouse> deliveredMouse;

  // ---- windows and messages
  // Sends a message to a hidden window; 0 when there is no such window.
  std::intptr_t sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam);
  bool windowAlive(WindowHandle window) const { return windows_.contains(window); }
  std::intptr_t defaultAnswer = 0x77;  // what the default procedure answers
  std::vector<std::uint32_t> defaultProcMessages;
  std::vector<std::string> errors;           // the application's error reports
  std::vector<std::intptr_t> reportAnswers;  // the answer to every hook report, in order

  // The desktop the delivered keys reach (its foreground window's field).
  SimDesktop* desktop = nullptr;

  // ---- HookPlatform
  std::u16string executableFolder() override { return exeFolder; }
  std::unique_ptr<HookLibrary> loadLibrary(std::u16string_view fullPath) override;
  std::unique_ptr<MessageWindow> createMessageWindow(MessageProc proc) override;
  std::intptr_t defWindowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
  std::uint32_t registerWindowMessage(std::u16string_view name) override;
  void reportError(std::string_view message) override { errors.emplace_back(message); }
  std::int16_t asyncKeyState(int vk) override;
  std::int16_t keyState(int vk) override;
  std::uint32_t mapVirtualKeyEx(std::uint32_t code, std::uint32_t mapType,
                                LayoutHandle layout) override;
  int toUnicodeEx(std::uint32_t vk, std::uint32_t scan, const KeyboardState& state,
                  char16_t* buffer, int size, std::uint32_t flags, LayoutHandle layout) override;
  LayoutHandle keyboardLayout() override { return kUsLayout; }
  std::u16string keyboardLayoutName() override { return layoutName; }
  bool registerRawKeyboard(WindowHandle window) override;
  std::optional<RawKey> rawKeyboardInput(std::intptr_t lParam) override;
  bool registerRawMouse(WindowHandle window) override;
  bool rawMouseClick(std::intptr_t) override { return rawClick_; }
  std::uint32_t tickCount() override { return clock_; }

  // ---- Desktop: the program's own output goes through the hooks first
  unsigned sendInput(std::span<const KeyboardInput> records) override;
  std::u16string className(WindowHandle window) override;
  void readClassName(WindowHandle window, std::u16string& into) override {
    if (desktop)
      desktop->readClassName(window, into);
    else
      into.clear();
  }
  WindowHandle foregroundWindow() override;
  bool windowExists(WindowHandle window) override;
  bool acceptsInjectedInput(WindowHandle window) override;
  bool isOwnProcessWindow(WindowHandle window) override;
  std::optional<FocusPlace> focusPlace(WindowHandle window) override;
  std::u16string programName(WindowHandle window) override {
    return desktop ? desktop->programName(window) : std::u16string();
  }
  bool isPasswordField(WindowHandle control) override {
    return desktop && desktop->isPasswordField(control);
  }
  bool shellReportsFullScreen() override { return desktop && desktop->shellReportsFullScreen(); }
  bool coversItsMonitor(WindowHandle window) override {
    return desktop && desktop->coversItsMonitor(window);
  }

  static constexpr LayoutHandle kUsLayout = 0x04090409;

 private:
  class Library;
  class Window;
  friend class Library;
  friend class Window;

  struct KeyHookState {
    bool installed = false;
    bool lowLevel = false;
    WindowHandle window = kNoWindow;
    std::uint32_t message = 0;
    bool disable = false;
    bool injected = false;
    std::vector<const KbDllHookRecord*> frames;  // the reports being handled, innermost last
  };
  struct MouseHookState {
    bool installed = false;
    WindowHandle window = kNoWindow;
    std::uint32_t message = 0;
    MouseHookFilters filters;
    std::vector<const MouseHookRecord*> frames;
  };
  struct DeadKey {
    char16_t spacing = 0;
    std::map<char16_t, char16_t> combined;
  };

  keyhook::Exports keyExports();
  mousehook::Exports mouseExports();
  void libraryReleased(bool keyboard);
  // Runs one key event through the hooks; true when it reached the application.
  bool keyEvent(std::uint32_t vk, bool up, bool injected, std::uintptr_t extra, char16_t unicode);
  bool mouseReport(std::uint32_t message, std::int32_t x, std::int32_t y, std::uintptr_t extra);
  void setKey(std::uint32_t vk, bool down);
  // The character an application's TranslateMessage makes of a key press.
  char16_t applicationCharacter(std::uint32_t vk);
  int translate(std::uint32_t vk, std::uint32_t scan, const KeyboardState& state, char16_t* buffer,
                int size, std::uint32_t flags);

  std::map<WindowHandle, MessageProc> windows_;
  WindowHandle nextWindow_ = 0x30030;
  std::map<std::u16string, std::uint32_t> registered_;
  int liveLibraries_ = 0;
  int liveKeyLibraries_ = 0;
  int liveMouseLibraries_ = 0;
  KeyHookState keyHook_;
  MouseHookState mouseHook_;
  std::uint8_t keys_[256] = {};
  bool physical_[256] = {};
  std::uint8_t previousKeys_[256] = {};  // before the last event
  std::uint8_t threadKeys_[256] = {};    // the thread's view while unfocused
  std::map<std::uint32_t, DeadKey> deadKeys_;
  WindowHandle rawKeyboardWindow_ = kNoWindow;
  std::optional<RawKey> rawKey_;  // the raw input being reported
  WindowHandle rawMouseWindow_ = kNoWindow;
  bool rawClick_ = false;
  std::uint32_t pendingDead_ = 0;
  // The time of an event, in milliseconds: events come a quick typist's 40 ms apart.
  static constexpr std::uint32_t kEventSpacingMs = 40;
  std::uint32_t clock_ = 1000;
};

}  // namespace korimo::platform::sim
