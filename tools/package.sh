#!/usr/bin/env bash
# Builds the release packages from a checkout, clean or not: sets up the
# machine, builds the Windows programs (the windows preset), then writes
#   build/package/VantrelKorimo-VERSION-setup.exe     the per-user installer
#   build/package/VantrelKorimo-VERSION-portable.zip  the same files in a
#                                                     folder "Vantrel Korimo"
#   build/package/SHA256SUMS
# and prints the packages' paths, sizes and SHA-256 sums. VERSION is the
# project's version (CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

tools/setup.sh
tools/build.sh windows
# shellcheck source=/dev/null
source build/windows/korimo-version.env

bin=build/windows/bin
out=build/package
folder="Vantrel Korimo"
stage="$out/$folder"
setup="VantrelKorimo-$KORIMO_VERSION-setup.exe"
zip="VantrelKorimo-$KORIMO_VERSION-portable.zip"

# Every file and binary dated at the commit, so that a rebuild of the same
# commit gives packages with the same sums.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH

# What both packages hold: the programs and libraries without their debug
# information, the help page, the bundled keymaps, the default
# configuration and the licence.
rm -rf "$out"
mkdir -p "$stage/Data"
for f in Korimo.exe Vantrellocale.exe korimo-cli.exe Vantrelx.dll Vantrely.dll; do
  x86_64-w64-mingw32-strip -o "$stage/$f" "$bin/$f"
done
cp "$bin/korimohelp.html" "$stage/"
cp keymaps/config.xml "$stage/"
cp keymaps/Data/*.xml "$stage/Data/"
cp LICENSE "$stage/LICENSE.txt"
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# The installer's file list: every staged file, installed and removed by
# name, so that the uninstaller leaves the user's own files to the user.
# An existing config.xml (the user's settings) is never replaced.
files=$(cd "$stage" && find . -type f ! -name config.xml | sed 's|^\./||' | LC_ALL=C sort)
{
  echo "; Written by tools/package.sh: the files of $folder."
  echo "!macro KORIMO_INSTALL_FILES"
  while read -r f; do
    d=$(dirname "$f")
    [ "$d" = . ] && d=""
    echo "  SetOutPath \"\$INSTDIR${d:+\\${d//\//\\}}\""
    echo "  File \"$root/$stage/$f\""
  done <<<"$files"
  echo "  SetOutPath \"\$INSTDIR\""
  echo "  SetOverwrite off"
  echo "  File \"$root/$stage/config.xml\""
  echo "  SetOverwrite on"
  echo "!macroend"
  echo "!macro KORIMO_REMOVE_FILES"
  while read -r f; do echo "  Delete \"\$INSTDIR\\${f//\//\\}\""; done <<<"$files"
  echo "!macroend"
} >"$out/files.nsh"

makensis -V2 -INPUTCHARSET UTF8 \
  "-DVERSION=$KORIMO_VERSION" "-DVERSION_TEXT=$KORIMO_VERSION_TEXT" "-DSOURCE=$root" \
  "-DFILES=$root/$out/files.nsh" "-DOUTFILE=$root/$out/$setup" packaging/korimo.nsi >/dev/null
(cd "$out" && find "$folder" | LC_ALL=C sort | zip -q -X -9 -@ "$zip")

cd "$out"
sha256sum "$setup" "$zip" >SHA256SUMS
echo "package: built from $(git -C "$root" describe --always --dirty 2>/dev/null || echo 'a tree without git')"
while read -r sum name; do
  printf '%s  %s  (%s bytes)\n' "$sum" "$root/$out/$name" "$(stat -c %s "$name")"
done <SHA256SUMS
