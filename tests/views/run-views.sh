#!/usr/bin/env bash
# The key preview strip and the on-screen keyboard under Wine (views_wine.exe
# with the real hook libraries and the bundled keymaps), Wine's Notepad as
# the application typed into, keys and clicks by xdotool as a user gives
# them. Checks that clicks on the views and drags of them leave the focus
# and the typed text with Notepad, and saves screenshots of both views with
# Hindi and with Tamil legends; then, from a copy of the program with a
# configuration of its own, of the keyboard with Odia, Urdu, Santali (Ol
# Chiki) and Manipuri (Meetei Mayek) legends and of the strip with Urdu.
# Every wait polls with a time limit.
#   run-views.sh BIN SHOTS   (BIN: the Windows build's bin folder; SHOTS:
#                             the folder for the screenshots)
set -euo pipefail

bin=$(realpath "$1")
mkdir -p "$2"
shots=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../tools/wine/wine-env.sh
source "$here/../../tools/wine/wine-env.sh"
scripts=(Odia-Phonetic Urdu-Phonetic Santali-InScript Manipuri-InScript)
for keymap in "${scripts[@]}"; do wine_env_need "$bin/Data" "$keymap.xml"; done
wine_env_need "$bin" views_wine.exe Vantrelx.dll Vantrely.dll config.xml Data/Hindi-Phonetic.xml \
  Data/Tamil-Phonetic.xml
command -v import >/dev/null || { echo "import missing (imagemagick; tools/setup.sh)" >&2; exit 1; }

wine_env_work views
wine_env_display
wine_env_prefix

log="$work/views.log"
# shellcheck source=../wine/log-checks.sh
source "$here/../wine/log-checks.sh"

# The line of the log that last began with $1.
last() { grep "^$1" "$log" | tail -n1; }

# The place of a view as last printed: sets L T R B.
place() {
  local rect
  rect=$(last "$1 " | cut -d' ' -f2)
  IFS=, read -r L T R B <<<"$rect"
}

# An arrow's centre as last printed: sets X Y.
arrow() {
  IFS=, read -r X Y < <(last 'strip ' | grep -oE " $1=[0-9-]+,[0-9-]+" | cut -d= -f2)
}

# The focus stays with Notepad: X's focus and Wine's foreground window.
focus_kept() {
  local limit=$(( $(date +%s) + 3 ))
  sleep 0.3
  while :; do
    if [ "$(xdotool getwindowfocus 2>/dev/null || true)" = "$pad" ] &&
      last 'foreground ' | grep -q "^foreground $title"; then
      ok "$1"
      return 0
    fi
    [ "$(date +%s)" -ge "$limit" ] && break
    sleep 0.1
  done
  fail "$1 (focus $(xdotool getwindowfocus 2>/dev/null), $(last 'foreground '))"
}

# drag X Y DX DY: presses the button at X,Y and lets it go DX,DY further,
# in steps as a hand moves.
drag() {
  xdotool mousemove "$1" "$2" mousedown 1 sleep 0.1 \
    mousemove $(($1 + $3 / 2)) $(($2 + $4 / 2)) sleep 0.1 \
    mousemove $(($1 + $3)) $(($2 + $4)) sleep 0.1 mouseup 1
}

# shot_view NAME VIEW: a screenshot of the view with a margin around it.
shot_view() {
  place "$2"
  local margin=12
  local x=$((L - margin)) y=$((T - margin))
  ((x < 0)) && x=0
  ((y < 0)) && y=0
  import -window root -crop "$((R - L + 2 * margin))x$((B - T + 2 * margin))+$x+$y" +repage \
    "$shots/$1.png"
  echo "      screenshot $shots/$1.png"
}

# KORIMO_VIEWS_DPI=144 runs the checks on a screen of that many dots per inch.
dpi=${KORIMO_VIEWS_DPI:-96}
if [ "$dpi" != 96 ]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1 || true
fi

# start_views FOLDER: a fresh Notepad, and views_wine from FOLDER typing
# into it, logging to $log; sets title, pad and stop.
start_views() {
  title="korimo-views-$$-$RANDOM"
  pad=$(wine_open_notepad "$work" "$title")
  stop="$work/stop-$title"
  wine "$(wine_path "$1/views_wine.exe")" --target "$title" \
    --stop "$(wine_path "$work")\\stop-$title" --seconds 90 >"$log" 2>"$log.err" &
  wait_for 30 "$log" '^ready' || { echo "views_wine did not start" >&2; cat "$log" "$log.err" >&2; exit 1; }
}

start_views "$bin"
if grep -qE "^ready key=1 mouse=1 dpi=$dpi\$" "$log"; then
  ok "start-up: both hooks run, the views know the screen's $dpi dots per inch"
else
  fail "start-up: $(last ready)"
fi
check "both views are shown" logged '^keyboard .* visible=1'
place strip
if [ "$T" -eq $(((8 * dpi + 48) / 96)) ] && [ $((R - L)) -eq $(((809 * dpi + 48) / 96)) ] &&
  [ $((L + R)) -ge 1278 ] && [ $((L + R)) -le 1282 ]; then
  ok "the strip starts at the top centre of the screen"
else
  fail "the strip starts at the top centre of the screen: $(last 'strip ')"
fi
wait_for 10 "$log" '^text 0=' || { echo "Notepad's text cannot be read" >&2; exit 1; }

wine_focus "$pad"
xdotool key alt+1
typed "namaste "
expect_text "Alt+1 switches Hindi phonetic on: namaste" 0 "नमस्ते "
check "the keyboard shows the Hindi legends" logged "^legends k=$(units क्) "

# The keyboard covers the strip at first: dragged below it, by hand.
place keyboard
kx=$((L + 300)) ky=$((T + 90))
drag "$kx" "$ky" 80 120
before_top=$T
check "a drag moves the keyboard" logged "^keyboard -?[0-9]+,$((before_top + 120)),"
focus_kept "dragging the keyboard leaves the focus with Notepad"

typed "k"
check "the strip lists what can follow k" logged "^preview page=-1 x1=$(units k) y1=$(units क्)"
shot_view strip-hindi strip
shot_view keyboard-hindi keyboard

arrow right
xdotool mousemove "$X" "$Y" click 1
check "the right arrow shows the first page" logged "^preview page=0 "
xdotool click 1
check "the right arrow again shows the next page" logged "^preview page=1 "
arrow left
xdotool mousemove "$X" "$Y" click 1
check "the left arrow shows the page before" logged "^preview page=0 .*"
focus_kept "the arrows leave the focus with Notepad"

# A click on the program's own window leaves the syllable alone: "k", the
# arrows, "a" is "ka".
typed "a"
expect_text "the syllable goes on in Notepad after the arrows" 0 "नमस्ते क"

place keyboard
xdotool mousemove $((L + 200)) $((T + 60)) click 1
focus_kept "a click on the keyboard leaves the focus with Notepad"
typed " ma "
expect_text "typing goes on after a click on the keyboard" 0 "नमस्ते क म "

xdotool keydown alt key 8 keyup alt
typed "vaNakkam "
expect_text "Alt+8 switches Tamil phonetic on: vaNakkam" 0 "नमस्ते क म வணக்கம் "
check "the keyboard shows the Tamil legends" logged "^legends k=$(units க்) "
typed "k"
check "the strip lists the Tamil k entries" logged "^preview page=-1 x1=$(units k) y1=$(units க்)"
shot_view strip-tamil strip
shot_view keyboard-tamil keyboard

# The strip dragged by one of its cells.
place strip
drag $((L + 100)) $((T + 10)) 40 60
check "a drag moves the strip" logged "^strip $((L + 40)),$((T + 60)),"
focus_kept "dragging the strip leaves the focus with Notepad"
typed "a "
expect_text "the syllable goes on after the drag" 0 "नमस्ते क म வணக்கம் க "

# --- The end: the strip is asked to close, which ends the program.
: >"$stop"
ended_with "closing the strip ends the program" closed

# --- The newer scripts, each on a toggle key of a configuration of its own
# beside a copy of the program: Alt+1 Odia, Alt+2 Urdu, Alt+3 Santali,
# Alt+4 Manipuri. Windows has Ol Chiki and Meetei Mayek in Nirmala UI alone;
# Wine shows one font for that name, so Manipuri has a run of its own.
copy="$work/scripts"
mkdir -p "$copy/Data"
cp "$bin/views_wine.exe" "$bin/Vantrelx.dll" "$bin/Vantrely.dll" "$copy/"
{
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<Config>\n  <Local>\n'
  printf '    <ToggleMode>1</ToggleMode>\n    <TKey1>0</TKey1>\n    <TKey2>0</TKey2>\n'
  printf '    <TextServices>True</TextServices>\n    <Surround>True</Surround>\n  </Local>\n'
  printf '  <Keymaps>\n'
  n=0
  for keymap in "${scripts[@]}"; do
    n=$((n + 1))
    cp "$bin/Data/$keymap.xml" "$copy/Data/"
    printf '    <Entry>\n      <Language>%s</Language>\n      <Keyboard>%s</Keyboard>\n' \
      "${keymap%-*}" "${keymap#*-}"
    printf '      <Encoding>Unicode</Encoding>\n      <Filename>%s.xml</Filename>\n' "$keymap"
    printf '      <TKey1>%d</TKey1>\n      <TKey2>%d</TKey2>\n    </Entry>\n' "$n" "$n"
  done
  printf '  </Keymaps>\n</Config>\n'
} >"$copy/config.xml"

# start_copy FONT: the copy started with FONT as Wine's "Nirmala UI", its
# keyboard moved below the strip.
start_copy() {
  wine_env_nirmala_ui "$1"
  log="$work/scripts-$1.log"
  start_views "$copy"
  check "the copy starts with both views shown ($1 as Nirmala UI)" logged '^keyboard .* visible=1'
  place keyboard
  drag $((L + 300)) $((T + 90)) 0 120
  check "a drag moves the keyboard" logged "^keyboard -?[0-9]+,$((T + 120)),"
  wine_focus "$pad"
}

# keymap_shots KEY NAME KEYS TEXT K: KEY switches the keymap on, KEYS typed
# give TEXT, the keyboard shows K on the k key; a screenshot of it.
keymap_shots() {
  xdotool keydown alt key "$1" keyup alt
  typed "$3"
  expect_text "Alt+$1 switches $2 on: $3" 0 "$4"
  check "the keyboard shows the $2 legends" logged "^legends k=$(units "$5") "
  shot_view "keyboard-$2" keyboard
}

start_copy UniOl
keymap_shots 1 odia "namaskaara " "ନମସ୍କାର " "କ୍"
keymap_shots 2 urdu "salaam " "ନମସ୍କାର سلام " "ک"
# The strip with Urdu: what can follow "b", Latin keys over Urdu letters.
typed "b"
check "the strip lists the Urdu b entries" logged "^preview page=-1 x1=$(units b) y1=$(units ب)"
shot_view strip-urdu strip
typed " "
keymap_shots 3 santali "kal " "ନମସ୍କାର سلام ب ᱠᱳᱛ " "ᱠ"
: >"$stop"
ended_with "closing the strip ends the copy" closed

start_copy Eeyek
keymap_shots 4 manipuri "kal " "ꯀꯣꯇ " "ꯀ"
: >"$stop"
ended_with "closing the strip ends the copy" closed
summary view show_files "$log"
