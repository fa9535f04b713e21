#!/usr/bin/env bash
# End-to-end checks of the installed game, of the game's options and
# settings file, and of the game on machines that cannot run it.
#   install_e2e.sh layout  <build dir> <scratch dir>
#       installs the build into a scratch prefix and checks the tree: launcher,
#       program, data, desktop entry, icons; the launcher started from another
#       folder runs the game in the data folder (Escape quits with 0), and
#       without the data it says so and exits non-zero
#   install_e2e.sh game    <launcher>
#       from an empty folder: the launcher starts the game, title -> click the
#       start button -> the game with its HUD (20/300) -> Escape, exit code 0
#   install_e2e.sh oldgl   <morvane>
#       under an OpenGL older than 3.3 the game reports it on standard error
#       and in an error box captioned "OpenGL初期化失敗", and exits non-zero
#       without crashing once the box is closed
#   install_e2e.sh shaders <morvane>
#       when its shader programs do not build (Mesa made to refuse their GLSL
#       version) the game says which and why on standard error and in an
#       error box captioned "シェーダー作成失敗", and exits non-zero
#   install_e2e.sh nodata  <morvane>
#       started where there is no Data/ folder the game warns on standard
#       error, still shows its window and quits with 0 on Escape
#   install_e2e.sh options  <morvane>
#       --help and --version answer on standard output with exit code 0
#       without a display, data or settings folder; each kind of bad option
#       gives a message and the usage on standard error and exit code 2 (the
#       parser's every case is in CommandLineTest), control characters in it
#       shown escaped
#   install_e2e.sh settings <morvane>
#       in the game's window: a damaged settings file gives one warning, is
#       kept as settings.json.bad and repaired; run-only options are not
#       written back; a game started with no settings file writes none; a
#       file nested 200,000 deep is damaged, not a crash; a link to a file
#       that is not settings leaves that file alone; the temporary file of a
#       game killed while saving is gone after the next start
set -u
MODE="$1"
source "$(dirname "$0")/../e2e/lib.sh"
TMP=$(mktemp -d)
cleanup() { [ -n "$PID" ] && kill -KILL "$PID" 2>/dev/null; rm -rf "$TMP"; }
trap cleanup EXIT

# Waits for the game's error box, closes it with Return and prints its
# caption. The box is a top-level window named by its caption; xdotool
# cannot match such UTF-8 names, xwininfo lists them.
close_error_box() {
  local line="" wid
  for _ in $(seq 1 150); do
    line=$(xwininfo -root -tree 2>/dev/null | grep -E '^ +0x[0-9a-f]+ "[^"]*失敗' | head -n1)
    [ -n "$line" ] && break
    kill -0 "$PID" 2>/dev/null || return 1
    sleep 0.2
  done
  [ -n "$line" ] || return 1
  wid=$(echo "$line" | awk '{print $1}')
  focus "$wid"
  xdotool key Return
  echo "$line" | sed -E 's/^ +0x[0-9a-f]+ "([^"]*)".*/\1/'
}

# A start-up failure: the game started with the environment given shows an
# error box with the caption, ends once it is closed, with a non-zero exit
# code and no crash; standard error is left in $TMP/err.
startup_failure() {
  local caption="$1" shown rc
  shift
  env "$@" "$BIN" 2>"$TMP/err" &
  PID=$!
  shown=$(close_error_box) || { cat "$TMP/err" >&2; fail "no error box"; }
  echo "  message box: $shown"
  wait_exit "the message box was closed"
  cat "$TMP/err" >&2
  [ "$shown" = "$caption" ] || fail "box captioned '$shown', expected '$caption'"
  [ "$rc" -ne 0 ] || fail "exit code 0 after a failed start"
  [ "$rc" -lt 128 ] || fail "crashed (exit code $rc)"
  if grep -q "Direct3D" "$TMP/err"; then fail "the report names Direct3D"; fi
  echo "  exit code $rc"
}

# Runs the game with the arguments, without a display, in an empty folder;
# sets rc and leaves standard output and error in $TMP/out and $TMP/err.
run_bare() {
  (cd "$TMP/empty" && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$TMP/config" \
     timeout 30 "$BIN" "$@" >"$TMP/out" 2>"$TMP/err")
  rc=$?
}

# The folder the launcher runs the game in: <launcher's folder>/../share/morvane.
data_dir_of() { (cd "$(dirname "$(readlink -f "$1")")/../share/morvane" 2>/dev/null && pwd); }

case "$MODE" in
layout)
  BUILD="$2"
  PREFIX="$3/install-prefix"
  rm -rf "$PREFIX"
  cmake --install "$BUILD" --prefix "$PREFIX" >"$TMP/install.log" 2>&1 || { cat "$TMP/install.log"; fail "cmake --install failed"; }
  for f in bin/morvane libexec/morvane/morvane share/morvane/Data/number.png \
           share/morvane/Data/MAP/title/title.gltf share/applications/morvane.desktop \
           share/icons/hicolor/48x48/apps/morvane.png share/icons/hicolor/256x256/apps/morvane.png; do
    [ -e "$PREFIX/$f" ] || fail "$f not installed"
  done
  [ -x "$PREFIX/bin/morvane" ] && [ -x "$PREFIX/libexec/morvane/morvane" ] || fail "launcher or program not executable"
  # Every file of the generated tree is installed.
  built=$(cd "$BUILD/Data" && find . -type f | sort | md5sum)
  inst=$(cd "$PREFIX/share/morvane/Data" && find . -type f | sort | md5sum)
  [ "$built" = "$inst" ] || fail "the installed Data/ differs from the built one"
  grep -qx "Exec=morvane" "$PREFIX/share/applications/morvane.desktop" || fail "desktop entry does not start the launcher"
  grep -qx "Icon=morvane" "$PREFIX/share/applications/morvane.desktop" || fail "desktop entry names no icon"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$PREFIX/share/applications/morvane.desktop" || fail "desktop entry is not valid"
  fi
  if command -v identify >/dev/null; then
    size=$(identify -format "%wx%h" "$PREFIX/share/icons/hicolor/256x256/apps/morvane.png")
    [ "$size" = 256x256 ] || fail "256x256 icon is $size"
  fi
  echo "ok: installed tree complete"

  # The launcher from another folder: the game runs in the data folder.
  if [ -n "${DISPLAY:-}" ]; then
    mkdir -p "$TMP/elsewhere"
    (cd "$TMP/elsewhere" && exec "$PREFIX/bin/morvane" 2>"$TMP/run.err") &
    PID=$!
    WID=$(wait_window --class morvane) || { cat "$TMP/run.err" >&2; fail "no game window from the launcher"; }
    cwd=$(readlink "/proc/$PID/cwd")
    exe=$(readlink "/proc/$PID/exe")
    [ "$cwd" = "$(cd "$PREFIX/share/morvane" && pwd)" ] || fail "the game runs in $cwd"
    [ "$exe" = "$(cd "$PREFIX/libexec/morvane" && pwd)/morvane" ] || fail "the launcher started $exe"
    sleep 1
    escape_and_wait "$WID" "$TMP/run.err"
    expect_no_data_warnings "$TMP/run.err"
    echo "ok: the launcher started from $TMP/elsewhere runs the game in $cwd"
  else
    echo "no X display: the launcher's start was not checked"
  fi

  # Without the data the launcher refuses with a clear message.
  mv "$PREFIX/share/morvane/Data" "$PREFIX/share/morvane/Data.away"
  out=$(cd "$TMP" && timeout 30 "$PREFIX/bin/morvane" 2>&1)
  rc=$?
  # Help and version need no data.
  help=$(cd "$TMP" && timeout 30 "$PREFIX/bin/morvane" --help 2>&1) || fail "--help without the data: exit code $?"
  version=$(cd "$TMP" && timeout 30 "$PREFIX/bin/morvane" --version 2>&1) || fail "--version without the data: exit code $?"
  mv "$PREFIX/share/morvane/Data.away" "$PREFIX/share/morvane/Data"
  echo "  $out"
  [ "$rc" -ne 0 ] && [ "$rc" -lt 124 ] || fail "exit code $rc without the data"
  echo "$out" | grep -qx "morvane: game data not found in $(cd "$PREFIX/share/morvane" && pwd)" || fail "no clear message without the data"
  echo "$help" | grep -q "^Usage: morvane" || fail "no usage from the launcher's --help: $help"
  [ "$version" = "MORVANE  ver1.0.0" ] || fail "launcher's --version said: $version"
  # The launcher hands the options to the game.
  out=$(cd "$TMP" && timeout 30 "$PREFIX/bin/morvane" --sensitivity fast 2>&1)
  rc=$?
  [ "$rc" -eq 2 ] || fail "a bad option through the launcher: exit code $rc, expected 2"
  echo "$out" | grep -q "^morvane: option '--sensitivity': 'fast'" || fail "the game did not see the option: $out"
  echo "ok: the launcher answers --help and --version without the data and passes options on"
  echo "ok: layout"
  ;;

game)
  LAUNCHER="$2"
  need_display import convert python3
  DATA=$(data_dir_of "$LAUNCHER") || fail "no data folder next to $LAUNCHER"
  SHOTS="${3:-$TMP/shots}"
  mkdir -p "$SHOTS" "$TMP/elsewhere"
  cd "$TMP/elsewhere" || fail "cannot enter $TMP/elsewhere"
  [ -e Data ] && fail "the start folder has a Data/"
  "$LAUNCHER" 2>"$TMP/run.err" &
  PID=$!
  find_game_window "from $LAUNCHER"
  [ "$(readlink "/proc/$PID/cwd")" = "$DATA" ] || fail "the game runs in $(readlink "/proc/$PID/cwd"), not $DATA"
  DATA="$DATA/Data"
  start_from_title
  escape_and_wait "$WID" "$TMP/run.err"
  expect_no_data_warnings "$TMP/run.err"
  echo "ok: $LAUNCHER from $TMP/elsewhere: title, start, HUD 20/300, Escape exit 0"
  ;;

oldgl)
  BIN="$2"
  need_display
  # Mesa reports OpenGL 2.1 (GLSL 1.20) whatever the hardware offers.
  startup_failure "OpenGL初期化失敗" MESA_GL_VERSION_OVERRIDE=2.1 MESA_GLSL_VERSION_OVERRIDE=120
  grep -q "morvane: cannot start OpenGL 3.3 core graphics" "$TMP/err" || fail "no clear message on stderr"
  grep -q "LIBGL_ALWAYS_SOFTWARE=1" "$TMP/err" || fail "no hint at the software renderer"
  echo "ok: OpenGL 2.1 reported"
  ;;

shaders)
  BIN="$2"
  need_display
  # An OpenGL 3.3 context whose GLSL stops at 1.30: the game's programs
  # (GLSL 3.30) do not build.
  startup_failure "シェーダー作成失敗" MESA_GL_VERSION_OVERRIDE=3.3 MESA_GLSL_VERSION_OVERRIDE=130
  grep -q "morvane: cannot build the shader programs" "$TMP/err" || fail "no clear message on stderr"
  grep -qE "(model|effect|sprite|depth)\.(vert|frag)" "$TMP/err" || fail "the report does not say which program failed"
  echo "ok: shader programs that do not build are reported"
  ;;

nodata)
  BIN="$(readlink -f "$2")"
  need_display
  mkdir -p "$TMP/empty"
  (cd "$TMP/empty" && exec "$BIN" 2>"$TMP/err") &
  PID=$!
  WID=$(wait_window --class morvane) || { cat "$TMP/err" >&2; fail "no window without the data"; }
  sleep 2
  kill -0 "$PID" 2>/dev/null || fail "the game ended on its own without the data"
  escape_and_wait "$WID" "$TMP/err"
  cat "$TMP/err" >&2
  grep -q "morvane: warning: game data not found in $TMP/empty" "$TMP/err" || fail "no warning about the missing data"
  echo "ok: no Data/: warned, ran, exit code 0"
  ;;

options)
  BIN="$(readlink -f "$2")"
  mkdir -p "$TMP/empty"
  for help in --help -h "--mute --help"; do
    # shellcheck disable=SC2086
    run_bare $help
    [ "$rc" -eq 0 ] || fail "$help: exit code $rc; $(cat "$TMP/err")"
    grep -q "^Usage: morvane \[OPTION\]" "$TMP/out" || fail "$help: no usage on standard output"
    for option in --fullscreen --windowed --render-scale --mute --sensitivity --version; do
      grep -q -- "$option" "$TMP/out" || fail "$help: the usage does not list $option"
    done
    grep -q "$TMP/config/morvane/settings.json" "$TMP/out" || fail "$help: the usage does not name the settings file"
    [ -s "$TMP/err" ] && fail "$help: wrote to standard error: $(cat "$TMP/err")"
  done
  echo "ok: --help"

  run_bare --version
  [ "$rc" -eq 0 ] || fail "--version: exit code $rc"
  [ "$(cat "$TMP/out")" = "MORVANE  ver1.0.0" ] || fail "--version said: $(cat "$TMP/out")"
  [ -s "$TMP/err" ] && fail "--version wrote to standard error: $(cat "$TMP/err")"
  echo "ok: --version"

  while IFS='|' read -r args says; do
    # shellcheck disable=SC2086
    run_bare $args
    [ "$rc" -eq 2 ] || fail "'$args': exit code $rc, expected 2; $(cat "$TMP/err")"
    [ "$(head -n1 "$TMP/err")" = "morvane: $says" ] || fail "'$args' said: $(head -n1 "$TMP/err")"
    grep -q "^Usage: morvane" "$TMP/err" || fail "'$args': no usage on standard error"
    [ -s "$TMP/out" ] && fail "'$args' wrote to standard output"
    echo "ok: '$args' -> $says"
  done <<'CASES'
--frobnicate|unknown option '--frobnicate'
play|unexpected argument 'play' (the game takes only options)
--sensitivity|option '--sensitivity' needs a value
--render-scale=0.3|option '--render-scale': '0.3' is not auto or a number from 0.5 to 1
--help --bogus|unknown option '--bogus'
CASES
  # An escape sequence in an argument reaches the terminal as text.
  run_bare $'--\e]0;owned\a'
  [ "$rc" -eq 2 ] || fail "an argument with control characters: exit code $rc, expected 2"
  [ "$(head -n1 "$TMP/err")" = "morvane: unknown option '--\\x1b]0;owned\\x07'" ] \
    || fail "an argument with control characters said: $(head -n1 "$TMP/err" | od -c | head -n3)"
  tr -d '\n' <"$TMP/err" | LC_ALL=C grep -q '[[:cntrl:]]' && fail "a control character reached standard error"
  echo "ok: control characters in an argument are shown escaped"
  # None of this touched the settings folder.
  [ -e "$TMP/config" ] && fail "the options wrote $(find "$TMP/config")"
  echo "ok: options"
  ;;

settings)
  BIN="$2"
  need_display
  # Starts the game in the build folder (where Data/ is), waits a second and
  # ends it with Escape; the arguments go to the game.
  play() {
    XDG_CONFIG_HOME="$TMP/config" "$BIN" "$@" 2>"$TMP/err" &
    PID=$!
    WID=$(wait_window --class morvane) || { cat "$TMP/err" >&2; fail "no game window"; }
    sleep 1
    escape_and_wait "$WID" "$TMP/err"
    expect_no_data_warnings "$TMP/err"
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
  echo "ok: a half-right file keeps its good values"

  # 400 kB of brackets: a damaged file like any other, every start.
  python3 -c 'import sys; n = 200000; sys.stdout.write("{\"x\": " + "[" * n + "]" * n + "}")' >"$FILE"
  cp "$FILE" "$TMP/deep"
  # A temporary file of a game killed while saving, whose process is gone.
  sh -c 'exit 0' & dead=$!
  wait $dead
  printf '{' >"$FILE.tmp$dead"
  play
  grep -q "^morvane: warning: settings file $FILE: nested deeper than 32 levels; .* kept as $FILE.bad" "$TMP/err" \
    || fail "warning: $(cat "$TMP/err")"
  cmp -s "$TMP/deep" "$FILE.bad" || fail "the deep file was not kept as it was"
  [ -e "$FILE.tmp$dead" ] && fail "the stale $FILE.tmp$dead is still there"
  echo "ok: a deeply nested file is kept aside and repaired; a stale temporary file is gone"

  # A link to a file that is not settings: warned about, never written.
  printf 'not settings\n' >"$TMP/foreign"
  rm -f "$FILE" "$FILE.bad"
  ln -s "$TMP/foreign" "$FILE"
  # F11 changes a setting during the run: not saved either.
  XDG_CONFIG_HOME="$TMP/config" "$BIN" 2>"$TMP/err" &
  PID=$!
  WID=$(wait_window --class morvane) || { cat "$TMP/err" >&2; fail "no game window"; }
  focus "$WID"
  xdotool key F11
  sleep 1
  escape_and_wait "$WID"
  grep -q "^morvane: warning: settings file $FILE: not valid JSON; the file is a link" "$TMP/err" \
    || fail "warning: $(cat "$TMP/err")"
  [ "$(cat "$TMP/foreign")" = "not settings" ] || fail "the link's target was written: $(cat "$TMP/foreign")"
  [ -L "$FILE" ] && [ ! -e "$FILE.bad" ] || fail "the link was replaced or its target copied: $(ls -l "$TMP/config/morvane")"
  echo "ok: settings"
  ;;

*)
  fail "unknown mode $MODE"
  ;;
esac
