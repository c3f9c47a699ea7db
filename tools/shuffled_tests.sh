#!/usr/bin/env bash
# Runs the program's and the engine's test programs each in one process, in a shuffled order,
# three times over: a test that leaves state behind for the next one, or needs an earlier
# one, fails here, while CTest's one test per process never sees it. Both run at once.
# The order's seed is printed; the same seed gives the same order again. A hang ends after
# 15 minutes as a failure.
# Usage: tools/shuffled_tests.sh [build folder, default build/release] [seed]
# The seed defaults to one taken from the commit, so a run is repeatable and each commit
# tries another order.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
seed=${2:-$(( (16#$(git rev-parse --short=4 HEAD 2>/dev/null || echo 1) % 99999) + 1 ))}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
pids=()
for program in test_program test_engine; do
  mkdir -p "$scratch/$program"
  # Settings, the error log and temporary files in a scratch folder of the run's own.
  YOV_CONFIG_HOME="$scratch/$program" TMP="$scratch/$program" timeout 900 \
    "$build/bin/$program" --gtest_shuffle --gtest_repeat=3 --gtest_random_seed="$seed" --gtest_brief=1 \
    >"$scratch/$program.log" 2>&1 &
  pids+=($!)
done
status=0
i=0
for program in test_program test_engine; do
  if wait "${pids[$i]}"; then
    echo "$program: passed three times in one process, shuffled with seed $seed"
  else
    echo "FAIL: $program, shuffled with seed $seed (again: $0 $build $seed); its last lines:"
    tail -n 40 "$scratch/$program.log"
    status=1
  fi
  i=$((i + 1))
done
exit $status
