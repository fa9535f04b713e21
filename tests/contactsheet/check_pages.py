#!/usr/bin/env python3
"""Checks the contact sheet pages in a folder (standard library only):
there is at least one model page and one texture page, each is a PNG that
decodes, and each holds real pictures rather than bare background and
captions: many distinct colours, and on model pages every view cell has
pixels that differ from the view background."""
import glob
import os
import struct
import sys
import zlib

CELL, VIEWS, CAPTION, GAP = 256, 5, 22, 6
VIEW_BG = (92, 97, 107)  # the tool's view background, 0.36/0.38/0.42 of 255


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("unexpected PNG format")
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        rows.append(line)
        prev = line
    return width, height, bpp, rows


def pixel(rows, bpp, x, y):
    i = x * bpp
    return tuple(rows[y][i:i + 3])


def main():
    folder = sys.argv[1]
    models = sorted(glob.glob(os.path.join(folder, "models_*.png")))
    textures = sorted(glob.glob(os.path.join(folder, "textures_*.png")))
    errors = []
    if not models:
        errors.append("no model pages")
    if not textures:
        errors.append("no texture pages")
    for path in models + textures:
        name = os.path.basename(path)
        try:
            w, h, bpp, rows = read_png(path)
        except (ValueError, zlib.error, struct.error, TypeError) as e:
            errors.append(f"{name}: {e}")
            continue
        colours = {pixel(rows, bpp, x, y) for y in range(0, h, 2) for x in range(0, w, 2)}
        if len(colours) < 64:
            errors.append(f"{name}: only {len(colours)} colours, no pictures")
        if name.startswith("models_"):
            if w != GAP + VIEWS * (CELL + GAP):
                errors.append(f"{name}: width {w}")
            row_h = CAPTION + CELL + GAP
            for r in range((h - GAP) // row_h):
                for v in range(VIEWS):
                    x0, y0 = GAP + v * (CELL + GAP), GAP + r * row_h + CAPTION
                    # Skip the view label in the top-left corner of the cell.
                    drawn = sum(1 for y in range(y0 + 16, y0 + CELL, 2) for x in range(x0, x0 + CELL, 2)
                                if max(abs(p - q) for p, q in zip(pixel(rows, bpp, x, y), VIEW_BG)) > 6)
                    if drawn < 100:
                        errors.append(f"{name}: row {r + 1} view {v + 1} is empty ({drawn} pixels drawn)")
        print(f"{name}: {w} x {h}, {len(colours)} colours")
    for e in errors:
        print("FAIL:", e, file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
