// Vantrellocale.exe: the locale tool's Windows program. Everything it
// decides is in locale_tool.cpp; this only gives it the real registry and
// message box.

#include <windows.h>

#include "locale/locale_tool.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/win32_shell.h"

// Vantrellocale.exe [/quiet]
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  korimo::platform::win32::restrictLibrarySearch();
  korimo::platform::win32::Win32Shell shell;
  const bool quiet = korimo::locale_tool::quietRequested(
      arguments ? reinterpret_cast<const char16_t*>(arguments) : u"");
  return korimo::locale_tool::runLocaleTool(shell, quiet);
}
