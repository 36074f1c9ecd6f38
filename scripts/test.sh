#!/usr/bin/env bash
# Set-up, build with warnings as errors, and run the whole test suite (no display needed);
# then clang-tidy over src/ with that build's compile commands; then the Debian package of
# that build and its checks; then the same suite under the address and undefined-behaviour
# sanitizers, then the fuzz targets for 120 s in all.
# Prints how long each step took.
set -euo pipefail
cd "$(dirname "$0")/.."

timings=()
step() {
  local name="$1" start=$SECONDS
  shift
  echo "=== $name"
  "$@"
  timings+=("$(printf '%-40s %4d s' "$name" $((SECONDS - start)))")
}

step "build and test" bash -c 'VESTRANE_WERROR=ON bash scripts/setup.sh &&
  cd build && ctest --output-on-failure --no-tests=error -j"$(nproc)"'
step "lint (clang-tidy over src/)" bash scripts/lint.sh
step "Debian package and its checks" bash scripts/package.sh --check
step "sanitizer build and test (build-asan)" bash scripts/sanitize.sh
step "fuzz targets (build-fuzz)" bash scripts/fuzz.sh 120

echo "=== timings"
printf '%s\n' "${timings[@]}"
