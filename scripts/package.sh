#!/usr/bin/env bash
# Builds the Debian package build/vestrane_<version>_amd64.deb with CPack from the build in
# ./build (set up and brought up to date by setup.sh). With --check, also checks the
# desktop entry, the AppStream metainfo and the package (lintian, no error), and runs the
# program extracted from the package.
#   bash scripts/package.sh [--check]
set -euo pipefail
cd "$(dirname "$0")/.."

# Keep the build's own warnings setting, so that packaging a tested build rebuilds nothing.
if [ -z "${VESTRANE_WERROR:-}" ] && [ -f build/CMakeCache.txt ]; then
  VESTRANE_WERROR="$(sed -n 's/^VESTRANE_WERROR:BOOL=//p' build/CMakeCache.txt)"
  export VESTRANE_WERROR
fi
bash scripts/setup.sh vestrane vestrane_desktop_files >/dev/null

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)"
package="build/vestrane_${version}_$(dpkg --print-architecture).deb"
rm -f "$package"
(cd build && cpack -G DEB -B "$PWD" >/dev/null)
rm -rf build/_CPack_Packages
echo "built $package"
[ "${1:-}" = "--check" ] || exit 0

desktop-file-validate resources/vestrane.desktop
appstreamcli validate --no-net packaging/*.metainfo.xml
lintian --fail-on error "$package"

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$package" "$root"
expect() {
  if [ "$1" != "$2" ]; then
    echo "package check: $3: expected '$2', got '$1'" >&2
    exit 1
  fi
}
expect "$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/vestrane" --version)" "vestrane $version" "--version"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/vestrane" --help | grep -q -- --native-messaging
# The registration names the installed program, and each manifest a launcher in the package.
expect "$(grep '^Exec=' "$root/usr/share/dbus-1/services/Quorvel.PIO.service")" \
  'Exec="/usr/bin/vestrane" -EMBEDDING' "D-Bus service"
for manifest in "$root/usr/lib/mozilla/native-messaging-hosts/vestrane.json" \
                "$root/etc/chromium/native-messaging-hosts/vestrane.json"; do
  launcher="$(sed -n 's/^ *"path": "\(.*\)",*$/\1/p' "$manifest")"
  [ -x "$root$launcher" ] || { echo "package check: $manifest names $launcher, not in the package" >&2; exit 1; }
  grep -q "^exec '/usr/bin/vestrane' --native-messaging" "$root$launcher"
done
echo "package checks passed"
