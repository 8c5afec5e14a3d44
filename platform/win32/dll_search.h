#pragma once
// Every program of the project calls restrictLibrarySearch first, before
// anything loads a library by name: such libraries then come from the
// system folder only, never from the program's folder, the current folder
// or PATH, where a planted copy would run with the user's rights.

#include <windows.h>

namespace korimo::platform::win32 {

inline void restrictLibrarySearch() {
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::SetDllDirectoryW(L"");
}

}  // namespace korimo::platform::win32
