#!/usr/bin/env bash
# Where Korimo.exe does not type, under Wine, observed from outside as a
# person would: with Hindi on, keys typed into the password field of
# another program reach it unchanged while Notepad still gets नमस्ते; the
# tray's "Never type in notepad.exe" puts Notepad on the list (config.xml
# keeps it) and Notepad then gets plain Latin text; the settings dialog
# shows the list, adds a program through Add... and the open-file dialog,
# and Ok, the restart and the dialog opened again show the list kept.
# Screenshots of the main menu's item, the dialog's list and its Add... menu.
#   run-pause-checks.sh BIN SHOTS
set -euo pipefail
# shellcheck source=../../tools/wine/app-env.sh
source "$(dirname "$0")/../../tools/wine/app-env.sh"
app_env_start "$1" "$2"
shots="$shots/pause"
mkdir -p "$shots"

dialog_class=VantrelKorimoSettings
dialog() { window_of "$dialog_class"; }
programs() { probe listbox "$(dialog)"; }
programs_are() { [ "$(programs | tr '\n' ' ')" = "$1" ]; }
config_says() { tr -d '\r\n ' <"$app/config.xml" | grep -qF "$1"; }
box_says() { box_open && probe children "$(box)" | grep -qF "text=$1"; }
answer() { probe click "$(box)" "$1"; check "the message box closes" box_closed; }
main_window_running() { program_windows | grep -q ' class=VantrelKorimoMainWindow '; }
# menu_last_item: clicks the last item of the open popup menu, however many it has.
menu_last_item() {
  local left top right bottom
  IFS=, read -r left top right bottom <<<"$(rect_of '#32768')"
  xdotool mousemove $((left + 30)) $((bottom - 8)) click 1
}

start_program || { fail "the program starts"; summary "where not to type" program_state; }
wine_focus "$pad"
pressed alt+1
typed "namaste "
check "Hindi types into Notepad: namaste" has_text "नमस्ते "

# --- A password field of another program: keys reach it as typed.
login="korimo-login-$$"
wine "$bin/korimo_probe.exe" password "$login" 300 "$(wine_path "$work")\\password" \
  >"$work/login.log" 2>&1 &
wait_for 30 "$work/login.log" window || { echo "the log-in window did not open" >&2; exit 1; }
login_window=$(xdotool search --name "^$login" | head -n1)
wine_focus "$login_window"
pressed alt+1
typed "namaste"
password_is() { [ "$(cat "$work/password" 2>/dev/null)" = "$1" ]; }
check "keys typed into a password field with Hindi on reach it unchanged" password_is namaste
shot password-field
wine_focus "$pad"
typed "namaste "
check "Notepad still gets नमस्ते" has_text "नमस्ते नमस्ते "

# --- The tray's "Never type in notepad.exe": Notepad gets plain Latin text.
click_tray 3
check "the main menu opens" menu_open
shot main-menu-never-type
menu_item 5 7  # Never type in notepad.exe
check "the menu closes" menu_closed
check "config.xml keeps notepad.exe on the list" config_says "<Program>notepad.exe</Program>"
wine_focus "$pad"
typed "namaste "
check "Notepad on the list gets plain Latin text" has_text "नमस्ते नमस्ते namaste "

# --- The settings dialog's list: Add... with the open-file dialog, Ok, the restart.
main_menu 0
check "Settings opens the dialog" visible "$dialog_class"
check "the list shows notepad.exe" programs_are "notepad.exe "
shot_of settings-never-type-in "$dialog_class"
probe click "$(dialog)" "Add..."
check "Add... opens a menu of programs" menu_open
shot add-program-menu
menu_last_item  # Other program...
file_dialog() { xdotool search --name '^Never type in$' >/dev/null 2>&1; }
check "the last item opens the open-file dialog titled Never type in" file_dialog
shot add-program-file-dialog
xdotool windowfocus "$(xdotool search --name '^Never type in$' | head -n1)" 2>/dev/null || true
sleep 0.5
typed "$(wine_path "$bin/korimo_probe.exe")"
pressed Return
check "the program chosen is on the list" programs_are "korimo_probe.exe notepad.exe "
shot_of settings-program-added "$dialog_class"
probe click "$(dialog)" Ok
check "Ok says the application will restart" box_says "Application will restart now"
answer OK
check "the old Korimo.exe ends" stopped "$korimo"
check "a new Korimo.exe runs" main_window_running
check "config.xml keeps both programs" \
  config_says "<Program>korimo_probe.exe</Program><Program>notepad.exe</Program>"
wait_until 20 main_window_running || true
sleep 1
main_menu 0
check "the restarted program's dialog opens" visible "$dialog_class"
check "the restarted program shows the list kept" programs_are "korimo_probe.exe notepad.exe "
probe click "$(dialog)" Cancel
check "Cancel closes the dialog" hidden "$dialog_class"
wine_focus "$pad"
pressed alt+1
typed "ka "
check "after the restart Notepad still gets plain Latin text" has_text "नमस्ते नमस्ते namaste ka "

: >"$work/password.stop"
summary "where not to type" program_state
