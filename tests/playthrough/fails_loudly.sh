#!/bin/bash
# A run cut short by a frame limit must fail: non-zero exit, and a report
# with the frame, the player's position and the goal it was working on.
set -u
tool="$1"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$tool" --plan win --headless --frame-limit 400 > "$log" 2>&1
rc=$?
if [ "$rc" -eq 0 ]; then echo "a run that ran out of frames exited 0"; cat "$log"; exit 1; fi
if ! grep -Eq '^\[frame +401\] FAILED \(goal "[^"]+"\): frame limit reached at \(-?[0-9.]+, -?[0-9.]+, -?[0-9.]+\)' "$log"; then
  echo "no failure report with frame, goal and position:"; tail -5 "$log"; exit 1
fi
grep -E 'FAILED' "$log"
