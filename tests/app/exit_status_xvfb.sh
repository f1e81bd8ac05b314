#!/usr/bin/env bash
# The viewer's exit status under a virtual X server: a fatal error ("Missing file: ", the data
# file is not there) shows its box; once a click closes the box the program ends with 1.
# Exit 77 (skipped) when no virtual X server or xdotool is installed.
set -euo pipefail
program=$1
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null \
  || { echo "xvfb-run or xdotool missing: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '[DataFile]\nX=1 5.1\n[Pages]\nPages=P1\nGraphs=G\nKind=Hist\nx=X\n' >"$work/s.ini"

cat >"$work/run.sh" <<'RUN'
#!/usr/bin/env bash
work=$1; shift
"$@" >"$work/out" 2>&1 & pid=$!
# The box is centred on the window, which fills the screen: a click in the middle closes it.
for _ in $(seq 1 120); do
  sleep 0.25
  kill -0 "$pid" 2>/dev/null || break
  xdotool mousemove 320 240 click 1 2>/dev/null || true
done
kill -0 "$pid" 2>/dev/null && { kill "$pid"; echo "the program did not end" >>"$work/out"; }
status=0
wait "$pid" || status=$?
echo "$status" >"$work/status"
RUN
chmod +x "$work/run.sh"
xvfb-run -a -s "-screen 0 640x480x24" "$work/run.sh" "$work" "$program" "$work/s.ini" \
  "$work/missing.dat"
status=$(cat "$work/status")
echo "exit status after the fatal error: $status"
[ "$status" = 1 ] || { cat "$work/out"; exit 1; }
