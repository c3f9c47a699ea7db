#!/usr/bin/env bash
# Installs Yov as a screen saver: the program with its engine library, built-in pictures, help
# pages and the demo scene under PREFIX/lib/yov, a `yov` command in PREFIX/bin, the man page
# yov(1), and for the screen-saver daemons the hack in /usr/libexec/xscreensaver, its settings
# description (yov.xml) and a desktop entry in applications/screensavers. What goes where is
# cmake/YovInstall.cmake, which the Debian package follows too.
#
# Usage: tools/install-screensaver.sh [--uninstall]   (as root, or a user with sudo)
#   PREFIX     where the program goes (default /usr/local)
#   DESTDIR    a staging folder put before every path (default none)
#   YOV_BUILD  a build folder holding the built program (default build/release, where what
#              building needs is installed and what changed is built first)
set -euo pipefail
cd "$(dirname "$0")/.."

prefix="${PREFIX:-/usr/local}"
dest="${DESTDIR:-}"
home="$prefix/lib/yov"
# What the install made, one "f FILE" or "d FOLDER" a line: --uninstall takes away that and
# nothing else, so a folder that was there before (or holds files of others) stays.
record="$home/installed-files"

if [ "$(id -u)" -ne 0 ] && [ -z "$dest" ]; then
  echo "Run this as root (or with sudo): it writes to $prefix and /usr/share." >&2
  exit 1
fi

if [ "${1:-}" = "--uninstall" ]; then
  if [ ! -f "$dest$record" ]; then
    # Installed by an earlier version of this script, which kept no record: its files.
    rm -rf "${dest:?}$home"
    rm -f "$dest$prefix/bin/yov" "$dest/usr/libexec/xscreensaver/yov" "$dest/usr/lib/xscreensaver/yov" \
          "$dest/usr/share/xscreensaver/config/yov.xml" "$dest/usr/share/applications/screensavers/yov.desktop" \
          "$dest$prefix/share/man/man1/yov.1.gz"
    echo "Yov is uninstalled."
    exit 0
  fi
  made=$(cat "$dest$record")
  while read -r kind path; do
    [ "$kind" = f ] && rm -f "$dest$path"
  done <<<"$made"
  # A folder sorts after its parent, so in reverse order each is emptied before its parent.
  folders=$(sed -n 's/^d //p' <<<"$made" | sort -r)
  kept=()
  while IFS= read -r folder; do
    [ -n "$folder" ] && [ -d "$dest$folder" ] || continue
    rmdir "$dest$folder" 2>/dev/null && continue
    [ -z "$(find "$dest$folder" -mindepth 1 -maxdepth 1 ! -type d)" ] || kept+=("$dest$folder")
  done <<<"$folders"
  echo "Yov is uninstalled."
  if [ ${#kept[@]} -ne 0 ]; then
    echo "Kept with the folders above them, as they hold files the install did not put there: ${kept[*]}"
    # Still ours to take away once they are empty, at the next uninstall.
    if [ -d "$dest$home" ]; then
      while IFS= read -r folder; do
        [ -d "$dest$folder" ] && echo "d $folder"
      done <<<"$folders" | sort >"$dest$record"
    fi
  fi
  exit 0
fi

build="${YOV_BUILD:-build/release}"
if [ -z "${YOV_BUILD:-}" ]; then
  bash tools/install-deps.sh
  cmake --preset release >/dev/null
  cmake --build --preset release --target yov lumvatek yov_manpage
fi

# A staged install first, to know every file and folder the install will make.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix "$prefix" --strip >/dev/null
new=$(
  cd "$stage"
  find . -mindepth 1 -type d | sed 's/^\.//' | while IFS= read -r folder; do
    [ -d "$dest$folder" ] || echo "d $folder"
  done
  find . \( -type f -o -type l \) | sed 's/^\./f /'
  echo "f $record"
)
old=""
[ -f "$dest$record" ] && old=$(cat "$dest$record")

DESTDIR="$dest" cmake --install "$build" --prefix "$prefix" --strip >/dev/null
# An install over an earlier one keeps the folders that one made.
printf '%s\n%s\n' "$old" "$new" | sed '/^$/d' | sort -u >"$dest$record"
chmod 0644 "$dest$record"

cat <<NOTE
Yov is installed in $home ("yov" in $prefix/bin); "$0 --uninstall" takes it away again.
To choose it in XScreenSaver, add this line to the "programs:" list of ~/.xscreensaver
(close xscreensaver-settings first), then pick "Yov" in xscreensaver-settings:
  yov --root \\n\\
The demo scene is $home/data/demo/demo.ttt with its stock demo.stk.
NOTE
