#pragma once
// The raw C signatures of the exports of "Vantrelx.dll" and "Vantrely.dll",
// shared by the libraries themselves and by the code that loads them.
// Booleans are 32-bit 0 or 1; the filter record is passed by value.

#include <windows.h>

#include "platform/hook_platform.h"

namespace korimo::platform::win32::exports {

using KeyboardHookStart = BOOL(WINAPI*)(HWND window, UINT message, BOOL disable);
using KeyboardHookStop = BOOL(WINAPI*)();
using KeyboardHookUpdate = BOOL(WINAPI*)(BOOL disable);
using KeyboardHookStartLL = BOOL(WINAPI*)(HWND window, UINT message, BOOL disable, BOOL injected);
using KeyboardHookUpdateLL = BOOL(WINAPI*)(BOOL disable, BOOL injected);
using KeyboardHookGetDataLL = const KBDLLHOOKSTRUCT*(WINAPI*)();

using MouseHookStart = BOOL(WINAPI*)(HWND window, UINT message, MouseHookFilters filters);
using MouseHookStop = BOOL(WINAPI*)();
using MouseHookGetData = const MOUSEHOOKSTRUCT*(WINAPI*)();
using MouseHookUpdate = BOOL(WINAPI*)(MouseHookFilters filters);
using MouseHookInvertPointer = void(WINAPI*)(BOOL xChanged, BOOL yChanged, WORD* newX, WORD* lastX,
                                             WORD* newY, WORD* lastY, BOOL wrap);
using MouseHookWrapPointer = void(WINAPI*)(BOOL wrapX, BOOL wrapY, WORD* newX, WORD* newY);

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
