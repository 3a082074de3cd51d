#!/usr/bin/env bash
# Installs everything Velmora builds, tests, benchmarks and packages with, from Debian packages (clang
# and its runtime libraries for the fuzz targets, ccache to share compiled objects between build
# folders, dpkg-dev and file for the package's dependencies, lintian and desktop-file-utils to check it;
# libqt6opengl6-dev because Qt Charts' CMake package asks for Qt OpenGL).
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config
      qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev libsqlite3-dev sqlite3 libzip-dev libpugixml-dev libxlsxwriter-dev nettle-dev
      libgtest-dev libgmock-dev fonts-wqy-microhei qt6-translations-l10n libreoffice-calc-nogui
      ccache clang libclang-rt-14-dev libqt6opengl6-dev dpkg-dev file lintian desktop-file-utils)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
