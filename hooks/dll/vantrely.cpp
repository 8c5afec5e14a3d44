// Vantrely.dll: the mouse-hook library. It installs a low-level mouse hook,
// reports every mouse event to the receiving window with a sent message
// (wParam the mouse message, the record of the event available from
// MouseHook_GetData while the report is handled), and applies the filters it
// was last given once the report has been handled:
//  - BlockLeftButton, BlockRightButton, BlockMiddleButton, BlockWheel
//    withhold the messages of that button or of the wheel;
//  - DisableMouse withholds every button and wheel message and, like
//    HidePointer, every pointer move that is not the component's own (the
//    component parks the pointer; the user's moves must not undo that);
//  - InvertPointer and WrapPointer: MouseHook_InvertPointer and
//    MouseHook_WrapPointer move the pointer to the new place themselves,
//    and the user's move that asked for it is withheld.
// The component's own moves carry extra information 1 and are reported
// and passed like any other event.
//
// Re-entrancy: as in Vantrelx.dll, each report keeps its record in a frame
// on its own call's stack; a nested report (a move the component makes while
// handling a report) never replaces the record of the outer one.
//
// A low-level hook does not learn the hit-test code of the event, and asking
// the window would block on another process: the record carries HTNOWHERE.

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "hooks/dll/unhook.h"
#include "platform/win32/win32_hook_exports.h"

using korimo::platform::MouseHookFilters;

namespace {

constexpr UINT kReportTimeoutMs = 1000;
constexpr ULONG_PTR kOwnMove = 1;

struct Frame {
  MOUSEHOOKSTRUCT record;
  const Frame* outer;
  bool moved;  // the pointer was put elsewhere while this report was handled
};

// This module's one hook state; the exports and the hook procedure run on
// the thread that started the hook.
struct HookState {
  HINSTANCE module = nullptr;
  HHOOK hook = nullptr;
  HWND window = nullptr;
  UINT message = 0;
  MouseHookFilters filters{};
  Frame* current = nullptr;
};
HookState state;

bool withheld(WPARAM message, const MSLLHOOKSTRUCT& event, const Frame& frame) {
  const MouseHookFilters& f = state.filters;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: return f.BlockLeftButton || f.DisableMouse;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: return f.BlockRightButton || f.DisableMouse;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
    case WM_XBUTTONDBLCLK: return f.BlockMiddleButton || f.DisableMouse;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: return f.BlockWheel || f.DisableMouse;
    case WM_MOUSEMOVE:
      if (event.dwExtraInfo == kOwnMove) return false;
      return frame.moved || f.DisableMouse || f.HidePointer || f.InvertPointer;
    default: return false;
  }
}

LRESULT CALLBACK mouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code != HC_ACTION) return ::CallNextHookEx(nullptr, code, wParam, lParam);
  const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
  Frame frame{};
  frame.record.pt = event->pt;
  frame.record.hwnd = ::WindowFromPoint(event->pt);
  frame.record.wHitTestCode = HTNOWHERE;
  frame.record.dwExtraInfo = event->dwExtraInfo;
  frame.outer = state.current;
  state.current = &frame;
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutW(state.window, state.message, wParam, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                        kReportTimeoutMs, &answer);
  state.current = const_cast<Frame*>(frame.outer);
  if (withheld(wParam, *event, frame)) return 1;
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

double mickeys(int pixels) { return 65535.0 / std::max(pixels, 1); }

void moveTo(WORD x, WORD y) {
  if (state.current) state.current->moved = true;
  ::mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y, 0, kOwnMove);
}

WORD mirrored(WORD now, WORD last, bool wrap) {
  int v = 2 * int(last) - int(now);
  if (wrap) return static_cast<WORD>(((v % 65536) + 65536) % 65536);
  return static_cast<WORD>(std::clamp(v, 0, 65535));
}

}  // namespace

extern "C" {

BOOL WINAPI MouseHook_Start(HWND window, UINT message, MouseHookFilters filters) {
  if (state.hook || !::IsWindow(window)) return FALSE;
  state.window = window;
  state.message = message;
  state.filters = filters;
  state.hook = ::SetWindowsHookExW(WH_MOUSE_LL, &mouseProc, state.module, 0);
  return state.hook != nullptr;
}

BOOL WINAPI MouseHook_Stop() { return korimo::hooks::dll::unhook(state.hook); }

const MOUSEHOOKSTRUCT* WINAPI MouseHook_GetData() {
  return state.current ? &state.current->record : nullptr;
}

BOOL WINAPI MouseHook_UpdateHook(MouseHookFilters filters) {
  if (!state.hook) return FALSE;
  state.filters = filters;
  return TRUE;
}

// The pointer goes as far the other way as it was moved: the new position is
// mirrored about the last one, around the edges when wrapping.
void WINAPI MouseHook_InvertPointer(BOOL xChanged, BOOL yChanged, WORD* newX, WORD* lastX,
                                    WORD* newY, WORD* lastY, BOOL wrap) {
  if (!newX || !lastX || !newY || !lastY) return;
  if (xChanged) *newX = mirrored(*newX, *lastX, wrap);
  if (yChanged) *newY = mirrored(*newY, *lastY, wrap);
  moveTo(*newX, *newY);
}

// A pointer at an edge comes back in at the opposite one, a few pixels
// inside so that it does not wrap straight back.
void WINAPI MouseHook_WrapPointer(BOOL wrapX, BOOL wrapY, WORD* newX, WORD* newY) {
  if (!newX || !newY) return;
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  const double mx = mickeys(width);
  const double my = mickeys(height);
  if (wrapX) *newX = static_cast<WORD>(std::nearbyint(*newX == 0 ? (width - 3) * mx : 2 * mx));
  if (wrapY) *newY = static_cast<WORD>(std::nearbyint(*newY == 0 ? (height - 3) * my : 2 * my));
  moveTo(*newX, *newY);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    state.module = instance;
    ::DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && state.hook) {
    ::UnhookWindowsHookEx(state.hook);
    state.hook = nullptr;
  }
  return TRUE;
}

}  // extern "C"

// Every export has the C signature of its entry in the program's table.
namespace ex = korimo::platform::win32::exports;
using Table = korimo::platform::mousehook::Exports;
static_assert(std::is_same_v<decltype(&MouseHook_Start), ex::CSignature<decltype(Table::Start)>>);
static_assert(std::is_same_v<decltype(&MouseHook_Stop), ex::CSignature<decltype(Table::Stop)>>);
static_assert(
    std::is_same_v<decltype(&MouseHook_GetData), ex::CSignature<decltype(Table::GetData)>>);
static_assert(
    std::is_same_v<decltype(&MouseHook_UpdateHook), ex::CSignature<decltype(Table::UpdateHook)>>);
static_assert(std::is_same_v<decltype(&MouseHook_InvertPointer),
                             ex::CSignature<decltype(Table::InvertPointer)>>);
static_assert(
    std::is_same_v<decltype(&MouseHook_WrapPointer), ex::CSignature<decltype(Table::WrapPointer)>>);
