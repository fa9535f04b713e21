#!/usr/bin/env bash
# The player's controls through the real input path: keys, buttons and
# pointer motion made on the X server (xdotool, relative pointer moves as a
# mouse makes them) reach the real game, and screenshots of the window show
# what a player sees:
#   the mouse        the view turns right and left, up and down
#   W, S, D, A       the view moves forwards, back, right and left
#   right button     door A, looked at and walked to, opens
#   left button, R   a shot and a reload: the counter 20/300 -> 19/300 -> 20/299
# Every check waits for what the screen shows (with generous time limits)
# rather than for a number of frames: the software renderer draws a few
# frames a second on a busy machine.
#   input_e2e.sh <morvane> <folder for the screenshots>
# Run from the folder that holds Data/.
set -u
BIN="$1"
SHOTS="${2:-e2e_input_shots}"
source "$(dirname "$0")/../e2e/lib.sh"

launch_game "$BIN"
start_from_title
focus "$WID"

# How the view moved from one screenshot to another: sets dx, dy, zoom, fit
# (see pixels.py: the picture moves left when the player turns or steps
# right, down when the player looks up, and magnifies when the player walks
# forwards).
motion() { read -r dx dy zoom fit < <($PIX motion "$SHOTS/$1.png" "$SHOTS/$2.png"); }
# Mean luma difference of the middle of the view between two screenshots.
change() { $PIX change "$SHOTS/$1.png" "$SHOTS/$2.png" 440 160 400 200; }
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }

# 0. Standing still, the view stays as it is.
shot still_a
sleep 1
shot still_b
motion still_a still_b
echo "  standing still: dx $dx dy $dy zoom $zoom"
[ "$dx" -eq 0 ] && [ "$dy" -eq 0 ] && between "$zoom" 1 1 || fail "the view moved without input"

# Walking: the key is held in short presses until the view has moved the
# way the check says (given dx, dy, zoom and fit from the picture before the
# first press), for at most a minute.
walk() {
  local key="$1" name="$2" check="$3" start=$SECONDS
  shot "${name}_from"
  while true; do
    hold_key "$key" 0.25
    sleep 0.3
    shot "$name"
    motion "${name}_from" "$name"
    echo "  $key held: dx $dx dy $dy zoom $zoom ($fit)"
    $check && return 0
    [ $((SECONDS - start)) -lt 60 ] || fail "holding $key did not move the view $name"
  done
}
forwards() { [ "$fit" = zoom ] && between "$zoom" 1.03 9; }
backwards() { [ "$fit" = zoom ] && between "$zoom" 0 0.97; }
to_the_right() { [ "$fit" = shift ] && [ "$dx" -le -10 ]; }
to_the_left() { [ "$fit" = shift ] && [ "$dx" -ge 10 ]; }

# Looking: a tenth of a degree per pixel of motion, so 100 pixels turn the
# view by 10 degrees, which moves the middle of the picture by
# 623.5 * tan(10 degrees) = 110 pixels (623.5 = 360 / tan 30 degrees, the
# half height over the tangent of half the 60-degree view). The motion is
# made in five steps, as a hand moves a mouse; then the screen is watched
# until the view has turned.
look() {
  local mx="$1" my="$2" name="$3" start=$SECONDS _
  shot "${name}_from"
  for _ in 1 2 3 4 5; do
    xdotool mousemove_relative -- $((mx / 5)) $((my / 5))
    sleep 0.05
  done
  while true; do
    sleep 0.5
    shot "$name"
    motion "${name}_from" "$name"
    [ "$dx" -ne 0 ] || [ "$dy" -ne 0 ] && break
    [ $((SECONDS - start)) -lt 20 ] || fail "the view did not turn on a pointer motion of ($mx, $my)"
  done
  sleep 1  # the turn is taken at once: a later picture shows no more of it
  shot "$name"
  motion "${name}_from" "$name"
  echo "  pointer moved ($mx, $my): dx $dx dy $dy"
}

# The zombies of the south hall come for a player who stays, so the player
# leaves it for the east corridor behind door A (no zombies there; door B at
# its far end is locked) and does most of the checks there.

# 1. Door A, its leaf 22 to 28 along x in the wall z = 20 ahead of the start
# (20, 0): turning right by atan(5 / 20) = 14 degrees (140 pixels) faces
# its middle and moves the middle of the picture left by
# 623.5 * tan(14 degrees) = 155 pixels, its edges by up to 255.
look 140 0 face_door
between "$dx" -300 -100 && between "$dy" -20 20 || fail "turning right moved the picture by ($dx, $dy), not about (-155, 0)"

# 2. Walking to it with W held brings it within reach: the game shows its
# use prompt over the crosshair.
use_prompt() { awk -v c="$(sprite_match "$1" info.png 640 260 1)" 'BEGIN { exit !(c > 0.6) }'; }
xdotool keydown w
poll_shots to_door 120 "walking to door A never brought up its use prompt" use_prompt
xdotool keyup w
echo "  door A in reach: the use prompt shows"

# 3. The right button opens it: the leaf swings away from the middle of the
# view. A press that falls between two frames of a slow renderer is not
# seen: while the view stays as it was, it is pressed again, longer.
sleep 0.3
shot door_closed
hold=0.3
start=$SECONDS
while true; do
  hold_button 3 "$hold"
  for _ in 1 2 3 4 5 6; do
    sleep 0.5
    shot door_opening
    c=$(change door_closed door_opening)
    between "$c" 0 25 || break 2
  done
  [ $((SECONDS - start)) -lt 60 ] || fail "the right button did not open door A (the middle of the view changed by $c)"
  hold=1
done
echo "  door A opening: the middle of the view changed by $c"
# It swings for a second or more; then the doorway shows the corridor.
door_still() {
  cp "$SHOTS/$1.png" "$SHOTS/door_before.png"
  sleep 0.5
  shot door_open
  between "$(change door_before door_open)" 0 2
}
poll_shots door_open 60 "door A never came to rest" door_still

# 4. Turning back left by 140 pixels faces north, through the doorway and
# up the east corridor: the picture moves right.
look -140 0 face_north
between "$dx" 100 300 && between "$dy" -20 20 || fail "turning left moved the picture by ($dx, $dy), not about (155, 0)"

# 5. Forwards through the doorway, on up the corridor until door B stops the
# walk (the picture all but stops moving: the lights of its card reader
# pulse, and it gives a little under a held key), then back, right, left and
# forwards again.
walk w forwards forwards
xdotool keydown w
start=$SECONDS
stopped=0
shot corridor
while [ "$stopped" -lt 2 ]; do
  sleep 1
  cp "$SHOTS/corridor.png" "$SHOTS/corridor_before.png"
  shot corridor
  motion corridor_before corridor
  echo "  up the corridor: dx $dx dy $dy zoom $zoom"
  if between "$dx" -8 8 && between "$dy" -8 8 && between "$zoom" 0.98 1.02; then
    stopped=$((stopped + 1))
  else
    stopped=0
  fi
  [ $((SECONDS - start)) -lt 180 ] || { xdotool keyup w; fail "the walk up the east corridor never came to a stop"; }
done
xdotool keyup w
# Pressed against door B, the view is its plain lower panel; S steps back
# until the door's window and yellow band are in view (the luma spreads).
door_b_in_view() { awk -v s="$($PIX stats "$SHOTS/$1.png" 240 60 800 440 | cut -d' ' -f2)" 'BEGIN { exit !(s > 20) }'; }
start=$SECONDS
until door_b_in_view corridor; do
  [ $((SECONDS - start)) -lt 60 ] || fail "stepping back from door B never brought it into view"
  hold_key s 0.25
  sleep 0.3
  shot corridor
done
walk s backwards backwards
walk d right to_the_right
walk a left to_the_left
walk w forwards_to_b forwards

# 6. Looking up and down by 5 degrees moves the picture by about 55 pixels.
look 0 -50 look_up
between "$dy" 30 85 && between "$dx" -20 20 || fail "looking up moved the picture by ($dx, $dy), not about (0, 55)"
look 0 50 look_down
between "$dy" -85 -30 && between "$dx" -20 20 || fail "looking down moved the picture by ($dx, $dy), not about (0, -55)"
motion look_up_from look_down
[ "$dx" -eq 0 ] && [ "$dy" -eq 0 ] || fail "looking up and down by the same motion left the view moved by ($dx, $dy)"

# 7. A shot, then R: the round comes from the reserve.
fire_once
[ "$(counter fired)" = "19/300" ] || fail "counter shows $(counter fired), expected 19/300"
hold_key r 0.3
reloaded() { [ "$(counter "$1")" = "20/299" ]; }
poll_shots reloaded 60 "R did not reload to 20/299" reloaded
echo "  after R: the counter reads 20/299"

escape_and_wait "$WID"
expect_no_data_warnings "$ERR"
echo "ok: W, S, D, A, turning and looking, a shot and R (20/299), door A opened by the right button (screenshots in $SHOTS)"
