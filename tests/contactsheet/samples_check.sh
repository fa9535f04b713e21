#!/usr/bin/env bash
# Runs the contact sheet tool on the sample models (packed and data-URI
# pictures, flat shapes, a sparse accessor) and checks their pages; then on
# a copy of the packed cube whose picture is damaged, which must count as a
# problem naming the texture.
#   samples_check.sh <morvane_contactsheet> <sample models folder> <output folder>
set -u
BIN="$1"
SAMPLES="$2"
OUT="$3"
HERE="$(cd "$(dirname "$0")" && pwd)"
SKIP=77

[ -n "${DISPLAY:-}" ] || { echo "no X display; skipped"; exit $SKIP; }
command -v python3 >/dev/null || { echo "FAIL: python3 missing (scripts/setup.sh installs it)" >&2; exit 1; }
[ -f "$SAMPLES/packed_cube.glb" ] || { echo "FAIL: no sample models in $SAMPLES" >&2; exit 1; }

rm -rf "$OUT"
mkdir -p "$OUT"
"$BIN" --data "$SAMPLES" --out "$OUT/pages" >"$OUT/run.log" 2>&1 || {
  cat "$OUT/run.log" >&2; echo "FAIL: the tool exited with $? on the sample models" >&2; exit 1; }
grep -q "^6 models on 2 pages, 0 textures on 0 pages, 0 problems$" "$OUT/run.log" || {
  cat "$OUT/run.log" >&2; echo "FAIL: not every sample model listed, or problems counted" >&2; exit 1; }
python3 "$HERE/check_samples.py" "$OUT/pages" || exit 1

# The packed cube with its first picture's data overwritten: the model
# loads, its face texture does not, and that is a problem the tool names.
mkdir -p "$OUT/damaged"
python3 - "$SAMPLES/packed_cube.glb" "$OUT/damaged/broken_cube.glb" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
at = data.index(b"IDAT") + 4
data[at:at + 16] = b"\xff" * 16
open(sys.argv[2], "wb").write(data)
PY
if "$BIN" --data "$OUT/damaged" --out "$OUT/damaged_pages" >"$OUT/damaged.log" 2>&1; then
  cat "$OUT/damaged.log" >&2; echo "FAIL: a damaged picture was reported as success" >&2; exit 1
fi
grep -q '^contactsheet: broken_cube.glb: texture image 0 "face.png" (in the file): damaged picture$' "$OUT/damaged.log" || {
  cat "$OUT/damaged.log" >&2; echo "FAIL: the damaged texture is not named" >&2; exit 1; }
grep -q "^1 models on 1 pages, 0 textures on 0 pages, 1 problems$" "$OUT/damaged.log" || {
  cat "$OUT/damaged.log" >&2; echo "FAIL: the damaged texture is not counted once" >&2; exit 1; }
echo "contact sheet sample checks passed"
