#!/usr/bin/env bash
# The screen-saver install puts every file where the daemons look, the installed program runs
# from there through its links and finds its help pages beside itself, --uninstall leaves the
# tree as it found it (folders that were there before included), and the Debian package holds
# the same files in the same places as the install under /usr.
# Usage: check_install.sh <source tree> <build folder>
set -eu
src=$1 build=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail=0
say() {
  echo "FAIL: $*"
  fail=1
}
listing() { (cd "$1" && find . -mindepth 1 -printf '%p %l\n' | sort); }

# A tree that already holds one of the daemons' folders, with another program's entry in it.
root="$stage/root"
mkdir -p "$root/usr/share/applications/screensavers" "$root/usr/local/bin"
: >"$root/usr/share/applications/screensavers/other.desktop"
before=$(listing "$root")

DESTDIR="$root" PREFIX=/usr/local YOV_BUILD="$build" bash "$src/tools/install-screensaver.sh" >/dev/null
home=usr/local/lib/yov
for f in $home/yov $home/liblumvatek.so $home/data/builtin/bitmap304.gif $home/data/builtin/preview_rail.gif \
         $home/data/demo/demo.ttt $home/doc/timtabe.htm usr/local/share/man/man1/yov.1.gz \
         usr/share/xscreensaver/config/yov.xml usr/share/applications/screensavers/yov.desktop; do
  [ -f "$root/$f" ] || say "$f is not installed"
done
# The links lead to the installed program, inside the tree they are in.
for link in usr/local/bin/yov usr/libexec/xscreensaver/yov; do
  [ "$(realpath -m "$root/$link")" = "$(realpath "$root/$home/yov")" ] || say "$link leads to $(readlink "$root/$link")"
done
cmp -s "$src/doc/timtabe.htm" "$root/$home/doc/timtabe.htm" || say "the installed help page differs from doc/timtabe.htm"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate --no-hints "$root/usr/share/applications/screensavers/yov.desktop" || say "the desktop entry is refused"
fi
if command -v xmllint >/dev/null; then
  xmllint --noout "$root/usr/share/xscreensaver/config/yov.xml" || say "yov.xml is not well-formed"
fi

mkdir "$stage/config" "$stage/files"
: >"$stage/files/a.ttt"
if ! (cd "$stage/files" && YOV_CONFIG_HOME="$stage/config" "$root/usr/local/bin/yov" /addcnf a.ttt); then
  say "the installed program does not run"
fi
grep -qi '"Conf01"="[^"]*a\.ttt"' "$stage/config/registry.reg" 2>/dev/null || say "the installed program stored nothing"

# Installing again over it, then taking it away: the tree is as it was, to the folder.
DESTDIR="$root" PREFIX=/usr/local YOV_BUILD="$build" bash "$src/tools/install-screensaver.sh" >/dev/null
DESTDIR="$root" PREFIX=/usr/local bash "$src/tools/install-screensaver.sh" --uninstall >/dev/null
after=$(listing "$root")
[ "$after" = "$before" ] || say "--uninstall changed the tree:
$(diff <(echo "$before") <(echo "$after") || true)"

# The package against the install under /usr: the same names, links and folders.
if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null && [ -f "$build/CPackConfig.cmake" ]; then
  usr="$stage/usr-root"
  DESTDIR="$usr" PREFIX=/usr YOV_BUILD="$build" bash "$src/tools/install-screensaver.sh" >/dev/null
  rm "$usr/usr/lib/yov/installed-files"
  if cpack --config "$build/CPackConfig.cmake" -B "$stage/package" >"$stage/cpack.log" 2>&1; then
    deb=$(ls "$stage"/package/yov_*.deb)
    dpkg-deb -x "$deb" "$stage/unpacked"
    [ "$(listing "$stage/unpacked")" = "$(listing "$usr")" ] || say "the package and the install differ:
$(diff <(listing "$usr") <(listing "$stage/unpacked") || true)"
    dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || say "the package's dependencies lack Qt: $(dpkg-deb -f "$deb" Depends)"
  else
    say "cpack failed: $(tail -5 "$stage/cpack.log")"
  fi
fi
exit $fail
