#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source file of src/, using the
# build's compile commands, looks for include loops between the parts of src/ and for the
# data layer's exception caught outside the core; prints the findings and exits non-zero
# when there is any.
#   bash scripts/lint.sh [BUILD_FOLDER]   (default ./build, made by scripts/setup.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
if [ ! -f "$build/compile_commands.json" ]; then
    echo "no $build/compile_commands.json: run bash scripts/setup.sh first" >&2
    exit 2
fi
# clang-tidy reads the files moc generates; they exist once each library's autogen step ran.
targets=()
for lib in core platform controls window editor import main automation app; do
    targets+=(--target "vestrane_${lib}_autogen")
done
cmake --build "$build" "${targets[@]}" >/dev/null
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
status=0
python3 scripts/include-loops.py src || status=1
bash scripts/app-error-catches.sh src || status=1
git ls-files -z 'src/*.cpp' | xargs -0 run-clang-tidy -quiet -j 2 -p "$build" >"$log" 2>&1 || status=$?
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E 'warning:|error:' -A3 | grep -v '^--$' || true
exit "$status"
