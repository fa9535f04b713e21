#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the whole test suite under a
# virtual X server (the rendering tests use Mesa's software OpenGL). Then
# builds the Debian package, installs it, plays the start of a game through
# the installed launcher from another folder, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build
export LIBGL_ALWAYS_SOFTWARE=1
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" ctest --output-on-failure -j"$(nproc)"

# The package as a player gets it.
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
exit "$rc"
