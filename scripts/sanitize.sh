#!/usr/bin/env bash
# Builds the game, its tools and tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan and runs a chosen set of CTest
# tests under a virtual X server with leak detection on:
#   scripts/sanitize.sh                 unit tests, damaged-data runs, headless playthroughs
#   scripts/sanitize.sh '<ctest regex>' only the tests matching the regex
# Any sanitizer report fails the test that caused it (halt on the first
# error, undefined behaviour included). Leaks inside the system's X, Mesa,
# fontconfig and sound libraries are suppressed (scripts/lsan.supp); leaks in
# the game's code are not.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build-asan"
JOBS=${JOBS:-2}

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
export LIBGL_ALWAYS_SOFTWARE=1
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"

cmake -S "$ROOT" -B "$BUILD" -DMORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$JOBS"

cd "$BUILD"
CTEST_ARGS=(--output-on-failure -j"$JOBS")
if [ $# -gt 0 ]; then
  CTEST_ARGS+=(-R "$1")
else
  # Everything but the install checks, the validator of the data files (not
  # the game's code), the contact sheets and the long rendered playthrough.
  CTEST_ARGS+=(-E "^(e2e_install|gltf_validator|contactsheet)|playthrough_rendered")
fi
if [ -n "${DISPLAY:-}" ]; then
  ctest "${CTEST_ARGS[@]}"
else
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" ctest "${CTEST_ARGS[@]}"
fi
