#!/bin/sh
# Builds the glTF loader fuzzer with clang and runs it for a bounded time.
#   tests/fuzz/run_fuzz.sh [seconds]     (default 60)
# Findings (crash-*, leak-*, oom-*) are written to build-fuzz/findings/.
set -e
SECONDS_TO_RUN=${1:-60}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD="$ROOT/build-fuzz"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DMORVANE_FUZZ=ON -DMORVANE_BUILD_TOOLS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target fuzz_gltf_loader -j2
mkdir -p "$BUILD/corpus" "$BUILD/findings"
cp -n "$ROOT"/tests/fuzz/corpus/* "$BUILD/corpus/" 2>/dev/null || true
"$BUILD/tests/fuzz/fuzz_gltf_loader" "$BUILD/corpus" \
  -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
  -artifact_prefix="$BUILD/findings/" -print_final_stats=1
