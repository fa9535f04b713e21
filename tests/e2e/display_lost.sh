#!/usr/bin/env bash
# The game's X server goes away under it while the title runs, once shut
# down (SIGTERM, as xvfb-run ends its server) and once killed: each time the
# game must end on its own within seconds, with a message on standard error
# and a non-zero exit code, instead of hanging.
#   display_lost.sh <morvane>
# Runs its own Xvfb, so the X server the other tests share stays up.
set -u
BIN="$1"
source "$(dirname "$0")/lib.sh"
command -v Xvfb >/dev/null || fail "Xvfb missing (scripts/setup.sh installs it)"
for tool in xdotool xdpyinfo; do
  command -v $tool >/dev/null || fail "$tool missing (scripts/setup.sh installs it)"
done

TMP=$(mktemp -d)
XPID=""
cleanup() {
  [ -s "$TMP/err" ] && grep "^morvane:" "$TMP/err" >&2
  [ -n "$XPID" ] && kill -KILL "$XPID" 2>/dev/null
  rm -rf "$TMP"
}
trap cleanup EXIT

# A screen height of this run's own, so that the server answering on the
# number given is known to be this test's (other runs of this test may be
# starting and killing servers of the same kind at the same time).
HEIGHT=$((800 + $$ % 200))
for SIGNAL in TERM KILL; do
  # A display of its own, on a number the server picks and writes to fd 3
  # once it accepts clients (a file of its own each round). Without
  # -noreset the server starts itself over whenever its last client leaves
  # (the checks below, xdotool's searches) and refuses the game if it
  # connects just then.
  number="$TMP/display.$SIGNAL"
  Xvfb -displayfd 3 -screen 0 1280x${HEIGHT}x24 -nolisten tcp -noreset 3>"$number" 2>"$TMP/xvfb.log" &
  XPID=$!
  for _ in $(seq 1 100); do
    [ -s "$number" ] && break
    sleep 0.1
  done
  [ -s "$number" ] || { cat "$TMP/xvfb.log" >&2; fail "Xvfb did not start"; }
  DISP=":$(head -n1 "$number")"
  # The number may be out before the server takes clients, and other tests
  # start and stop X servers meanwhile: the game starts once the server
  # answering on this number is this one (its screen size tells it).
  ours() { xdpyinfo -display "$DISP" 2>/dev/null | grep -q "dimensions: *1280x${HEIGHT} pixels"; }
  answered=""
  for _ in $(seq 1 100); do
    ours && ours && { answered=yes; break; }
    sleep 0.1
  done
  [ -n "$answered" ] || fail "the X server on $DISP never answered as the one this test started"
  SOCKET="/tmp/.X11-unix/X${DISP#:}"
  SOCKET_INODE=$(stat -c %i "$SOCKET" 2>/dev/null)

  DISPLAY="$DISP" "$BIN" >/dev/null 2>"$TMP/err" &
  PID=$!
  DISPLAY="$DISP" wait_window --class morvane >/dev/null || fail "no game window on $DISP"
  sleep 1  # some frames of the title

  kill -"$SIGNAL" "$XPID"
  wait "$XPID" 2>/dev/null
  XPID=""
  # A killed server leaves its socket file behind. It is removed only while
  # it is still that server's own: another test's server may already have
  # taken the number and made its own.
  if [ -n "$SOCKET_INODE" ] && [ "$(stat -c %i "$SOCKET" 2>/dev/null)" = "$SOCKET_INODE" ]; then
    rm -f "$SOCKET"
  fi
  wait_exit "its X server went away (SIG$SIGNAL)"
  [ "$rc" -ne 0 ] || fail_showing_stderr "exit code 0 after losing the display" "$TMP/err"
  [ "$rc" -lt 128 ] || fail_showing_stderr "killed by a signal (exit code $rc)" "$TMP/err"
  grep -q "morvane: lost the connection to the display" "$TMP/err" || fail "no message on standard error"
  grep "^morvane:" "$TMP/err" >&2
  echo "ok: the game ended with exit code $rc when its X server went away (SIG$SIGNAL)"
done
: >"$TMP/err"
