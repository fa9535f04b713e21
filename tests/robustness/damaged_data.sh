#!/usr/bin/env bash
# Runs the opening minute of the game on a damaged copy of the game data.
#   damaged_data.sh <morvane_robustrun> <Data folder> <truncated|missing> <headless|window> <frames>
# truncated: every file of a copy of Data/ cut to half its size;
# missing:   no Data/ folder at all.
# Passes when the run exits with 0 after every frame, nothing was reported by
# a sanitizer (when built with one), and the damage was reported: one warning
# per unreadable texture, model and sound, or none of those when the whole
# folder is missing (start-up says that once). Exit 77 (skipped) when a
# windowed run finds no display.
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

case "$DAMAGE" in
  truncated)
    cp -r "$DATA" "$WORK/Data"
    count=0
    while IFS= read -r -d '' f; do
      size=$(stat -c %s "$f")
      truncate -s $((size / 2)) "$f"
      count=$((count + 1))
    done < <(find "$WORK/Data" -type f -print0)
    [ "$count" -gt 0 ] || fail "no files to damage in $DATA"
    echo "cut $count files to half their size"
    ;;
  missing) ;;
  *) fail "unknown damage '$DAMAGE'" ;;
esac

args=(--frames "$FRAMES")
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

warnings=$(grep -c "morvane: warning: cannot load" "$ERR")
if [ "$DAMAGE" = truncated ]; then
  for kind in texture model sound; do
    grep -q "morvane: warning: cannot load $kind Data/.* (damaged or unsupported file)" "$ERR" ||
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
