#!/usr/bin/env bash
# Formats every C++ source of the tree with the project's .clang-format;
# with --check, changes nothing and fails when a file is not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."
# Tracked and new files alike, as long as they exist.
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' |
  while read -r f; do [ -f "$f" ] && echo "$f"; done | sort -u)
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "format: ${#files[@]} files formatted"
else
  clang-format -i "${files[@]}"
fi
