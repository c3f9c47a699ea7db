#!/usr/bin/env bash
# Installs Yov as a screen saver: the program with its engine library and built-in pictures
# (and the demo scene) under PREFIX/lib/yov, a `yov` command in PREFIX/bin, the man page
# yov(1), and for the screen-saver daemons the hack in the daemon's hack folder, its
# settings description (yov.xml) and a desktop entry in applications/screensavers.
#
# Usage: tools/install-screensaver.sh [--uninstall]   (as root, or with sudo)
#   PREFIX   where the program goes (default /usr/local)
#   DESTDIR  a staging folder put before every path (default none)
#   YOV_BIN  the folder holding the built yov and liblumvatek.so (default build/release/bin,
#            built first when it is not there)
set -euo pipefail
cd "$(dirname "$0")/.."

prefix="${PREFIX:-/usr/local}"
dest="${DESTDIR:-}"
home="$prefix/lib/yov"
# Debian's daemon runs its hacks from /usr/libexec/xscreensaver; older ones from /usr/lib.
hacks=/usr/libexec/xscreensaver
[ -d "$dest/usr/libexec/xscreensaver" ] || [ ! -d "$dest/usr/lib/xscreensaver" ] || hacks=/usr/lib/xscreensaver
config=/usr/share/xscreensaver/config
desktop=/usr/share/applications/screensavers
man1="$prefix/share/man/man1"

if [ "${1:-}" = "--uninstall" ]; then
  rm -rf "$dest$home"
  rm -f "$dest$prefix/bin/yov" "$dest$hacks/yov" "$dest$config/yov.xml" "$dest$desktop/yov.desktop" "$dest$man1/yov.1.gz"
  echo "Yov is uninstalled."
  exit 0
fi

bin="${YOV_BIN:-build/release/bin}"
if [ -z "${YOV_BIN:-}" ] && { [ ! -x "$bin/yov" ] || [ ! -f "$bin/liblumvatek.so" ]; }; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target yov lumvatek
fi

install -d "$dest$home/data/builtin" "$dest$home/data/demo" "$dest$prefix/bin" "$dest$hacks" "$dest$config" \
           "$dest$desktop" "$dest$man1"
# The program finds its engine library beside itself and its pictures in data/ beside it.
install -m 0755 "$bin/yov" "$dest$home/yov"
install -m 0644 "$bin/liblumvatek.so" "$dest$home/liblumvatek.so"
install -m 0644 data/builtin/* "$dest$home/data/builtin/"
install -m 0644 data/demo/* "$dest$home/data/demo/"
ln -sfn "$home/yov" "$dest$prefix/bin/yov"
ln -sfn "$home/yov" "$dest$hacks/yov"
install -m 0644 data/install/yov.xml "$dest$config/yov.xml"
install -m 0644 data/install/yov.desktop "$dest$desktop/yov.desktop"
gzip -9nc data/install/yov.1 >"$dest$man1/yov.1.gz"
chmod 0644 "$dest$man1/yov.1.gz"

cat <<NOTE
Yov is installed in $home ("yov" in $prefix/bin).
To choose it in XScreenSaver, add this line to the "programs:" list of ~/.xscreensaver
(close xscreensaver-settings first), then pick "Yov" in xscreensaver-settings:
  yov --root \\n\\
The demo scene is $home/data/demo/demo.ttt with its stock demo.stk.
NOTE
