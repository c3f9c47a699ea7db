#!/usr/bin/env bash
# Installs what is missing, builds Yov (optimised) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
export YOV_WERROR=${YOV_WERROR:-$([ "${CI:-}" = true ] && echo ON || echo OFF)}
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release
