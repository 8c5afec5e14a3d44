#!/usr/bin/env bash
# Runs one scenario through korimo-cli simulate and compares what it prints
# with the expected output beside it (same name, .out). The scenario names
# its program folder under apps/ in a line "# app: NAME"; the run happens in
# a scratch copy of apps/ (the settings dialog writes config.xml and imports
# keymaps into Data), so that paths in the output stay the same on every
# machine and the sources stay as they are.
set -euo pipefail
cli=$(realpath "$1")
scenario=$(realpath "$2")
expected=${scenario%.scn}.out
app=$(sed -n 's/^# app: *//p' "$scenario" | head -n 1)
[ -n "$app" ] || { echo "$scenario: no '# app: NAME' line" >&2; exit 2; }
apps=$(realpath "$(dirname "$0")/apps")
# A folder outside apps/ (the bundled keymaps) is used where it is.
case "$app" in ../*) app=$(realpath "$apps/$app") ;; esac
scratch=$(mktemp -d "${TMPDIR:-/tmp}/korimo-scenario.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cp -r "$apps/." "$scratch/"
cd "$scratch"
actual=$("$cli" simulate --app-dir "$app" "$scenario")
if ! diff -u "$expected" <(printf '%s\n' "$actual"); then
  echo "scenario $(basename "$scenario") printed something else (above: - expected, + printed)"
  exit 1
fi
