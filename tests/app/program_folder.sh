#!/usr/bin/env bash
# The viewer finds its default files beside itself when its folder's name is no valid UTF-8
# (a name in an 8-bit code page) and holds blanks: started from elsewhere, unattended
# (PW_EXIT_AFTER_DRAW), it must draw the pages and end with 0.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder="$work/$(printf 'pl\xe4ne d\xfcr')"  # "pläne dür" in ISO 8859-1
mkdir "$folder"
cp "$program" "$folder/plotwright"
printf '[DataFile]\nX=1 5.1\n[Pages]\nPages=P1\nGraphs=G\nKind=Hist\nx=X\n' \
  >"$folder/plotwright.pwr.ini"
seq 1 50 >"$folder/plotwright.dat"
status=0
out=$(cd / && QT_QPA_PLATFORM=offscreen PW_EXIT_AFTER_DRAW=1 ASAN_OPTIONS=detect_leaks=0 \
  "$folder/plotwright" 2>&1) || status=$?
echo "$out"
[ "$status" = 0 ] && grep -q '^first draw: ' <<<"$out"
