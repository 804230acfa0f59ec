#!/usr/bin/env bash
# Installs what the build, the tests and the program need on a Debian machine.
# Safe to run again: it asks apt only for what is missing.
set -euo pipefail

PACKAGES=(
  # toolchain and Winelib
  cmake g++ make pkg-config wine wine64 wine64-tools libwine-dev
  # tests and screens
  libgtest-dev libgmock-dev xvfb xauth x11-utils imagemagick fonts-liberation
  # Wine's own fonts: Tahoma, MS Sans Serif, and Marlett for the caption buttons
  fonts-wine
  # native layer: SQL engine, Access import, JPEG codec
  libsqlite3-dev sqlite3 mdbtools-dev libglib2.0-dev libjpeg-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
