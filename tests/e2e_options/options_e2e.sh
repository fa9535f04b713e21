#!/usr/bin/env bash
# The options screen, pause and full screen of the real game, driven as a
# player would with xdotool, on an X server of its own with a 4:3 screen
# (1600 x 1200, so full screen shows black bars above and below):
#   title: F1 shows the options screen over it, P closes it;
#   F11: the window covers the screen, the picture letterboxed; a click on
#   the start button where it now is starts the game;
#   the game: the HUD in the picture's place, the frames-per-second readout
#   (switched on in the settings file); F1 over the game; the pointer moved
#   while it is open; P: the view as it was; Escape closes the screen, and
#   then ends the game;
#   Alt+Enter: back to the 1280 x 720 window; the setting was saved.
#   options_e2e.sh <morvane> <folder for the screenshots>
# Run from the folder that holds Data/.
set -u
BIN="$1"
SHOTS="${2:-e2e_options_shots}"
HERE="$(cd "$(dirname "$0")" && pwd)"
PIX="python3 $HERE/../e2e_game/pixels.py"
SCR="python3 $HERE/screen.py"
SKIP=77
SW=1600
SH=1200

for tool in Xvfb xdotool xwininfo import convert compare python3; do
  command -v $tool >/dev/null || { echo "$tool missing; skipped"; exit $SKIP; }
done
[ -f Data/number.png ] || { echo "FAIL: no Data/ tree in $(pwd)" >&2; exit 1; }
mkdir -p "$SHOTS"
TMP=$(mktemp -d)
XPID=""
PID=""
cleanup() {
  [ -n "$PID" ] && kill -KILL "$PID" 2>/dev/null
  [ -n "$XPID" ] && kill -TERM "$XPID" 2>/dev/null
  rm -rf "$TMP"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$TMP/err" ] && tail -5 "$TMP/err" >&2; exit 1; }

Xvfb -displayfd 3 -screen 0 ${SW}x${SH}x24 -nolisten tcp -noreset 3>"$TMP/display" 2>"$TMP/xvfb.log" &
XPID=$!
for _ in $(seq 1 100); do [ -s "$TMP/display" ] && break; sleep 0.1; done
[ -s "$TMP/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$TMP/display")"

# Settings of this run only: the readout on, everything else as shipped.
export XDG_CONFIG_HOME="$TMP/config"
mkdir -p "$XDG_CONFIG_HOME/morvane"
echo '{ "show_fps": true }' > "$XDG_CONFIG_HOME/morvane/settings.json"

"$BIN" >/dev/null 2>"$TMP/err" &
PID=$!
WID=""
for _ in $(seq 1 150); do
  WID=$(xdotool search --onlyvisible --class morvane 2>/dev/null | head -n1)
  [ -n "$WID" ] && break
  kill -0 "$PID" 2>/dev/null || fail "the game exited before showing its window"
  sleep 0.2
done
[ -n "$WID" ] || fail "no game window appeared"
geometry() { xwininfo -id "$WID" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
  /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'; }
read -r WX WY WW WH < <(geometry)
[ "$WW x $WH" = "1280 x 720" ] || fail "window is $WW x $WH"
xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"

shot() { import -window root "$SHOTS/$1.png" 2>/dev/null || fail "screenshot $1"; }
# The window's client area alone, for the checks in window pixels.
window_shot() { import -window root -crop "${WW}x${WH}+${WX}+${WY}" +repage "$SHOTS/$1.png" 2>/dev/null || fail "screenshot $1"; }
panel() { $SCR panel "$SHOTS/$1.png"; }
# Polls (up to the given tenths of a second) until the command succeeds.
until_true() {
  local tries=$1; shift
  for _ in $(seq 1 "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}
panel_shown() { window_shot "$1"; [ "$(panel "$1")" -gt 2000 ]; }
panel_gone() { window_shot "$1"; [ "$(panel "$1")" -lt 200 ]; }
alive() { kill -0 "$PID" 2>/dev/null || fail "the game ended"; }

# 1. The title: F1 opens the options screen over it, P closes it.
sleep 2; alive
window_shot title
[ "$(panel title)" -lt 200 ] || fail "options screen shown before F1"
xdotool key F1
until_true 100 panel_shown title_options || fail "F1 did not show the options screen on the title"
echo "  title: F1 shows the options screen ($(panel title_options) title-bar pixels)"
xdotool key p
until_true 100 panel_gone title_closed || fail "P did not close the options screen"

# 2. F11: the window covers the screen, the picture letterboxed.
xdotool key F11
covered() { read -r WX WY WW WH < <(geometry); [ "$WX $WY $WW $WH" = "0 0 $SW $SH" ]; }
until_true 100 covered || fail "after F11 the window is $WW x $WH at $WX,$WY, not the whole $SW x $SH screen"
# Without a window manager the keyboard focus does not follow the window
# through the change; give it back as a window manager would.
xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"
# The picture: 1600 x 900 from y 150; bars of 150 above and below.
BAR=$(( (SH - SW * 720 / 1280) / 2 ))
SCALE_NUM=$SW; SCALE_DEN=1280
map_x() { echo $(( $1 * SCALE_NUM / SCALE_DEN )); }
map_y() { echo $(( BAR + $1 * SCALE_NUM / SCALE_DEN )); }
sleep 1
shot fullscreen_title
top=$($SCR black "$SHOTS/fullscreen_title.png" 0 0 $SW $((BAR - 2)))
bottom=$($SCR black "$SHOTS/fullscreen_title.png" 0 $((SH - BAR + 2)) $SW $((BAR - 2)))
middle=$($SCR black "$SHOTS/fullscreen_title.png" 0 $((BAR + 2)) $SW $((SH - 2 * BAR - 4)))
echo "  full screen: black share above $top, below $bottom, in the picture $middle"
awk -v a="$top" -v b="$bottom" -v m="$middle" 'BEGIN { exit !(a > 0.99 && b > 0.99 && m < 0.5) }' \
  || fail "no black bars around the picture in full screen"
# The logo and the start button, scaled with the picture.
logo=$($PIX match "$SHOTS/fullscreen_title.png" Data/title.png "$(map_x 640)" "$(map_y 210)" 0.25)
echo "  full screen: logo correlation $logo"
awk -v c="$logo" 'BEGIN { exit !(c > 0.6) }' || fail "the title's logo is not where the scaled picture puts it"

# A click on the start button where it is shown now starts the game. The
# pointer gets there by relative moves, as a mouse moves it (SDL reads the
# global pointer again after raw motion).
move_to() {
  local x y
  eval "$(xdotool getmouselocation --shell)"
  x=$X; y=$Y
  xdotool mousemove_relative -- $(( $1 - x )) $(( $2 - y ))
}
move_to "$(map_x 640)" "$(map_y 610)"
sleep 0.5
xdotool click 1
hp_green() {
  shot "$1"
  local r g b
  read -r r g b < <($PIX pixel "$SHOTS/$1.png" "$(map_x 200)" "$(map_y 680)")
  [ "$g" -gt 150 ] && [ "$g" -gt $((r + 80)) ] && [ "$g" -gt $((b + 80)) ]
}
until_true 300 hp_green fullscreen_game || fail "the click on the start button in full screen did not start the game"
sleep 2; alive
shot fullscreen_game
hp_green fullscreen_game || fail "no health bar where the scaled picture puts it"
# The readout: yellow digits at the picture's top left.
yellow=$($SCR yellow "$SHOTS/fullscreen_game.png" 0 "$BAR" 120 60)
echo "  full screen game: readout pixels $yellow"
[ "$yellow" -gt 40 ] || fail "no frames-per-second readout at the top left"

# 3. F1 over the game (early, before any zombie comes near); the pointer moved while it is open; P: the view as
# it was (no step ran, nothing turned).
window_shot before_pause
xdotool key F1
until_true 100 panel_shown game_options || fail "F1 did not show the options screen over the game"
xdotool mousemove_relative -- 300 -120
sleep 0.5
xdotool mousemove_relative -- -50 200
sleep 0.5
xdotool key p
until_true 100 panel_gone after_pause || fail "P did not close the options screen in the game"
sleep 0.5
window_shot after_pause
diff=$(compare -metric MAE "$SHOTS/before_pause.png" "$SHOTS/after_pause.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
echo "  game: mean difference of the view before and after the pause $diff"
awk -v d="$diff" 'BEGIN { exit !(d < 0.03) }' || fail "the view changed across the pause ($diff)"

# 4. Alt+Enter: back to the fixed window.
xdotool key alt+Return
windowed() { read -r WX WY WW WH < <(geometry); [ "$WW x $WH" = "1280 x 720" ]; }
until_true 100 windowed || fail "Alt+Enter did not bring back the 1280 x 720 window (now $WW x $WH)"
grep -q '"fullscreen": false' "$XDG_CONFIG_HOME/morvane/settings.json" || fail "the windowed choice was not saved"
xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"
sleep 1.5

# 5. F1 again; Escape closes the screen and the game goes on ...
# (A lost focus pauses the game only where a window manager runs; this
# bare X server has none, so OptionsWindowTest covers that.)
xdotool key F1
until_true 100 panel_shown reopened || fail "F1 did not show the options screen again"
xdotool key Escape
until_true 100 panel_gone resumed || fail "Escape did not close the options screen"
alive
# ... and the next Escape ends it, as ever.
xdotool key Escape
for _ in $(seq 1 100); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$PID" 2>/dev/null && fail "still running 10 s after Escape"
wait "$PID"; rc=$?; PID=""
[ "$rc" -eq 0 ] || fail "exit code $rc after Escape"
echo "ok: options screen on the title and over the game, no view jump across a pause, Escape, full screen with bars and a working start button, readout, Alt+Enter back (screenshots in $SHOTS)"
