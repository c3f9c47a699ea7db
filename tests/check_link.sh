#!/bin/sh
# The program must reach the engine only by name at run time, the engine must export
# exactly the names of include/lumvatek/exports.h (a misspelt export would only show when
# the program first calls it), and it must not end the process.
# Usage: check_link.sh <yov> <liblumvatek.so> <exports.h>
set -eu
yov=$1 lib=$2 header=$3
fail=0

if ldd "$yov" | grep -q lumvatek; then
  echo "FAIL: $yov is linked against the engine library:"
  ldd "$yov" | grep lumvatek
  fail=1
fi

# Defined functions with C names; C++ names (_Z...) and the runtime's own (_init) are not exports.
exported=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TW]$/ && $3 !~ /^_/ {print $3}' | sort)
listed=$(grep -o '^  X([^,]*, *[A-Za-z0-9_]*' "$header" | sed 's/.*, *//' | sort)

for name in InitDLL CloseDLL; do
  if ! printf '%s\n' "$exported" | grep -qx "$name"; then
    echo "FAIL: $lib does not export $name"
    fail=1
  fi
done

# A library never ends its host: whatever goes wrong is the caller's to hear about. An exit
# inside it would also end a fuzz run without saving the input that led there.
enders=$(nm -D --undefined-only "$lib" | awk '{print $NF}' | sed 's/@.*//' | grep -xE 'exit|_exit|_Exit|quick_exit' || true)
if [ -n "$enders" ]; then
  echo "FAIL: $lib calls functions that end the process:"
  printf '  %s\n' $enders
  fail=1
fi

unlisted=$(printf '%s\n' "$exported" | grep -vxF "$listed" || true)
if [ -n "$unlisted" ]; then
  echo "FAIL: $lib exports names that are not in $header:"
  printf '  %s\n' $unlisted
  fail=1
fi

exit $fail
