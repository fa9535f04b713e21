#!/usr/bin/env bash
# The game's X server goes away under it while the title runs, once shut
# down (SIGTERM, as xvfb-run ends its server) and once killed: each time the
# game must end on its own within seconds, with a message on standard error
# and a non-zero exit code, instead of hanging.
#   display_lost.sh <morvane>
# Runs its own Xvfb, so the X server the other tests share stays up.
set -u
BIN="$1"
SKIP=77
command -v Xvfb >/dev/null || { echo "Xvfb missing; skipped"; exit $SKIP; }
command -v xwininfo >/dev/null || { echo "xwininfo missing; skipped"; exit $SKIP; }

TMP=$(mktemp -d)
XPID=""
PID=""
cleanup() {
  [ -n "$PID" ] && kill -KILL "$PID" 2>/dev/null
  [ -n "$XPID" ] && kill -KILL "$XPID" 2>/dev/null
  rm -rf "$TMP"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for SIGNAL in TERM KILL; do
  # A display of its own, on a number the server picks and writes to fd 3
  # once it accepts clients (a file of its own each round).
  number="$TMP/display.$SIGNAL"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$number" 2>"$TMP/xvfb.log" &
  XPID=$!
  for _ in $(seq 1 100); do
    [ -s "$number" ] && break
    sleep 0.1
  done
  [ -s "$number" ] || { cat "$TMP/xvfb.log" >&2; fail "Xvfb did not start"; }
  DISP=":$(head -n1 "$number")"

  DISPLAY="$DISP" "$BIN" >/dev/null 2>"$TMP/err" &
  PID=$!
  shown=""
  for _ in $(seq 1 300); do
    if DISPLAY="$DISP" xwininfo -root -tree 2>/dev/null | grep -q '"MORVANE  ver1.0.0"'; then
      shown=yes
      break
    fi
    kill -0 "$PID" 2>/dev/null || { cat "$TMP/err" >&2; fail "the game ended before showing its window"; }
    sleep 0.1
  done
  [ -n "$shown" ] || fail "no game window on $DISP"
  sleep 1  # some frames of the title

  kill -"$SIGNAL" "$XPID"
  wait "$XPID" 2>/dev/null
  XPID=""
  # A killed server leaves its lock and socket behind.
  rm -f "/tmp/.X${DISP#:}-lock" "/tmp/.X11-unix/X${DISP#:}"
  for _ in $(seq 1 100); do
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$PID" 2>/dev/null; then
    cat "$TMP/err" >&2
    fail "still running 10 s after its X server went away (SIG$SIGNAL)"
  fi
  wait "$PID"
  rc=$?
  PID=""
  cat "$TMP/err" >&2
  [ "$rc" -ne 0 ] || fail "exit code 0 after losing the display"
  [ "$rc" -lt 128 ] || fail "killed by a signal (exit code $rc)"
  grep -q "morvane: lost the connection to the display" "$TMP/err" || fail "no message on standard error"
  echo "ok: the game ended with exit code $rc when its X server went away (SIG$SIGNAL)"
done
