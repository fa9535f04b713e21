#!/usr/bin/env bash
# Sets up the machine, builds the game with its data and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMORVANE_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)" --target morvane game_data
cd build
exec ./morvane
