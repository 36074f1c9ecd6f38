#!/bin/sh
# Runs one test program on a private session bus. Everything the bus daemon starts for a
# client inherits the daemon's environment, so the folders and the platform are set
# before the daemon starts: an activated program then finds the test's service files
# and never touches the real user's files or display.
root=$(mktemp -d "${TMPDIR:-/tmp}/vestrane-bus.XXXXXX") || exit 1
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/config" "$root/cache" "$root/data/dbus-1/services" "$root/runtime"
chmod 700 "$root/runtime"
export HOME="$root/home"
export XDG_CONFIG_HOME="$root/config"
export XDG_CACHE_HOME="$root/cache"
export XDG_DATA_HOME="$root/data"
export XDG_RUNTIME_DIR="$root/runtime"
export XDG_CONFIG_DIRS=/nonexistent-xdg-config
export QT_QPA_PLATFORM=offscreen
export VESTRANE_PRIVATE_BUS=1
# The interface's Chinese texts, whatever the machine's locale.
export LC_ALL=C.UTF-8
unset LANGUAGE
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS USERPROFILE BROWSER
dbus-run-session -- "$@"
