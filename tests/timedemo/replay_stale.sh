#!/bin/bash
# A recording the game no longer follows must fail loudly. Twenty input lines
# are cut out of the middle of the recorded playthrough, as if the game had
# changed under it: from there on the recorded steps and turns no longer fit
# what the game shows. The replay must exit 1 and say how to record anew.
#   replay_stale.sh <morvane_timedemo> <recorded log>
set -u
tool=$1
log=$2
stale=$(mktemp)
trap 'rm -f "$stale"' EXIT
sed '1000,1019d' "$log" >"$stale"
out=$("$tool" replay "$stale" --headless 2>&1 >/dev/null)
rc=$?
echo "$out"
[ $rc -eq 1 ] || { echo "FAIL: a stale recording gave exit code $rc, expected 1"; exit 1; }
grep -q "^REPLAY DIVERGED" <<<"$out" || { echo "FAIL: no divergence reported"; exit 1; }
grep -q "morvane_timedemo record ../tools/timedemo/playthrough.log" <<<"$out" ||
    { echo "FAIL: the message does not say how to record anew"; exit 1; }
echo "ok: the stale recording was refused"
