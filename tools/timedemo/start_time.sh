#!/usr/bin/env bash
# Measures, in the real game on an X server, how long it takes from the
# click on the title's start button to the first picture of the game, and
# where the time goes: the title's fade (100 steps, 1.67 s of real time),
# the level's loading (the game scene's construction) and the first frame.
#
#   start_time.sh <morvane> [runs]       (from the folder that holds Data/)
#
# The game writes its timestamps on standard error (MORVANE_TIMESTAMPS=1);
# the click is made with xdotool and timed by this script on the same wall
# clock. Prints one line per run and the medians.
set -u
BIN="$1"
RUNS="${2:-3}"
[ -n "${DISPLAY:-}" ] || { echo "needs an X display (xvfb-run)" >&2; exit 77; }
command -v xdotool >/dev/null || { echo "needs xdotool" >&2; exit 77; }
[ -d Data ] || { echo "no Data/ in $(pwd)" >&2; exit 1; }

work=$(mktemp -d)
PID=""
cleanup() { [ -n "$PID" ] && kill "$PID" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

stamp() { grep -m1 " $2\$" "$1" | awk '{print $3}'; }
# Waits up to $3 seconds for the line, polling the log.
wait_for() {
  local i
  for i in $(seq 1 $(( $3 * 20 ))); do
    grep -q " $2\$" "$1" && return 0
    kill -0 "$PID" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

results="$work/results"
for run in $(seq 1 "$RUNS"); do
  log="$work/run$run.log"
  MORVANE_TIMESTAMPS=1 "$BIN" 2>"$log" >/dev/null &
  PID=$!
  WID=""
  for _ in $(seq 1 200); do
    WID=$(xdotool search --onlyvisible --class morvane 2>/dev/null | head -n1)
    [ -n "$WID" ] && break
    sleep 0.05
  done
  [ -n "$WID" ] || { echo "run $run: no window" >&2; exit 1; }
  # Let the title settle (its first frames load the room); the game has put
  # the pointer on the start button.
  sleep 3
  click=$(date +%s.%N)
  xdotool mousedown 1
  xdotool mouseup 1
  wait_for "$log" "game: first frame drawn" 120 || { echo "run $run: the game never drew" >&2; cat "$log" >&2; exit 1; }
  kill "$PID" 2>/dev/null
  wait "$PID" 2>/dev/null
  PID=""

  seen=$(stamp "$log" "title: start clicked")
  loading=$(stamp "$log" "game: loading the level")
  loaded=$(stamp "$log" "game: level loaded")
  first=$(stamp "$log" "game: first frame drawn")
  awk -v c="$click" -v s="$seen" -v a="$loading" -v b="$loaded" -v f="$first" -v r="$run" 'BEGIN {
    printf "run %d: click to first game frame %.2f s (click seen after %.3f s, fade %.2f s, level load %.2f s, first frame %.2f s)\n",
      r, f - c, s - c, a - s, b - a, f - b
    printf "%f %f %f %f %f\n", f - c, s - c, a - s, b - a, f - b > "/dev/stderr"
  }' 2>>"$results"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
printf "median of %d runs: click to first game frame %.2f s; fade %.2f s; level load %.2f s; first frame %.2f s\n" \
  "$RUNS" "$(cut -d' ' -f1 "$results" | median)" "$(cut -d' ' -f3 "$results" | median)" \
  "$(cut -d' ' -f4 "$results" | median)" "$(cut -d' ' -f5 "$results" | median)"
