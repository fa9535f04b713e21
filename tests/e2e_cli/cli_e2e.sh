#!/usr/bin/env bash
# The real game binary's command line and settings file.
#   cli_e2e.sh options  <morvane>
#       --help and --version answer on standard output with exit code 0
#       without a display, data or settings folder; every bad option gives a
#       message and the usage on standard error and exit code 2
#   cli_e2e.sh settings <morvane>
#       in the game's window: a damaged settings file gives one warning, is
#       kept as settings.json.bad and repaired; run-only options are not
#       written back; a game started with no settings file writes none
set -u
MODE="$1"
BIN="$2"
SKIP=77
PID=""
TMP=$(mktemp -d)
cleanup() { [ -n "$PID" ] && kill -KILL "$PID" 2>/dev/null; rm -rf "$TMP"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs the game with the arguments, without a display, in an empty folder;
# sets rc and leaves standard output and error in $TMP/out and $TMP/err.
run() {
  (cd "$TMP/empty" && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$TMP/config" \
     timeout 30 "$BIN" "$@" >"$TMP/out" 2>"$TMP/err")
  rc=$?
}

case "$MODE" in
options)
  mkdir -p "$TMP/empty"
  for help in --help -h "--mute --help"; do
    # shellcheck disable=SC2086
    run $help
    [ "$rc" -eq 0 ] || fail "$help: exit code $rc; $(cat "$TMP/err")"
    grep -q "^Usage: morvane \[OPTION\]" "$TMP/out" || fail "$help: no usage on standard output"
    for option in --fullscreen --windowed --render-scale --mute --sensitivity --version; do
      grep -q -- "$option" "$TMP/out" || fail "$help: the usage does not list $option"
    done
    grep -q "$TMP/config/morvane/settings.json" "$TMP/out" || fail "$help: the usage does not name the settings file"
    [ -s "$TMP/err" ] && fail "$help: wrote to standard error: $(cat "$TMP/err")"
  done
  echo "ok: --help"

  run --version
  [ "$rc" -eq 0 ] || fail "--version: exit code $rc"
  [ "$(cat "$TMP/out")" = "MORVANE  ver1.0.0" ] || fail "--version said: $(cat "$TMP/out")"
  [ -s "$TMP/err" ] && fail "--version wrote to standard error: $(cat "$TMP/err")"
  echo "ok: --version"

  while IFS='|' read -r args says; do
    # shellcheck disable=SC2086
    run $args
    [ "$rc" -eq 2 ] || fail "'$args': exit code $rc, expected 2; $(cat "$TMP/err")"
    [ "$(head -n1 "$TMP/err")" = "morvane: $says" ] || fail "'$args' said: $(head -n1 "$TMP/err")"
    grep -q "^Usage: morvane" "$TMP/err" || fail "'$args': no usage on standard error"
    [ -s "$TMP/out" ] && fail "'$args' wrote to standard output"
    echo "ok: '$args' -> $says"
  done <<'CASES'
--frobnicate|unknown option '--frobnicate'
play|unexpected argument 'play' (the game takes only options)
--sensitivity|option '--sensitivity' needs a value
--sensitivity fast|option '--sensitivity': 'fast' is not a number from 0.1 to 10
--sensitivity=20|option '--sensitivity': '20' is not a number from 0.1 to 10
--render-scale 0.3|option '--render-scale': '0.3' is not auto or a number from 0.5 to 1
--render-scale|option '--render-scale' needs a value
--mute=1|option '--mute' takes no value
--help --bogus|unknown option '--bogus'
CASES
  # None of this touched the settings folder.
  [ -e "$TMP/config" ] && fail "the options wrote $(find "$TMP/config")"
  echo "ok: options"
  ;;

settings)
  [ -n "${DISPLAY:-}" ] || { echo "no X display; skipped"; exit $SKIP; }
  command -v xdotool >/dev/null || { echo "xdotool missing; skipped"; exit $SKIP; }
  # Starts the game in the build folder (where Data/ is), plays a second and
  # ends it with Escape; extra arguments go to the game.
  play() {
    XDG_CONFIG_HOME="$TMP/config" "$BIN" "$@" 2>"$TMP/err" &
    PID=$!
    local wid=""
    for _ in $(seq 1 150); do
      wid=$(xdotool search --onlyvisible --class morvane 2>/dev/null | head -n1)
      [ -n "$wid" ] && break
      kill -0 "$PID" 2>/dev/null || { cat "$TMP/err" >&2; fail "the game ended before its window showed"; }
      sleep 0.2
    done
    [ -n "$wid" ] || fail "no game window"
    sleep 1
    xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
    xdotool key Escape
    for _ in $(seq 1 100); do
      kill -0 "$PID" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$PID" 2>/dev/null && fail "still running 10 s after Escape"
    wait "$PID"
    rc=$?
    PID=""
    [ "$rc" -eq 0 ] || { cat "$TMP/err" >&2; fail "exit code $rc"; }
  }
  FILE="$TMP/config/morvane/settings.json"

  play --sensitivity 3
  [ -e "$TMP/config" ] && fail "a game without a settings file wrote $(find "$TMP/config")"
  grep -q settings "$TMP/err" && fail "a missing settings file was reported: $(cat "$TMP/err")"
  echo "ok: no settings file, none written"

  mkdir -p "$TMP/config/morvane"
  printf '{"master_volume": 0.4, "mouse_sensitivity": "fast", "invert_y": true' >"$FILE"
  cp "$FILE" "$TMP/damaged"
  play --mute
  grep -c "settings" "$TMP/err" | grep -qx 1 || fail "not one warning line: $(cat "$TMP/err")"
  grep -q "^morvane: warning: settings file $FILE: not valid JSON; .* kept as $FILE.bad" "$TMP/err" \
    || fail "warning: $(cat "$TMP/err")"
  cmp -s "$TMP/damaged" "$FILE.bad" || fail "the damaged file was not kept as it was"
  python3 - "$FILE" <<'PY' || fail "the repaired file: $(cat "$FILE")"
import json, sys
s = json.load(open(sys.argv[1]))
assert s["mute"] is False, "the run-only --mute was written"
assert s["mouse_sensitivity"] == 1 and s["master_volume"] == 1, s
PY
  echo "ok: damaged file warned about, kept as .bad and repaired"

  # Half right: the good values stay, the bad one takes its default.
  printf '{"master_volume": 0.4, "mouse_sensitivity": 99}' >"$FILE"
  play
  grep -q "mouse_sensitivity 99 is out of range 0.1..10" "$TMP/err" || fail "warning: $(cat "$TMP/err")"
  python3 -c 'import json,sys; s=json.load(open(sys.argv[1])); assert s["master_volume"]==0.4 and s["mouse_sensitivity"]==1, s' \
    "$FILE" || fail "the repaired file: $(cat "$FILE")"
  play
  [ -s "$TMP/err" ] && grep -q settings "$TMP/err" && fail "the repaired file was warned about: $(cat "$TMP/err")"
  echo "ok: settings"
  ;;
esac
