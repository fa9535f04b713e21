#!/usr/bin/env bash
# The player's controls through the real input path: keys, buttons and
# pointer motion made on the X server (xdotool, relative pointer moves as a
# mouse makes them) reach the real game, and screenshots of the window show
# what a player sees:
#   the mouse        the view turns right and back, up and back
#   W, S, D, A       the view moves forwards, back, right and left
#   left button, R   a shot and a reload: the counter 20/300 -> 19/300 -> 20/299
#   right button     door A, looked at and walked to, opens
# Each action waits for the screen to change (with generous time limits)
# rather than for a number of frames: the software renderer draws a few
# frames a second on a busy machine, and the game runs in real time.
#   input_e2e.sh <morvane> <folder for the screenshots>
# Run from the folder that holds Data/.
set -u
BIN="$1"
SHOTS="${2:-e2e_input_shots}"
source "$(dirname "$0")/../e2e/lib.sh"

# Mean luma difference of the middle of the view between two screenshots.
change() { $PIX change "$SHOTS/$1.png" "$SHOTS/$2.png" 440 160 400 200; }
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }

# Does something to the game and waits until the picture shows it: NAME.png
# is the first picture that differs from the previous one (PREV). For a
# pointer motion the picture must have turned (shifted by 20 pixels or
# more): the hall's zombies change the picture too, and one that pushes the
# player back would otherwise pass for the change the motion made.
PREV=""
act() {
  local name="$1" before="$PREV"
  shift
  local limit=30
  if [ "$1" = pointer ]; then
    changed() { motion "$before" "$1"; [ "${dx#-}" -ge 20 ] || [ "${dy#-}" -ge 20 ]; }
    limit=8
  else
    changed() { ! between "$(change "$before" "$1")" 0 0.5; }
  fi
  "$@"
  if ! wait_shots "$name" "$limit" changed; then
    # The game looks by reading the pointer and putting it back in the
    # middle of the window, keeping what moved in between. Should a motion
    # still not turn the view within a few pictures while the pointer is
    # back in the middle, it is made once more (and said so), soon enough
    # that the zombies get no further; a lost key press is not repeated.
    [ "$1" = pointer ] && [ "$(pointer_offset)" = "0 0" ] || fail "the view did not change: $* (after $limit s; last picture $SHOTS/$name.png)"
    echo "  $*: the view did not change and the pointer is back in the middle; moving it again"
    "$@"
    poll_shots "$name" 30 "the view did not change: $* (made twice)" changed
  fi
  echo "  $*: $name.png"
  PREV="$name"
}
# A pointer motion, made at once as a quick flick of a mouse is. The game
# takes what has come in at its next step. It is made while the game stands
# still, so it is on the X server before the game next reads the pointer.
pointer() { xdotool mousemove_relative -- "$1" "$2"; game_runs; }
# Where the pointer is against the middle of the window: "dx dy".
pointer_offset() {
  local X Y
  eval "$(xdotool getmouselocation --shell | grep -E '^[XY]=')"
  echo "$((X - WX - 640)) $((Y - WY - 360))"
}

# How the view moved from one picture to the next (see pixels.py: the
# picture moves left when the player turns or steps right, down when the
# player looks up, and magnifies when the player walks forwards). A pixel of
# pointer motion turns the view by a tenth of a degree, and a turn by an
# angle moves the middle of the picture by 623.5 * tan(angle) pixels
# (623.5 = 360 / tan 30 degrees, the half height over the tangent of half
# the 60-degree view), its edges by more: 10 degrees move it by 110, 5
# degrees by 55, 14 degrees by 155.
motion() { read -r dx dy zoom fit < <($PIX motion "$SHOTS/$1.png" "$SHOTS/$2.png"); }
expect() {
  local what="$1" from="$2" to="$3" check="$4"
  motion "$from" "$to"
  echo "  $what: dx $dx dy $dy zoom $zoom ($fit)"
  $check || fail "$what: the picture moved by ($dx, $dy), magnified $zoom ($fit fits best)"
}
still() { [ "$dx" -eq 0 ] && [ "$dy" -eq 0 ] && between "$zoom" 1 1; }
turned_right_10() { between "$dx" -170 -60 && between "$dy" -5 5; }
turned_left_10() { between "$dx" 60 170 && between "$dy" -5 5; }
looked_up_5() { between "$dy" 30 85 && between "$dx" -20 20; }
looked_down_5() { between "$dy" -85 -30 && between "$dx" -20 20; }
turned_right_14() { between "$dx" -300 -100 && between "$dy" -20 20; }
went_forwards() { [ "$fit" = zoom ] && between "$zoom" 1.02 9; }
went_back() { [ "$fit" = zoom ] && between "$zoom" 0 0.98; }
went_right() { [ "$fit" = shift ] && [ "$dx" -le -8 ]; }
went_left() { [ "$fit" = shift ] && [ "$dx" -ge 8 ]; }

# The player starts at (20, 0) facing the north wall of the south hall with
# door A ahead. The hall's zombies come for the player from the start and
# strike after some fifteen seconds of game time: the game is stopped
# while the test looks at its pictures and measures them, and door A, the
# walk to which they can block, comes before the shot and the reload, which
# need no place of their own. The picture is
# drawn at a fixed full size: the automatic render scale, changing between
# two screenshots, would read as a movement of the view.
launch_game "$BIN" --render-scale 1
PAUSING=1
start_from_title
focus "$WID"
game_waits

# 1. The mouse: right and back, up and back.
shot still_a
game_runs
sleep 0.5
game_waits
shot still_b
PREV=still_b
expect "standing still" still_a still_b still
act look_right pointer 100 0
expect "pointer 100 right" still_b look_right turned_right_10
act look_back pointer -100 0
expect "pointer 100 left" look_right look_back turned_left_10
expect "right and back" still_b look_back still
act look_up pointer 0 -50
expect "pointer 50 up" look_back look_up looked_up_5
act look_down pointer 0 50
expect "pointer 50 down" look_up look_down looked_down_5
expect "up and back" look_back look_down still

# 2. Walking.
act forwards hold_key w 0.4
expect "W held" look_down forwards went_forwards
act backwards hold_key s 0.4
expect "S held" forwards backwards went_back
act right hold_key d 0.4
expect "D held" backwards right went_right
act left hold_key a 0.4
expect "A held" right left went_left

# 3. Door A, its leaf 22 to 28 along x in the wall z = 20 ahead: turning
# right by atan(5 / 20) = 14 degrees (140 pixels) faces its middle; walking
# to it with W held brings it within reach, and the game shows its use
# prompt over the crosshair; a click of the right button opens it: the leaf
# swings away from the middle of the view.
shot before_turn
PREV=before_turn
act face_door pointer 140 0
expect "pointer 140 right" before_turn face_door turned_right_14
use_prompt() { awk -v c="$(sprite_match "$1" info.png 640 260 1)" 'BEGIN { exit !(c > 0.6) }'; }
game_runs
xdotool keydown w
RUN_FOR=0.5 poll_shots to_door 60 "walking to door A never brought up its use prompt" use_prompt
xdotool keyup w
echo "  door A in reach: the use prompt shows"
game_runs
sleep 0.3
game_waits
shot door_closed
game_runs
xdotool click 3
door_moved() { c=$(change door_closed "$1"); ! between "$c" 0 25; }
poll_shots door_opening 60 "the right button did not open door A" door_moved
echo "  door A opening: the middle of the view changed by $c"
game_runs
sleep 1
game_waits
shot door_open
read -r r g b < <($PIX pixel "$SHOTS/door_open.png" 350 680)
[ "$g" -gt 150 ] && echo "  still at full health" || echo "  hurt by the zombies by now (door_open.png)"

# 4. A shot, then R: the round comes from the reserve.
fire_once
[ "$(counter fired)" = "19/300" ] || fail "counter shows $(counter fired), expected 19/300"
# The reload takes 100 steps: the game runs a second for each picture.
game_runs
xdotool key r
reloaded() { [ "$(counter "$1")" = "20/299" ]; }
RUN_FOR=1 poll_shots reloaded 60 "R did not reload to 20/299" reloaded
echo "  R: the counter reads 20/299"
escape_and_wait "$WID"
expect_no_data_warnings "$ERR"

echo "ok: turning and looking, W, S, D, A, a shot and R (20/299), door A opened by the right button (screenshots in $SHOTS)"
