#!/usr/bin/env bash
# Configures and builds one or more presets: native, native-asan, windows.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
for preset in "$@"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
