# Sourced by the Wine checks and by the tools that run the Windows build
# under Wine: a fresh 64-bit prefix per run, on request a private virtual X
# display and a scratch folder, Wine's Notepad to type into, and keys typed
# as a person types them. Everything started here is ended by PID or by this
# prefix's own wineserver when the sourcing script exits.
#   wine_env_vars                  the variables every Wine run here uses
#   wine_env_work NAME             a scratch folder, $work, removed on exit
#   wine_env_display               a private display: DISPLAY, KORIMO_XVFB_PID
#   wine_env_prefix                a fresh prefix: WINEPREFIX
#   wine_env_nirmala_ui FONT       the font Wine shows for "Nirmala UI"
#   wine_env_cleanup               ends and removes all of the above
#   wine_env_need DIR FILE...      exits unless DIR holds every FILE
#   wine_path PATH                 the Z: path Wine sees
#   wine_open_notepad FOLDER NAME  Notepad on FOLDER/NAME.txt; prints its window
#   wine_focus WINDOW              gives it the focus, waits until it has it
#   typed TEXT, pressed KEY...     xdotool keys, key_delay ms apart (60)

# shellcheck source=checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

wine_env_cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  if [ -n "${KORIMO_XVFB_PID:-}" ]; then
    kill "$KORIMO_XVFB_PID" 2>/dev/null || true
    wait "$KORIMO_XVFB_PID" 2>/dev/null || true
  fi
  if [ -n "${wine_env_work_dir:-}" ]; then rm -rf "$wine_env_work_dir"; fi
}

# 64-bit, quiet, and without the .NET and HTML engines' installers.
wine_env_vars() {
  export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# wine_env_work NAME: a fresh scratch folder korimo-NAME.XXXXXX; sets work.
wine_env_work() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/korimo-$1.XXXXXX")
  wine_env_work_dir=$work
  trap wine_env_cleanup EXIT
}

# Creates and boots a fresh prefix; sets WINEPREFIX, WINEARCH, WINEDEBUG.
wine_env_prefix() {
  wine_env_vars
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/korimo-wine.XXXXXX")
  export WINEPREFIX
  trap wine_env_cleanup EXIT
  wineboot -i >/dev/null 2>&1
  # Wine's own TrueType fonts (Tahoma among them) load only from the prefix.
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wine_env_settings >"$WINEPREFIX/korimo-settings.reg"
  wine regedit /S "$(wine_path "$WINEPREFIX/korimo-settings.reg")" >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1 || true
}

# The prefix's settings: no crash dialog that could hang a run, the focus
# following xdotool without a window manager, and the Windows fonts of the
# scripts the keymaps write (and Arial) mapped to the fonts that
# tools/setup.sh installs. Wine takes one font per name: Nirmala UI is
# Lohit Devanagari here; Ol Chiki and Meetei Mayek, which Windows has in
# Nirmala UI alone, need it mapped to UniOl or Eeyek (wine_env_nirmala_ui).
wine_env_settings() {
  cat <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"UseTakeFocus"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Nirmala UI"="Lohit Devanagari"
"Mangal"="Lohit Devanagari"
"Vrinda"="Lohit Bengali"
"Raavi"="Lohit Gurmukhi"
"Shruti"="Lohit Gujarati"
"Tunga"="Lohit Kannada"
"Gautami"="Lohit Telugu"
"Kartika"="Lohit Malayalam"
"Latha"="Lohit Tamil"
"Kalinga"="Lohit Odia"
"Urdu Typesetting"="Lateef"
"Arial"="Liberation Sans"
REG
}

# wine_env_nirmala_ui FONT: the font that answers to "Nirmala UI" in the
# programs started from now on. (Font linking, HKLM's FontLink\SystemLink,
# does not help: Wine 8 left Ol Chiki as empty boxes with UniOl linked.)
wine_env_nirmala_ui() {
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Nirmala UI" /d "$1" /f >/dev/null 2>&1
}

# Starts Xvfb on a free display; sets DISPLAY and KORIMO_XVFB_PID.
wine_env_display() {
  local fifo
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/korimo-xvfb.XXXXXX")
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  KORIMO_XVFB_PID=$!
  trap wine_env_cleanup EXIT
  local number
  read -r -t 20 number <"$fifo" || { rm -f "$fifo"; echo "Xvfb did not start" >&2; return 1; }
  rm -f "$fifo"
  export DISPLAY=":$number" KORIMO_XVFB_PID
}

# wine_env_need DIR FILE...: every FILE is in DIR (the Windows build's bin
# folder), or the run ends here saying which is missing.
wine_env_need() {
  local dir=$1 file
  shift
  for file in "$@"; do
    [ -f "$dir/$file" ] || { echo "missing $dir/$file (build the windows preset)" >&2; exit 1; }
  done
}

# Converts a Unix path to the Z: drive path Wine sees.
wine_path() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }

# wine_open_notepad FOLDER NAME: Wine's Notepad on the empty file
# FOLDER/NAME.txt (a unique name gives a unique title); prints its window.
wine_open_notepad() {
  local window="" limit
  : >"$1/$2.txt"
  wine notepad "$(wine_path "$1/$2.txt")" >/dev/null 2>&1 &
  limit=$(( $(date +%s) + 30 ))
  until [ -n "$window" ]; do
    window=$(xdotool search --name "^$2" 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    [ "$(date +%s)" -ge "$limit" ] && { echo "Notepad did not open" >&2; return 1; }
    sleep 0.2
  done
  echo "$window"
}

# wine_focus WINDOW: gives it the focus and waits until it has it.
wine_focus() {
  local limit=$(( $(date +%s) + 15 ))
  until [ "$(xdotool getwindowfocus 2>/dev/null || true)" = "$1" ]; do
    xdotool windowfocus "$1" 2>/dev/null || true
    [ "$(date +%s)" -ge "$limit" ] && { echo "could not focus window $1" >&2; return 1; }
    sleep 0.2
  done
}

# Keys as a person types them, key_delay milliseconds apart.
typed() { xdotool type --delay "${key_delay:-60}" "$1"; }
pressed() { xdotool key --delay "${key_delay:-60}" "$@"; }
