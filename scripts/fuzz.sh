#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang in ./build-fuzz and runs each for a while,
# starting from its seed inputs. Fails on the first target that crashes, leaks or hangs;
# the input that did it is kept in build-fuzz/findings/ (run the target on that file to
# see it again). The repository is never written: new inputs go to a temporary folder.
#   bash scripts/fuzz.sh [SECONDS] [TARGET ...]     (default 120 s, every target)
# The SECONDS are shared by the targets run, each getting an equal part but at least
# $least_each s, so that adding a target does not lengthen the run.
set -euo pipefail
cd "$(dirname "$0")/.."

total=120
least_each=10
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then total="$1"; shift; fi

bash scripts/setup.sh --dir build-fuzz -DVESTRANE_FUZZ=ON \
     -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++

targets=("$@")
if ((${#targets[@]} == 0)); then
  for source in fuzz/fuzz_*.cpp; do
    name="${source#fuzz/fuzz_}"
    targets+=("${name%.cpp}")
  done
fi

seconds=$((total / ${#targets[@]}))
((seconds >= least_each)) || seconds=$least_each
echo "== ${#targets[@]} fuzz targets, ${seconds} s each (${total} s shared, at least ${least_each} s each)"

work=$(mktemp -d "${TMPDIR:-/tmp}/vestrane-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
findings="$PWD/build-fuzz/findings"
mkdir -p "$findings"

for name in "${targets[@]}"; do
  corpus="$work/$name"
  mkdir -p "$corpus"
  cp -RL "fuzz/corpus/$name/." "$corpus/" # seeds may link to the tests' fixtures
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
  echo "== fuzz_$name: ${seconds} s from $(find "$corpus" -type f | wc -l) seed inputs"
  # -timeout: an input that takes this long counts as a hang. -rss_limit_mb keeps a
  # runaway allocation from taking the machine.
  if ! build-fuzz/fuzz/"fuzz_$name" "${dict[@]}" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$name-" \
        "$corpus" >"$work/$name.log" 2>&1; then
    tail -n 60 "$work/$name.log"
    echo "fuzz_$name FAILED; the input is in $findings/" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$work/$name.log" || true
done
echo "All ${#targets[@]} fuzz targets ran ${seconds} s each without a finding."
