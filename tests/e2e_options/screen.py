#!/usr/bin/env python3
"""What the options screen checks look for in a screenshot (standard library;
ImageMagick decodes the images through the game checks' pixels.py).

  screen.py panel  <shot>                 -> pixels of the options screen's title bar colour
  screen.py yellow <shot> x y w h         -> pixels of the readout's and the focus note's yellow in a box
  screen.py black  <shot> x y w h         -> share of black pixels in a box (0..1)
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e_game"))
from pixels import Image  # noqa: E402


def count(shot, test, box=None):
    x0, y0, w, h = box if box else (0, 0, shot.w, shot.h)
    n = 0
    for y in range(y0, min(y0 + h, shot.h)):
        for x in range(x0, min(x0 + w, shot.w), 2 if box is None else 1):
            if test(*shot.px(x, y)):
                n += 1
    return n


def main(argv):
    cmd, shot = argv[1], Image(argv[2])
    box = tuple(int(v) for v in argv[3:7]) if len(argv) >= 7 else None
    if cmd == "panel":
        # The active title bar: a blue-violet that nothing in the game shows.
        print(count(shot, lambda r, g, b: b > 130 and b > r + 45 and b > g + 45 and abs(r - g) < 25))
    elif cmd == "yellow":
        print(count(shot, lambda r, g, b: r > 180 and g > 150 and b < 120, box))
    elif cmd == "black":
        print("%.3f" % (count(shot, lambda r, g, b: r < 8 and g < 8 and b < 8, box) / float(box[2] * box[3])))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
