#!/usr/bin/env bash
# End-to-end under Wine: the program core (korimo_e2e.exe) with the real hook
# libraries and the bundled keymaps, Wine's Notepad as the target, keys typed
# by xdotool as a user types them, and Notepad's text checked after every
# step. Every wait polls with a time limit.
#   run-e2e.sh BIN   (BIN: the Windows build's bin folder)
set -euo pipefail

bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../tools/wine/wine-env.sh
source "$here/../../tools/wine/wine-env.sh"
wine_env_need "$bin" korimo_e2e.exe Vantrelx.dll Vantrely.dll config.xml Data/Hindi-Phonetic.xml \
  Data/Tamil-Phonetic.xml

wine_env_work e2e
wine_env_display
wine_env_prefix
log="$work/e2e.log"
# KORIMO_E2E_LOG=FILE keeps the program's log.
keep_log() {
  if [ -n "${KORIMO_E2E_LOG:-}" ] && [ -f "$log" ]; then cp "$log" "$KORIMO_E2E_LOG"; fi
  wine_env_cleanup
}
trap keep_log EXIT
# shellcheck source=../wine/log-checks.sh
source "$here/../wine/log-checks.sh"

# --- The targets: two Notepads with files of unique names, so that their
# titles are unique.
first="korimo-e2e-$$-$RANDOM"
second="korimo-e2e-$$-$RANDOM-b"
pad0=$(wine_open_notepad "$work" "$first")
pad1=$(wine_open_notepad "$work" "$second")

# --- The core, from the build's bin folder with its configuration and keymaps.
stop="$work/stop"
wine "$(wine_path "$bin/korimo_e2e.exe")" --target "$first" --target "$second" \
  --stop "$(wine_path "$work")\\stop" --seconds 90 >"$log" 2>"$work/e2e.err" &
wait_for 30 "$log" '^ready' || { echo "korimo_e2e did not start" >&2; cat "$log" "$work/e2e.err" >&2; exit 1; }
if grep -qE '^ready key=1 mouse=1 keymaps=8$' "$log"; then
  ok "start-up: both hooks run, the eight phonetic keymaps are catalogued"
else
  fail "start-up: $(grep '^ready' "$log")"
fi
wait_for 10 "$log" '^text 1=' || { echo "Notepad's text cannot be read" >&2; exit 1; }

# --- The steps, as a user types them; each expects a Notepad's whole text.
key_delay=${KORIMO_E2E_DELAY:-60}  # ms between keys

wine_focus "$pad0"
typed "abc"
expect_text "the engine is off at start-up: keys pass unchanged" 0 "abc"

pressed alt+1
typed "namaste "
expect_text "Alt+1 switches Hindi phonetic on: namaste" 0 "abcनमस्ते "

typed "kShetra "
expect_text "shifted keys compose: kShetra" 0 "abcनमस्ते क्षेत्र "

typed "kaa"
expect_text "a longer sequence replaces the shorter one's output: kaa" 0 "abcनमस्ते क्षेत्र का"

pressed BackSpace
expect_text "Backspace undoes the last step: kaa then Backspace" 0 "abcनमस्ते क्षेत्र क"

pressed Return
expect_text "Enter passes through while a keymap is on" 0 $'abcनमस्ते क्षेत्र क\r\n'

# Here the digit is released before Alt, as most users do.
xdotool keydown alt key 8 keyup alt
typed "vaNakkam "
line=$'abcनमस्ते क्षेत्र क\r\nவணக்கம் '
expect_text "Alt+8 switches Tamil phonetic on: vaNakkam" 0 "$line"

wine_focus "$pad1"
typed "abc"
expect_text "another window starts with the engine off" 1 "abc"

wine_focus "$pad0"
typed "ka "
line+="க "
expect_text "the first window keeps its keymap: ka in Tamil" 0 "$line"

# A click ends the syllable being typed: "k" then a click then "a" is not "ka".
typed "k"
line+="க்"
expect_text "a consonant alone carries the virama: k in Tamil" 0 "$line"
# The second Notepad opened over the first: bring the first to the top, so
# that the click lands in it, below its text (the caret stays at the end).
xdotool windowraise "$pad0"
eval "$(xdotool getwindowgeometry --shell "$pad0")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 40)) click 1
typed "a"
line+="அ"
expect_text "after a click the next key starts a new syllable" 0 "$line"

# The first toggle after a click: the button is no longer held.
pressed alt+0
typed "xyz"
expect_text "Alt+0 switches off, right after a click: keys pass unchanged" 0 "${line}xyz"

pressed BackSpace
expect_text "with the engine off Backspace deletes a character" 0 "${line}xy"
expect_text "the other window was left alone" 1 "abc"

# --- Work that blocks (a file on a slow path: here work that lasts until
# the script says) runs away from the thread that serves the hooks: keys
# typed meanwhile are composed at once.
pressed alt+8
: >"$work/stop.slow"
wait_for 10 "$log" '^slow work$' || true
typed "ka"
composed_meanwhile() {
  wait_for 10 "$log" '^key vk=41 down=0 .*withheld=1 on=1 keymap=Tamil-Phonetic.xml pending=ka$' &&
    ! grep -q '^slow work done$' "$log"
}
if composed_meanwhile; then
  ok "while the core waits for slow work, keys are handled and composed at once"
else
  fail "while the core waits for slow work, keys are handled and composed at once"
fi
: >"$work/stop.done"
check "the slow work ends" logged '^slow work done$'
line+="xyக"
expect_text "the text typed meanwhile is in Notepad" 0 "$line"

# --- The end: the core stops by itself once asked, and shuts down cleanly.
: >"$stop"
ended_with "the core stops when asked" stop
summary end-to-end show_files "$log"
