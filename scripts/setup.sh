#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need (only those missing).
set -euo pipefail

packages=(
  cmake g++ make
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-serialport-dev
  qt6-translations-l10n qt6-l10n-tools libgl-dev libqt6opengl6-dev libqt6sql6-sqlite
  libgtest-dev zlib1g-dev
  clang libclang-rt-14-dev clang-format
  xvfb xauth fonts-noto-cjk xdotool imagemagick openbox
  sqlite3
  postgresql libqt6sql6-psql libpq-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
