#!/bin/bash
# Runs the headless winning playthrough twice and compares what the bot saw
# and did (every logged line with its frame number, position, hit points and
# ammunition; the timing is left out). Any difference means the game or the
# bot depends on something other than the input.
set -u
tool="$1"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for run in 1 2; do
  "$tool" --plan win --headless --trace 250 > "$out/run$run.log" 2>&1 || { echo "run $run failed:"; tail -20 "$out/run$run.log"; exit 1; }
  grep -E '^\[frame|^PASSED' "$out/run$run.log" | sed -E 's/, [0-9.]+ s,/,/' > "$out/run$run.txt"
done
if [ "$(wc -l < "$out/run1.txt")" -lt 20 ]; then
  echo "too little logged to compare"; exit 1
fi
if ! diff "$out/run1.txt" "$out/run2.txt"; then
  echo "the two runs differ"; exit 1
fi
echo "both runs identical ($(wc -l < "$out/run1.txt") lines)"
