#!/usr/bin/env bash
# A machine without Qt 6 (a server that only renders) configures the project without the
# window, as the option PW_BUILD_APP says, instead of stopping.
#   check_no_window.sh SOURCE_DIR
# $CMAKE names the CMake to use (default: the one on the PATH).
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "${CMAKE:-cmake}" -S "$1" -B "$work" -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
     -DPW_BUILD_TESTS=OFF -DPW_DEMO_CLOUD=0 >"$work/log" 2>&1; then
  echo "FAIL: configuring without Qt 6 stopped"; cat "$work/log"; exit 1
fi
grep -q "Qt 6 not found: the window is left out" "$work/log" \
  || { echo "FAIL: no word that the window is left out"; cat "$work/log"; exit 1; }
echo "without Qt 6: configured, window left out"
