#!/usr/bin/env bash
# Figures of Korimo.exe under Wine, measured from outside (no code of the
# program is changed for them): the time from starting the process to its
# tray icon, the time the program's keyboard hook holds each typed key, and
# its working set after start-up. Not a test: timings depend on the machine.
#   measure-program.sh [BIN] [KEYS]   (BIN: the Windows build's bin folder,
#                                      KEYS: how many keys to type, 1000)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${1:-$root/build/windows/bin}
keys=${2:-1000}
checks_quiet=1
# shellcheck source=../../tools/wine/app-env.sh
source "$root/tools/wine/app-env.sh"
app_env_start "$bin" "$root/build/measure"

# The hook's time: a timing hook installed after the program's is called
# first and times the call that runs the program's hook; once with the
# keymap off (keys pass), once with Hindi on (keys composed and replaced).
text="namaste duniyaa kShetra vidyaalaya bhaarata "
# measure LABEL TOGGLE: types KEYS keys after TOGGLE and prints the figures.
measure() {
  local timings="$work/timings-$1.txt" typed_keys=0
  wine "$bin/korimo_probe.exe" hooktime 600 "$(wine_path "$work")\\timings-$1.txt" \
    >"$work/probe.log" 2>&1 &
  local prober=$!
  wait_for 30 "$work/probe.log" timing || exit 1
  wine_focus "$pad"
  pressed "$2"
  while [ "$typed_keys" -lt "$keys" ]; do
    xdotool type --delay 20 "$text"
    typed_keys=$((typed_keys + ${#text}))
  done
  sleep 1
  : >"$timings.stop"  # the probe unhooks and ends
  wait "$prober" 2>/dev/null || true
  awk '{ print $3 }' "$timings" | sort -n >"$work/sorted.txt"
  local n median p99 max
  n=$(wc -l <"$work/sorted.txt")
  median=$(sed -n "$(( (n + 1) / 2 ))p" "$work/sorted.txt")
  p99=$(sed -n "$(( (n * 99 + 99) / 100 ))p" "$work/sorted.txt")
  max=$(tail -n1 "$work/sorted.txt")
  echo "keyboard hook, $1: ${n} key events of ${typed_keys} keys:" \
    "median ${median} us, 99th percentile ${p99} us, longest ${max} us"
}
# Wine's own cost of calling a low-level hook in another process, before
# the program runs: with no hook after the timing one, and with one that
# does nothing. The floor of the figures below.
measure "no other hook" shift
wine "$bin/korimo_probe.exe" passhook 600 "$(wine_path "$work")\\pass" >"$work/pass.log" 2>&1 &
passer=$!
wait_for 30 "$work/pass.log" hooked || exit 1
measure "a hook that does nothing, in another process" shift
: >"$work/pass.stop"
wait "$passer" 2>/dev/null || true

# A program started once first, so the figure is the program's own start
# and not the prefix's first one.
probe foreground >/dev/null
started=$(date +%s%N)
wine "$app/Korimo.exe" >"$work/korimo.log" 2>&1 &
korimo=$!
wait_for_tray || exit 1
tray_ms=$(( ($(date +%s%N) - started) / 1000000 ))
echo "process start to tray icon: ${tray_ms} ms (polled every 0.2 s at most: an upper bound)"
# Ready once the splash has gone, which it does no sooner than 1.5 s.
wait_until 30 hidden VantrelKorimoSplash || exit 1
sleep 2
echo "after start-up: $(probe memory Korimo.exe)"

echo "(each figure from the timing hook's call of the next hooks to its return:"
echo " the program's hook procedure in its own process, its report to the program,"
echo " the handler, and with a keymap on the injected keys' own hook calls)"
# The first keys after start-up find Wine and the program cold: a round of
# typing first, not counted.
measure "warming up" alt+1 >/dev/null
measure "Hindi on" alt+1
measure "keymap off" alt+0
echo "after typing: $(probe memory Korimo.exe)"
