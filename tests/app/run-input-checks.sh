#!/usr/bin/env bash
# Korimo.exe keeps Windows' own input contracts, observed from outside under
# Wine: the key state every program reads (a release is never withheld
# after its press went through), the clipboard (held Shift never turns the
# program's editing keys into select and cut), and its own message boxes
# (keys typed into them are theirs).
#   run-input-checks.sh BIN SHOTS
set -euo pipefail
# shellcheck source=../../tools/wine/app-env.sh
source "$(dirname "$0")/../../tools/wine/app-env.sh"
app_env_start "$1" "$2"
shots="$shots/input"
mkdir -p "$shots"

if start_program; then ok "the program starts"; else fail "the program starts"; summary "input contract" program_state; fi
wine_focus "$pad"
pressed alt+1
typed "ka "
check "Alt+1 switches Hindi on" has_text "क "

# --- Ctrl+C with Ctrl let go first: C's press reached Notepad, so must its
# release; Windows would otherwise hold C down for every program.
xdotool keydown ctrl keydown c
xdotool keyup ctrl
xdotool keyup c
key_up() { probe keys "$1" | grep -q "^$1 up$"; }
check "Ctrl down, C down, Ctrl up, C up leaves C up" key_up 67

# --- A keymap switched on while a key is held: the key's release follows its
# press, which reached Notepad with the keymap off.
pressed alt+0
xdotool keydown k
pressed alt+1
xdotool keyup k
check "a keymap switched on while K is held leaves K up" key_up 75
check "the K typed with the keymap off reached Notepad" has_text "क k"

# --- Capitals are typed with Shift held; in a window of a browser's class the
# program takes back with Left and Delete, which Shift would make select
# and cut. The clipboard stays as it was. (The Edit in this window deletes
# code points, not a browser's clusters, so its text is not checked here.)
web="korimo-web-$$"
wine "$bin/korimo_probe.exe" window Chrome_XPFrame "$web" 120 "$(wine_path "$work")\\web" \
  >"$work/web.log" 2>&1 &
wait_for 30 "$work/web.log" window || { echo "the probe's window did not open" >&2; exit 1; }
web_window=$(xdotool search --name "^$web" | head -n1)
wine_focus "$web_window"
probe clipboard kept
pressed alt+1
typed "karmA "
web_typed() { [ -n "$(probe text "$web")" ]; }
check "karmA is typed into a Chrome_XPFrame window" web_typed
clipboard_kept() { [ "$(probe clipboard)" = kept ]; }
check "the clipboard is as it was" clipboard_kept
shot chrome-class-window
: >"$work/web.stop"

# --- The program's own message box: keys typed into it are its own, even
# with a keymap switched on meanwhile, so Space presses its button.
rm "$app/korimohelp.html"
wine_focus "$pad"
main_menu 3  # Visit Help page
check "Visit Help page without the page shows a message" box_open
shot help-missing-box
wine_focus "$(xdotool search --onlyvisible --name '^Vantrel Korimo$' | head -n1)"
pressed alt+1
pressed space
check "Space presses the box's button" box_closed

summary "input contract" program_state
