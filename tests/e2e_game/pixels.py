#!/usr/bin/env python3
"""Pixel checks on screenshots of the game window (standard library only;
ImageMagick's `convert` decodes the images).

  pixels.py pixel  <shot> x y                  -> "r g b" of one pixel
  pixels.py stats  <shot> x y w h              -> mean and spread of the luma in a box
  pixels.py digits <shot> <number.png>         -> the ammunition counter read back, e.g. "20/300"
  pixels.py match  <shot> <texture> cx cy s    -> correlation of a sprite drawn at (cx, cy)
                                                  (window pixels, its centre) scaled by s
  pixels.py motion <before> <after>            -> how the view moved between two shots:
                                                  "dx dy zoom fit", see view_motion
  pixels.py change <before> <after> x y w h    -> mean luma difference in a box
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


def profile(path, x, y, w, h, across, step=4):
    """Mean luma of each group of `step` columns (across=True) or rows of a
    box, computed by ImageMagick's box scaling."""
    size = "%dx1!" % (w // step) if across else "1x%d!" % (h // step)
    data = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                           "-colorspace", "gray", "-scale", size, "-depth", "8", "gray:-"],
                          check=True, stdout=subprocess.PIPE).stdout
    return [float(v) for v in data]


def best_shift(a, b, most):
    """The shift s (b[x + s] ~ a[x]) that correlates best, and that correlation."""
    n = len(a)
    best = (-2.0, 0)
    for s in range(-most, most + 1):
        lo, hi = max(0, -s), min(n, n - s)
        if hi - lo < n // 2:
            continue
        c = correlation(a[lo:hi], b[lo + s:hi + s])
        if c > best[0]:
            best = (c, s)
    return best


def best_zoom(a, b, centre):
    """The magnification k about the centre (b[x] ~ a[centre + (x - centre) / k])
    that correlates best, from 0.6 to 1.6, and that correlation."""
    n = len(a)
    best = (-2.0, 1.0)
    for i in range(-40, 61):
        k = 1.0 + i * 0.01
        xs, ys = [], []
        for x in range(n):
            u = centre + (x - centre) / k
            if 0 <= u < n - 1:
                j = int(u)
                f = u - j
                xs.append(a[j] * (1 - f) + a[j + 1] * f)
                ys.append(b[x])
        if len(xs) >= n // 2:
            c = correlation(xs, ys)
            if c > best[0]:
                best = (c, k)
    return best


def view_motion(before, after):
    """How the 3D view moved: the horizontal shift (pixels; the picture moves
    left when the player turns or steps right), the vertical shift (down when
    the player looks up), the magnification about the centre (above 1 when
    the player walks forwards) and which of shift and magnification fits the
    columns better. Columns are averaged over the band above the crosshair,
    rows over the left of the view: the HUD and the gun stay out."""
    step = 4
    ca, cb = profile(before, 0, 40, 1280, 260, True, step), profile(after, 0, 40, 1280, 260, True, step)
    ra, rb = profile(before, 100, 20, 700, 500, False, step), profile(after, 100, 20, 700, 500, False, step)
    shift_fit, dx = best_shift(ca, cb, 300 // step)
    _, dy = best_shift(ra, rb, 200 // step)
    zoom_fit, zoom = best_zoom(ca, cb, 640 / step)
    return dx * step, dy * step, zoom, "zoom" if zoom_fit > shift_fit else "shift"


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
    elif cmd == "motion":
        print("%d %d %.2f %s" % view_motion(argv[2], argv[3]))
    elif cmd == "change":
        x0, y0, w, h = map(int, argv[4:8])
        crop = ["-crop", "%dx%d+%d+%d" % (w, h, x0, y0), "+repage", "-colorspace", "gray"]
        out = subprocess.run(["convert", "(", argv[2], *crop, ")", "(", argv[3], *crop, ")",
                              "-compose", "difference", "-composite", "-format", "%[fx:mean*255]", "info:"],
                             check=True, stdout=subprocess.PIPE).stdout
        print("%.1f" % float(out))
    else:
        sys.exit("unknown command " + cmd)


if __name__ == "__main__":
    main(sys.argv)
