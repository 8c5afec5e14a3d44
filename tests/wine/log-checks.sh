# Sourced by the Wine checks that follow a test program's log, the file named
# by $log, after tools/wine/wine-env.sh (whose checks these build on). The
# program prints a target's text as UTF-16 units in hex ("text 0=0061 0915").
#   logged PATTERN                    a line of the log matches (for check)
#   units TEXT                        UTF-8 text as the units the programs print
#   shown I                           the text of target I as last printed
#   expect_text DESCRIPTION I TEXT    target I's whole text becomes TEXT
#   ended_with DESCRIPTION REASON     the program ends with that reason, no error

logged() { grep -qE "$1" "$log" 2>/dev/null; }

# UTF-8 text as the UTF-16 units the programs print: "0061 0915".
units() {
  printf '%s' "$1" | iconv -f UTF-8 -t UTF-16BE | od -An -v -tx1 | tr -d ' \n' |
    sed -E 's/(....)/\1 /g; s/ $//'
}

shown() { grep "^text $1=" "$log" | tail -n1 | cut -d= -f2-; }

shows() { [ "$(shown "$1")" = "$2" ]; }

# expect_text DESCRIPTION I TEXT: target I's whole text becomes TEXT within
# ten seconds; what it shows instead is told on failure.
expect_text() {
  local want
  want=$(units "$3")
  if wait_until 10 shows "$2" "$want"; then
    ok "$1"
  else
    fail "$1"
    echo "      want $want" >&2
    echo "      got  $(shown "$2")" >&2
  fi
}

# ended_with DESCRIPTION REASON: once asked to stop, the program ends with
# that reason and has reported no error of the core on the way.
ended_with() {
  if wait_for 20 "$log" '^done' && grep -q "^stopped reason=$2" "$log"; then ok "$1"; else fail "$1"; fi
  if grep -q '^error' "$log"; then
    fail "the core reported no error; it reported: $(grep '^error' "$log" | head -n1)"
  else
    ok "the core reported no error"
  fi
}
