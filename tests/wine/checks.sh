# Sourced by the Wine checks that follow a test program's log, the file named
# by $log: their report lines and their waits, each polling with a time limit.
# The program prints a target's text as UTF-16 units in hex ("text 0=0061 0915").

failures=0
ok() { echo "ok    $1"; }
fail() { echo "FAIL  $1"; failures=$((failures + 1)); }

# wait_for SECONDS PATTERN: polls until a line of the log matches.
wait_for() {
  local limit=$(( $(date +%s) + $1 ))
  while ! grep -qE "$2" "$log" 2>/dev/null; do
    [ "$(date +%s)" -ge "$limit" ] && return 1
    sleep 0.1
  done
}

# UTF-8 text as the UTF-16 units the programs print: "0061 0915".
units() {
  printf '%s' "$1" | iconv -f UTF-8 -t UTF-16BE | od -An -v -tx1 | tr -d ' \n' |
    sed -E 's/(....)/\1 /g; s/ $//'
}

# The text of target I as last printed.
shown() { grep "^text $1=" "$log" | tail -n1 | cut -d= -f2-; }

# expect DESCRIPTION I TEXT: target I's whole text becomes TEXT within the limit.
expect() {
  local want limit
  want=$(units "$3")
  limit=$(( $(date +%s) + 10 ))
  until [ "$(shown "$2")" = "$want" ]; do
    if [ "$(date +%s)" -ge "$limit" ]; then
      fail "$1"
      echo "      want $want" >&2
      echo "      got  $(shown "$2")" >&2
      return 0
    fi
    sleep 0.1
  done
  ok "$1"
}

# stopped DESCRIPTION REASON: once asked to stop, the program ends with
# that reason and has reported no error of the core on the way.
stopped() {
  if wait_for 20 '^done' && grep -q "^stopped reason=$2" "$log"; then ok "$1"; else fail "$1"; fi
  if grep -q '^error' "$log"; then
    fail "the core reported no error; it reported: $(grep '^error' "$log" | head -n1)"
  else
    ok "the core reported no error"
  fi
}

# summary WHAT: the log and the count of failures when a check failed.
summary() {
  if [ "$failures" -ne 0 ]; then
    echo "--- $(basename "$log")"; cat "$log"
    echo "--- $failures check(s) failed"
    exit 1
  fi
  echo "all $1 checks passed"
}
