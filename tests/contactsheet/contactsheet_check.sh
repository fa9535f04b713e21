#!/usr/bin/env bash
# Runs the contact sheet tool quickly (three models, three textures) and
# checks its pages; then checks that a missing data folder is refused.
#   contactsheet_check.sh <morvane_contactsheet> <Data folder> <output folder>
set -u
BIN="$1"
DATA="$2"
OUT="$3"
HERE="$(cd "$(dirname "$0")" && pwd)"
SKIP=77

[ -n "${DISPLAY:-}" ] || { echo "no X display; skipped"; exit $SKIP; }
command -v python3 >/dev/null || { echo "FAIL: python3 missing (scripts/setup.sh installs it)" >&2; exit 1; }
[ -d "$DATA" ] || { echo "FAIL: no Data/ tree at $DATA" >&2; exit 1; }

rm -rf "$OUT"
"$BIN" --data "$DATA" --out "$OUT" --limit 3 || { echo "FAIL: the tool exited with $?" >&2; exit 1; }
python3 "$HERE/check_pages.py" "$OUT" || exit 1

# A data folder that does not exist: non-zero exit, a message, no pages.
EMPTY_OUT="$OUT/missing"
if "$BIN" --data "$OUT/no_such_folder" --out "$EMPTY_OUT" 2>"$OUT/missing.err"; then
  echo "FAIL: a missing data folder was reported as success" >&2; exit 1
fi
grep -q "no data folder" "$OUT/missing.err" || { echo "FAIL: no message for a missing data folder" >&2; exit 1; }
[ ! -e "$EMPTY_OUT" ] || { echo "FAIL: pages made without data" >&2; exit 1; }
echo "contact sheet checks passed"
