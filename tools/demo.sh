#!/usr/bin/env bash
# Installs what is missing, builds Yov (optimised) and runs it in a window on the bundled
# demo scene. Without a display it runs on a virtual one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
cmd=(build/release/bin/yov /w data/demo/demo.ttt)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "${cmd[@]}"
fi
exec "${cmd[@]}"
