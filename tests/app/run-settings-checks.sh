#!/usr/bin/env bash
# The settings dialog of Korimo.exe under Wine, used and observed as a person
# would: opened from the tray's main menu, its list read by korimo_probe.exe
# (another program), keys chosen through the Toggle Key menus with mouse
# clicks, Ok refused and then accepted (the program restarts and reads the
# new configuration file), a keymap imported from another folder through the
# open-file dialog, the Run value written and removed, Cancel changing
# nothing; screenshots of the dialog, its menus and its message boxes.
#   run-settings-checks.sh BIN SHOTS
set -euo pipefail
# shellcheck source=../../tools/wine/app-env.sh
source "$(dirname "$0")/../../tools/wine/app-env.sh"
app_env_start "$1" "$2"
shots="$shots/settings"
mkdir -p "$shots"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
dialog_class=VantrelKorimoSettings
dialog() { window_of "$dialog_class"; }
rows() { probe listview "$(dialog)"; }
row_count() { rows | wc -l; }
# The number (from 0) of the row that names FILE.
row_of() { rows | grep -n "|$1|" | head -n1 | cut -d: -f1 | awk '{print $1 - 1}'; }
# click_cell ROW COLUMN: a mouse click on a cell of the list.
click_cell() {
  local x y
  read -r x y <<<"$(probe cell "$(dialog)" "$1" "$2")"
  xdotool mousemove "$x" "$y" click 1
}
# box_says TEXT: the program's message box shows TEXT.
box_says() { box_open && probe children "$(box)" | grep -qF "text=$1"; }
# answer TEXT: clicks the message box's button with that text.
answer() { probe click "$(box)" "$1"; check "the message box closes" box_closed; }
open_settings() {
  main_menu 0
  check "Settings opens the dialog" visible "$dialog_class"
}
dialog_closed() { hidden "$dialog_class"; }
config_says() { tr -d '\r\n ' <"$app/config.xml" | grep -qF "$1"; }
main_window_running() { program_windows | grep -q ' class=VantrelKorimoMainWindow '; }
run_value() { wine reg query "$run_key" /v VantrelKorimo 2>/dev/null | tr -d '\r' | grep VantrelKorimo; }
tray_again() {
  # The restarted program's tray icon, in the same slot.
  wait_until 20 main_window_running || true
  sleep 1
}

start_program || { fail "the program starts"; summary "settings dialog" program_state; }
check "the splash closes" hidden VantrelKorimoSplash

# --- The dialog: caption, look, the list in its order, the focus on Import...
open_settings
shot dialog
captioned() { program_windows | grep -q " class=$dialog_class visible=1 .* title=Settings\$"; }
check "its caption is Settings" captioned
focused_import() { probe focus | grep -q 'text=Import...'; }
check "Import... has the focus" focused_import
expected_rows="[x] Hindi|Phonetic|Unicode|Hindi-Phonetic.xml|Alt+1 ◊|01|01
[x] Bengali|Phonetic|Unicode|Bengali-Phonetic.xml|Alt+2 ◊|02|02
[x] Punjabi|Phonetic|Unicode|Punjabi-Phonetic.xml|Alt+3 ◊|03|03
[x] Gujarati|Phonetic|Unicode|Gujarati-Phonetic.xml|Alt+4 ◊|04|04
[x] Kannada|Phonetic|Unicode|Kannada-Phonetic.xml|Alt+5 ◊|05|05
[x] Telugu|Phonetic|Unicode|Telugu-Phonetic.xml|Alt+6 ◊|06|06
[x] Malayalam|Phonetic|Unicode|Malayalam-Phonetic.xml|Alt+7 ◊|07|07
[x] Tamil|Phonetic|Unicode|Tamil-Phonetic.xml|Alt+8 ◊|08|08
[ ] Assamese|InScript|Unicode|Assamese-InScript.xml|None ◊|None|None
[ ] Assamese|Phonetic|Unicode|Assamese-Phonetic.xml|None ◊|None|None
[ ] Bengali|InScript|Unicode|Bengali-InScript.xml|None ◊|None|None
[ ] Bodo|InScript|Unicode|Bodo-InScript.xml|None ◊|None|None
[ ] Dogri|InScript|Unicode|Dogri-InScript.xml|None ◊|None|None
[ ] Gujarati|InScript|Unicode|Gujarati-InScript.xml|None ◊|None|None
[ ] Hindi|InScript|Unicode|Hindi-InScript.xml|None ◊|None|None
[ ] Kannada|InScript|Unicode|Kannada-InScript.xml|None ◊|None|None
[ ] Kashmiri|Phonetic|Unicode|Kashmiri-Phonetic.xml|None ◊|None|None
[ ] Konkani|InScript|Unicode|Konkani-InScript.xml|None ◊|None|None
[ ] Maithili|InScript|Unicode|Maithili-InScript.xml|None ◊|None|None
[ ] Malayalam|InScript|Unicode|Malayalam-InScript.xml|None ◊|None|None
[ ] Manipuri|InScript|Unicode|Manipuri-InScript.xml|None ◊|None|None
[ ] Marathi|InScript|Unicode|Marathi-InScript.xml|None ◊|None|None
[ ] Marathi|Phonetic|Unicode|Marathi-Phonetic.xml|None ◊|None|None
[ ] Nepali|InScript|Unicode|Nepali-InScript.xml|None ◊|None|None
[ ] Nepali|Phonetic|Unicode|Nepali-Phonetic.xml|None ◊|None|None
[ ] Odia|InScript|Unicode|Odia-InScript.xml|None ◊|None|None
[ ] Odia|Phonetic|Unicode|Odia-Phonetic.xml|None ◊|None|None
[ ] Punjabi|InScript|Unicode|Punjabi-InScript.xml|None ◊|None|None
[ ] Sanskrit|InScript|Unicode|Sanskrit-InScript.xml|None ◊|None|None
[ ] Sanskrit|Phonetic|Unicode|Sanskrit-Phonetic.xml|None ◊|None|None
[ ] Santali|InScript|Unicode|Santali-InScript.xml|None ◊|None|None
[ ] Sindhi|Phonetic|Unicode|Sindhi-Phonetic.xml|None ◊|None|None
[ ] Tamil|InScript|Unicode|Tamil-InScript.xml|None ◊|None|None
[ ] Telugu|InScript|Unicode|Telugu-InScript.xml|None ◊|None|None
[ ] Urdu|Phonetic|Unicode|Urdu-Phonetic.xml|None ◊|None|None"
list_is() { [ "$(rows)" = "$1" ]; }
check "one row per catalogued keymap, with keys first in key order" list_is "$expected_rows"
controls_shown() {
  local children
  children=$(probe children "$(dialog)")
  for text in "Windows Text Services" "Treat Backspace as Undo at preedit level  " "Toggle Mode" \
    "Use Alt Key" "Avoid Alt key" " Keymap" "Import..." "Keymap off Key" "Alt+0 ◊" \
    "Start automatically when starting Windows" "Cancel" "Ok"; do
    grep -qF "text=$text"$'\n' <<<"$children"$'\n' || { echo "no control '$text'"; return 1; }
  done
}
check "the controls and their texts" controls_shown
options_read() {
  [ "$(probe checked "$(dialog)" 'Windows Text Services')" = 1 ] &&
    [ "$(probe checked "$(dialog)" 'Use Alt Key')" = 1 ] &&
    [ "$(probe checked "$(dialog)" 'Start automatically when starting Windows')" = 0 ]
}
check "the options as the configuration file says" options_read

# --- The Keymap-off label's menu, left as it was.
read -r l t r b <<<"$(probe children "$(dialog)" | grep -F 'text=Alt+0 ◊' | sed -E 's/.*rect=([-0-9]+),([-0-9]+),([-0-9]+),([-0-9]+).*/\1 \2 \3 \4/')"
xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
check "a click on the Keymap-off label opens its menu" menu_open
shot keymap-off-menu
menu_item 0 10  # Alt+0, as it was
check "the menu closes" menu_closed

# --- Hindi onto Alt+5: first refused (Kannada has it), then Kannada moves.
cp "$app/config.xml" "$work/config-before.xml"
click_cell 0 4
check "a click on Hindi's Toggle Key cell opens its menu" menu_open
shot toggle-key-menu
menu_item 5 11  # Alt+5
hindi_on_5() { rows | grep -qF '[x] Hindi|Phonetic|Unicode|Hindi-Phonetic.xml|Alt+5 ◊|05|01'; }
check "Hindi shows Alt+5, checked" hindi_on_5
probe click "$(dialog)" Ok
check "Ok with Alt+5 twice is refused" box_says "Same shortcut key should not be used for more than one Keymap"
shot refused-ok
answer OK
unchanged() { cmp -s "$app/config.xml" "$work/config-before.xml"; }
check "a refused Ok leaves config.xml unchanged" unchanged
check "the dialog stays open" visible "$dialog_class"
kannada=$(rows | grep -n '|Kannada-Phonetic.xml|' | cut -d: -f1)
click_cell $((kannada - 1)) 4
check "Kannada's menu opens" menu_open
menu_item 10 11  # None
kannada_none() { rows | grep -qF '[ ] Kannada|Phonetic|Unicode|Kannada-Phonetic.xml|None ◊|None|05'; }
check "Kannada has no key and is unchecked" kannada_none

# --- Ok: saved, the restart message, a new instance that reads the file.
probe click "$(dialog)" Ok
check "Ok says the application will restart" box_says "Application will restart now"
shot restart-message
answer OK
check "the old Korimo.exe ends" stopped "$korimo"
check "a new Korimo.exe runs" main_window_running
check "config.xml holds Hindi on Alt+5" config_says "<Filename>Hindi-Phonetic.xml</Filename><TKey1>5</TKey1><TKey2>1</TKey2>"
check "config.xml holds Kannada without a mode-1 key" config_says "<Filename>Kannada-Phonetic.xml</Filename><TKey1>None</TKey1><TKey2>5</TKey2>"
tray_again
wine_focus "$pad"
pressed alt+5
typed "namaste "
check "Alt+5 types Hindi now: namaste" has_text "नमस्ते "

# --- Import from another folder through the open-file dialog, typing its path.
mkdir -p "$work/elsewhere"
sed -e 's/<Keyboard>Phonetic</<Keyboard>Mine</' "$app/Data/Tamil-Phonetic.xml" >"$work/elsewhere/mytamil.xml"
open_settings
# Hindi is on in Notepad; the path typed into the open-file dialog below
# must arrive as typed. (Typing into Notepad while the dialog is open is
# checked on the simulated desktop: without a window manager Wine keeps the
# dialog as its foreground window whatever has the X focus.)
probe click "$(dialog)" "Import..."
open_file() { program_windows | grep -q ' class=#32770 visible=1 .*title=Import a Keymap$'; }
# Types a file's path into the open-file dialog and presses Enter.
choose_file() {
  xdotool windowfocus "$(xdotool search --name '^Import a Keymap$' | head -n1)" 2>/dev/null || true
  sleep 0.5
  typed "$(wine_path "$1")"
  pressed Return
}
check "Import... shows the open-file dialog titled Import a Keymap" open_file
shot open-file-dialog
choose_file "$work/elsewhere/mytamil.xml"
check "the path typed into the open-file dialog is not composed: the import succeeds" box_says "File imported successfully."
shot import-succeeded
answer OK
copied() { cmp -s "$app/Data/mytamil.xml" "$work/elsewhere/mytamil.xml"; }
check "the keymap lands in Data, byte for byte" copied
new_row() { rows | grep -qF '[ ] Tamil|Mine|Unicode|mytamil.xml|None ◊|None|None'; }
check "a new unchecked row without keys" new_row
# The same file again: the overwrite question, answered Yes (no new row).
probe click "$(dialog)" "Import..."
check "the open-file dialog opens again" open_file
choose_file "$work/elsewhere/mytamil.xml"
confirm() { program_windows | grep -q ' class=#32770 visible=1 .*title=Confirm$'; }
check "importing it again asks whether to replace it" confirm
shot confirm-replace
probe click "$(program_windows | grep ' title=Confirm$' | head -n1 | cut -d' ' -f1)" "&Yes" ||
  probe click "$(program_windows | grep ' title=Confirm$' | head -n1 | cut -d' ' -f1)" "Yes"
check "Yes replaces it" box_says "File imported successfully."
answer OK
one_more_row() { [ "$(row_count)" = 36 ]; }
check "Yes adds no row" one_more_row
mine=$(rows | grep -n '|mytamil.xml|' | cut -d: -f1)
click_cell $((mine - 1)) 4
check "the new row's menu opens" menu_open
menu_item 9 11  # Alt+9
probe click "$(dialog)" "Start automatically when starting Windows"
box_ticked() { [ "$(probe checked "$(dialog)" 'Start automatically when starting Windows')" = 1 ]; }
check "the start-up box is checked" box_ticked
korimo_window=$(program_windows | grep ' class=VantrelKorimoMainWindow ' | cut -d' ' -f1)
probe click "$(dialog)" Ok
check "Ok says the application will restart" box_says "Application will restart now"
answer OK
old_gone() { ! program_windows | grep -q "^$korimo_window "; }
check "the old instance ends" old_gone
check "a new instance runs" main_window_running
run_quoted() { run_value | grep -qF "\"$(wine_path "$app/Korimo.exe")\""; }
check "the Run value holds the program's quoted path" run_quoted
tray_again
wine_focus "$pad"
pressed alt+9
typed "vaNakkam "
check "the imported keymap types on Alt+9" has_text "नमस्ते வணக்கம் "

# --- Cancel changes nothing: after a refused import, a mode change and keys
# chosen in both menus of "Avoid Alt key".
cp "$app/config.xml" "$work/config-before.xml"
open_settings
printf '<Keymap><Data><Entry><Display>0B95</Display><Character>0B95</Character><Keys>6B6</Keys></Entry></Data></Keymap>' >"$work/elsewhere/broken.xml"
probe click "$(dialog)" "Import..."
check "the open-file dialog opens" open_file
choose_file "$work/elsewhere/broken.xml"
check "a broken keymap is refused" box_says "Integrity check failed. File could not be imported"
shot import-refused
answer OK
not_copied() { [ ! -e "$app/Data/broken.xml" ]; }
check "a refused keymap is not copied" not_copied
probe click "$(dialog)" "Start automatically when starting Windows"
probe click "$(dialog)" "Avoid Alt key"
mode2() { rows | head -n1 | grep -qF '|F3 ◊|'; }
check "Avoid Alt key shows the function keys" mode2
click_cell 0 4
check "the function-key menu opens" menu_open
shot toggle-key-menu-avoid-alt
menu_item 12 13  # None
check "the menu closes" menu_closed
read -r l t r b <<<"$(probe children "$(dialog)" | grep -F 'text=F2 ◊' | sed -E 's/.*rect=([-0-9]+),([-0-9]+),([-0-9]+),([-0-9]+).*/\1 \2 \3 \4/')"
xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
check "the Keymap-off menu of function keys opens" menu_open
shot keymap-off-menu-avoid-alt
menu_item 11 12  # ScrLk
shows_scrlk() { probe children "$(dialog)" | grep -qF 'text=ScrLk ◊'; }
check "the Keymap-off label shows ScrLk" shows_scrlk
probe click "$(dialog)" Cancel
check "Cancel closes the dialog" dialog_closed
check "Cancel leaves config.xml unchanged" unchanged
check "Cancel leaves the Run value" run_quoted

# --- The start-up box unchecked: the Run value goes.
open_settings
probe click "$(dialog)" "Start automatically when starting Windows"
probe click "$(dialog)" Ok
check "Ok says the application will restart" box_says "Application will restart now"
answer OK
run_gone() { ! run_value >/dev/null; }
check "the Run value is removed" run_gone
check "a new instance runs" main_window_running

summary "settings dialog" program_state
