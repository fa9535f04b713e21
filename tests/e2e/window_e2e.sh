#!/usr/bin/env bash
# End-to-end checks of the real game binary on an X server.
#   window_e2e.sh <morvane> window   - size, caption, fixed size, Escape quits with 0
#   window_e2e.sh <morvane> sigterm  - a termination request ends it cleanly with 0
#   window_e2e.sh <morvane> sighup   - so does a hang-up, unless it was ignored
#                                      when the game started (nohup)
#   window_e2e.sh <morvane> nodisplay - without a display: non-zero exit and a clear message
set -u
BIN="$1"
MODE="$2"
source "$(dirname "$0")/lib.sh"

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

need_display
ERR=$(mktemp)
trap 'rm -f "$ERR"' EXIT
"$BIN" 2>"$ERR" &
PID=$!
WID=$(wait_window --class morvane) || { cat "$ERR" >&2; fail "no window with the caption appeared"; }

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
  escape_and_wait "$WID"
elif [ "$MODE" = sighup ]; then
  sleep 1
  kill -HUP "$PID"
  wait_exit "the hang-up"
  [ "$rc" -eq 0 ] || fail "exit code $rc after a hang-up"
  # Started with hang-ups ignored, the game keeps running through one.
  (trap '' HUP; exec "$BIN" 2>>"$ERR") &
  PID=$!
  WID=$(wait_window --class morvane) || fail "no window with hang-ups ignored"
  kill -HUP "$PID"
  sleep 1
  kill -0 "$PID" 2>/dev/null || fail "a hang-up ignored by the starter ended the game"
  kill -TERM "$PID"
  wait_exit "the request to end"
  [ "$rc" -eq 0 ] || fail "exit code $rc"
else
  sleep 1
  kill -TERM "$PID"
  wait_exit "the request to end"
  [ "$rc" -eq 0 ] || fail_showing_stderr "exit code $rc after SIGTERM"
fi
expect_no_data_warnings "$ERR"
echo "ok: $MODE"
