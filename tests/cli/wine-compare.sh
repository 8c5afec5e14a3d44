#!/usr/bin/env bash
# Runs every case of CASES_DIR/cases.txt through the native korimo-cli and
# through the Windows one under Wine, and fails on any difference in output
# or exit code.
set -euo pipefail
native=$(realpath "$1")
exe=$(realpath "$2")
cases_dir=$3
# shellcheck source=../../tools/wine/wine-env.sh
source "$(dirname "$0")/../../tools/wine/wine-env.sh"
wine_env_prefix
cd "$cases_dir"

while IFS=$'\t' read -r args keys; do
  case "$args" in ''|'#'*) continue ;; esac
  read -r -a argv <<<"$args"
  set +e
  expected=$(printf '%b' "$keys" | "$native" "${argv[@]}" 2>/dev/null; echo "exit $?")
  actual=$(printf '%b' "$keys" | wine "$exe" "${argv[@]}" 2>/dev/null; echo "exit $?")
  set -e
  if [ "$expected" = "$actual" ]; then
    ok "korimo-cli $args <<< '$keys' answers the same under Wine"
  else
    fail "korimo-cli $args <<< '$keys' answers the same under Wine"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
  fi
done <cases.txt
summary "korimo-cli case"
