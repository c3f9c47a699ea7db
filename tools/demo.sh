#!/usr/bin/env bash
# Installs what is missing, builds the optimised program and engine (nothing else: the
# tests and benchmarks wait for tools/test.sh) and runs a windowed show of the bundled demo
# scene. The demo keeps its own settings (build/demo-config), so the user's settings and
# recent-file lists are left alone. Without a display it runs on a virtual one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target yov lumvatek
export YOV_CONFIG_HOME="$PWD/build/demo-config"
yov=build/release/bin/yov
# The show plays the script and stock at the top of the recent-file lists.
"$yov" /addcnf "$PWD/data/demo/demo.ttt"
"$yov" /addstk "$PWD/data/demo/demo.stk"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # Nothing of it shows, so say where it is and how to see it (the display and its key are
  # xvfb-run's, known only inside it).
  say='echo "No display: the show runs on the invisible virtual screen $DISPLAY (Xvfb); Ctrl+C ends it;'
  say+=' a screenshot from another shell: DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY import -window root shot.png"'
  exec xvfb-run -a -s "-screen 0 1280x800x24" bash -c "$say"'; exec "$0" /w' "$yov"
fi
exec "$yov" /w
