#!/usr/bin/env bash
# Korimo.exe under Wine, used and observed as a person would: started from a
# folder whose path has blanks, its tray icon clicked, its menus chosen, keys
# typed into Wine's Notepad with xdotool and Notepad's text read back, its
# windows looked at by korimo_probe.exe (another program) and in
# screenshots saved for people to look at. Every wait polls with a limit.
#   run-app-checks.sh BIN SHOTS   (BIN: the Windows build's bin folder;
#                                  SHOTS: where the screenshots go)
set -euo pipefail

bin=$(realpath "$1")
shots=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../wine/wine-env.sh
source "$here/../wine/wine-env.sh"

for f in Korimo.exe Vantrelx.dll Vantrely.dll korimo_probe.exe config.xml Data/Hindi-Phonetic.xml; do
  [ -f "$bin/$f" ] || { echo "missing $bin/$f (build the windows preset)" >&2; exit 1; }
done
mkdir -p "$shots"
shots=$(realpath "$shots")

work=$(mktemp -d "${TMPDIR:-/tmp}/korimo-app.XXXXXX")
finish() {
  wine_env_cleanup
  rm -rf "$work"
}
wine_env_display
wine_env_prefix
trap finish EXIT

# The program as a user has it: its own folder, with blanks in the path.
app="$work/Vantrel Korimo"
mkdir -p "$app"
cp -r "$bin/Korimo.exe" "$bin/Vantrelx.dll" "$bin/Vantrely.dll" "$bin/config.xml" "$bin/Data" "$app/"
for f in Vantrellocale.exe korimohelp.html; do [ -f "$bin/$f" ] && cp "$bin/$f" "$app/"; done
probe() { wine "$bin/korimo_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

failures=0
ok() { echo "ok    $1"; }
fail() { echo "FAIL  $1"; failures=$((failures + 1)); }
# check DESCRIPTION COMMAND...: the command succeeds within ten seconds.
check() {
  local what=$1 limit=$(( $(date +%s) + 10 ))
  shift
  until "$@"; do
    if [ "$(date +%s)" -ge "$limit" ]; then fail "$what"; return 0; fi
    sleep 0.2
  done
  ok "$what"
}
shot() { import -window root "$shots/$1.png"; }

# The program's top-level windows as the probe sees them; lines of one class.
program_windows() { probe windows | grep -i ' korimo.exe class=' || true; }
visible() { program_windows | grep " class=$1 visible=1 " >/dev/null; }
hidden() { ! visible "$1"; }
window_of() { program_windows | grep " class=$1 " | head -n1 | cut -d' ' -f1; }
rect_of() { program_windows | grep " class=$1 visible=1 " | head -n1 | sed -E 's/.* rect=([-0-9,]+) .*/\1/'; }
running() { kill -0 "$1" 2>/dev/null; }
stopped() { ! running "$1"; }

# --- Notepad, the application a user types into; its title is unique.
title="korimo-app-$$-$RANDOM"
pad=$(wine_open_notepad "$work" "$title")
pad_text() { probe text "$title"; }
has_text() { [ "$(pad_text)" = "$1" ]; }
typed() { xdotool type --delay 60 "$1"; }
pressed() { xdotool key --delay 60 "$@"; }

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
if [ -n "$tray" ]; then ok "the tray icon appears"; else fail "the tray icon appears"; exit 1; fi
check "the splash closes by itself once the program is ready" hidden VantrelKorimoSplash
no_taskbar_button() {
  # Shown windows of the program are tool windows (WS_EX_TOOLWINDOW 0x80).
  ! program_windows | grep ' visible=1 ' | grep -vE 'exstyle=0x[0-9a-f]*[89a-f][0-9a-f]( |$)' | grep -q .
}
check "no visible main window, no task-bar button" no_taskbar_button

eval "$(xdotool getwindowgeometry --shell "$tray")"
tray_x=$((X + 10)) tray_y=$((Y + 10))  # the first icon's slot

# menu_item N COUNT: clicks item N (from 0) of the open popup menu of COUNT items.
menu_item() {
  local r left top right bottom
  r=$(rect_of '#32768')
  IFS=, read -r left top right bottom <<<"$r"
  xdotool mousemove $((left + 30)) $((top + 3 + (bottom - top - 6) * (2 * $1 + 1) / (2 * $2))) click 1
}
menu_open() { visible '#32768'; }
menu_closed() { ! visible '#32768'; }

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
start=$(date +%s)
wine "$app/Korimo.exe" >"$work/second.log" 2>&1 &
second=$!
check "a second Korimo.exe ends at once" stopped "$second"
echo "      it ran $(( $(date +%s) - start )) s"
check "the running program opens its keymap sub-menu for it" menu_open
xdotool mousemove 640 700 click 1  # a click elsewhere closes it
check "the sub-menu closes" menu_closed
wine_focus "$pad"
typed "ka "
check "typing still gives each character once" has_text "abcनमस्ते வணக்கம் க "

# --- Exit: the icon goes, the process ends with its hooks, keys reach
# Notepad unchanged.
xdotool mousemove "$tray_x" "$tray_y" click 3
check "the main menu opens again" menu_open
menu_item 5 6  # Exit
check "Exit ends the program" stopped "$korimo"
no_program_windows() { ! program_windows | grep -q .; }
check "no window of the program is left" no_program_windows
wine_focus "$pad"
typed "ka"
check "after Exit keys reach Notepad unchanged" has_text "abcनमस्ते வணக்கம் க ka"

if [ "$failures" -ne 0 ]; then
  echo "--- Notepad's text"; pad_text
  echo "--- program windows"; probe windows | grep -i korimo || true
  echo "--- $failures check(s) failed; screenshots in $shots"
  exit 1
fi
echo "all program checks passed; screenshots in $shots"
