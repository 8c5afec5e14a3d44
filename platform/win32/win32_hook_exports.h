#pragma once
// The C signatures of the exports of "Vantrelx.dll" and "Vantrely.dll",
// derived from the export tables of platform/hook_platform.h: the libraries
// check their definitions against them and the loader calls through them.
// Booleans are 32-bit 0 or 1; the filter record is passed by value.

#include <windows.h>

#include <type_traits>

#include "platform/hook_platform.h"

namespace korimo::platform::win32::exports {

// The C type that carries a program type across the library boundary.
template <class T>
struct CType {
  using type = T;
};
template <>
struct CType<bool> {
  using type = BOOL;
};
template <>
struct CType<WindowHandle> {
  using type = HWND;
};
template <>
struct CType<const KbDllHookRecord*> {
  using type = const KBDLLHOOKSTRUCT*;
};
template <>
struct CType<const MouseHookRecord*> {
  using type = const MOUSEHOOKSTRUCT*;
};

template <class Signature>
struct CFunction;
template <class R, class... Args>
struct CFunction<R(Args...)> {
  using type = typename CType<R>::type(WINAPI*)(typename CType<Args>::type...);
};

// The C function pointer type of an export of a table, e.g.
// CSignature<decltype(keyhook::Exports::Start)>.
template <class ExportEntry>
using CSignature = typename CFunction<typename ExportEntry::Signature>::type;

// Conversions between the program's values and the C ones.
inline BOOL toC(bool value) { return value ? TRUE : FALSE; }
inline HWND toC(WindowHandle value) { return reinterpret_cast<HWND>(value); }
template <class T>
T toC(T value) {
  return value;
}
template <class R, class C>
R fromC(C value) {
  if constexpr (std::is_same_v<R, bool>)
    return value != 0;
  else if constexpr (std::is_pointer_v<R>)
    return reinterpret_cast<R>(value);
  else
    return value;
}

// The program's records are the platform's own, field for field.
static_assert(sizeof(KbDllHookRecord) == sizeof(KBDLLHOOKSTRUCT));
static_assert(offsetof(KbDllHookRecord, vkCode) == offsetof(KBDLLHOOKSTRUCT, vkCode));
static_assert(offsetof(KbDllHookRecord, scanCode) == offsetof(KBDLLHOOKSTRUCT, scanCode));
static_assert(offsetof(KbDllHookRecord, flags) == offsetof(KBDLLHOOKSTRUCT, flags));
static_assert(offsetof(KbDllHookRecord, time) == offsetof(KBDLLHOOKSTRUCT, time));
static_assert(offsetof(KbDllHookRecord, dwExtraInfo) == offsetof(KBDLLHOOKSTRUCT, dwExtraInfo));
static_assert(sizeof(MouseHookRecord) == sizeof(MOUSEHOOKSTRUCT));
static_assert(offsetof(MouseHookRecord, x) == offsetof(MOUSEHOOKSTRUCT, pt.x));
static_assert(offsetof(MouseHookRecord, y) == offsetof(MOUSEHOOKSTRUCT, pt.y));
static_assert(offsetof(MouseHookRecord, window) == offsetof(MOUSEHOOKSTRUCT, hwnd));
static_assert(offsetof(MouseHookRecord, hitTestCode) == offsetof(MOUSEHOOKSTRUCT, wHitTestCode));
static_assert(offsetof(MouseHookRecord, extraInfo) == offsetof(MOUSEHOOKSTRUCT, dwExtraInfo));

}  // namespace korimo::platform::win32::exports
