#pragma once
// The platform operations the keyboard and mouse hook components use: the two
// hook libraries loaded at run time, the hidden window that receives their
// reports, the keyboard queries and translation, and the mouse and screen.
// platform/win32 implements it with the real calls, platform/sim with a
// simulated keyboard, mouse and hook libraries for tests.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop.h"

namespace korimo::platform {

// HKL: a keyboard layout.
using LayoutHandle = std::uintptr_t;

// The platform's low-level keyboard record (KBDLLHOOKSTRUCT). The extra
// information is pointer-sized, as on 64-bit Windows; the other fields keep
// their 32-bit meanings.
struct KbDllHookRecord {
  std::uint32_t vkCode = 0;
  std::uint32_t scanCode = 0;
  std::uint32_t flags = 0;  // bit 0 extended key, bit 4 injected
  std::uint32_t time = 0;
  std::uintptr_t dwExtraInfo = 0;
};

// The platform's mouse hook record (MOUSEHOOKSTRUCT), pointer-sized fields as
// on 64-bit Windows.
struct MouseHookRecord {
  std::int32_t x = 0;
  std::int32_t y = 0;
  WindowHandle window = kNoWindow;
  std::uint32_t hitTestCode = 0;
  std::uintptr_t extraInfo = 0;
};

// The pointer filters handed to the mouse-hook library, one byte each, passed
// by value whole.
struct MouseHookFilters {
  bool DisableMouse = false;
  bool HidePointer = false;
  bool InvertPointer = false;
  bool WrapPointer = false;
  bool BlockLeftButton = false;
  bool BlockRightButton = false;
  bool BlockMiddleButton = false;
  bool BlockWheel = false;
  bool SwapButtons = false;

  friend bool operator==(const MouseHookFilters&, const MouseHookFilters&) = default;
};
static_assert(sizeof(MouseHookFilters) == 9);

// One export of a hook library: its name, and its call typed as the program
// calls it; empty when the library lacks it. The Windows side derives the
// export's C signature from Signature, and the libraries check their own
// definitions against it, so a mismatch anywhere fails to compile.
template <class Signature>
struct Export;
template <class R, class... Args>
struct Export<R(Args...)> {
  using Signature = R(Args...);
  const char* name;
  std::function<Signature> call;

  explicit operator bool() const { return static_cast<bool>(call); }
  R operator()(Args... args) const { return call(args...); }
};

// The exports of the two hook libraries, one table each. Booleans cross the
// library boundary as 32-bit 0 or 1.
namespace keyhook {
constexpr char16_t kLibraryName[] = u"Vantrelx.dll";
struct Exports {
  Export<bool(WindowHandle window, std::uint32_t message, bool disable)> Start{"KeyboardHook_Start",
                                                                               {}};
  Export<bool()> Stop{"KeyboardHook_Stop", {}};
  Export<bool(bool disable)> UpdateHook{"KeyboardHook_UpdateHook", {}};
  Export<bool(WindowHandle window, std::uint32_t message, bool disable, bool injected)> StartLL{
      "KeyboardHook_StartLL", {}};
  Export<bool()> StopLL{"KeyboardHook_StopLL", {}};
  Export<bool(bool disable, bool injected)> UpdateHookLL{"KeyboardHook_UpdateHookLL", {}};
  Export<const KbDllHookRecord*()> GetDataLL{"KeyboardHook_GetDataLL", {}};

  template <class F>
  void forEach(F&& f) {
    f(Start), f(Stop), f(UpdateHook), f(StartLL), f(StopLL), f(UpdateHookLL), f(GetDataLL);
  }
  bool complete() {
    bool all = true;
    forEach([&all](const auto& e) { all = all && static_cast<bool>(e); });
    return all;
  }
};
}  // namespace keyhook

namespace mousehook {
constexpr char16_t kLibraryName[] = u"Vantrely.dll";
struct Exports {
  Export<bool(WindowHandle window, std::uint32_t message, MouseHookFilters filters)> Start{
      "MouseHook_Start", {}};
  Export<bool()> Stop{"MouseHook_Stop", {}};
  Export<const MouseHookRecord*()> GetData{"MouseHook_GetData", {}};
  Export<bool(MouseHookFilters filters)> UpdateHook{"MouseHook_UpdateHook", {}};
  Export<void(bool xChanged, bool yChanged, std::uint16_t* newX, std::uint16_t* lastX,
              std::uint16_t* newY, std::uint16_t* lastY, bool wrap)>
      InvertPointer{"MouseHook_InvertPointer", {}};
  Export<void(bool wrapX, bool wrapY, std::uint16_t* newX, std::uint16_t* newY)> WrapPointer{
      "MouseHook_WrapPointer", {}};

  template <class F>
  void forEach(F&& f) {
    f(Start), f(Stop), f(GetData), f(UpdateHook), f(InvertPointer), f(WrapPointer);
  }
  bool complete() {
    bool all = true;
    forEach([&all](const auto& e) { all = all && static_cast<bool>(e); });
    return all;
  }
};
}  // namespace mousehook

// A library loaded at run time; destroying it releases it (FreeLibrary).
class HookLibrary {
 public:
  virtual ~HookLibrary() = default;

  // GetProcAddress for every export of the table: the ones the library
  // lacks are left empty.
  virtual void resolve(keyhook::Exports& exports) = 0;
  virtual void resolve(mousehook::Exports& exports) = 0;
};

// The procedure of a hidden window: message, wParam, lParam -> answer.
using MessageProc = std::function<std::intptr_t(std::uint32_t message, std::uintptr_t wParam,
                                                std::intptr_t lParam)>;

// A hidden utility window. Destroying it resets its procedure to the default
// one and then destroys the window.
class MessageWindow {
 public:
  virtual ~MessageWindow() = default;
  virtual WindowHandle handle() const = 0;
};

using KeyboardState = std::array<std::uint8_t, 256>;

// A key as raw input reports it: from a keyboard, whatever the hooks do.
struct RawKey {
  std::uint32_t vk = 0;
  bool down = false;
  std::uint32_t time = 0;  // when the system took it, in the clock of the hook records
};

class HookPlatform {
 public:
  virtual ~HookPlatform() = default;

  // --- libraries
  // The folder of the running executable, without a trailing separator.
  virtual std::u16string executableFolder() = 0;
  // Loads a library by its full path only, never through a search; null when
  // the file is missing or cannot be loaded.
  virtual std::unique_ptr<HookLibrary> loadLibrary(std::u16string_view fullPath) = 0;

  // --- windows and messages
  virtual std::unique_ptr<MessageWindow> createMessageWindow(MessageProc proc) = 0;
  virtual std::intptr_t defWindowProc(WindowHandle window, std::uint32_t message,
                                      std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // RegisterWindowMessageW.
  virtual std::uint32_t registerWindowMessage(std::u16string_view name) = 0;
  // The report of an error that escaped a handler. It is shown once the
  // report being handled has been answered: a message box inside a hook
  // report would keep every key on the desktop waiting, until Windows
  // removes the hook.
  virtual void reportError(std::string_view message) = 0;

  // --- keyboard
  // GetAsyncKeyState, held bit (0x8000) only: the "pressed since the last
  // query" bit would make a long-released key or button read as held.
  virtual std::int16_t asyncKeyState(int vk) = 0;
  virtual std::int16_t keyState(int vk) = 0;  // GetKeyState
  // MapVirtualKeyExW.
  virtual std::uint32_t mapVirtualKeyEx(std::uint32_t code, std::uint32_t mapType,
                                        LayoutHandle layout) = 0;
  // ToUnicodeEx into buffer (size units): -1 dead key, 0 none, else the
  // number of units. Without kToUnicodeKeepState in flags the translation
  // changes the keyboard state that applications translate with (a dead key
  // left pending, or one pending taken).
  virtual int toUnicodeEx(std::uint32_t vk, std::uint32_t scan, const KeyboardState& state,
                          char16_t* buffer, int size, std::uint32_t flags, LayoutHandle layout) = 0;
  virtual LayoutHandle keyboardLayout() = 0;        // GetKeyboardLayout(0)
  virtual std::u16string keyboardLayoutName() = 0;  // GetKeyboardLayoutNameW

  // --- raw input
  // RegisterRawInputDevices: the keyboard's raw input (WM_INPUT) goes to
  // window, also while the program is in the background.
  virtual bool registerRawKeyboard(WindowHandle window) = 0;
  // GetRawInputData of the WM_INPUT message being handled: a key typed on a
  // keyboard device; nullopt for anything else (input a program injected).
  virtual std::optional<RawKey> rawKeyboardInput(std::intptr_t lParam) = 0;
  // The same for the mouse: its raw input goes to window.
  virtual bool registerRawMouse(WindowHandle window) = 0;
  // Whether the WM_INPUT message being handled is a button press or a wheel
  // turn of a mouse device.
  virtual bool rawMouseClick(std::intptr_t lParam) = 0;
  // GetTickCount: milliseconds, for telling reports and raw input apart.
  virtual std::uint32_t tickCount() = 0;
};

}  // namespace korimo::platform
