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
source "$(dirname "$0")/../e2e/lib.sh"

# At a fixed full size: the screenshots are compared pixel by pixel, and the
# automatic render scale could change between two of them.
launch_game "$BIN" --render-scale 1

# 1. The title: logo and start button (hovered: the game put the pointer on
# its centre, so it is drawn 1.2 times larger), no health bar.
# 2. Click the start button: the screen fades out and the game starts.
start_from_title
expect_sprite title title.png 640 210 0.2
hp_bar_green title && fail "a health bar on the title"
# The crosshair's white arms left of and above the centre.
crosshair_shown() {
  local xy r g b
  for xy in "605 360" "640 330"; do
    read -r r g b < <($PIX pixel "$SHOTS/$1.png" $xy)
    [ "$r" -gt 200 ] && [ "$g" -gt 200 ] && [ "$b" -gt 200 ] || return 1
  done
}
poll_shots game 20 "no crosshair at the centre" crosshair_shown

# 3. One left click fires one round. The start click did not fire.
fire_once
[ "$(counter fired)" = "19/300" ] || fail "counter shows $(counter fired), expected 19/300"

# 4. Escape ends the game with exit code 0.
escape_and_wait "$WID"
expect_no_data_warnings "$ERR"
echo "ok: title, start, HUD 20/300, one shot 19/300, Escape exit 0 (screenshots in $SHOTS)"
