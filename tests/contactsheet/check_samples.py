#!/usr/bin/env python3
"""Checks the contact sheet pages of the sample models (morvane_datagen
--samples): the cubes show their pictures' colours, packed in the binary
file or in data URIs, not white; the flat and thin shapes and the sparse
quad draw in the back view, which faces them."""
import glob
import os
import sys

from check_pages import CAPTION, CELL, GAP, VIEW_BG, pixel, read_png

ROWS = 4
VIEW = {"front": 0, "3/4": 1, "side": 2, "top": 3, "back": 4}
# The sample models in the order the tool lists them (sorted by path).
MODELS = ["data_uri_cube.gltf", "flat_quad.gltf", "flat_triangle.gltf", "packed_cube.glb",
          "sparse_quad.gltf", "thin_triangle.gltf"]


def cell_pixels(pages, index, view):
    width, height, bpp, rows = pages[index // ROWS]
    x0 = GAP + VIEW[view] * (CELL + GAP)
    y0 = GAP + (index % ROWS) * (CAPTION + CELL + GAP) + CAPTION
    # Below the view label in the cell's top-left corner.
    return [pixel(rows, bpp, x, y) for y in range(y0 + 16, y0 + CELL, 2) for x in range(x0, x0 + CELL, 2)]


def drawn(pixels):
    return [p for p in pixels if max(abs(a - b) for a, b in zip(p, VIEW_BG)) > 6]


def main():
    folder = sys.argv[1]
    paths = sorted(glob.glob(os.path.join(folder, "models_*.png")))
    if len(paths) != (len(MODELS) + ROWS - 1) // ROWS:
        print(f"FAIL: {len(paths)} model pages", file=sys.stderr)
        return 1
    pages = [read_png(p) for p in paths]
    errors = []
    for cube in ("data_uri_cube.gltf", "packed_cube.glb"):
        i = MODELS.index(cube)
        # The front view shows face.png (orange), the side view side.png
        # (teal): the middle of each face, lit, is that colour.
        for view, want in (("front", lambda r, g, b: r > g + 40 and g > b + 40),
                           ("side", lambda r, g, b: g > r + 60 and b > r + 60)):
            x0 = GAP + VIEW[view] * (CELL + GAP) + CELL // 2
            y0 = GAP + (i % ROWS) * (CAPTION + CELL + GAP) + CAPTION + CELL // 2
            width, height, bpp, rows = pages[i // ROWS]
            r, g, b = pixel(rows, bpp, x0, y0)
            if not want(r, g, b):
                errors.append(f"{cube}: the {view} view's middle is ({r}, {g}, {b}), not the picture's colour")
    for flat in ("flat_quad.gltf", "flat_triangle.gltf", "thin_triangle.gltf", "sparse_quad.gltf"):
        count = len(drawn(cell_pixels(pages, MODELS.index(flat), "back")))
        if count < 500:
            errors.append(f"{flat}: the back view, which faces it, is empty ({count} pixels drawn)")
    for e in errors:
        print("FAIL:", e, file=sys.stderr)
    if not errors:
        print("sample pages: pictures and flat models shown")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
