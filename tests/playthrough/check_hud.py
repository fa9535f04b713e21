#!/usr/bin/env python3
"""Reads the HUD back from the rendered playthrough's pictures and holds it
to the game's state at each picture's frame (the lines of hud.txt the
playthrough writes beside them):

  check_hud.py <shots dir> <number.png>

The ammunition counter: its six digit cells, read by matching the number
strip, must spell the gun's magazine and the player's reserve. The health
bar: its coloured length from the bar's left end (window x 60, row 680) must
be the HUD's shown share of 300 pixels, its colour that share's mix of red
and green, and the share may lag the player's health but never show less.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e_game"))
import pixels  # noqa: E402

BAR_LEFT, BAR_ROW, BAR_WIDTH = 60, 680, 300


def bar_length(shot):
    """Coloured pixels of the health bar from its left end; the rest of its
    300 pixels must be the black backing."""
    length = 0
    for x in range(BAR_LEFT, BAR_LEFT + BAR_WIDTH):
        r, g, b = shot.px(x, BAR_ROW)
        if max(r, g) > 40 and b < 40:
            length += 1
        else:
            break
    backing = [max(shot.px(x, BAR_ROW)) for x in range(BAR_LEFT + length + 1, BAR_LEFT + BAR_WIDTH)]
    return length, (max(backing) if backing else 0)


def check(shots_dir, strip_path):
    strip = pixels.Image(strip_path, alpha=True)
    lines = open(os.path.join(shots_dir, "hud.txt")).read().split("\n")
    checked, faults = 0, []
    for line in filter(None, lines):
        fields = line.split()
        name, values = fields[0], dict(zip(fields[1::2], fields[2::2]))
        magazine, reserve = int(values["magazine"]), int(values["reserve"])
        hp, max_hp = int(values["hp"]), int(values["max_hp"])
        shown, fade = float(values["hp_shown"]), float(values["fade"])
        if fade > 0:
            continue  # the fade covers the HUD
        shot = pixels.Image(os.path.join(shots_dir, name))
        checked += 1

        expected = "%02d/%03d" % (min(max(magazine, 0), 99), min(max(reserve, 0), 999))
        counter = pixels.read_counter(shot, strip)
        if counter != expected:
            faults.append("%s: the counter reads %s, the game has %s" % (name, counter, expected))

        length, backing = bar_length(shot)
        want = int(shown * BAR_WIDTH)
        if abs(length - want) > 1:
            faults.append("%s: the health bar is %d pixels long, the HUD shows %.3f of %d (%d pixels)"
                          % (name, length, shown, BAR_WIDTH, want))
        if backing > 40:
            faults.append("%s: the health bar's backing after %d pixels is not black (%d)" % (name, length, backing))
        if length > 4:
            r, g, _ = shot.px(BAR_LEFT + length // 2, BAR_ROW)
            mix = g / float(r + g)
            if abs(mix - shown) > 0.1:
                faults.append("%s: the health bar's green share is %.2f, the HUD shows %.3f" % (name, mix, shown))
        if max_hp <= 0 or shown < hp / float(max_hp) - 1e-3:
            faults.append("%s: the HUD shows %.3f of the health, the player has %d of %d" % (name, shown, hp, max_hp))
        print("%s: counter %s (game %s), health bar %d pixels (HUD %.3f, player %d/%d)"
              % (name, counter, expected, length, shown, hp, max_hp))
    if checked < 2:
        faults.append("only %d pictures of the game to check" % checked)
    for fault in faults:
        print("FAULT " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(check(sys.argv[1], sys.argv[2]))
