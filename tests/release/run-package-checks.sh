#!/usr/bin/env bash
# The release packages under Wine, used as a person would, in a fresh prefix:
# the installer run silently, the installed program started from its
# Start-menu shortcut and typed with, the user's own files made, the
# installer run again and the silent uninstaller run while the program runs,
# a third installation removed with the user's files, an installation into
# a folder with someone else's files removed leaving them; then the portable zip
# unpacked into a folder whose path has blanks and non-ASCII letters, and
# typed with.
#   run-package-checks.sh PACKAGES BIN SHOTS VERSION_ENV SOURCE
#     PACKAGES     what tools/package.sh wrote (build/package)
#     BIN          the Windows build's bin folder (for korimo_probe.exe)
#     SHOTS        where the screenshots go
#     VERSION_ENV  the build's korimo-version.env
#     SOURCE       the source tree
set -euo pipefail
# shellcheck source=../../tools/wine/app-env.sh
source "$(dirname "$0")/../../tools/wine/app-env.sh"
packages=$(realpath "$1")
# shellcheck source=/dev/null
source "$4"
source_dir=$(realpath "$5")
setup="$packages/VantrelKorimo-$KORIMO_VERSION-setup.exe"
zip="$packages/VantrelKorimo-$KORIMO_VERSION-portable.zip"
for f in "$setup" "$zip"; do
  [ -f "$f" ] || { echo "missing $f (run tools/package.sh)" >&2; exit 1; }
done
app_env_start "$2" "$3"

win() { wine cmd /c "echo $1" 2>/dev/null | tr -d '\r'; }
winst="$(win '%LOCALAPPDATA%')\\Programs\\Vantrel Korimo"
inst=$(winepath -u "$winst" 2>/dev/null)
shortcut="$(win '%APPDATA%')\\Microsoft\\Windows\\Start Menu\\Programs\\Vantrel Korimo.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VantrelKorimo'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
product_key='HKCU\Software\Vantrel\Korimo'
written_key="$product_key\\Written Files"

reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p"; }
no_reg_key() { ! wine reg query "$1" >/dev/null 2>&1; }
files_in() { (cd "$1" && find . -type f | LC_ALL=C sort); }
# The files of the zip's folder, as paths from inside it.
zip_files() { unzip -Z1 "$zip" | grep -v '/$' | sed 's|^Vantrel Korimo/|./|' | LC_ALL=C sort; }
no_program() { ! probe memory Korimo.exe >/dev/null; }
# The program has loaded its keymaps and started its hooks once its main
# window exists and the splash has closed.
program_ready() { program_windows | grep -q ' class=VantrelKorimoMainWindow ' && hidden VantrelKorimoSplash; }

# types_hindi DESCRIPTION TEXT: Alt+1 and "namaste " in Notepad leave TEXT there.
types_hindi() {
  wine_focus "$pad"
  pressed alt+1
  typed "namaste "
  check "$1" has_text "$2"
}

# --- Resources: what Explorer shows of every program and library.
expect_resources() {
  local out
  out=$(probe resources "$(wine_path "$1")")
  grep -qx "numbers $KORIMO_VERSION.0" <<<"$out" &&
    grep -qx "ProductName Vantrel Korimo" <<<"$out" &&
    grep -qx "ProductVersion $KORIMO_VERSION_TEXT" <<<"$out" &&
    { [ "$2" = library ] || grep -qx "icons [1-9][0-9]*" <<<"$out"; }
}
same_manifest() { probe manifest "$(wine_path "$1")" | cmp -s - "$source_dir/packaging/korimo.manifest"; }
check "the installer carries the version $KORIMO_VERSION_TEXT" expect_resources "$setup" program

# --- The installer, silent, with "Start with Windows".
wine "$setup" /S /STARTWITHWINDOWS >/dev/null 2>&1 && ok "the silent install succeeds" ||
  fail "the silent install succeeds"
installed_as_zipped() { [ "$(files_in "$inst")" = "$(printf '%s\n' "$(zip_files)" ./Uninstall.exe | LC_ALL=C sort)" ]; }
check "the zip's files and Uninstall.exe are in %LOCALAPPDATA%\\Programs\\Vantrel Korimo" \
  installed_as_zipped
for f in Korimo.exe Vantrellocale.exe korimo-cli.exe; do
  check "$f: version, icon and the manifest" eval 'expect_resources "$inst/$f" program && same_manifest "$inst/$f"'
done
for f in Vantrelx.dll Vantrely.dll; do
  check "$f: version" expect_resources "$inst/$f" library
done
check "the uninstall entry names the program, its version and its uninstaller" eval \
  '[ "$(reg_value "$uninstall_key" DisplayName)" = "Vantrel Korimo" ] &&
   [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$KORIMO_VERSION" ] &&
   [ "$(reg_value "$uninstall_key" UninstallString)" = "\"$winst\\Uninstall.exe\"" ]'
check "the Run value starts the installed program, its path in quotes" eval \
  '[ "$(reg_value "$run_key" VantrelKorimo)" = "\"$winst\\Korimo.exe\"" ]'
check "the Start-menu shortcut exists" test -f "$(winepath -u "$shortcut" 2>/dev/null)"
check "the installer ran the locale tool quietly: Locales is 1" eval \
  '[ "$(reg_value "$product_key" Locales)" = 1 ]'
check "the config.xml it wrote is recorded as its own" eval \
  'wine reg query "$written_key" /v "$winst\\config.xml" >/dev/null 2>&1'

# --- The installed program, started from the Start menu.
start_from_shortcut() {
  wine start "$shortcut" >/dev/null 2>&1 || true
  wait_for_tray && check_seconds=20 check "$1" program_ready
}
if ! start_from_shortcut "the shortcut starts Korimo.exe: its tray icon appears, the splash closes"
then fail "the tray icon appears"; summary package program_state; fi
check "the manifest makes it DPI aware per monitor" eval \
  'probe dpi VantrelKorimoMainWindow | grep -qx "per-monitor\(-v2\)\?"'
types_hindi "Alt+1 namaste types नमस्ते into Notepad" "नमस्ते "
# The first start's welcome lies over Notepad's text until Wine's shell
# lets it go: the picture shows what was typed.
wait_until 40 balloon_gone || true
shot installed

# --- The user's own files: a keymap imported (recorded as the settings
# dialog records an import) and changed settings.
cp "$inst/Data/Hindi-Phonetic.xml" "$inst/Data/Imported.xml"
wine reg add "$written_key" /v "$winst\\Data\\Imported.xml" /t REG_SZ /d "" /f >/dev/null 2>&1
echo "<!-- the user's settings -->" >>"$inst/config.xml"

# --- Installed again while the program runs: it ends the program, keeps the
# user's files and the choice to start with Windows.
wine "$setup" /S >/dev/null 2>&1 && ok "installing again while it runs succeeds" ||
  fail "installing again while it runs succeeds"
check "installing again ended the running program" no_program
check "it keeps the user's config.xml and imported keymap" eval \
  'grep -q "the user'"'"'s settings" "$inst/config.xml" && test -f "$inst/Data/Imported.xml"'
check "it keeps starting with Windows" eval \
  '[ "$(reg_value "$run_key" VantrelKorimo)" = "\"$winst\\Korimo.exe\"" ]'

# --- The silent uninstaller while the program runs: it ends the program,
# keeps the user's files and removes the rest.
start_from_shortcut "the program starts again from the shortcut" || true
wine "$inst/Uninstall.exe" /S >/dev/null 2>&1 || true
check_seconds=30 check "the silent uninstall ends the running program" no_program
only_user_files() { [ "$(files_in "$inst")" = "$(printf './Data/Imported.xml\n./config.xml')" ]; }
check_seconds=30 check "it leaves only the imported keymap and config.xml" only_user_files
check "no Start-menu shortcut is left" test ! -e "$(winepath -u "$shortcut" 2>/dev/null)"
check "no Run value is left" eval '[ -z "$(reg_value "$run_key" VantrelKorimo)" ]'
check "no uninstall entry is left" no_reg_key "$uninstall_key"
check "the locale tool's values stay" eval '[ "$(reg_value "$product_key" Locales)" = 1 ]'

# --- Installed once more, without "Start with Windows"; then removed with
# the user's files.
wine "$setup" /S >/dev/null 2>&1 && ok "a third silent install succeeds" ||
  fail "a third silent install succeeds"
check "without Start with Windows it writes no Run value" eval \
  '[ -z "$(reg_value "$run_key" VantrelKorimo)" ]'
wine "$inst/Uninstall.exe" /S /REMOVEUSERDATA >/dev/null 2>&1 || true
check_seconds=30 check "uninstalled with /REMOVEUSERDATA, no file or folder is left" \
  test ! -e "$inst"
check "nor the program's registry key" no_reg_key 'HKCU\Software\Vantrel'

# --- Installed into a folder that already holds someone else's files: the
# uninstaller, told to remove the user's files, removes only what the
# installer and the program wrote.
# NSIS takes /D= unquoted, and Wine quotes an argument with blanks.
shared="$work/SharedTools"
mkdir -p "$shared/Data"
echo "<!-- not ours -->" >"$shared/config.xml"
echo "<!-- not ours either -->" >"$shared/Data/x.xml"
wine "$setup" /S "/D=$(wine_path "$shared")" >/dev/null 2>&1 && ok "installing into a folder with files succeeds" ||
  fail "installing into a folder with files succeeds"
check "the folder's own config.xml is kept, not replaced" grep -q "not ours" "$shared/config.xml"
check "the program is installed beside it" test -f "$shared/Korimo.exe"
wine "$shared/Uninstall.exe" /S /REMOVEUSERDATA >/dev/null 2>&1 || true
only_foreign_files() { [ "$(files_in "$shared")" = "$(printf './Data/x.xml\n./config.xml')" ]; }
check_seconds=30 check "uninstalled with /REMOVEUSERDATA, the folder's own files stay and only they" \
  only_foreign_files

# --- The portable zip, unpacked into a folder whose path has blanks and
# non-ASCII letters.
portable="$work/Portable Programme – für Śiva/हिंदी टाइपिंग"
mkdir -p "$portable"
unzip -q "$zip" -d "$portable"
check "the zip unpacks into one folder, Vantrel Korimo" test -f "$portable/Vantrel Korimo/Korimo.exe"
app="$portable/Vantrel Korimo"
start_program || true
check "Korimo.exe from the zip starts and gets ready" program_ready
types_hindi "Alt+1 namaste types नमस्ते into Notepad" "नमस्ते नमस्ते "
# The first start's welcome lies over Notepad's text until Wine's shell
# lets it go: the picture shows what was typed.
wait_until 40 balloon_gone || true
shot portable
main_menu 6  # Exit
check "Exit ends it" stopped "$korimo"
check "it wrote no Run value and no uninstall entry" eval \
  '[ -z "$(reg_value "$run_key" VantrelKorimo)" ] && no_reg_key "$uninstall_key"'

summary package program_state
