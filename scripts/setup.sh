#!/usr/bin/env bash
# Installs the Debian packages that are missing and builds in ./build: the targets given
# as arguments, or everything. Used by run.sh and test.sh; safe to run again.
#   bash scripts/setup.sh [--dir FOLDER] [-DNAME=VALUE ...] [TARGET ...]
# --dir builds in another folder (the sanitizer and fuzz builds); -D options go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libqt6svg6 xvfb xauth
          imagemagick fonts-wqy-microhei dbus-daemon dbus-x11 libglib2.0-bin sqlite3 time
          jwm xdotool x11-utils libx11-dev chromium firefox-esr nodejs pkg-config mdbtools-dev
          clang libclang-rt-14-dev clang-tidy clang-format postgresql libqt6sql6-psql libpq-dev openssl qt6-translations-l10n qt6-tools-dev qt6-l10n-tools
          desktop-file-utils appstream lintian librsvg2-bin dpkg-dev file)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build=build
options=()
targets=()
while (($#)); do
  case "$1" in
    --dir) build="$2"; shift 2 ;;
    -D*) options+=("$1"); shift ;;
    *) targets+=(--target "$1"); shift ;;
  esac
done

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTRANE_WERROR="${VESTRANE_WERROR:-OFF}" \
      "${launcher[@]}" "${options[@]}"
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
