#!/usr/bin/env bash
# Starts the real viewer under a virtual X server on the demo (or, while there is none, on
# a small generated setup), takes a screenshot of the whole screen and checks that graphs
# were drawn: thousands of coloured (saturated) pixels and a few dozen distinct colours, which
# neither a blank window nor a lone error box (about 2000 red pixels) reaches.
# Exit 77 (skipped) when no virtual X server or screenshot tool is installed.
set -euo pipefail
program=$1
command -v xvfb-run >/dev/null && command -v import >/dev/null && command -v convert >/dev/null \
  || { echo "xvfb-run or imagemagick missing: skipped"; exit 77; }

work=$(mktemp -d)
trap '[ -n "${PW_KEEP_SHOT:-}" ] && cp "$work/best.png" "$PW_KEEP_SHOT"; rm -rf "$work"' EXIT
bin=$(dirname "$program")
args=()
if [ ! -f "$bin/plotwright.pwr.ini" ] || [ ! -f "$bin/plotwright.dat" ]; then
  cat >"$work/s.ini" <<'INI'
[DataFile]
X=1 5.1
Y=2 5.1
[Pages]
Pages=P1
Rows=1
Columns=2
Graphs=G1 G2
x=X
y=Y
[P1/G1]
Kind=Scatter
[P1/G2]
Kind=Hist
Fill=1
INI
  awk 'BEGIN { for (i = 1; i <= 300; i++) printf "%.3f %.3f\n", sin(i) * i / 30, cos(i * 0.7) * 3 }' \
    >"$work/s.dat"
  args=("$work/s.ini" "$work/s.dat")
fi

cat >"$work/run.sh" <<'RUN'
#!/usr/bin/env bash
work=$1; shift
"$@" & pid=$!
best=0
for _ in $(seq 1 40); do
  sleep 0.25
  kill -0 "$pid" 2>/dev/null || { echo "the program ended early"; exit 1; }
  import -window root "$work/screen.png" 2>/dev/null || continue
  # Pixels with an HSL saturation above 40 %: plot colours, not black, white or grey.
  coloured=$(convert "$work/screen.png" -colorspace HSL -channel G -separate +channel \
    -threshold 40% -format "%[fx:round(mean*w*h)]" info:)
  if [ "$coloured" -gt "$best" ]; then
    best=$coloured
    cp "$work/screen.png" "$work/best.png"
  fi
  [ "$best" -ge 8000 ] && break
done
kill "$pid"; wait "$pid" 2>/dev/null || true
echo "$best $(convert "$work/best.png" -format %k info: 2>/dev/null || echo 0)" >"$work/result"
RUN
chmod +x "$work/run.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh" "$work" "$program" "${args[@]}"
read -r coloured colours <"$work/result"
echo "coloured pixels: $coloured, distinct colours: $colours"
[ "$coloured" -ge 8000 ] && [ "$colours" -ge 30 ] || { echo "no graphs on the screen"; exit 1; }
