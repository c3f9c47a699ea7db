#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, "fuzz" preset) and runs each one for a few seconds
# over a scratch copy of its kept inputs. A crash fails the run; the input that caused
# it is left in build/fuzz/artifacts/ to be kept as a named fixture under
# fuzz/corpus/fuzz_<name>/ once fixed.
# Usage: tools/fuzz_smoke.sh [seconds per target, default 10]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=()
for src in fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
for name in "${targets[@]}"; do
  target=build/fuzz/bin/$name
  if [ ! -x "$target" ]; then echo "$name was not built"; exit 1; fi
  work=$(mktemp -d)
  if [ -d "fuzz/corpus/$name" ]; then cp -r "fuzz/corpus/$name/." "$work/"; fi
  echo "== $name (${seconds}s)"
  log="$work.log"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=20000 \
      -artifact_prefix="$artifacts/$name-" "$work" >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "$name failed; the input is in $artifacts"
    exit 1
  fi
  tail -n 1 "$log"
  rm -rf "$work" "$log"
done
