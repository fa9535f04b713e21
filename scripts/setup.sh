#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test the game.
# Safe to run repeatedly.
set -euo pipefail
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
PKGS=(
  build-essential cmake pkg-config git
  libsdl2-dev libepoxy-dev libopenal-dev libx11-dev
  libtinygltf-dev nlohmann-json3-dev libstb-dev libimgui-dev
  fonts-dejavu-core fonts-ipafont-gothic
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick xfonts-base
  libgl1-mesa-dri libglx-mesa0 mesa-utils
  libopenal1 libopenal-data
  clang
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Node and the pinned glTF validator (tests/tools/validate_gltf.js). The
# nodejs package may already bring npm along; install Debian's only if absent.
node_missing=()
command -v node >/dev/null 2>&1 || node_missing+=(nodejs)
command -v npm >/dev/null 2>&1 || node_missing+=(npm)
if [ "${#node_missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${node_missing[@]}"
fi
validator_dir="$(cd "$(dirname "$0")/.." && pwd)/tools/gltf-validate"
if [ ! -f "$validator_dir/node_modules/gltf-validator/package.json" ]; then
  (cd "$validator_dir" && npm install --no-audit --no-fund)
fi
