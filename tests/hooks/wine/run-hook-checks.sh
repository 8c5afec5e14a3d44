#!/usr/bin/env bash
# The hook components and libraries under Wine: a fresh prefix on a private
# display, Wine's Notepad as the target, keys typed and a click made with
# xdotool, and hooks_wine_check reporting what it was given. Every wait
# polls with a time limit.
#   run-hook-checks.sh BIN   (BIN: the Windows build's bin folder)
set -euo pipefail

bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../../tools/wine/wine-env.sh
source "$here/../../../tools/wine/wine-env.sh"
wine_env_need "$bin" hooks_wine_check.exe Vantrelx.dll Vantrely.dll

wine_env_work hooks
wine_env_display
wine_env_prefix

# Each check below looks once: the waits for the lines it reads come first.
check_seconds=0

# --- 1. Safe loading: a copy of the program in a folder without the
# libraries, started from a folder that has them (and with that folder on
# PATH), must not pick them up.
mkdir -p "$work/lonely" "$work/planted"
cp "$bin/hooks_wine_check.exe" "$work/lonely/"
cp "$bin/Vantrelx.dll" "$bin/Vantrely.dll" "$work/planted/"
(cd "$work/planted" && WINEPATH="$(wine_path "$work/planted")" \
  timeout 60 wine "$(wine_path "$work/lonely/hooks_wine_check.exe")" --load) >"$work/lonely.log" 2>/dev/null || true
check "libraries are not taken from the current folder or the path" \
  grep -q "^load key=0 mouse=0" "$work/lonely.log"
(cd "$work/planted" && timeout 60 wine "$(wine_path "$bin/hooks_wine_check.exe")" --load) \
  >"$work/beside.log" 2>/dev/null || true
check "libraries beside the program are loaded" grep -q "^load key=1 mouse=1" "$work/beside.log"

# --- 2. The target: Notepad with a file of a unique name, so its title is unique.
name="korimo-hooks-$$-$RANDOM"
target=$(wine_open_notepad "$work" "$name") || exit 1

log="$work/check.log"
wine "$(wine_path "$bin/hooks_wine_check.exe")" "$name" >"$log" 2>"$work/check.err" &
wait_for 30 "$log" "^ready" || { cat "$log" "$work/check.err" >&2; exit 1; }
check "both hooks start" grep -q "^ready key=1 mouse=1" "$log"

# Focus the target and wait until it has it.
wine_focus "$target" || exit 1

# A click in the empty text area (the caret stays at the start).
eval "$(xdotool getwindowgeometry --shell "$target")"
xdotool mousemove $((X + 60)) $((Y + 80)) click 1
wait_for 10 "$log" "^mouse msg=202" || true
check "a left click is reported with its button messages" \
  bash -c "grep -q '^mouse msg=201' '$log' && grep -q '^mouse msg=202' '$log'"

# Typed keys arrive decoded: vkCode, KeyDown, KeyChar and Shift.
xdotool type --delay 40 "aB"
wait_for 10 "$log" "^key vk=42 down=0" || true
check "a typed letter arrives decoded" grep -q "^key vk=41 down=1 char=0061 shift=0 injected=0" "$log"
check "its release arrives too, untranslated" grep -q "^key vk=41 down=0 char=0000" "$log"
check "a shifted letter arrives with Shift" grep -q "^key vk=42 down=1 char=0042 shift=1 injected=0" "$log"

# Q is withheld by the handler, W passes.
xdotool key --delay 40 q w
wait_for 10 "$log" "^key vk=57 down=0" || true
check "the withheld key was reported" grep -q "^key vk=51 down=1" "$log"

# J: the program's own SendInput output replaces the key, unreported.
xdotool key j
wait_for 10 "$log" "^key vk=4a down=0" || true
check "own SendInput output is not reported" bash -c "! grep -q 'sc=915' '$log'"

# K: a report nested in the handling of another leaves the outer record alone.
xdotool key k
wait_for 10 "$log" "^key vk=4b down=0" || true
check "nested injected reports arrive while asked for" \
  bash -c "[ \$(grep -c '^key vk=e7 .* injected=1 sc=2b' '$log') -eq 2 ]"
check "the library still holds the outer record after a nested report" \
  grep -q "^nested outer=4b" "$log"
check "no other injected key was reported" \
  bash -c "[ \$(grep -c 'injected=1' '$log') -eq 2 ]"

# F9: the text the target received, and the end of the run.
xdotool key F9
wait_for 20 "$log" "^done" || true
# a B w, then U+0915 for J and + for K; q, j, k and F9 themselves withheld.
check "the target received exactly the passed keys and the own output" \
  grep -q "^text=0061 0042 0077 0915 002b$" "$log"
check "both hooks stop" grep -q "^stopped key=1 mouse=1" "$log"

# --- 3. The classic mode: a thread keyboard hook on the program's own window.
classic="korimo-classic-$$-$RANDOM"
clog="$work/classic.log"
wine "$(wine_path "$bin/hooks_wine_check.exe")" --classic "$classic" >"$clog" 2>/dev/null &
wait_for 30 "$clog" "^classic ready" || true
check "the classic hook starts" grep -q "^classic ready key=1" "$clog"
own=""
found_own() { own=$(xdotool search --name "^$classic" 2>/dev/null | head -n1 || true); [ -n "$own" ]; }
wait_until 20 found_own || true
[ -z "$own" ] || wine_focus "$own" || true
xdotool key --delay 40 a q s F9
wait_for 20 "$clog" "^classic stopped" || true
check "classic reports carry the key, its character and the flag word" \
  bash -c "grep -q '^ckey vk=41 down=1 char=0061' '$clog' && grep -q '^ckey vk=41 down=0 char=0000' '$clog'"
check "the classic hook withholds a key" grep -q "^classic text=as$" "$clog"

summary hook show_files "$log" "$clog"
