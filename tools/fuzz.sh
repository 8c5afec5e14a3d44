#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz, clang) and runs each for SECONDS
# (default 60), two at a time, on a corpus seeded from the saved corpus, the
# hand-made reproducers and the project's own files. New inputs stay in
# build/fuzz/corpus/NAME; an input that breaks a target is kept in
# build/fuzz/crashes/NAME and fails the run. Prints each target's executions.
#
#   tools/fuzz.sh [SECONDS] [NAME...]     NAME: xml keymap config typing
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(xml keymap config typing)

# clang's warnings differ from gcc's, so this build does not stop at them;
# the gcc presets keep warnings as errors.
mkdir -p build
if ! { cmake --preset fuzz && cmake --build --preset fuzz -j 2 \
  $(printf -- '--target korimo_fuzz_%s ' "${targets[@]}"); } >build/fuzz-build.log 2>&1; then
  tail -40 build/fuzz-build.log
  echo "fuzz: the build failed, see build/fuzz-build.log"
  exit 1
fi

root=$PWD
work=$root/build/fuzz
# The project's own files each target starts from (folders of small files).
seed() {
  local name=$1 dir=$work/seeds/$1
  rm -rf "$dir"
  mkdir -p "$dir"
  # Each file under its path's name, so that equal names do not collide.
  put() { for file in "$@"; do cp "$file" "$dir/${file//\//_}"; done; }
  case $name in
    xml) put keymaps/config.xml keymaps/examples/*.xml tests/cli/cases/*.xml tests/shell/apps/*/config.xml ;;
    keymap) put keymaps/examples/*.xml tests/cli/cases/*.xml keymaps/Data/Hindi-InScript.xml ;;
    config) put keymaps/config.xml tests/shell/apps/*/config.xml ;;
    typing)
      # Each word list's keys for its keymap (index among the sorted bundled
      # keymaps), with and without undo; bytes as typing_fuzz.cpp reads them.
      python3 - "$dir" <<'PY'
import os, sys
data = sorted(os.listdir("keymaps/Data"))
words = {"hindi": "Hindi-Phonetic", "tamil": "Tamil-Phonetic", "bengali": "Bengali-Phonetic",
         "inscript-hindi": "Hindi-InScript", "malayalam": "Malayalam-Phonetic"}
for name, keymap in words.items():
    path = "tests/keymaps/words/%s.tsv" % name
    if not os.path.exists(path):
        continue
    keys = [l.split("\t")[0] for l in open(path, encoding="utf-8") if l.strip() and not l.startswith("#")]
    stream = " ".join(keys[:12]).replace("<BS>", "\b").replace("<SP>", " ")
    body = bytes((ord(c) - 32) % 98 if c >= " " else 96 for c in stream if ord(c) < 127)
    index = data.index(keymap + ".xml")
    for undo in (0, 1):
        with open(os.path.join(sys.argv[1], "%s-%d.bin" % (name, undo)), "wb") as f:
            f.write(bytes([index, undo]) + body)
PY
      ;;
  esac
}

run() {
  local name=$1
  local corpus=$work/corpus/$name crashes=$work/crashes/$name log=$work/logs/$name.log
  mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
  seed "$name"
  local dirs=("$corpus" "$work/seeds/$name")
  for saved in fuzz/corpus/$name fuzz/regressions/$name; do
    [ -d "$saved" ] && dirs+=("$saved")
  done
  echo "fuzz: $name for ${seconds}s" >"$log"
  KORIMO_SOURCE_DIR=$root "$work/bin/korimo_fuzz_$name" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "${dirs[@]}" >>"$log" 2>&1
}

pids=()
names=()
failed=0
for name in "${targets[@]}"; do
  # Two at a time: the machine has two cores.
  if [ ${#pids[@]} -ge 2 ]; then
    wait "${pids[0]}" || { echo "fuzz: ${names[0]} FAILED, see build/fuzz/logs/${names[0]}.log"; failed=1; }
    pids=("${pids[@]:1}")
    names=("${names[@]:1}")
  fi
  run "$name" &
  pids+=($!)
  names+=("$name")
done
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || { echo "fuzz: ${names[$i]} FAILED, see build/fuzz/logs/${names[$i]}.log"; failed=1; }
done
for name in "${targets[@]}"; do
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/logs/$name.log" | grep -o '[0-9]*$' || echo "?")
  echo "fuzz: $name ran $runs inputs in ${seconds}s"
done
exit "$failed"
