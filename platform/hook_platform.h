#pragma once
// The platform operations the keyboard and mouse hook components use: the two
// hook libraries loaded at run time, the hidden window that receives their
// reports, the keyboard queries and translation, and the mouse and screen.
// platform/win32 implements it with the real calls, platform/sim with a
// simulated keyboard, mouse and hook libraries for tests.

#include <any>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
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

// The exports of the two hook libraries, with the signatures the program
// calls them by. Booleans cross the library boundary as 32-bit 0 or 1.
namespace keyhook {
constexpr char16_t kLibraryName[] = u"Vantrelx.dll";
using Start = std::function<bool(WindowHandle window, std::uint32_t message, bool disable)>;
using Stop = std::function<bool()>;
using Update = std::function<bool(bool disable)>;
using StartLL =
    std::function<bool(WindowHandle window, std::uint32_t message, bool disable, bool injected)>;
using UpdateLL = std::function<bool(bool disable, bool injected)>;
using GetDataLL = std::function<const KbDllHookRecord*()>;
constexpr char kStart[] = "KeyboardHook_Start";
constexpr char kStop[] = "KeyboardHook_Stop";
constexpr char kUpdateHook[] = "KeyboardHook_UpdateHook";
constexpr char kStartLL[] = "KeyboardHook_StartLL";
constexpr char kStopLL[] = "KeyboardHook_StopLL";
constexpr char kUpdateHookLL[] = "KeyboardHook_UpdateHookLL";
constexpr char kGetDataLL[] = "KeyboardHook_GetDataLL";
}  // namespace keyhook

namespace mousehook {
constexpr char16_t kLibraryName[] = u"Vantrely.dll";
using Start = std::function<bool(WindowHandle window, std::uint32_t message, MouseHookFilters)>;
using Stop = std::function<bool()>;
using GetData = std::function<const MouseHookRecord*()>;
using Update = std::function<bool(MouseHookFilters)>;
using InvertPointer =
    std::function<void(bool xChanged, bool yChanged, std::uint16_t* newX, std::uint16_t* lastX,
                       std::uint16_t* newY, std::uint16_t* lastY, bool wrap)>;
using WrapPointer =
    std::function<void(bool wrapX, bool wrapY, std::uint16_t* newX, std::uint16_t* newY)>;
constexpr char kStart[] = "MouseHook_Start";
constexpr char kStop[] = "MouseHook_Stop";
constexpr char kGetData[] = "MouseHook_GetData";
constexpr char kUpdateHook[] = "MouseHook_UpdateHook";
constexpr char kInvertPointer[] = "MouseHook_InvertPointer";
constexpr char kWrapPointer[] = "MouseHook_WrapPointer";
}  // namespace mousehook

// A library loaded at run time; destroying it releases it (FreeLibrary).
class HookLibrary {
 public:
  virtual ~HookLibrary() = default;

  // GetProcAddress: the export of that name as a std::function of the
  // signature above, inside the std::any; an empty any when it is missing.
  virtual std::any procedure(std::string_view name) = 0;

  // The export typed as F, or an empty F when it is missing.
  template <class F>
  F resolve(std::string_view name) {
    std::any found = procedure(name);
    if (auto* f = std::any_cast<F>(&found)) return *f;
    return F{};
  }
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
  // The application's standard report of an error that escaped a handler.
  virtual void reportError(std::string_view message) = 0;

  // --- keyboard
  // GetAsyncKeyState, held bit (0x8000) only: the "pressed since the last
  // query" bit would make a long-released key or button read as held.
  virtual std::int16_t asyncKeyState(int vk) = 0;
  virtual std::int16_t keyState(int vk) = 0;             // GetKeyState
  virtual bool keyboardState(KeyboardState& state) = 0;  // GetKeyboardState
  // MapVirtualKeyExW / MapVirtualKeyW.
  virtual std::uint32_t mapVirtualKeyEx(std::uint32_t code, std::uint32_t mapType,
                                        LayoutHandle layout) = 0;
  virtual std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) = 0;
  // GetKeyNameTextW into buffer (size units, zero-terminated); the length.
  virtual int keyNameText(std::int32_t lParam, char16_t* buffer, int size) = 0;
  // ToAsciiEx: translation into buffer (at least 2 units); -1 dead key, 0 none, 1 or 2 characters.
  virtual int toAsciiEx(std::uint32_t vk, std::uint32_t scan, const KeyboardState& state,
                        char16_t* buffer, std::uint32_t flags, LayoutHandle layout) = 0;
  virtual LayoutHandle keyboardLayout() = 0;        // GetKeyboardLayout(0)
  virtual std::u16string keyboardLayoutName() = 0;  // GetKeyboardLayoutNameW

  // --- mouse and screen
  virtual int screenWidth() = 0;                                 // GetSystemMetrics(SM_CXSCREEN)
  virtual int screenHeight() = 0;                                // GetSystemMetrics(SM_CYSCREEN)
  virtual bool cursorPos(std::int32_t& x, std::int32_t& y) = 0;  // GetCursorPos
  virtual void mouseEvent(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                          std::uint32_t data, std::uintptr_t extraInfo) = 0;  // mouse_event
  virtual int showCursor(bool show) = 0;                                      // ShowCursor
  virtual bool swapMouseButton(bool swap) = 0;                                // SwapMouseButton
};

// Constants of the keyboard and mouse reports.
constexpr std::uint32_t kWmKeyDown = 0x0100;
constexpr std::uint32_t kWmKeyUp = 0x0101;
constexpr std::uint32_t kWmSysKeyDown = 0x0104;
constexpr std::uint32_t kWmSysKeyUp = 0x0105;
constexpr std::uint32_t kWmMouseMove = 0x0200;
constexpr std::uint32_t kWmLButtonDown = 0x0201;
constexpr std::uint32_t kWmLButtonUp = 0x0202;
constexpr std::uint32_t kWmLButtonDblClk = 0x0203;
constexpr std::uint32_t kWmRButtonDown = 0x0204;
constexpr std::uint32_t kWmRButtonUp = 0x0205;
constexpr std::uint32_t kWmRButtonDblClk = 0x0206;
constexpr std::uint32_t kWmMButtonDown = 0x0207;
constexpr std::uint32_t kWmMButtonUp = 0x0208;
constexpr std::uint32_t kWmMButtonDblClk = 0x0209;
constexpr std::uint32_t kWmMouseWheel = 0x020A;
constexpr std::uint32_t kWmMouseHWheel = 0x020E;
constexpr std::uint32_t kLlkhfExtended = 0x01;
constexpr std::uint32_t kLlkhfInjected = 0x10;
constexpr std::uint32_t kMouseEventMove = 0x0001;
constexpr std::uint32_t kMouseEventAbsolute = 0x8000;
constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkMenu = 0x12;
constexpr int kVkCapital = 0x14;

}  // namespace korimo::platform
