#!/usr/bin/env bash
# Builds the loader fuzzers with clang and runs them for a bounded time.
#   tests/fuzz/run_fuzz.sh [gltf|image|wav|all] [seconds]     (defaults: gltf, 60)
# "all" runs the three in turn, each for the given time. The build folder is
# $MORVANE_FUZZ_BUILD (default build-fuzz); one that is already configured
# (CI passes its sanitized tree, build-asan) is only brought up to date.
# The working corpus is <build>/corpus-<target> (seeded from
# tests/fuzz/corpus*/ and the saved findings in tests/fuzz/regressions/);
# new findings (crash-*, leak-*, oom-*, timeout-*) are written to
# <build>/findings-<target>/ and fail the run.
set -euo pipefail
TARGET=${1:-gltf}
SECONDS_TO_RUN=${2:-60}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${MORVANE_FUZZ_BUILD:-$ROOT/build-fuzz}
case "$TARGET" in
  gltf|image|wav) TARGETS=("$TARGET") ;;
  all) TARGETS=(gltf image wav) ;;
  *) echo "usage: $0 [gltf|image|wav|all] [seconds]" >&2; exit 2 ;;
esac
[[ "$SECONDS_TO_RUN" =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [gltf|image|wav|all] [seconds]" >&2; exit 2; }

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DMORVANE_FUZZ=ON -DMORVANE_BUILD_TOOLS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
grep -q "^MORVANE_FUZZ:BOOL=ON" "$BUILD/CMakeCache.txt" || { echo "$BUILD is not configured with MORVANE_FUZZ=ON" >&2; exit 2; }
for t in "${TARGETS[@]}"; do
  cmake --build "$BUILD" --target "fuzz_${t}_loader" -j2
done

status=0
for t in "${TARGETS[@]}"; do
  case "$t" in
    gltf) SEEDS=corpus; MAX_LEN=65536; DICT=(-dict="$ROOT/tests/fuzz/gltf.dict") ;;
    image) SEEDS=corpus_image; MAX_LEN=16384; DICT=() ;;
    wav) SEEDS=corpus_wav; MAX_LEN=16384; DICT=() ;;
  esac
  CORPUS="$BUILD/corpus-$t"
  FINDINGS="$BUILD/findings-$t"
  mkdir -p "$CORPUS" "$FINDINGS"
  cp -n "$ROOT/tests/fuzz/$SEEDS"/* "$CORPUS/" 2>/dev/null || true
  cp -n "$ROOT/tests/fuzz/regressions/${t}_"* "$CORPUS/" 2>/dev/null || true
  echo "== fuzzing the $t loader for $SECONDS_TO_RUN s"
  # The audio engine of the WAV fuzzer needs no sound card.
  if ! ALSOFT_DRIVERS=null "$BUILD/tests/fuzz/fuzz_${t}_loader" "$CORPUS" "${DICT[@]}" \
      -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -rss_limit_mb=2048 -timeout=30 \
      -artifact_prefix="$FINDINGS/" -print_final_stats=1; then
    status=1
    echo "FUZZING FOUND A FAULT in the $t loader; the input is in $FINDINGS/:" >&2
    ls -l "$FINDINGS" >&2
    echo "Reproduce with: $BUILD/tests/fuzz/fuzz_${t}_loader <input>. After the fix, keep the input as" >&2
    echo "tests/fuzz/regressions/${t}_<what it shows> so that the replay test runs it from then on." >&2
  fi
done
exit "$status"
