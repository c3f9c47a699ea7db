#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, "fuzz" preset) and runs each one for a few seconds
# over a scratch copy of its kept inputs, four at once. A crash fails the run; the input
# that caused it is left in build/fuzz/artifacts/ to be kept as a named fixture under
# fuzz/corpus/fuzz_<name>/ once fixed.
# Usage: tools/fuzz_smoke.sh [seconds per target, default 10]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
targets=()
for src in fuzz/fuzz_*.cpp; do
  name=$(basename "$src" .cpp)
  if [ ! -x "build/fuzz/bin/$name" ]; then echo "$name was not built"; exit 1; fi
  targets+=("$name")
done

# One target: its last line on success, the end of its log and the artifact on a crash.
run_one() {
  local name=$1 seconds=$2 artifacts=$3
  local work
  work=$(mktemp -d)
  if [ -d "fuzz/corpus/$name" ]; then cp -r "fuzz/corpus/$name/." "$work/"; fi
  if "build/fuzz/bin/$name" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=20000 \
      -artifact_prefix="$artifacts/$name-" "$work" >"$work.log" 2>&1; then
    echo "== $name (${seconds}s): $(tail -n 1 "$work.log")"
    rm -rf "$work" "$work.log"
  else
    echo "== $name (${seconds}s) failed; the input is in $artifacts"
    tail -n 30 "$work.log"
    rm -rf "$work" "$work.log"
    return 1
  fi
}
export -f run_one
printf '%s\n' "${targets[@]}" | xargs -P 4 -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$artifacts"
