#!/usr/bin/env bash
# Instructions and heap allocations per composed key, per loaded keymap and
# per start-up, counted by callgrind, which gives the same figures on a busy
# machine as on a quiet one. Each figure is the difference between a run of
# the work N times and a run of it 0 times (korimo_costs, bench/key_costs.cpp),
# divided by N; the keys are counted after a warm-up of 2,000 keys.
#
#   bench/callgrind-keys.sh [BUILD_DIR] [KEYS]
#
# BUILD_DIR defaults to build/native (built here if korimo_costs is missing),
# KEYS to 20000.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
keys=${2:-20000}
costs=$build/bin/korimo_costs
if [ ! -x "$costs" ]; then
  cmake --preset native >/dev/null
  cmake --build "$build" -j 2 --target korimo_costs korimo-cli
fi
command -v valgrind >/dev/null || { echo "callgrind-keys: valgrind is missing (tools/setup.sh)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Instructions of one run: the program's own total, as callgrind counts it.
instructions() {
  valgrind --tool=callgrind --callgrind-out-file="$work/out" "$costs" "$@" >"$work/stdout" 2>"$work/stderr" ||
    { cat "$work/stderr" >&2; exit 1; }
  grep -m1 '^summary:' "$work/out" | awk '{print $2}'
}

# One line: the work's name, instructions per item, allocations per item.
measure() {
  local name=$1 n=$2
  shift 2
  local base full
  base=$(instructions "$@" 0)
  full=$(instructions "$@" "$n")
  local allocations
  allocations=$(awk '/^allocations-per-item/ {print $2}' "$work/stdout")
  awk -v name="$name" -v b="$base" -v f="$full" -v n="$n" -v a="$allocations" \
    'BEGIN { printf "%-44s %12.0f %12s\n", name, (f - b) / n, a }'
}

printf "%-44s %12s %12s\n" "per item" "instructions" "allocations"
measure "key, Surround, 3,000 entries" "$keys" compose surround 3000
measure "key, no Surround, 3,000 entries" "$keys" compose plain 3000
measure "key, Surround, 100 entries" "$keys" compose surround 100
measure "key, Surround, 30,000 entries" "$keys" compose surround 30000
measure "key report (press and release), 3,000 entries" "$keys" report 3000
measure "load, 3,000 entries" 5 load 3000
measure "load, 30,000 entries" 1 load 30000
if [ -d "$build/bin/Data" ]; then
  measure "start-up with the bundled catalogue" 1 startup "$build/bin"
fi
