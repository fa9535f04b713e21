#!/bin/sh
# Builds one loader fuzzer with clang and runs it for a bounded time.
#   tests/fuzz/run_fuzz.sh [gltf|image|wav] [seconds]     (defaults: gltf, 60)
# The working corpus is build-fuzz/corpus-<target> (seeded from
# tests/fuzz/corpus*/); findings (crash-*, leak-*, oom-*, timeout-*) are
# written to build-fuzz/findings-<target>/.
set -e
TARGET=${1:-gltf}
SECONDS_TO_RUN=${2:-60}
case "$TARGET" in
  gltf) SEEDS=corpus; MAX_LEN=65536 ;;
  image) SEEDS=corpus_image; MAX_LEN=16384 ;;
  wav) SEEDS=corpus_wav; MAX_LEN=16384 ;;
  *) echo "usage: $0 [gltf|image|wav] [seconds]" >&2; exit 2 ;;
esac
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD="$ROOT/build-fuzz"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DMORVANE_FUZZ=ON -DMORVANE_BUILD_TOOLS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target "fuzz_${TARGET}_loader" -j2
CORPUS="$BUILD/corpus-$TARGET"
FINDINGS="$BUILD/findings-$TARGET"
mkdir -p "$CORPUS" "$FINDINGS"
cp -n "$ROOT/tests/fuzz/$SEEDS"/* "$CORPUS/" 2>/dev/null || true
# The audio engine of the WAV fuzzer needs no sound card.
ALSOFT_DRIVERS=null "$BUILD/tests/fuzz/fuzz_${TARGET}_loader" "$CORPUS" \
  -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -rss_limit_mb=2048 -timeout=30 \
  -artifact_prefix="$FINDINGS/" -print_final_stats=1
