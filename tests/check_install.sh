#!/bin/sh
# The screen-saver install puts every file where the daemons look, and the installed
# program runs from there through its symlinks (its engine library found beside it).
# Usage: check_install.sh <source tree> <folder of the built yov>
set -eu
src=$1 bin=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage/root" PREFIX=/usr/local YOV_BIN="$bin" bash "$src/tools/install-screensaver.sh" >/dev/null
fail=0
for f in usr/local/lib/yov/yov usr/local/lib/yov/liblumvatek.so usr/local/lib/yov/data/builtin/bitmap304.gif \
         usr/local/lib/yov/data/builtin/preview_rail.gif usr/local/lib/yov/data/demo/demo.ttt \
         usr/local/bin/yov usr/libexec/xscreensaver/yov usr/share/xscreensaver/config/yov.xml \
         usr/share/applications/screensavers/yov.desktop usr/local/share/man/man1/yov.1.gz; do
  [ -e "$stage/root/$f" ] || [ -L "$stage/root/$f" ] || { echo "FAIL: $f is not installed"; fail=1; }
done
# The links name the installed program; staged, they are followed inside the stage.
link=$(readlink "$stage/root/usr/libexec/xscreensaver/yov")
[ "$link" = /usr/local/lib/yov/yov ] || { echo "FAIL: the hack links to $link"; fail=1; }
mkdir "$stage/config" "$stage/files"
: >"$stage/files/a.ttt"
if ! (cd "$stage/files" && YOV_CONFIG_HOME="$stage/config" "$stage/root/usr/local/lib/yov/yov" /addcnf a.ttt); then
  echo "FAIL: the installed program does not run"
  fail=1
fi
grep -q '"Conf01"="a.ttt"' "$stage/config/registry.reg" || { echo "FAIL: the installed program stored nothing"; fail=1; }
DESTDIR="$stage/root" PREFIX=/usr/local bash "$src/tools/install-screensaver.sh" --uninstall >/dev/null
left=$(find "$stage/root" -type f -o -type l)
[ -z "$left" ] || { echo "FAIL: left after --uninstall: $left"; fail=1; }
exit $fail
