#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, skipping what
# is already there. Non-interactive; run as root or with sudo available.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64
  wine wine64 xvfb xdotool x11-utils imagemagick
  fonts-wine fonts-liberation fonts-lohit-deva fonts-lohit-beng-bengali fonts-lohit-guru
  fonts-lohit-gujr fonts-lohit-knda fonts-lohit-telu fonts-lohit-mlym fonts-lohit-taml
  fonts-lohit-orya fonts-lohit-beng-assamese fonts-eeyek fonts-uniol fonts-sil-lateef fonts-nafees
  python3 python3-pil clang-format
  nsis zip unzip imagemagick
  clang-14 libclang-rt-14-dev
  valgrind
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
