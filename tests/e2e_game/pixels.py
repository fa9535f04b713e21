#!/usr/bin/env python3
"""Pixel checks on screenshots of the game window (standard library only;
ImageMagick's `convert` decodes the images).

  pixels.py pixel  <shot> x y                  -> "r g b" of one pixel
  pixels.py stats  <shot> x y w h              -> mean and spread of the luma in a box
  pixels.py digits <shot> <number.png>         -> the ammunition counter read back, e.g. "20/300"
  pixels.py match  <shot> <texture> cx cy s    -> correlation of a sprite drawn at (cx, cy)
                                                  (window pixels, its centre) scaled by s
"""
import math
import subprocess
import sys


def read_pnm(path, extra=()):
    data = subprocess.run(["convert", path, *extra, "-depth", "8", "ppm:-"], check=True,
                          stdout=subprocess.PIPE).stdout
    # P6 header: magic, width, height, maxval, each separated by whitespace.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            while data[pos:pos + 1] not in (b"\n", b""):
                pos += 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos:pos + width * height * 3]


class Image:
    def __init__(self, path, alpha=False):
        self.w, self.h, self.rgb = read_pnm(path)
        self.alpha = None
        if alpha:
            _, _, a = read_pnm(path, ("-alpha", "extract"))
            self.alpha = a

    def px(self, x, y):
        i = (y * self.w + x) * 3
        return self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]

    def luma(self, x, y):
        r, g, b = self.px(x, y)
        return 0.3 * r + 0.6 * g + 0.1 * b

    def a(self, x, y):
        return 255 if self.alpha is None else self.alpha[(y * self.w + x) * 3]


def correlation(xs, ys):
    n = len(xs)
    mx, my = sum(xs) / n, sum(ys) / n
    sxy = sum((a - mx) * (b - my) for a, b in zip(xs, ys))
    sxx = sum((a - mx) ** 2 for a in xs)
    syy = sum((b - my) ** 2 for b in ys)
    if sxx == 0 or syy == 0:
        return 0.0
    return sxy / math.sqrt(sxx * syy)


def cell_score(shot, strip, cell, left, top):
    """Best correlation of one 15 x 26 cell of the number strip with the
    window at (left, top), allowing a pixel of slack each way."""
    best = -1.0
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            xs, ys = [], []
            for v in range(26):
                for u in range(15):
                    x, y = left + u + dx, top + v + dy
                    if not (0 <= x < shot.w and 0 <= y < shot.h):
                        continue
                    # The cell over a mid grey: light face, dark rim, grey elsewhere.
                    a = strip.a(cell * 15 + u, v) / 255.0
                    xs.append(a * strip.luma(cell * 15 + u, v) + (1.0 - a) * 128.0)
                    ys.append(shot.luma(x, y))
            best = max(best, correlation(xs, ys))
    return best


def read_counter(shot, strip):
    # Cell centres at sprite x 542 + 15 i, y -332: window x 1182 + 15 i, y 692.
    out = []
    for i in range(6):
        left, top = 1182 + 15 * i - 8, 692 - 13
        scores = [cell_score(shot, strip, d, left, top) for d in range(11)]
        best = max(range(11), key=lambda d: scores[d])
        out.append("/" if best == 10 else str(best))
    return "".join(out)


def match(shot, tex, cx, cy, scale):
    xs, ys = [], []
    w, h = tex.w * scale, tex.h * scale
    step = max(1, int(min(w, h) / 40))
    for y in range(int(cy - h / 2) + 1, int(cy + h / 2) - 1, step):
        for x in range(int(cx - w / 2) + 1, int(cx + w / 2) - 1, step):
            if not (0 <= x < shot.w and 0 <= y < shot.h):
                continue
            u = min(tex.w - 1, int((x + 0.5 - (cx - w / 2)) / scale))
            v = min(tex.h - 1, int((y + 0.5 - (cy - h / 2)) / scale))
            if tex.a(u, v) < 250:
                continue  # translucent texels show the scene behind
            xs.append(tex.luma(u, v))
            ys.append(shot.luma(x, y))
    return correlation(xs, ys) if len(xs) > 50 else 0.0


def main(argv):
    cmd = argv[1]
    if cmd == "pixel":
        shot = Image(argv[2])
        print(*shot.px(int(argv[3]), int(argv[4])))
    elif cmd == "stats":
        shot = Image(argv[2])
        x0, y0, w, h = map(int, argv[3:7])
        values = [shot.luma(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w)]
        mean = sum(values) / len(values)
        spread = math.sqrt(sum((v - mean) ** 2 for v in values) / len(values))
        print("%.1f %.1f" % (mean, spread))
    elif cmd == "digits":
        print(read_counter(Image(argv[2]), Image(argv[3], alpha=True)))
    elif cmd == "match":
        cx, cy, s = float(argv[4]), float(argv[5]), float(argv[6])
        print("%.3f" % match(Image(argv[2]), Image(argv[3], alpha=True), cx, cy, s))
    else:
        sys.exit("unknown command " + cmd)


if __name__ == "__main__":
    main(sys.argv)
