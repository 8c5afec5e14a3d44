#!/usr/bin/env bash
# Runs one scenario through korimo-cli simulate and compares what it prints
# with the expected output beside it (same name, .out). The scenario names
# its program folder under apps/ in a line "# app: NAME"; the run happens in
# apps/ so that paths in the output stay the same on every machine.
set -euo pipefail
cli=$(realpath "$1")
scenario=$(realpath "$2")
expected=${scenario%.scn}.out
app=$(sed -n 's/^# app: *//p' "$scenario" | head -n 1)
[ -n "$app" ] || { echo "$scenario: no '# app: NAME' line" >&2; exit 2; }
cd "$(dirname "$0")/apps"
actual=$("$cli" simulate --app-dir "$app" "$scenario")
if ! diff -u "$expected" <(printf '%s\n' "$actual"); then
  echo "scenario $(basename "$scenario") printed something else (above: - expected, + printed)"
  exit 1
fi
