#!/usr/bin/env bash
# Start-up of the window to the end of its first load and draw, on the demo next to the program.
#   bench/startup.sh [build dir] [runs]
# Each run starts build/bin/plotwright with PW_EXIT_AFTER_DRAW=1 (it prints "first draw: N ms",
# measured from the start of main, and quits) on the offscreen platform and then under Xvfb,
# and reports the median and the range of that figure and of the whole process's wall time.
set -euo pipefail
build=${1:-build}
runs=${2:-15}
program="$build/bin/plotwright"
[ -x "$program" ] || { echo "no $program: build the window first"; exit 1; }
[ -f "$build/bin/plotwright.pwr.ini" ] || { echo "no demo next to $program"; exit 1; }

measure() {  # prints "first-draw-ms wall-ms" for one run
  local start end line
  start=$(date +%s%N)
  line=$(PW_EXIT_AFTER_DRAW=1 "$@" 2>/dev/null | grep "first draw")
  end=$(date +%s%N)
  echo "$(echo "$line" | awk '{print $3}') $(( (end - start) / 1000000 ))"
}

summary() {  # name, then lines "draw wall" on stdin
  local name=$1 data draws walls n
  data=$(cat)
  draws=$(echo "$data" | awk '{print $1}' | sort -n)
  walls=$(echo "$data" | awk '{print $2}' | sort -n)
  n=$(echo "$draws" | wc -l)
  printf "%-10s first draw median %s ms (%s .. %s), process wall median %s ms, %d runs\n" \
    "$name" "$(echo "$draws" | sed -n "$(( (n + 1) / 2 ))p")" "$(echo "$draws" | head -1)" \
    "$(echo "$draws" | tail -1)" "$(echo "$walls" | sed -n "$(( (n + 1) / 2 ))p")" "$n"
}

for _ in $(seq 1 "$runs"); do QT_QPA_PLATFORM=offscreen measure "$program"; done | summary offscreen
if command -v xvfb-run >/dev/null; then
  cat >/tmp/pw-startup-xvfb.sh <<RUN
#!/usr/bin/env bash
$(declare -f measure)
for _ in \$(seq 1 $runs); do measure "$program"; done
RUN
  chmod +x /tmp/pw-startup-xvfb.sh
  xvfb-run -a -s "-screen 0 1920x1080x24" /tmp/pw-startup-xvfb.sh | summary xvfb
  rm -f /tmp/pw-startup-xvfb.sh
fi
