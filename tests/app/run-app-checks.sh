#!/usr/bin/env bash
# Korimo.exe under Wine, used and observed as a person would: started from a
# folder whose path has blanks, its tray icon clicked, its menus chosen, keys
# typed into Wine's Notepad with xdotool and Notepad's text read back, its
# windows looked at by korimo_probe.exe (another program) and in
# screenshots saved for people to look at.
#   run-app-checks.sh BIN SHOTS   (BIN: the Windows build's bin folder;
#                                  SHOTS: where the screenshots go)
set -euo pipefail
# shellcheck source=app-env.sh
source "$(dirname "$0")/app-env.sh"
app_env_start "$1" "$2"

# --- Start-up: the splash at once, then the tray icon; no window of its own
# otherwise, and none with a task-bar button.
wine "$app/Korimo.exe" >"$work/korimo.log" 2>&1 &
korimo=$!
check "start-up shows the splash" visible VantrelKorimoSplash
shot splash
tray=""
limit=$(( $(date +%s) + 20 ))
until [ -n "$tray" ] || [ "$(date +%s)" -ge "$limit" ]; do
  tray=$(xdotool search --name '^Wine System Tray$' 2>/dev/null | head -n1 || true)
  sleep 0.2
done
if [ -n "$tray" ]; then ok "the tray icon appears"; else fail "the tray icon appears"; report_and_exit; fi
eval "$(xdotool getwindowgeometry --shell "$tray")"
tray_x=$((X + 10)) tray_y=$((Y + 10))  # the first icon's slot
check "the splash closes by itself once the program is ready" hidden VantrelKorimoSplash
no_taskbar_button() {
  # Shown windows of the program are tool windows (WS_EX_TOOLWINDOW 0x80).
  ! program_windows | grep ' visible=1 ' | grep -vE 'exstyle=0x[0-9a-f]*[89a-f][0-9a-f]( |$)' | grep -q .
}
check "no visible main window, no task-bar button" no_taskbar_button

# --- The keymap sub-menu: a left click on the icon; Hindi chosen by a click.
wine_focus "$pad"
typed "abc"
check "the engine is off at start-up: keys pass unchanged" has_text "abc"
xdotool mousemove "$tray_x" "$tray_y" click 1
check "a left click on the tray icon opens the keymap sub-menu" menu_open
shot keymap-menu
menu_item 1 9
check "choosing an item closes the sub-menu" menu_closed
typed "namaste "
check "the Hindi item switches Hindi on: namaste" has_text "abcनमस्ते "

pressed alt+8
typed "vaNakkam "
check "Alt+8 switches Tamil on: vaNakkam" has_text "abcनमस्ते வணக்கம் "

# --- The main menu: a right click on the icon.
xdotool mousemove "$tray_x" "$tray_y" click 3
check "a right click on the tray icon opens the main menu" menu_open
shot main-menu
menu_item 4 6  # About...
check "About... shows the splash" visible VantrelKorimoSplash
shot about
IFS=, read -r left top right bottom <<<"$(rect_of VantrelKorimoSplash)"
xdotool mousemove $((left - 20)) $((top - 20))
sleep 0.3
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2))
check "the About box closes when the pointer enters it" hidden VantrelKorimoSplash

# --- A second start: it ends at once, and the running program still types
# each character once.
wine_focus "$pad"
wine "$app/Korimo.exe" >"$work/second.log" 2>&1 &
second=$!
check "a second Korimo.exe ends at once" stopped "$second"
check "the running program opens its keymap sub-menu for it" menu_open
xdotool mousemove 640 700 click 1  # a click elsewhere closes it
check "the sub-menu closes" menu_closed
wine_focus "$pad"
typed "ka "
check "typing still gives each character once" has_text "abcनमस्ते வணக்கம் க "

# --- Exit: the icon goes, the process ends with its hooks, keys reach
# Notepad unchanged.
main_menu 5  # Exit
check "Exit ends the program" stopped "$korimo"
no_program_windows() { ! program_windows | grep -q .; }
check "no window of the program is left" no_program_windows
wine_focus "$pad"
typed "ka"
check "after Exit keys reach Notepad unchanged" has_text "abcनमस्ते வணக்கம் க ka"

report_and_exit
