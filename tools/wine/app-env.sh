# Sourced by the Wine checks of Korimo.exe and by the tools that run it
# under Wine (tools/run.sh, bench/wine/): a private display and a fresh
# prefix, the program copied into a folder whose path has blanks, Wine's
# Notepad with a unique title, korimo_probe.exe to look at windows from
# outside, the tray and its menus, and screenshots. Every wait polls with a
# limit.
#   app_env_start BIN SHOTS   sets bin, shots, work, app, title, pad
#   start_program             Korimo.exe from $app; sets korimo (its PID)
#   probe COMMAND...          what korimo_probe.exe answers
#   program_windows, visible CLASS, hidden CLASS, window_of CLASS,
#   rect_of CLASS             the program's top-level windows
#   box, box_open, box_closed its message box
#   running PID, stopped PID  whether a process still runs
#   pad_text, has_text TEXT, focus_on_pad   Notepad's text and focus
#   wait_for_tray, click_tray BUTTON, menu_item N COUNT, menu_open,
#   menu_closed, main_menu N  the tray icon and its menus
#   balloon_shown, balloon_gone   a tray notification over the screen
#   shot NAME, shot_of NAME CLASS, looks CLASS   screenshots and fingerprints
#   program_state             what helps to see why a check failed

# shellcheck source=wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

app_env_start() {
  bin=$(realpath "$1")
  shots=$2
  wine_env_need "$bin" Korimo.exe Vantrelx.dll Vantrely.dll korimo_probe.exe config.xml \
    Data/Hindi-Phonetic.xml
  mkdir -p "$shots"
  shots=$(realpath "$shots")
  wine_env_work app
  wine_env_display
  wine_env_prefix
  # The program as a user has it: its own folder, with blanks in the path.
  app="$work/Vantrel Korimo"
  mkdir -p "$app"
  cp -r "$bin/Korimo.exe" "$bin/Vantrelx.dll" "$bin/Vantrely.dll" "$bin/config.xml" "$bin/Data" "$app/"
  for f in Vantrellocale.exe korimohelp.html; do
    if [ -f "$bin/$f" ]; then cp "$bin/$f" "$app/"; fi
  done
  # Notepad, the application a user types into; its title is unique.
  title="korimo-app-$$-$RANDOM"
  pad=$(wine_open_notepad "$work" "$title")
}

probe() { wine "$bin/korimo_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

shot() { import -window root "$shots/$1.png"; }
# shot_of NAME CLASS: a screenshot of the program's window of that class.
shot_of() {
  local left top right bottom
  IFS=, read -r left top right bottom <<<"$(rect_of "$2")"
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$shots/$1.png"
}
# looks CLASS: a fingerprint of what the window of that class shows.
looks() {
  local left top right bottom
  IFS=, read -r left top right bottom <<<"$(rect_of "$1")"
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage rgb:- |
    md5sum | cut -d' ' -f1
}
# A tray notification (balloon): Wine's shell shows it as a tooltip window
# of explorer.exe, for up to about 30 seconds; a click does not close it.
balloon_shown() {
  probe windows | grep ' explorer.exe class=tooltips_class32 visible=1 ' |
    grep -vq 'rect=0,0,0,0' 2>/dev/null
}
balloon_gone() { ! balloon_shown; }
# focus_on_pad: Notepad is still the window in front (Wine's foreground).
focus_on_pad() { probe foreground | grep -q ' class=Notepad '; }

# The program's top-level windows as the probe sees them; lines of one class.
program_windows() { probe windows | grep -i ' korimo.exe class=' || true; }
visible() { program_windows | grep " class=$1 visible=1 " >/dev/null; }
hidden() { ! visible "$1"; }
window_of() { program_windows | grep " class=$1 " | head -n1 | cut -d' ' -f1; }
rect_of() { program_windows | grep " class=$1 visible=1 " | head -n1 | sed -E 's/.* rect=([-0-9,]+) .*/\1/'; }
running() { kill -0 "$1" 2>/dev/null; }
stopped() { ! running "$1"; }

# The program's message box (class #32770, its open-file dialog aside).
box() { program_windows | grep ' class=#32770 visible=1 ' | grep -v 'title=Import a Keymap' | head -n1 | cut -d' ' -f1; }
box_open() { [ -n "$(box)" ]; }
box_closed() { ! box_open; }

pad_text() { probe text "$title"; }
has_text() { [ "$(pad_text)" = "$1" ]; }

# start_program: Korimo.exe from the program folder; sets korimo (its PID);
# false when its tray icon does not show.
start_program() {
  wine "$app/Korimo.exe" >"$work/korimo.log" 2>&1 &
  korimo=$!
  wait_for_tray || return 1
  # The icon shows at once; the keymaps and the hooks are ready when the
  # splash has closed.
  wait_until 30 hidden VantrelKorimoSplash
}

# wait_for_tray: waits for Wine's tray window; sets tray_window, and tray_x
# and tray_y: the first icon's slot.
wait_for_tray() {
  local limit=$(( $(date +%s) + 20 ))
  tray_window=""
  until [ -n "$tray_window" ] || [ "$(date +%s)" -ge "$limit" ]; do
    tray_window=$(xdotool search --name '^Wine System Tray$' 2>/dev/null | head -n1 || true)
    sleep 0.2
  done
  [ -n "$tray_window" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$tray_window")"
  tray_x=$((X + 10)) tray_y=$((Y + 10))
}

# click_tray BUTTON: a click on the program's icon (1 left, 3 right), with
# the tray window raised above whatever opened over it.
click_tray() {
  xdotool windowraise "$tray_window"
  xdotool mousemove "$tray_x" "$tray_y" click "$1"
}

# menu_item N COUNT: clicks item N (from 0) of the open popup menu of COUNT items.
menu_item() {
  local r left top right bottom
  r=$(rect_of '#32768')
  IFS=, read -r left top right bottom <<<"$r"
  xdotool mousemove $((left + 30)) $((top + 3 + (bottom - top - 6) * (2 * $1 + 1) / (2 * $2))) click 1
}
menu_open() { visible '#32768'; }
menu_closed() { ! visible '#32768'; }
# main_menu N: item N (from 0) of the tray's main menu, once it has opened.
main_menu() {
  click_tray 3
  check "the main menu opens" menu_open
  menu_item "$1" 7
}

# program_state: Notepad's text, the program's windows and where the
# screenshots are (summary's account of a failed run).
program_state() {
  echo "--- Notepad's text"; pad_text || true
  echo "--- program windows"; probe windows | grep -i korimo || true
  echo "--- screenshots in $shots"
}
