#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in ./build-asan
# and runs the whole test suite there (no display needed). Any finding fails its test.
set -euo pipefail
cd "$(dirname "$0")/.."
# Warnings are checked by the normal build; the instrumented one only has to run.
VESTRANE_WERROR=OFF bash scripts/setup.sh --dir build-asan -DVESTRANE_SANITIZE=ON -DVESTRANE_BENCH=OFF
cd build-asan
ctest --output-on-failure --no-tests=error -j"$(nproc)"
