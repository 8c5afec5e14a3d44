#!/usr/bin/env bash
# Korimo.exe's start-up as a user meets it, seen from outside, in one fresh
# prefix: the first start writes the input-language values itself and shows
# one welcome notification, never again; a start with a problem (a keymap
# file gone) says so in a notification whose click shows the whole list,
# and the same problem is not told again; at 200 % scaling the About box
# and the settings dialog are drawn at that scale; on an old Windows the
# regional-language message opens with the splash gone, readable.
# Screenshots of each go to SHOTS.
#   run-startup-checks.sh BIN SHOTS
set -euo pipefail
# shellcheck source=../../tools/wine/app-env.sh
source "$(dirname "$0")/../../tools/wine/app-env.sh"
app_env_start "$1" "$2/startup"

product_key='HKCU\Software\Vantrel\Korimo'
reg_value() { wine reg query "$product_key" /v "$1" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$1 +REG_[A-Z_]+ +//p"; }
no_balloon_for() {  # SECONDS: none appears in that time
  local limit=$(($(date +%s) + $1))
  while [ "$(date +%s)" -lt "$limit" ]; do
    balloon_shown && return 1
    sleep 0.5
  done
  return 0
}
box_says() { box_open && probe children "$(box)" | grep -qF "text=$1"; }
exit_program() {
  main_menu 6  # Exit
  check_seconds=20 check "Exit ends it" stopped "$korimo"
  # The notification a balloon left behind goes with the shell's tooltip.
  wait_until 15 balloon_gone || true
}

# --- The first start: the locale values written by the program itself, and
# the welcome.
check "before the first start no input-language values exist" eval '[ -z "$(reg_value Locales)" ]'
start_program || { fail "the program starts"; summary "start-up" program_state; }
check "the first start wrote the locale tool's values (Locales is 1)" eval '[ "$(reg_value Locales)" = 1 ]'
check_seconds=15 check "the first start shows a notification over the tray" balloon_shown
shot first-run-notice
check "and remembers that it did" eval '[ "$(reg_value Welcomed)" = 1 ]'
exit_program
start_program || fail "the program starts again"
check "the second start shows no notification" no_balloon_for 6
exit_program

# --- A problem at start-up: told once, the whole list a click away.
mv "$app/Data/Bengali-Phonetic.xml" "$work/Bengali-Phonetic.xml"
start_program || fail "the program starts with a keymap file gone"
check_seconds=15 check "a start with a keymap file gone says so in a notification" balloon_shown
shot startup-problems
# A click on the balloon, reported as Windows' shell reports it to the icon's
# window (the tray message WM_APP+1, NIN_BALLOONUSERCLICK with the icon id
# 1): Wine's shell shows balloons but reports no click on them.
probe post "$(window_of VantrelKorimoMainWindow)" 0x8001 0 0x00010405 >/dev/null
check_seconds=15 check "its click shows the whole list" box_says \
  "Vantrel Korimo started, but not everything is as it should be:"
check "which names the file" eval 'probe children "$(box)" | grep -qF "Bengali-Phonetic.xml is left out"'
shot startup-problems-list
probe click "$(box)" OK >/dev/null
check "the list closes with OK" box_closed
exit_program
start_program || fail "the program starts with the same problem"
check "the same problem at the next start is not told again" no_balloon_for 6
exit_program
mv "$work/Bengali-Phonetic.xml" "$app/Data/Bengali-Phonetic.xml"

# --- At 200 %: the About box (its picture the program's own icon) and the
# settings dialog, drawn at twice the size.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
wineserver -w >/dev/null 2>&1 || true
start_program || fail "the program starts at 200 %"
main_menu 4  # About...
check "About... shows the splash" visible VantrelKorimoSplash
splash_width() { local r; r=$(rect_of VantrelKorimoSplash); IFS=, read -r l t rr b <<<"$r"; echo $((rr - l)); }
check "at 200 % the About box is twice its 286 pixels wide" eval '[ "$(splash_width)" = 572 ]'
shot_of about-200 VantrelKorimoSplash
IFS=, read -r left top right bottom <<<"$(rect_of VantrelKorimoSplash)"
xdotool mousemove $((left + 20)) $((top + 20))
check "the About box closes when the pointer enters it" hidden VantrelKorimoSplash
main_menu 0  # Settings
check "Settings opens the dialog" visible VantrelKorimoSettings
sleep 1
shot_of settings-200 VantrelKorimoSettings
probe click "$(window_of VantrelKorimoSettings)" Cancel >/dev/null
check "Cancel closes it" hidden VantrelKorimoSettings
exit_program

# --- An old Windows without the support for Indian languages: the
# regional-language message, with the splash closed before it opens.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d winxp64 /f >/dev/null 2>&1
wineserver -w >/dev/null 2>&1 || true
wine "$app/Korimo.exe" >"$work/korimo.log" 2>&1 &
korimo=$!
check_seconds=60 check "on Windows XP the regional-language message opens" box_says \
  "Regional Language Settings Enabled for Indian Languages"
check "with the splash closed, so that nothing covers it" hidden VantrelKorimoSplash
shot regional-message
probe click "$(box)" OK >/dev/null
check_seconds=20 check "OK ends the program" stopped "$korimo"

summary "start-up" program_state
