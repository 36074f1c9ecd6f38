#!/usr/bin/env bash
# Set-up, build, install (into ~/.local unless PREFIX says otherwise) and start Vestrane.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh vestrane
prefix="${PREFIX:-$HOME/.local}"
cmake --install build --prefix "$prefix"
exec "$prefix/bin/vestrane" "$@"
