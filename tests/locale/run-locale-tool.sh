#!/usr/bin/env bash
# Vantrellocale.exe under Wine, in a fresh prefix with a few keyboard layouts
# registered as Windows registers them: it runs without a question, shows one
# message box (closed here with Enter; a screenshot of it is saved in the
# build folder's screenshots/ where ImageMagick is installed), and the values it wrote under the
# current user's product key are read back with wine reg.
#   run-locale-tool.sh BIN   (BIN: the Windows build's bin folder)
set -euo pipefail

bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../tools/wine/wine-env.sh
source "$here/../../tools/wine/wine-env.sh"
wine_env_need "$bin" Vantrellocale.exe config.xml Data/Hindi-Phonetic.xml

wine_env_display
wine_env_prefix

layouts='HKLM\SYSTEM\CurrentControlSet\Control\Keyboard Layouts'
add_layout() {  # ID TEXT [LAYOUT_ID]
  wine reg add "$layouts\\$1" /v "Layout Text" /t REG_SZ /d "$2" /f >/dev/null
  [ -z "${3:-}" ] || wine reg add "$layouts\\$1" /v "Layout Id" /t REG_SZ /d "$3" /f >/dev/null
}
add_layout 00000409 "US"
add_layout 00000439 "Hindi Traditional"
add_layout 00010439 "Devanagari - INSCRIPT" 00c0
add_layout 00000449 "Tamil"
add_layout 0000044e "Marathi"
product='HKCU\SOFTWARE\Vantrel\Korimo'
# left by an earlier run for a language that has no layout now
wine reg add "$product" /v 0446 /t REG_SZ /d 7 /f >/dev/null

wine "$bin/Vantrellocale.exe" >/dev/null 2>&1 &
tool=$!

box=""
found_box() {
  box=$(xdotool search --onlyvisible --name '^Vantrel Korimo$' 2>/dev/null | head -n1 || true)
  [ -n "$box" ]
}
if wait_until 60 found_box; then
  ok "the message box is shown"
  # A picture of it for people to look at, where ImageMagick is installed.
  if command -v import >/dev/null; then
    shots="$bin/../screenshots"
    mkdir -p "$shots"
    sleep 1  # let it paint
    import -window root "$shots/locale-tool.png" 2>/dev/null || true
  fi
  wine_focus "$box" && xdotool key Return
else
  fail "no message box appeared"
fi

# The tool ends once its box is closed.
tool_ended() { ! kill -0 "$tool" 2>/dev/null; }
if ! wait_until 30 tool_ended; then
  fail "the tool did not end after its message box closed"
else
  set +e; wait "$tool"; code=$?; set -e
  [ "$code" -eq 0 ] && ok "the tool ended with exit code 0" || fail "exit code $code"
fi

values=$(wine reg query "$product" 2>/dev/null | tr -d '\r')
echo "$values"
expect_value() {  # NAME DATA ("" for absent)
  local line
  line=$(printf '%s\n' "$values" | awk -v n="$1" 'toupper($1) == toupper(n) { print $3 }')
  if [ "$line" = "$2" ]; then ok "value ${1}: ${2:-absent}"; else fail "value $1 is '$line', expected '${2:-absent}'"; fi
}
expect_value 0439 49153  # 00010439 with Layout Id 00c0: loads 00010439, asks for f0c00439
expect_value 0449 0      # 00000449, the language's first layout
expect_value 044E 0
expect_value 0446 ""     # no Punjabi layout: the old value is gone
expect_value 0445 ""
expect_value Locales 1

# Quiet, as the installer and the program start it: the same values, no box.
wine reg delete "$product" /f >/dev/null 2>&1
set +e
timeout 120 wine "$bin/Vantrellocale.exe" /quiet >/dev/null 2>&1
code=$?
set -e
[ "$code" -eq 0 ] && ok "quiet: exit code 0 without a message box" || fail "quiet: exit code $code"
values=$(wine reg query "$product" 2>/dev/null | tr -d '\r')
expect_value 0439 49153
expect_value Locales 1

summary "locale tool"
