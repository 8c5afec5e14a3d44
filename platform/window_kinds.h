#pragma once
// What kind of window or control a window is, as both desktops decide it
// from what Windows tells of it: a password field from its class and style,
// the desktop and the shell from their classes.

#include <cstdint>
#include <string_view>

namespace korimo::platform {

// ES_PASSWORD: the Edit control shows a mask character for what is typed.
constexpr std::uint32_t kEsPassword = 0x0020;

// Whether a control of that class and style (GWL_STYLE) is a password
// field: an edit control (Edit, RichEdit, or a class a framework builds on
// one, whose name holds "edit" in any letter case) with ES_PASSWORD. The bit
// means something else in other classes (BS_LEFTTEXT of a button).
bool isPasswordControl(std::u16string_view className, std::uint32_t style);

// The desktop ("Progman", "WorkerW") and the shell's taskbars
// ("Shell_TrayWnd", "Shell_SecondaryTrayWnd"): they cover a monitor, or
// take the foreground when the tray is clicked, without being a program the
// user works in.
bool isDesktopOrShellClass(std::u16string_view className);

}  // namespace korimo::platform
