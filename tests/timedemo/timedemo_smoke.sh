#!/bin/bash
# Runs the time demo briefly and checks that it reports every figure.
#   timedemo_smoke.sh <morvane_timedemo> <recorded log>
set -u
tool=$1
log=$2
fail=0

# Every figure line with numbers in it.
check_figures() {
    local out=$1 what=$2
    for line in "update ms" "draw ms (finished)" "whole frame ms" "ray queries / frame"; do
        if ! grep -Eq "^  ${line//(/\\(} +median +[0-9.]+ +p99 +[0-9.]+ +max +[0-9.]+" <<<"$out"; then
            echo "FAIL: $what: no \"$line\" figures"
            fail=1
        fi
    done
    grep -Eq "peak memory +[0-9.]+ MB" <<<"$out" || { echo "FAIL: $what: no peak memory"; fail=1; }
}

# The crowd in the hall, headless: rendered frames on the software renderer
# are far too slow for a test run (see README, Benchmarks).
out=$("$tool" stress --frames 30 --warmup 5 --headless 2>/dev/null)
rc=$?
echo "$out"
[ $rc -eq 0 ] || { echo "FAIL: stress run exited with $rc"; fail=1; }
check_figures "$out" "stress"
grep -Eq "80 zombies placed, 80 of them chasing" <<<"$out" || { echo "FAIL: the crowd is not awake"; fail=1; }
grep -Eq "^frames: 30 \(30 in the game\), headless" <<<"$out" || { echo "FAIL: stress frame count"; fail=1; }

# The opening of the recorded playthrough, headless: title, click, game.
out=$("$tool" replay "$log" --frames 400 --headless 2>/dev/null)
rc=$?
echo "$out"
[ $rc -eq 0 ] || { echo "FAIL: replay exited with $rc"; fail=1; }
check_figures "$out" "replay"
grep -Eq "^frames: 400 \([1-9][0-9]* in the game\)" <<<"$out" || { echo "FAIL: the replay never reached the game"; fail=1; }

# The end of the playthrough on its own: the first 8,000 input frames played
# at once, unmeasured, must leave the same game, which then reaches the
# recorded ending.
out=$("$tool" replay "$log" --from 8000 --headless 2>/dev/null)
rc=$?
echo "$out"
[ $rc -eq 0 ] || { echo "FAIL: replay from frame 8000 exited with $rc"; fail=1; }
grep -Eq "^frames: 599 " <<<"$out" || { echo "FAIL: replay from frame 8000 did not measure the last 599 frames"; fail=1; }
grep -Eq "^ending: .*\(as recorded\)" <<<"$out" || { echo "FAIL: replay from frame 8000 did not reach the recorded ending"; fail=1; }

# A broken log is refused with a message, not replayed.
bad=$(mktemp)
printf '3 W a1,2\n2 Q a0,0\n' >"$bad"
out=$("$tool" replay "$bad" --headless 2>&1)
rc=$?
rm -f "$bad"
if [ $rc -eq 0 ] || ! grep -q "line 2" <<<"$out"; then
    echo "FAIL: a broken log was not refused ($rc): $out"
    fail=1
fi
exit $fail
