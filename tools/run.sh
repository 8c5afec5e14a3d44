#!/usr/bin/env bash
# Sets up the machine, builds, and runs the program's typing engine with the
# bundled keymaps: the Windows build under Wine (the native build where Wine
# is missing), on the example keymap and on the bundled Hindi keymap.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh windows native

cli=(build/native/bin/korimo-cli)
if command -v wine >/dev/null 2>&1; then
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  cli=(wine build/windows/bin/korimo-cli.exe)
fi

echo "Typing 'kaaksa' with keymaps/examples/six.xml, event by event:"
printf 'kaaksa' | "${cli[@]}" type --keymap keymaps/examples/six.xml --events
echo
echo "Typing 'namaste duniyaa' with the bundled Hindi phonetic keymap:"
printf 'namaste duniyaa' | "${cli[@]}" type --keymap build/windows/bin/Data/Hindi-Phonetic.xml --surround
echo
echo "The same typist in a simulated desktop with the bundled configuration (Alt+1 Hindi, Alt+8 Tamil):"
printf 'window Notepad\nkey alt+1\ntype namaste \nkey alt+8\ntype vaNakkam\nstate\n' |
  "${cli[@]}" simulate --app-dir build/windows/bin
