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
# shellcheck source=../../tests/app/app-env.sh
source "$root/tests/app/app-env.sh"
ok() { :; }
app_env_start "$bin" "$root/build/measure"

# A program started once first, so the figure is the program's own start
# and not the prefix's first one.
probe foreground >/dev/null
started=$(date +%s%N)
start_program
tray_ms=$(( ($(date +%s%N) - started) / 1000000 ))
echo "process start to tray icon: ${tray_ms} ms (polled every 0.2 s at most: an upper bound)"
sleep 2
echo "after start-up: $(probe memory Korimo.exe)"

# The hook's time: a timing hook installed after the program's is called
# first and times the call that runs the program's hook.
timings="$work/timings.txt"
wine "$bin/korimo_probe.exe" hooktime 600 "$(wine_path "$work")\\timings.txt" >"$work/probe.log" 2>&1 &
prober=$!
until grep -q timing "$work/probe.log" 2>/dev/null; do sleep 0.1; done
wine_focus "$pad"
pressed alt+1
text="namaste duniyaa kShetra vidyaalaya bhaarata "
typed_keys=0
while [ "$typed_keys" -lt "$keys" ]; do
  xdotool type --delay 20 "$text"
  typed_keys=$((typed_keys + ${#text}))
done
sleep 1
kill "$prober" 2>/dev/null || true
wait "$prober" 2>/dev/null || true
awk '{ print $3 }' "$timings" | sort -n >"$work/sorted.txt"
n=$(wc -l <"$work/sorted.txt")
median=$(sed -n "$(( (n + 1) / 2 ))p" "$work/sorted.txt")
p99=$(sed -n "$(( (n * 99 + 99) / 100 ))p" "$work/sorted.txt")
max=$(tail -n1 "$work/sorted.txt")
echo "keyboard hook, ${n} key events (${typed_keys} keys typed with Hindi on):"
echo "  median ${median} us, 99th percentile ${p99} us, longest ${max} us"
echo "  (each from the timing hook's call of the next hooks to its return: the"
echo "  program's hook procedure, its report to the program and the handler)"
echo "after typing: $(probe memory Korimo.exe)"
