#pragma once
// A program started elevated by mistake (by an installer that was run as
// administrator, say) while the user's shell runs with normal rights would
// type into nothing normal: Windows keeps a higher program's injected input
// and hooks apart from the rest only in one direction, and the shell's
// messages ("TaskbarCreated", the tray icon's clicks) do not reach it.
// Such a start hands itself over to a copy with the shell's rights.

namespace korimo::platform::win32 {

// True when this process is elevated, the shell is not, and a copy of the
// running program with the same command line was started as a child of the
// shell (with its token): the caller ends at once. False otherwise, also
// when anything needed for it fails (the program then runs as it is).
bool restartWithShellRights();

}  // namespace korimo::platform::win32
