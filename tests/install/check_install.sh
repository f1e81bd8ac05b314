#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and builds the Debian package from it, then
# checks what a user gets: the file list, the desktop entry, AppStream data and file type, the
# manual pages, the installed programs running from the staged tree (defaults and manual from
# share/plotwright/, relative names from the current folder; their answers to --help and
# --version; the window's class and icon on a virtual X server), that the package holds the
# same files and declares its dependencies, and that uninstalling removes the files and takes
# them out of the desktop caches of a prefix. Needs no root.
#
#   check_install.sh BUILD_DIR WINDOW(0|1) VERSION
# $CMAKE and $CPACK name the CMake and CPack to use (default: those on the PATH).
set -euo pipefail
build=$1
window=$2
version=$3
id=org.plotwright.Plotwright

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A DESTDIR of any name: blanks, "&" and "|" included.
stage="$work/stage & co|1"
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
check() {  # name, command...: the command must succeed
  local name=$1; shift
  if ! "$@" >"$work/out" 2>&1; then fail "$name"; sed 's/^/  /' "$work/out"; fi
}

# The staged install. A component name keeps the build's own install_manifest.txt untouched.
DESTDIR=$stage "${CMAKE:-cmake}" --install "$build" --prefix /usr --component Unspecified >"$work/log" \
  || { cat "$work/log"; exit 1; }

expected=(
  usr/bin/plotwright-render
  usr/share/doc/plotwright/changelog.gz
  usr/share/man/man1/plotwright-render.1.gz
  usr/share/plotwright/doc/plotwright-manual.html
  usr/share/plotwright/plotwright.dat
  usr/share/plotwright/plotwright.pwr.ini
)
if [ "$window" = 1 ]; then
  expected+=(
    usr/bin/plotwright
    usr/share/applications/$id.desktop
    usr/share/icons/hicolor/48x48/apps/$id.png
    usr/share/icons/hicolor/scalable/apps/$id.svg
    usr/share/man/man1/plotwright.1.gz
    usr/share/metainfo/$id.metainfo.xml
    usr/share/mime/packages/$id.xml
    usr/share/plotwright/screenshots/plotwright-demo.png
  )
fi
printf '%s\n' "${expected[@]}" | LC_ALL=C sort >"$work/expected"
(cd "$stage" && find . -type f -o -type l) | sed 's|^\./||' | LC_ALL=C sort >"$work/staged"
if ! diff -u "$work/expected" "$work/staged" >"$work/diff"; then
  fail "installed files differ from the expected list"; cat "$work/diff"
fi

# The desktop files, by Debian's validators.
share=$stage/usr/share
if [ "$window" = 1 ]; then
  check "desktop-file-validate" desktop-file-validate "$share/applications/$id.desktop"
  check "appstreamcli validate --no-net" appstreamcli validate --no-net \
    "$share/metainfo/$id.metainfo.xml"
  mkdir -p "$work/mime/packages"
  cp "$share/mime/packages/$id.xml" "$work/mime/packages/"
  check "update-mime-database" update-mime-database "$work/mime"
  grep -qx "60:text/x-plotwright-setup:\*\.pwr\.ini" "$work/mime/globs2" 2>/dev/null \
    || fail "the file type does not claim *.pwr.ini"
  # The screen shot the AppStream data announces has the size it states.
  size=$(file -b "$share/plotwright/screenshots/plotwright-demo.png" | grep -o '[0-9]* x [0-9]*')
  [ "$size" = "1280 x 720" ] || fail "screen shot size '$size', expected 1280 x 720"
  grep -q 'width="1280" height="720"' "$share/metainfo/$id.metainfo.xml" \
    || fail "the AppStream data does not state 1280 x 720"
  [ "$(file -b "$share/icons/hicolor/48x48/apps/$id.png" | grep -o '[0-9]* x [0-9]*')" = \
    "48 x 48" ] || fail "the PNG icon is not 48 x 48"
fi

# The changelog a Debian package must carry starts with this version.
first=$(zcat "$share/doc/plotwright/changelog.gz" 2>/dev/null | sed -n 1p)
[[ "$first" == "plotwright ($version) "* ]] || fail "changelog.gz does not start with $version"

# The manual pages format without a warning.
for page in "$share"/man/man1/*.1.gz; do
  if ! MANWIDTH=80 man --warnings -l "$page" >/dev/null 2>"$work/warn" || [ -s "$work/warn" ]; then
    fail "man --warnings -l $(basename "$page")"; sed 's/^/  /' "$work/warn"
  fi
done

# The installed programs, from the staged tree.
bin=$stage/usr/bin
[ "$("$bin/plotwright-render" --version)" = "plotwright $version" ] \
  || fail "plotwright-render --version"
# --help and --version that cannot be written (a full disk) are no success.
# Each program starts the line as its other errors: program, lead.
answers=("plotwright-render" "error: ")
[ "$window" = 1 ] && answers+=("plotwright" "plotwright: ")
for ((k = 0; k < ${#answers[@]}; k += 2)); do
  program=${answers[k]}
  for option in --help --version; do
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY "$bin/$program" $option >/dev/full 2>"$work/err" || status=$?
    [ "$status" = 1 ] && [ "$(cat "$work/err")" = \
      "${answers[k + 1]}Cannot write file -: No space left on device" ] \
      || fail "$program $option >/dev/full: status $status, '$(cat "$work/err")'"
  done
done
# The usage texts fit a terminal of 80 columns.
for ((k = 0; k < ${#answers[@]}; k += 2)); do
  program=${answers[k]}
  wide=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin/$program" --help | awk 'length($0) > 79')
  [ -z "$wide" ] || fail "$program --help: lines wider than 79 columns:"$'\n'"$wide"
done
mkdir -p "$work/pages"
check "plotwright-render on the installed demo" "$bin/plotwright-render" -o "$work/pages" \
  "$share/plotwright/plotwright.pwr.ini" "$share/plotwright/plotwright.dat"
[ -s "$work/pages/plotwright.01.png" ] || fail "no page 1 rendered from the installed demo"
if [ "$window" = 1 ]; then
  # --version needs no display.
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$bin/plotwright" --version 2>&1) \
    && [ "$out" = "plotwright $version" ] || fail "plotwright --version: '$out'"
  # Started elsewhere without arguments: the installed demo; with a relative setup name: the
  # one in the current folder (and the installed data file).
  mkdir -p "$work/start" "$work/home"
  cp "$share/plotwright/plotwright.pwr.ini" "$work/start/mine.pwr.ini"
  for args in "" "mine.pwr.ini"; do
    # shellcheck disable=SC2086
    if ! (cd "$work/start" && HOME=$work/home QT_QPA_PLATFORM=offscreen PW_EXIT_AFTER_DRAW=1 \
          "$bin/plotwright" $args >"$work/out" 2>&1) || ! grep -q "first draw" "$work/out"; then
      fail "installed window with arguments '$args'"; sed 's/^/  /' "$work/out"
    fi
  done
  # On a desktop the window must be known as the desktop entry's: its X class is the entry's
  # StartupWMClass, and it carries the installed icon (found through the icon theme, whose
  # index.theme is the system's).
  if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null \
     && command -v xprop >/dev/null; then
    cat >"$work/props.sh" <<'PROPS'
#!/usr/bin/env bash
"$1" >/dev/null 2>&1 & pid=$!
for _ in $(seq 1 80); do
  sleep 0.25
  w=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | tail -1)
  [ -n "$w" ] && break
done
[ -n "$w" ] && xprop -id "$w" WM_CLASS _NET_WM_ICON | cut -c1-80
kill "$pid"
PROPS
    chmod +x "$work/props.sh"
    (cd "$work/start" && HOME=$work/home XDG_DATA_DIRS=$share:/usr/share xvfb-run -a \
      -s "-screen 0 640x480x24" "$work/props.sh" "$bin/plotwright" >"$work/props" 2>&1) || true
    wm_class=$(sed -n 's/^StartupWMClass=//p' "$share/applications/$id.desktop")
    grep -q "^WM_CLASS(STRING) = \"$wm_class\"," "$work/props" \
      || fail "the window's class is not the desktop entry's StartupWMClass '$wm_class'"
    grep -q "^_NET_WM_ICON(CARDINAL) = " "$work/props" \
      || { fail "the window has no icon"; sed 's/^/  /' "$work/props"; }
  fi
fi

# The Debian package: the same files, and dependencies found by dpkg-shlibdeps.
"${CPACK:-cpack}" --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/log" 2>&1 \
  || { cat "$work/log"; fail "cpack"; }
deb=$(find "$work/pkg" -maxdepth 1 -name "plotwright_${version}_*.deb" | head -1)
if [ -z "$deb" ]; then
  fail "no plotwright_${version}_*.deb"
else
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | LC_ALL=C sort \
    >"$work/packaged"
  diff -u "$work/staged" "$work/packaged" >"$work/diff" \
    || { fail "the package holds other files than the install"; cat "$work/diff"; }
  depends=$(dpkg-deb -f "$deb" Depends)
  needed=(libc6 libstdc++6 libpng16-16 libfreetype6 libfontconfig1)
  [ "$window" = 1 ] && needed+=(libqt6widgets6 libqt6gui6 libqt6core6)
  for lib in "${needed[@]}"; do
    [[ ", $depends" == *", $lib "* || ", $depends," == *", $lib,"* ]] \
      || fail "Depends lacks $lib: $depends"
  done
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
  # Help, the web page and Edit File open through xdg-open (Qt's way on a plain desktop).
  [ "$window" = 0 ] || [[ ", $(dpkg-deb -f "$deb" Recommends)," == *", xdg-utils,"* ]] \
    || fail "Recommends lacks xdg-utils: $(dpkg-deb -f "$deb" Recommends)"
  # The description's lines fit 80 columns (Debian's rule for the extended description).
  wide=$(dpkg-deb -I "$deb" control | sed -n '/^Description:/,/^[^ ]/p' | awk 'length($0) > 80')
  [ -z "$wide" ] || fail "package description lines wider than 80 columns:"$'\n'"$wide"
  # Both descriptions name every format the renderer writes.
  grep -q "PNG, BMP, SVG or PDF" <<<"$(dpkg-deb -f "$deb" Description)" \
    || fail "the package description does not name the renderer's formats"
  if [ "$window" = 1 ]; then
    grep -q "PNG, BMP, SVG or PDF" "$share/metainfo/$id.metainfo.xml" \
      || fail "the AppStream description does not name the renderer's formats"
  fi
fi

# make uninstall removes every installed file and Plotwright's own folders.
scripts=$(dirname "$0")/../../scripts
"$scripts/install-list" "$build/install_manifest_Unspecified.txt" "$stage" "$work/installed-files.txt"
check "uninstall" "$scripts/uninstall" "$work/installed-files.txt"
left=$(cd "$stage" && find . -type f -o -type l -o -type d -name plotwright)
[ -z "$left" ] || fail "left after uninstall: $left"

# make install PREFIX=... (no DESTDIR) refreshes the desktop caches of that prefix; a later
# plain make uninstall must take the file type and the desktop entry out of them again.
if [ "$window" = 1 ]; then
  prefix="$work/pre fix"
  "${CMAKE:-cmake}" --install "$build" --prefix "$prefix" --component Unspecified >"$work/log" \
    || { cat "$work/log"; exit 1; }
  "$scripts/desktop-caches" "$prefix" 2>/dev/null
  grep -q x-plotwright-setup "$prefix/share/mime/globs2" || fail "caches not made at install"
  "$scripts/install-list" "$build/install_manifest_Unspecified.txt" "" "$work/installed-files.txt"
  check "uninstall from a prefix" "$scripts/uninstall" "$work/installed-files.txt"
  left=$(grep -l -e x-plotwright-setup -e "$id" "$prefix/share/mime/globs2" \
         "$prefix/share/applications/mimeinfo.cache" 2>/dev/null || true)
  [ -z "$left" ] || fail "desktop caches still name Plotwright after uninstall: $left"
fi

if [ $fails -ne 0 ]; then
  echo "$fails checks failed"
  exit 1
fi
echo "install: staged $(wc -l <"$work/staged") files; package $(basename "${deb:-none}") OK"
