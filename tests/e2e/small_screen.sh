#!/usr/bin/env bash
# The game on a screen smaller than its window (640 x 480 and a little
# more): the window fits the screen with the picture's shape kept, the whole
# title shows in it, and its start button, where it is shown, starts the
# game.
#   small_screen.sh <morvane> [screenshot folder]
# Runs its own Xvfb of that size, so the X server the other tests share
# keeps its own.
set -u
BIN="$1"
source "$(dirname "$0")/lib.sh"
command -v Xvfb >/dev/null || fail "Xvfb missing (scripts/setup.sh installs it)"
for tool in xdotool xwininfo xdpyinfo import convert python3; do
  command -v $tool >/dev/null || fail "$tool missing (scripts/setup.sh installs it)"
done
[ -f Data/number.png ] || fail "no Data/ tree in $(pwd)"

TMP=$(mktemp -d)
SHOTS="${2:-$TMP/shots}"
mkdir -p "$SHOTS"
XPID=""
cleanup() {
  [ -n "${PID:-}" ] && kill -KILL "$PID" 2>/dev/null
  [ -n "$XPID" ] && kill -KILL "$XPID" 2>/dev/null
  rm -rf "$TMP"
}
trap cleanup EXIT

# A screen height of this run's own tells its server apart from others
# being started at the same time (see display_lost.sh).
WIDTH=640
HEIGHT=$((480 + $$ % 40))
Xvfb -displayfd 3 -screen 0 ${WIDTH}x${HEIGHT}x24 -nolisten tcp -noreset 3>"$TMP/display" 2>"$TMP/xvfb.log" &
XPID=$!
for _ in $(seq 1 100); do
  [ -s "$TMP/display" ] && break
  sleep 0.1
done
[ -s "$TMP/display" ] || { cat "$TMP/xvfb.log" >&2; fail "Xvfb did not start"; }
export DISPLAY=":$(head -n1 "$TMP/display")"
answered=""
for _ in $(seq 1 100); do
  xdpyinfo 2>/dev/null | grep -q "dimensions: *${WIDTH}x${HEIGHT} pixels" && { answered=yes; break; }
  sleep 0.1
done
[ -n "$answered" ] || fail "the X server on $DISPLAY never answered as the one this test started"

XDG_CONFIG_HOME="$TMP/config" "$BIN" 2>"$TMP/err" &
PID=$!
find_game_window "on a ${WIDTH}x${HEIGHT} screen"

# 1280 x 720 scaled by a half, centred on the screen.
info=$(xwininfo -id "$WID")
W=$(echo "$info" | awk '/^ *Width:/ {print $2}')
H=$(echo "$info" | awk '/^ *Height:/ {print $2}')
echo "  window ${W}x${H} at ($WX, $WY) on a ${WIDTH}x${HEIGHT} screen"
[ "$W" = 640 ] && [ "$H" = 360 ] || fail "the window is ${W}x${H}, expected 640x360"
[ "$WX" = 0 ] && [ "$WY" = $(((HEIGHT - 360) / 2)) ] || fail "the window is at ($WX, $WY)"

# The window as the player sees it, the picture at half its size.
small_shot() { import -window root -crop "640x360+${WX}+${WY}" +repage "$SHOTS/$1.png" 2>/dev/null || fail "screenshot $1"; }
# The start button at picture (640, 610), drawn at 1.2, is at half of both.
start_button_shown() {
  small_shot "$1"
  awk -v c="$(sprite_match "$1" cliclstart.png 320 305 0.6)" 'BEGIN { exit !(c > 0.6) }'
}
# The health bar (picture x 200, y 680) is green at full health.
hp_bar_green_small() {
  local r g b
  small_shot "$1"
  read -r r g b < <($PIX pixel "$SHOTS/$1.png" 100 340)
  [ "$g" -gt 150 ] && [ "$g" -gt $((r + 80)) ] && [ "$g" -gt $((b + 80)) ]
}
waited=""
for _ in $(seq 1 120); do
  start_button_shown title && { waited=yes; break; }
  kill -0 "$PID" 2>/dev/null || fail "the game ended on the title"
  sleep 0.5
done
[ -n "$waited" ] || fail "no start button on the title (last picture $SHOTS/title.png)"
echo "  title: start button seen (correlation $(sprite_match title cliclstart.png 320 305 0.6))"

xdotool mousemove --window "$WID" 320 305
sleep 0.3
xdotool click 1
started=""
for i in $(seq 1 120); do
  sleep 0.5
  kill -0 "$PID" 2>/dev/null || fail "the game exited while starting"
  hp_bar_green_small game && { started=yes; break; }
  if [ $((i % 6)) -eq 0 ] && cmp -s "$SHOTS/game.png" "$SHOTS/title.png"; then
    xdotool mousemove --window "$WID" 320 305 click 1
  fi
done
[ -n "$started" ] || fail "clicking the start button where it is shown did not start the game (last picture $SHOTS/game.png)"
echo "  the click on the button as shown started the game"
escape_and_wait "$WID"
expect_no_data_warnings "$TMP/err"
echo "ok: on a ${WIDTH}x${HEIGHT} screen the window is 640x360 and its start button works"
