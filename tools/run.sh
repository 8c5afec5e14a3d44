#!/usr/bin/env bash
# Sets up the machine, builds, and runs the program with the bundled keymaps.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh windows native
keymap=keymaps/examples/six.xml
echo "Typing 'kaaksa' with $keymap:"
printf 'kaaksa' | build/native/bin/korimo-cli type --keymap "$keymap" --events
