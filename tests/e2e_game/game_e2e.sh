#!/usr/bin/env bash
# The game loop end to end with the real binary on an X server, driven by
# real X input (xdotool) and checked on screenshots of the window:
#   title shown -> click the start button -> game after the fade, HUD 20/300
#   -> a left click fires, HUD 19/300 -> Escape ends the process with 0.
#   game_e2e.sh <morvane> <folder for the screenshots>
# Run from the folder that holds Data/.
set -u
BIN="$1"
SHOTS="${2:-e2e_game_shots}"
HERE="$(cd "$(dirname "$0")" && pwd)"
PIX="python3 $HERE/pixels.py"
SKIP=77
PID=""

fail() { echo "FAIL: $*" >&2; [ -n "$PID" ] && kill -KILL "$PID" 2>/dev/null; exit 1; }

[ -n "${DISPLAY:-}" ] || { echo "no X display; skipped"; exit $SKIP; }
for tool in xdotool xwininfo import convert python3; do
  command -v $tool >/dev/null || { echo "$tool missing; skipped"; exit $SKIP; }
done
[ -f Data/number.png ] || fail "no Data/ tree in $(pwd)"
mkdir -p "$SHOTS"

"$BIN" &
PID=$!

WID=""
for _ in $(seq 1 150); do
  WID=$(xdotool search --onlyvisible --class morvane 2>/dev/null | head -n1)
  [ -n "$WID" ] && break
  kill -0 "$PID" 2>/dev/null || fail "the game exited before showing its window"
  sleep 0.2
done
[ -n "$WID" ] || fail "no game window appeared"
info=$(xwininfo -id "$WID")
WX=$(echo "$info" | awk '/Absolute upper-left X:/ {print $4}')
WY=$(echo "$info" | awk '/Absolute upper-left Y:/ {print $4}')

# A screenshot of the window's client area (taken from the root window, as a
# player would see the screen).
shot() { import -window root -crop "1280x720+${WX}+${WY}" +repage "$SHOTS/$1.png" 2>/dev/null || fail "screenshot $1"; }
luma_stats() { $PIX stats "$SHOTS/$1.png" "$2" "$3" "$4" "$5"; }
# Correlation of a sprite with the screenshot must be clearly positive.
expect_sprite() {
  local c
  c=$($PIX match "$SHOTS/$1.png" "$2" "$3" "$4" "$5")
  echo "  $1: $(basename "$2") correlation $c"
  awk -v c="$c" 'BEGIN { exit !(c > 0.6) }' || fail "$(basename "$2") not seen in $1.png (correlation $c)"
}
hp_bar_green() {
  # The health bar starts at window x 60, y 680; full health draws it green.
  read -r r g b < <($PIX pixel "$SHOTS/$1.png" 200 680)
  [ "$g" -gt 150 ] && [ "$g" -gt $((r + 80)) ] && [ "$g" -gt $((b + 80)) ]
}
# Holds the left button for the given time.
click() { xdotool mousedown 1; sleep "$1"; xdotool mouseup 1; }

# 1. The title: logo and start button (hovered: the game put the pointer on
# its centre, so it is drawn 1.2 times larger).
sleep 3
kill -0 "$PID" 2>/dev/null || fail "the game exited on the title"
shot title
expect_sprite title Data/title.png 640 210 0.2
expect_sprite title Data/cliclstart.png 640 610 1.2
hp_bar_green title && fail "a health bar on the title"

# 2. Click the start button: the screen fades out and the game starts.
xdotool mousemove --window "$WID" 640 610
sleep 0.3
click 1.0   # a long press: the start acts once, however many frames see it
shot title_clicked
read -r mean _ < <(luma_stats title_clicked 0 0 1280 300)
echo "  title after the click: mean luma of the top $mean"
started=""
for _ in $(seq 1 240); do
  sleep 0.5
  kill -0 "$PID" 2>/dev/null || fail "the game exited while starting"
  shot game
  if hp_bar_green game; then started=yes; break; fi
done
[ -n "$started" ] || fail "the game with its HUD never showed"
sleep 1.5  # past the fade-in
shot game
hp_bar_green game || fail "no full health bar"
# The crosshair's white arms left of and above the centre.
for xy in "605 360" "640 330"; do
  read -r r g b < <($PIX pixel "$SHOTS/game.png" $xy)
  [ "$r" -gt 200 ] && [ "$g" -gt 200 ] && [ "$b" -gt 200 ] || fail "no crosshair at $xy ($r $g $b)"
done
counter=$($PIX digits "$SHOTS/game.png" Data/number.png)
echo "  game: ammunition counter reads $counter"
[ "$counter" = "20/300" ] || fail "counter shows $counter, expected 20/300"

# 3. One left click fires one round. The start click did not fire.
# The click is as short as xdotool makes it (a few milliseconds), far
# shorter than a frame of a software renderer: the game keeps the press for
# its next step, so it fires, and exactly once (holding the button would
# fire again every 8 steps).
xdotool click 1
fired=""
for _ in $(seq 1 40); do
  sleep 0.25
  shot fired
  counter=$($PIX digits "$SHOTS/fired.png" Data/number.png)
  [ "$counter" != "20/300" ] && { fired=yes; break; }
done
echo "  after a click: ammunition counter reads $counter"
[ -n "$fired" ] || fail "clicking did not fire"
[ "$counter" = "19/300" ] || fail "counter shows $counter, expected 19/300"

# 4. Escape ends the game with exit code 0.
xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"
xdotool key Escape
for _ in $(seq 1 100); do
  kill -0 "$PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$PID" 2>/dev/null && fail "still running 10 s after Escape"
wait "$PID"
rc=$?
PID=""
[ "$rc" -eq 0 ] || fail "exit code $rc after Escape"
echo "ok: title, start, HUD 20/300, one shot 19/300, Escape exit 0 (screenshots in $SHOTS)"
