#!/usr/bin/env bash
# Runs the opening minute of the game on a damaged copy of the game data.
#   damaged_data.sh <morvane_robustrun> <Data folder> <truncated|missing|pictures> <headless|window> <frames>
# truncated: every file of a copy of Data/ cut to half its size;
# missing:   no Data/ folder at all;
# pictures:  every PNG and JPEG of a copy of Data/ cut to half its size
#            (models and sounds intact, so the world is drawn).
# Passes when the run exits with 0 after every frame, the title's start
# button started the game, nothing was reported by a sanitizer (when built
# with one), and the damage was reported: one warning per unreadable
# texture, model and sound, or none of those when the whole folder is
# missing (start-up says that once). A windowed run also checks what is
# drawn: with no HUD picture loaded, the screen during play is the world
# picture and nothing else (no black boxes where the pictures would be).
# Exit 77 (skipped) when a windowed run finds no display.
set -u
TOOL="$1"
DATA="$2"
DAMAGE="$3"
MODE="$4"
FRAMES="$5"

fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$TOOL" ] || fail "no tool at $TOOL"
[ -d "$DATA" ] || fail "no generated data at $DATA"
TOOL=$(realpath "$TOOL")
DATA=$(realpath "$DATA")
WORK=$(mktemp -d "${TMPDIR:-/tmp}/morvane_damaged.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# Copies Data/ and cuts the files that find's tests (the arguments) select
# to half their size; $1 names them in the report.
cut_copy() {
  local what="$1" count=0 f size
  shift
  cp -r "$DATA" "$WORK/Data"
  while IFS= read -r -d '' f; do
    size=$(stat -c %s "$f")
    truncate -s $((size / 2)) "$f"
    count=$((count + 1))
  done < <(find "$WORK/Data" -type f "$@" -print0)
  [ "$count" -gt 0 ] || fail "no $what to damage in $DATA"
  echo "cut $count $what to half their size"
}

case "$DAMAGE" in
  truncated) cut_copy files ;;
  pictures) cut_copy pictures \( -name '*.png' -o -name '*.jpg' \) ;;
  missing) ;;
  *) fail "unknown damage '$DAMAGE'" ;;
esac

args=(--frames "$FRAMES" --require-start)
[ "$MODE" = headless ] && args+=(--headless)
OUT="$WORK/out.txt"
ERR="$WORK/err.txt"
(cd "$WORK" && timeout 300 "$TOOL" "${args[@]}" >"$OUT" 2>"$ERR")
rc=$?
# The loader's own lines go to stdout; show a little of each stream.
head -n 5 "$OUT"
tail -n 2 "$OUT"
head -n 20 "$ERR" >&2
[ "$(wc -l <"$ERR")" -gt 20 ] && echo "... $(wc -l <"$ERR") lines on stderr" >&2

if [ "$rc" -eq 77 ]; then echo "no display; skipped"; exit 77; fi
if grep -qE "AddressSanitizer|LeakSanitizer|runtime error:" "$OUT" "$ERR"; then
  grep -E -A 12 "AddressSanitizer|LeakSanitizer|runtime error:" "$ERR" | head -n 60 >&2
  fail "sanitizer report"
fi
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q "robustrun: $FRAMES of $FRAMES frames" "$OUT" || fail "the run did not report all $FRAMES frames"

if [ "$MODE" = window ]; then
  line=$(grep "robustrun: drawn check:" "$OUT") || fail "no drawn check reported"
  compared=$(echo "$line" | sed -E 's/.*check: ([0-9]+) frames.*/\1/')
  [ "$compared" -gt 0 ] || fail "no frame of play was compared with the world picture"
fi

warnings=$(grep -c "morvane: warning: cannot load" "$ERR")
# A warning names the file and, in brackets, why it did not load.
if [ "$DAMAGE" = pictures ]; then
  grep -qE "morvane: warning: cannot load texture Data/[^ ]+ \((damaged picture|not a PNG, JPEG, TGA or HDR picture, or a damaged one)\)$" "$ERR" ||
    fail "no warning for a damaged picture"
  grep -qE "morvane: warning: cannot load texture [^ ]+ of model Data/[^ ]+ \(damaged picture\); it is drawn white$" "$ERR" ||
    fail "no warning for a model's damaged picture"
elif [ "$DAMAGE" = truncated ]; then
  for kind in texture model sound; do
    grep -qE "morvane: warning: cannot load $kind Data/[^ ]+ \(.+\)$" "$ERR" ||
      fail "no warning for a damaged $kind"
  done
  # Each file is reported once, however often it is asked for.
  dupes=$(grep "morvane: warning: cannot load" "$ERR" | sort | uniq -d | wc -l)
  [ "$dupes" -eq 0 ] || fail "$dupes warnings repeated"
else
  [ "$warnings" -eq 0 ] || fail "$warnings per-file warnings although the whole folder is missing"
fi
echo "ok: $DAMAGE data, $MODE, $FRAMES frames, $warnings file warnings"
exit 0
