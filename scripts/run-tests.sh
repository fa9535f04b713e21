#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the whole test suite under a
# virtual X server (the rendering tests use Mesa's software OpenGL). Then, one
# stage after the other:
#   - builds the game, tools, tests and loader fuzzers with clang,
#     AddressSanitizer and UndefinedBehaviorSanitizer (scripts/sanitize.sh)
#     and runs the unit tests, the headless playthroughs, the recorded
#     replay, the damaged-data runs and the fuzzers' replays of their seeds
#     and saved findings under them;
#   - fuzzes each loader for FUZZ_SECONDS (default 30) seconds
#     (tests/fuzz/run_fuzz.sh);
#   - builds the Debian package, installs it, plays the start of a game
#     through the installed launcher from another folder, and removes the
#     package again.
# The time of each stage is printed at the end, also when one fails: the
# time it took and the processor time its programs used (on a machine
# shared with other work the first grows, the second hardly).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=$(nproc)
FUZZ_SECONDS=${FUZZ_SECONDS:-30}

# Processor seconds (user and system) of the finished child processes, into
# CPU ("times" must run in this shell, not in a subshell).
CPU_FILE=$(mktemp)
read_cpu() {
  times >"$CPU_FILE"
  CPU=$(tail -n 1 "$CPU_FILE" | awk '{
    t = 0
    for (i = 1; i <= 2; ++i) { split($i, p, "m"); t += p[1] * 60 + p[2] }
    printf "%d", t }')
}
START=$SECONDS
LAST=$SECONDS
LAST_CPU=0
TIMES=()
stage_done() {
  read_cpu
  TIMES+=("$(printf '%-18s %5d s  %5d s' "$1" $((SECONDS - LAST)) $((CPU - LAST_CPU)))")
  LAST=$SECONDS
  LAST_CPU=$CPU
}
print_times() {
  local rc=$?
  read_cpu
  rm -f "$CPU_FILE"
  echo "== stage times ($(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) at the end)"
  printf '  %-18s %7s  %7s\n' "stage" "time" "cpu"
  [ "${#TIMES[@]}" -gt 0 ] && printf '  %s\n' "${TIMES[@]}"
  [ "$rc" -ne 0 ] && printf '  %-18s %5d s (failed)\n' "next stage" $((SECONDS - LAST))
  printf '  %-18s %5d s  %5d s\n' "total" $((SECONDS - START)) "$CPU"
}
trap print_times EXIT

bash scripts/setup.sh
stage_done "setup"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$JOBS"
stage_done "build"

export LIBGL_ALWAYS_SOFTWARE=1
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
(cd build && xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" ctest --output-on-failure -j"$JOBS")
stage_done "tests"

JOBS=$JOBS bash scripts/sanitize.sh --build-only
stage_done "sanitized build"
JOBS=$JOBS bash scripts/sanitize.sh --no-build
stage_done "sanitized tests"

MORVANE_FUZZ_BUILD="$ROOT/build-asan" bash tests/fuzz/run_fuzz.sh all "$FUZZ_SECONDS"
stage_done "fuzzing"

# The package as a player gets it.
cd build
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
rm -f morvane_*.deb
cpack -G DEB
deb=$(ls morvane_*.deb)
dpkg-deb --info "$deb"
export DEBIAN_FRONTEND=noninteractive
if dpkg-query -W -f='${Status}' morvane 2>/dev/null | grep -q "install ok installed"; then
  $SUDO apt-get remove -y morvane
fi
$SUDO apt-get install -y --no-install-recommends "./$deb"
[ "$(command -v morvane)" = /usr/bin/morvane ] || { echo "the installed launcher is not the one on the PATH" >&2; exit 1; }
rc=0
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
  bash ../tests/e2e_install/install_e2e.sh game "$(command -v morvane)" "$PWD/e2e_install_shots" || rc=$?
$SUDO apt-get remove -y morvane
[ "$rc" -eq 0 ] && stage_done "package"
exit "$rc"
