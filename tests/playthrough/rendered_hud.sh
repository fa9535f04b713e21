#!/bin/bash
# The rendered opening of the winning route in the real window, then the
# HUD in its pictures read back against the game's state at each picture.
# Exits 77 (skipped) when there is no display to play on.
set -u
tool="$1"
shots="$2"
rm -rf "$shots"
"$tool" --plan win --game-frames 60 --shots "$shots"
rc=$?
[ "$rc" -eq 0 ] || exit "$rc"
exec python3 "$(dirname "$0")/check_hud.py" "$shots" Data/number.png
