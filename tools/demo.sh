#!/usr/bin/env bash
# Installs what is missing, builds Yov (optimised) and runs a windowed show of the bundled
# demo scene. The demo keeps its own settings (build/demo-config), so the user's settings
# and recent-file lists are left alone. Without a display it runs on a virtual one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
export YOV_CONFIG_HOME="$PWD/build/demo-config"
yov=build/release/bin/yov
# The show plays the script and stock at the top of the recent-file lists.
"$yov" /addcnf "$PWD/data/demo/demo.ttt"
"$yov" /addstk "$PWD/data/demo/demo.stk"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$yov" /w
fi
exec "$yov" /w
