#!/usr/bin/env bash
# End-to-end checks of the real game binary on an X server.
#   window_e2e.sh <morvane> window   - size, caption, fixed size, Escape quits with 0
#   window_e2e.sh <morvane> sigterm  - a termination request ends it cleanly with 0
#   window_e2e.sh <morvane> nodisplay - without a display: non-zero exit and a clear message
set -u
BIN="$1"
MODE="$2"
SKIP=77

fail() { echo "FAIL: $*" >&2; [ -n "${PID:-}" ] && kill -KILL "$PID" 2>/dev/null; exit 1; }

if [ "$MODE" = nodisplay ]; then
  err=$(mktemp)
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 30 "$BIN" 2>"$err"
  rc=$?
  cat "$err" >&2
  [ "$rc" -ne 0 ] || fail "exit code 0 without a display"
  [ "$rc" -lt 124 ] || fail "crashed or hung (exit code $rc)"
  grep -q "morvane: cannot open a window" "$err" || fail "no clear message on stderr"
  rm -f "$err"
  echo "ok: exit code $rc without a display"
  exit 0
fi

[ -n "${DISPLAY:-}" ] || { echo "no X display; skipped"; exit $SKIP; }
command -v xdotool >/dev/null && command -v xwininfo >/dev/null || { echo "xdotool/xwininfo missing; skipped"; exit $SKIP; }

"$BIN" &
PID=$!

# Wait for the game's window to be mapped.
WID=""
for _ in $(seq 1 150); do
  WID=$(xdotool search --onlyvisible --class morvane 2>/dev/null | head -n1)
  [ -n "$WID" ] && break
  kill -0 "$PID" 2>/dev/null || fail "the game exited before showing its window"
  sleep 0.2
done
[ -n "$WID" ] || fail "no window with the caption appeared"

if [ "$MODE" = window ]; then
  info=$(xwininfo -id "$WID")
  echo "$info"
  width=$(echo "$info" | awk '/^ *Width:/ {print $2}')
  height=$(echo "$info" | awk '/^ *Height:/ {print $2}')
  [ "$width" = 1280 ] || fail "client width $width, expected 1280"
  [ "$height" = 720 ] || fail "client height $height, expected 720"
  name=$(xdotool getwindowname "$WID")
  [ "$name" = "MORVANE  ver1.0.0" ] || fail "caption '$name'"
  # Not resizable: the size hints fix minimum and maximum at the client size.
  hints=$(xprop -id "$WID" WM_NORMAL_HINTS 2>/dev/null || true)
  if [ -n "$hints" ]; then
    echo "$hints"
    echo "$hints" | grep -q "minimum size: 1280 by 720" || fail "no fixed minimum size"
    echo "$hints" | grep -q "maximum size: 1280 by 720" || fail "no fixed maximum size"
  fi
  sleep 1
  kill -0 "$PID" 2>/dev/null || fail "the game exited on its own"
  xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"
  xdotool key Escape
else
  sleep 1
  kill -TERM "$PID"
fi

for _ in $(seq 1 100); do
  kill -0 "$PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$PID" 2>/dev/null && fail "still running 10 s after the request to end"
wait "$PID"
rc=$?
PID=""
[ "$rc" -eq 0 ] || fail "exit code $rc"
echo "ok: $MODE"
