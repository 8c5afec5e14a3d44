// Vantrelx.dll: the keyboard-hook library. It installs a low-level keyboard
// hook (or, in the classic mode, a keyboard hook on the thread of the
// receiving window), reports every keystroke to that window with a sent
// message, and after the report has been handled withholds the key when the
// disable flag it was last given is true.
//
// Re-entrancy: a report can arrive nested inside the handling of another one
// (the program's own SendInput runs the hook again before it returns). Each
// report keeps its record in a frame on its own call's stack, and
// KeyboardHook_GetDataLL returns the record of the innermost report being
// handled; when a nested report ends, the outer record is current again.
//
// The hook procedures block on nothing but the report itself, and the report
// to a window of another thread is given up after a second.

#include <windows.h>

#include <type_traits>

#include "hooks/dll/unhook.h"
#include "platform/win32/win32_hook_exports.h"

namespace {

constexpr UINT kReportTimeoutMs = 1000;

struct Frame {
  KBDLLHOOKSTRUCT record;
  const Frame* outer;
};

// This module's one hook state. Every export and both hook procedures run on
// the thread that started the hook, so nothing here needs a lock.
struct HookState {
  HINSTANCE module = nullptr;
  HHOOK lowLevel = nullptr;
  HHOOK classic = nullptr;
  HWND window = nullptr;
  UINT message = 0;
  bool disable = false;
  bool injected = false;
  const Frame* current = nullptr;
};
HookState state;

void report(WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutW(state.window, state.message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                        kReportTimeoutMs, &answer);
}

LRESULT CALLBACK lowLevelProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code != HC_ACTION) return ::CallNextHookEx(nullptr, code, wParam, lParam);
  const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  // Keys injected by software pass unreported unless asked for.
  if ((event->flags & LLKHF_INJECTED) && !state.injected)
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  Frame frame{*event, state.current};
  state.current = &frame;
  report(wParam, 0);
  state.current = frame.outer;
  if (state.disable) return 1;
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK classicProc(int code, WPARAM wParam, LPARAM lParam) {
  // HC_NOREMOVE: the message was only peeked at; it is reported when removed.
  if (code != HC_ACTION) return ::CallNextHookEx(nullptr, code, wParam, lParam);
  report(wParam, lParam);
  if (state.disable) return 1;
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool installed() { return state.lowLevel != nullptr || state.classic != nullptr; }

}  // namespace

extern "C" {

BOOL WINAPI KeyboardHook_Start(HWND window, UINT message, BOOL disable) {
  if (installed() || !::IsWindow(window)) return FALSE;
  // A thread hook on the receiving window's own thread: the classic mode
  // sees the keys typed into that thread's windows.
  DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  state.window = window;
  state.message = message;
  state.disable = disable != FALSE;
  state.injected = false;
  state.classic = ::SetWindowsHookExW(WH_KEYBOARD, &classicProc, state.module, thread);
  return state.classic != nullptr;
}

BOOL WINAPI KeyboardHook_Stop() { return korimo::hooks::dll::unhook(state.classic); }

BOOL WINAPI KeyboardHook_UpdateHook(BOOL disable) {
  if (!state.classic) return FALSE;
  state.disable = disable != FALSE;
  return TRUE;
}

BOOL WINAPI KeyboardHook_StartLL(HWND window, UINT message, BOOL disable, BOOL injected) {
  if (installed() || !::IsWindow(window)) return FALSE;
  state.window = window;
  state.message = message;
  state.disable = disable != FALSE;
  state.injected = injected != FALSE;
  state.lowLevel = ::SetWindowsHookExW(WH_KEYBOARD_LL, &lowLevelProc, state.module, 0);
  return state.lowLevel != nullptr;
}

BOOL WINAPI KeyboardHook_StopLL() { return korimo::hooks::dll::unhook(state.lowLevel); }

BOOL WINAPI KeyboardHook_UpdateHookLL(BOOL disable, BOOL injected) {
  if (!state.lowLevel) return FALSE;
  state.disable = disable != FALSE;
  state.injected = injected != FALSE;
  return TRUE;
}

const KBDLLHOOKSTRUCT* WINAPI KeyboardHook_GetDataLL() {
  return state.current ? &state.current->record : nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    state.module = instance;
    ::DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    // Never leave a hook behind that points into an unloaded module.
    if (state.lowLevel) ::UnhookWindowsHookEx(state.lowLevel);
    if (state.classic) ::UnhookWindowsHookEx(state.classic);
    state.lowLevel = state.classic = nullptr;
  }
  return TRUE;
}

}  // extern "C"

// Every export has the C signature of its entry in the program's table.
namespace ex = korimo::platform::win32::exports;
using Table = korimo::platform::keyhook::Exports;
static_assert(
    std::is_same_v<decltype(&KeyboardHook_Start), ex::CSignature<decltype(Table::Start)>>);
static_assert(std::is_same_v<decltype(&KeyboardHook_Stop), ex::CSignature<decltype(Table::Stop)>>);
static_assert(std::is_same_v<decltype(&KeyboardHook_UpdateHook),
                             ex::CSignature<decltype(Table::UpdateHook)>>);
static_assert(
    std::is_same_v<decltype(&KeyboardHook_StartLL), ex::CSignature<decltype(Table::StartLL)>>);
static_assert(
    std::is_same_v<decltype(&KeyboardHook_StopLL), ex::CSignature<decltype(Table::StopLL)>>);
static_assert(std::is_same_v<decltype(&KeyboardHook_UpdateHookLL),
                             ex::CSignature<decltype(Table::UpdateHookLL)>>);
static_assert(
    std::is_same_v<decltype(&KeyboardHook_GetDataLL), ex::CSignature<decltype(Table::GetDataLL)>>);
