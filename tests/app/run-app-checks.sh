#!/usr/bin/env bash
# Korimo.exe under Wine, used and observed as a person would: started from a
# folder whose path has blanks, its tray icon clicked, its menus chosen, keys
# typed into Wine's Notepad with xdotool and Notepad's text read back, its
# windows looked at by korimo_probe.exe (another program) and in
# screenshots saved for people to look at.
#   run-app-checks.sh BIN SHOTS   (BIN: the Windows build's bin folder;
#                                  SHOTS: where the screenshots go)
set -euo pipefail
# shellcheck source=../../tools/wine/app-env.sh
source "$(dirname "$0")/../../tools/wine/app-env.sh"
app_env_start "$1" "$2"

# "Visit Help page" opens the page with the program Windows has for web
# pages; in this prefix that is Notepad, so the page can be read back.
wine reg add 'HKLM\Software\Classes\.html' /ve /d korimo.check.page /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Classes\korimo.check.page\shell\open\command' /ve \
  /d 'notepad.exe "%1"' /f >/dev/null 2>&1

# --- Start-up: the splash at once, then the tray icon; no window of its own
# otherwise, and none with a task-bar button.
wine "$app/Korimo.exe" >"$work/korimo.log" 2>&1 &
korimo=$!
check "start-up shows the splash" visible VantrelKorimoSplash
shot splash
if wait_for_tray; then ok "the tray icon appears"; else fail "the tray icon appears"; summary Korimo.exe program_state; fi
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
click_tray 1
check "a left click on the tray icon opens the keymap sub-menu" menu_open
shot keymap-menu
menu_item 1 9
check "choosing an item closes the sub-menu" menu_closed
typed "namaste "
check "the Hindi item switches Hindi on: namaste" has_text "abcनमस्ते "

pressed alt+8
typed "vaNakkam "
check "Alt+8 switches Tamil on: vaNakkam" has_text "abcनमस्ते வணக்கம் "

# --- The key preview strip: shown at the top centre; it lists what can
# follow the keys typed, and its arrows page the keymap, while Notepad keeps
# the focus and the keys.
main_menu 2  # Key Preview
check "Key Preview shows the strip" visible TForm3
strip_at_top_centre() {
  local left top right bottom
  IFS=, read -r left top right bottom <<<"$(rect_of TForm3)"
  [ "$top" -eq 8 ] && [ $(((left + right) / 2)) -ge 638 ] && [ $(((left + right) / 2)) -le 642 ]
}
check "the strip sits at the top centre of the screen" strip_at_top_centre
wine_focus "$pad"
empty=$(looks TForm3)
typed "k"
listed() { [ "$(looks TForm3)" != "$empty" ]; }
check "typing k fills the strip with what can follow it" listed
shot_of strip-tamil-k TForm3
before=$(looks TForm3)
IFS=, read -r left top right bottom <<<"$(rect_of TForm3)"
xdotool mousemove $((right - 8)) $((bottom - 6)) click 1  # the right arrow
paged() { [ "$(looks TForm3)" != "$before" ]; }
check "the right arrow shows a page of the keymap" paged
shot_of strip-tamil-page TForm3
check "the arrows leave the focus with Notepad" focus_on_pad
typed "a "
check "the syllable goes on in Notepad after the arrow: k, the arrow, a" has_text "abcनमस्ते வணக்கம் க "

# --- The on-screen keyboard: the active keymap's legends, Tamil then Hindi.
main_menu 1  # On-Screen Keyboard
check "On-Screen Keyboard shows the keyboard" visible TForm5
wine_focus "$pad"
shot_of keyboard-tamil TForm5
tamil=$(looks TForm5)
pressed alt+1
hindi_legends() { [ "$(looks TForm5)" != "$tamil" ]; }
check "switching to Hindi relabels the keyboard" hindi_legends
shot_of keyboard-hindi TForm5
IFS=, read -r left top right bottom <<<"$(rect_of TForm5)"
xdotool mousemove $((left + 100)) $((top + 60)) click 1
check "a click on the keyboard leaves the focus with Notepad" focus_on_pad
typed "ka "
check "typing goes on in Notepad after the click" has_text "abcनमस्ते வணக்கம் க क "
pressed alt+8
main_menu 1  # the keyboard away again
check "On-Screen Keyboard again hides the keyboard" hidden TForm5
main_menu 2
check "Key Preview again hides the strip" hidden TForm3
wine_focus "$pad"

# --- The main menu: a right click on the icon.
click_tray 3
check "a right click on the tray icon opens the main menu" menu_open
shot main-menu
menu_item 4 7  # About...
check "About... shows the splash" visible VantrelKorimoSplash
shot about
IFS=, read -r left top right bottom <<<"$(rect_of VantrelKorimoSplash)"
xdotool mousemove $((left - 20)) $((top - 20))
sleep 0.3
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2))
check "the About box closes when the pointer enters it" hidden VantrelKorimoSplash

# --- "Visit Help page": the page beside the program opens.
main_menu 3
help_open() { probe text korimohelp | grep -q '<title>Vantrel Korimo'; }
# The page lists every keymap: Notepad takes a while to load it.
check_seconds=40 check "Visit Help page opens korimohelp.html beside the program" help_open
help_window=$(probe windows | grep ' class=Notepad ' | grep 'title=korimohelp' | cut -d' ' -f1 || true)
[ -n "$help_window" ] && probe post "$help_window" 16 0 >/dev/null  # WM_CLOSE

# --- A second start: it ends at once, and the running program still types
# each character once.
wine_focus "$pad"
wine "$app/Korimo.exe" >"$work/second.log" 2>&1 &
second=$!
check "a second Korimo.exe ends at once" stopped "$second"
check "the running program opens its keymap sub-menu for it" menu_open
# The menu has the keyboard: Escape closes it. (Without a window manager the
# keys go to the X window that has the focus: the menu's, under the pointer.)
IFS=, read -r left top right bottom <<<"$(rect_of '#32768')"
eval "$(xdotool mousemove $((left + 5)) $((top + 3)) getmouselocation --shell)"
xdotool windowfocus "$WINDOW" 2>/dev/null || true
pressed Escape
check "Escape closes the sub-menu" menu_closed
click_tray 1
check "a left click on the tray icon opens the keymap sub-menu again" menu_open
xdotool mousemove 640 700 click 1  # a click elsewhere closes it
check "the sub-menu closes" menu_closed
wine_focus "$pad"
typed "ka "
check "typing still gives each character once" has_text "abcनमस्ते வணக்கம் க क க "

# --- Exit: the icon goes, the process ends with its hooks, keys reach
# Notepad unchanged.
main_menu 6  # Exit
check "Exit ends the program" stopped "$korimo"
no_program_windows() { ! program_windows | grep -q .; }
check "no window of the program is left" no_program_windows
wine_focus "$pad"
typed "ka"
check "after Exit keys reach Notepad unchanged" has_text "abcनमस्ते வணக்கம் க क க ka"

summary Korimo.exe program_state
