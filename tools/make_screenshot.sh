#!/usr/bin/env bash
# Takes the README's picture of the demo show: `yov /w` on the bundled demo scene on a virtual
# screen of the show window's size (Xvfb), grabbed after some seconds of the show.
#   bash tools/make_screenshot.sh [seconds] [output]     (default 16 s, doc/demo.png)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-16}
out=${2:-doc/demo.png}
yov=build/release/bin/yov
[ -x "$yov" ] || { echo "build first: cmake --preset release && cmake --build --preset release" >&2; exit 1; }
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export YOV_CONFIG_HOME="$home/config" TMP="$home" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$yov" /addcnf "$PWD/data/demo/demo.ttt"
"$yov" /addstk "$PWD/data/demo/demo.stk"
# The first windowed show is 800 x 600: on a screen of that size the window is the screen.
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  "$1" /w & pid=$!
  sleep "$2"
  import -window root "$3"
  kill "$pid"; wait "$pid" || true' _ "$yov" "$seconds" "$out"
echo "wrote $out"
