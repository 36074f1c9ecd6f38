#!/usr/bin/env bash
# Set-up, build with warnings as errors, and run the whole test suite (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
VESTRANE_WERROR=ON bash scripts/setup.sh
cd build
ctest --output-on-failure --no-tests=error -j"$(nproc)"
