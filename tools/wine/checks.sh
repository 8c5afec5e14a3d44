# Sourced by every Wine check and by the tools that drive the program under
# Wine: waits that poll with a time limit, and checks that report and count.
# No wait here asks how long anything took; the limits only bound a run.
#   ok DESCRIPTION                 counts a passed check and prints "ok    ..."
#                                  (not with checks_quiet=1, as the tools set)
#   fail DESCRIPTION               counts a failed check and prints "FAIL  ..."
#   check DESCRIPTION COMMAND...   ok once COMMAND succeeds, fail if it has not
#                                  within check_seconds (10; 0: tried once)
#   wait_until SECONDS COMMAND...  polls COMMAND; false after SECONDS
#   wait_for SECONDS FILE PATTERN  polls until a line of FILE matches the
#                                  extended regular expression; false after SECONDS
#   show_files FILE...             each file under a line with its name
#   summary WHAT [COMMAND...]      the end of a run: after a failure, COMMAND
#                                  (what helps to see why), the count and exit 1

passes=0
failures=0
checks_quiet=${checks_quiet:-0}

ok() {
  passes=$((passes + 1))
  if [ "$checks_quiet" != 1 ]; then echo "ok    $1"; fi
}
fail() { echo "FAIL  $1"; failures=$((failures + 1)); }

wait_until() {
  local limit=$(( $(date +%s) + $1 ))
  shift
  until "$@"; do
    [ "$(date +%s)" -ge "$limit" ] && return 1
    sleep 0.2
  done
  return 0
}

wait_for() {
  local limit=$(( $(date +%s) + $1 ))
  while ! grep -qE "$3" "$2" 2>/dev/null; do
    if [ "$(date +%s)" -ge "$limit" ]; then
      echo "timed out waiting for /$3/ in $(basename "$2")" >&2
      return 1
    fi
    sleep 0.1
  done
}

check() {
  local what=$1
  shift
  if wait_until "${check_seconds:-10}" "$@"; then ok "$what"; else fail "$what"; fi
}

show_files() {
  local file
  for file in "$@"; do
    echo "--- $(basename "$file")"
    cat "$file" 2>/dev/null || true
  done
}

summary() {
  local what=$1
  shift
  if [ "$failures" -ne 0 ]; then
    if [ $# -gt 0 ]; then "$@" || true; fi
    echo "--- $failures of $((passes + failures)) check(s) failed"
    exit 1
  fi
  echo "all $passes $what checks passed"
}
