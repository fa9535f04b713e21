# Helpers of the end-to-end scripts that drive the real game on an X server,
# sourced by them: finding and waiting for windows, screenshots of the game
# window, real key and button presses (XTest through xdotool), waiting for
# the game to end, and what a screenshot of the game shows.
#
# The game's process id is kept in PID while it runs (empty otherwise); a
# failure kills it. Screenshots go to SHOTS (default: a folder of the
# caller's choosing must be set before `shot`); DATA names the game's Data/
# folder for the pictures the screenshots are compared with.

E2E_LIB_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
PIX="python3 $E2E_LIB_DIR/../e2e_game/pixels.py"
SKIP=77
PID=""
DATA="${DATA:-Data}"

fail() {
  echo "FAIL: $*" >&2
  [ -n "${PID:-}" ] && kill -KILL "$PID" 2>/dev/null
  exit 1
}

# Fails with the message after showing the last lines the game wrote to its
# standard error (the file given, else $ERR), where the cause of a wrong
# exit code usually stands.
fail_showing_stderr() {
  local message="$1" file="${2:-${ERR:-}}"
  if [ -n "$file" ] && [ -s "$file" ]; then
    echo "---- the game's standard error, last 40 lines ($file):" >&2
    tail -n 40 "$file" >&2
    echo "----" >&2
  elif [ -n "$file" ]; then
    echo "(the game wrote nothing to its standard error, $file)" >&2
  fi
  fail "$message"
}

# Without an X display the test is skipped (exit 77) and says so. The tools
# come with scripts/setup.sh: a missing one is a broken set-up and fails.
need_display() {
  [ -n "${DISPLAY:-}" ] || { echo "no X display; skipped"; exit $SKIP; }
  local tool
  for tool in xdotool xwininfo "$@"; do
    command -v "$tool" >/dev/null || fail "$tool missing (scripts/setup.sh installs it)"
  done
}

# Waits up to 30 s for a mapped window whose class or name matches
# (`--class morvane`, `--name caption`) and prints its id. Returns 1 when
# none shows or the game ($PID) ends first.
wait_window() {
  local how="$1" what="$2" wid=""
  for _ in $(seq 1 150); do
    if [ "$how" = --name ]; then
      # xdotool's name search misses titles stored as UTF-8 text (SDL's
      # message box); xwininfo lists them. Only mapped windows count.
      wid=$(xwininfo -root -tree 2>/dev/null | grep -F "\"" | grep -F "$what" | awk '{print $1}' | head -n1)
      [ -n "$wid" ] && ! xwininfo -id "$wid" 2>/dev/null | grep -q "Map State: IsViewable" && wid=""
    else
      wid=$(xdotool search --onlyvisible "$how" "$what" 2>/dev/null | head -n1)
    fi
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    [ -n "${PID:-}" ] && ! kill -0 "$PID" 2>/dev/null && return 1
    sleep 0.2
  done
  return 1
}

# Waits for the game's window and sets WID and its screen position WX, WY.
find_game_window() {
  WID=$(wait_window --class morvane) || fail "no game window appeared${1:+ ($1)}"
  local info
  info=$(xwininfo -id "$WID")
  WX=$(echo "$info" | awk '/Absolute upper-left X:/ {print $4}')
  WY=$(echo "$info" | awk '/Absolute upper-left Y:/ {print $4}')
}

# Starts the game from the folder that holds Data/ (the command and its
# arguments given), with its standard error in $SHOTS/stderr.txt (ERR), and
# waits for its window. The screenshot folder starts empty.
launch_game() {
  need_display import convert compare python3
  [ -f Data/number.png ] || fail "no Data/ tree in $(pwd)"
  rm -rf "$SHOTS"
  mkdir -p "$SHOTS"
  ERR="$SHOTS/stderr.txt"
  "$@" 2>"$ERR" &
  PID=$!
  find_game_window
}

# With PAUSING set, the game is stopped (SIGSTOP) while the test looks at
# its pictures and runs (SIGCONT) only while the test acts or waits for the
# next picture: game time passes for what the test does, not for how long a
# busy machine takes over the pictures, so the zombies, who come for the
# player in real time, get no further than the test's own actions let them.
# Resumed, the game runs at most six steps for the time it stood still.
game_runs() {
  [ -n "${PAUSING:-}" ] && [ -n "${PID:-}" ] && kill -CONT "$PID" 2>/dev/null
  return 0
}
game_waits() {
  [ -n "${PAUSING:-}" ] && [ -n "${PID:-}" ] && kill -STOP "$PID" 2>/dev/null
  return 0
}

# Keyboard focus to a window, so that keys reach it.
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# Holds a key for the given seconds.
hold_key() { game_runs; xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }

# Waits up to the seconds given (default 10) for the game to end after what
# was done to it (for the message); sets rc to its exit code.
wait_exit() {
  local what="$1" seconds="${2:-10}"
  game_runs
  for _ in $(seq 1 $((seconds * 10))); do
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$PID" 2>/dev/null && fail "still running $seconds s after $what"
  wait "$PID"
  rc=$?
  PID=""
}

# Ends the game with Escape on its window; it must exit with 0. On another
# code the tail of its standard error is shown: the file given, else $ERR.
escape_and_wait() {
  game_runs
  focus "$1"
  xdotool key Escape
  wait_exit Escape
  [ "$rc" -eq 0 ] || fail_showing_stderr "exit code $rc after Escape" "${2:-}"
}

# Standard error of a normal run: shows the game's own messages, and fails
# on any warning about the game data (a file that does not load, no data
# folder, no font): the data is a build product and must be there.
expect_no_data_warnings() {
  grep "^morvane:" "$1" >&2
  if grep -qE "morvane: warning: (cannot load|game data not found|cannot read the|no Japanese)" "$1"; then
    fail "the game warned about its data (above)"
  fi
}

# ---- screenshots of the game window

# The window's 1280 x 720 client area as the player sees the screen.
shot() { import -window root -crop "1280x720+${WX}+${WY}" +repage "$SHOTS/$1.png" 2>/dev/null || fail "screenshot $1"; }

# The health bar starts at window x 60, y 680; full health draws it green.
hp_bar_green() {
  local r g b
  read -r r g b < <($PIX pixel "$SHOTS/$1.png" 200 680)
  [ "$g" -gt 150 ] && [ "$g" -gt $((r + 80)) ] && [ "$g" -gt $((b + 80)) ]
}

# The ammunition counter read back from a screenshot, e.g. "20/300".
counter() { $PIX digits "$SHOTS/$1.png" "$DATA/number.png"; }

# Correlation of a picture of Data/ drawn at window (cx, cy) scaled by s.
sprite_match() { $PIX match "$SHOTS/$1.png" "$DATA/$2" "$3" "$4" "$5"; }
expect_sprite() {
  local c
  c=$(sprite_match "$@")
  echo "  $1: $2 correlation $c"
  awk -v c="$c" 'BEGIN { exit !(c > 0.6) }' || fail "$2 not seen in $1.png (correlation $c)"
}

# Takes screenshots named <name> every half second until the command (given
# the name) succeeds; returns 1 after the seconds given. When pausing, the
# game runs for RUN_FOR seconds (default 0.3) before each picture and waits
# while the picture is looked at.
wait_shots() {
  local name="$1" seconds="$2" start=$SECONDS
  shift 2
  while true; do
    [ -n "${PID:-}" ] && ! kill -0 "$PID" 2>/dev/null && fail "the game ended while waiting for $name.png"
    if [ -n "${PAUSING:-}" ]; then
      game_runs
      sleep "${RUN_FOR:-0.3}"
      game_waits
    fi
    shot "$name"
    "$@" "$name" && return 0
    [ $((SECONDS - start)) -ge "$seconds" ] && return 1
    [ -n "${PAUSING:-}" ] || sleep 0.5
  done
}

# As wait_shots, but fails with the message after the seconds given.
poll_shots() {
  local name="$1" seconds="$2" message="$3"
  shift 3
  wait_shots "$name" "$seconds" "$@" || fail "$message (after $seconds s; last picture $SHOTS/$name.png)"
}

# From the title into the game: waits for the start button, clicks it (again
# while the title stays unchanged) and waits for the game's HUD with a full
# magazine, 20/300. With PAUSING set, the game runs only between the
# pictures from the click on, and stands still once the HUD shows.
start_from_title() {
  start_button_shown() { awk -v c="$(sprite_match "$1" cliclstart.png 640 610 1.2)" 'BEGIN { exit !(c > 0.6) }'; }
  poll_shots title 60 "no start button on the title" start_button_shown
  expect_sprite title cliclstart.png 640 610 1.2
  game_runs
  xdotool mousemove --window "$WID" 640 610
  sleep 0.3
  xdotool click 1
  local started="" i
  for i in $(seq 1 240); do
    sleep 0.5
    kill -0 "$PID" 2>/dev/null || fail "the game exited while starting"
    # When pausing, the game stands still while the picture is looked at,
    # and still once the game with its HUD shows.
    game_waits
    shot game
    if hp_bar_green game; then started=yes; break; fi
    game_runs
    if [ $((i % 6)) -eq 0 ] && cmp -s "$SHOTS/game.png" "$SHOTS/title.png"; then
      echo "  the title is unchanged: clicking again"
      xdotool mousemove --window "$WID" 640 610
      xdotool click 1
    fi
  done
  [ -n "$started" ] || fail "the game with its HUD never showed"
  counter_full() { [ "$(counter "$1")" = "20/300" ]; }
  poll_shots game 30 "the counter never read 20/300" counter_full
  echo "  game: ammunition counter reads 20/300"
}

# One left click fires one round: the counter must leave 20/300. The click
# is as short as xdotool makes it (a few milliseconds), far shorter than a
# frame of a software renderer: the game keeps the press for its next step,
# so it fires, and exactly once (holding the button would fire again every
# 8 steps). Leaves the picture after the shot in fired.png.
fire_once() {
  fired_shown() { [ "$(counter "$1")" != "20/300" ]; }
  game_runs
  xdotool click 1
  poll_shots fired 20 "clicking did not fire" fired_shown
  echo "  after a click: ammunition counter reads $(counter fired)"
}
