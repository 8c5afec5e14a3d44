#!/usr/bin/env bash
# Runs every case of CASES_DIR/cases.txt through the native korimo-cli and
# through the Windows one under Wine, and fails on any difference in output
# or exit code.
set -euo pipefail
native=$(realpath "$1")
exe=$(realpath "$2")
cases_dir=$3
source "$(dirname "$0")/../wine/wine-env.sh"
wine_env_prefix
cd "$cases_dir"

failures=0
count=0
while IFS=$'\t' read -r args keys; do
  case "$args" in ''|'#'*) continue ;; esac
  count=$((count + 1))
  read -r -a argv <<<"$args"
  set +e
  expected=$(printf '%b' "$keys" | "$native" "${argv[@]}" 2>/dev/null; echo "exit $?")
  actual=$(printf '%b' "$keys" | wine "$exe" "${argv[@]}" 2>/dev/null; echo "exit $?")
  set -e
  if [ "$expected" != "$actual" ]; then
    failures=$((failures + 1))
    echo "DIFFERENT: korimo-cli $args <<< '$keys'"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
  fi
done <cases.txt
echo "$((count - failures)) of $count cases answer the same under Wine"
[ "$failures" -eq 0 ]
