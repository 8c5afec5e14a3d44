// Vantrellocale.exe: the locale tool's Windows program. Everything it
// decides is in locale_tool.cpp; this only gives it the real registry and
// message box.

#include <windows.h>

#include "locale/locale_tool.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/win32_shell.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  korimo::platform::win32::restrictLibrarySearch();
  korimo::platform::win32::Win32Shell shell;
  return korimo::locale_tool::runLocaleTool(shell);
}
