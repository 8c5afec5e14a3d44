#!/usr/bin/env bash
# Sets up the machine, builds every preset and the release packages, and runs
# every test: the sanitizer build's unit tests, then the native suite, which
# also runs the Windows binaries and the packages under Wine, then a minute
# of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/format.sh --check
tools/package.sh  # the windows preset, then the installer and the zip
tools/build.sh native-asan native
jobs=$(nproc)
echo "== sanitizer build"
# The fuzz replays run in the native suite; under the sanitizers the fuzz
# targets themselves take the saved corpus first (tools/fuzz.sh, last).
ctest --preset native-asan -j "$jobs" --label-exclude "wine|fuzz"
echo "== native build and Windows binaries under Wine"
ctest --preset native -j "$jobs"
echo "== fuzz targets, a minute each"
tools/fuzz.sh 60
