#pragma once
// What both hook libraries do to end a hook: remove it and forget it.

#include <windows.h>

namespace korimo::hooks::dll {

// FALSE when there is no hook to remove.
inline BOOL unhook(HHOOK& hook) {
  if (!hook) return FALSE;
  const BOOL done = ::UnhookWindowsHookEx(hook);
  hook = nullptr;
  return done;
}

}  // namespace korimo::hooks::dll
