#!/usr/bin/env python3
"""Draws the two swung poses from the hanging one.

    python3 scripts/tilt_pose.py

Reads assets/pose_hanging.xpm and writes assets/pose_right.xpm (feet toward the right)
and assets/pose_left.xpm (feet toward the left).

A true rotation of 32 x 56 pixel art smears it: pixels get doubled or dropped and the
outline breaks. So the tilt is a shear: each band of rows moves sideways by whole pixels,
one more pixel every nine rows or so (about 5 degrees), and the bands end between
features so that no bow, eye, ribbon or hand is cut in two. The top of the head, where
the string ends, stays in place. The checkered shadow along the right-hand edge is taken
off before the shear and laid again afterwards, so it stays a clean checker.
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SHADOW = "#000008"   # the colour of the checkered edge


def read_xpm(path):
    text = path.read_text()
    strings = re.findall(r'"([^"]*)"', text)
    width, height, ncolours, cpp = map(int, strings[0].split())
    assert cpp == 1, "the poses use one character per pixel"
    colours = strings[1:1 + ncolours]
    rows = strings[1 + ncolours:1 + ncolours + height]
    return width, height, colours, rows


def write_xpm(path, name, width, colours, rows):
    body = [f'"{width} {len(rows)} {len(colours)} 1"'] + [f'"{c}"' for c in colours]
    body += [f'"{r}"' for r in rows]
    path.write_text("/* XPM */\nstatic const char* const %s[] = {\n%s\n};\n"
                    % (name, ",\n".join(body)))


# (first row of the band, sideways shift in pixels); the band runs to the next one.
BANDS = [(0, 0), (7, 1), (17, 2), (25, 3), (34, 4), (43, 5)]


def shift_of(y):
    return [shift for first, shift in BANDS if first <= y][-1]


def shear(pixels, direction):
    """pixels: {(x, y): key}; direction +1 swings the feet toward +x, -1 toward -x."""
    return {(x + direction * shift_of(y), y): k for (x, y), k in pixels.items()}


def checker_right_edge(rows, key):
    out = []
    for y, row in enumerate(rows):
        filled = [x for x, c in enumerate(row) if c != " "]
        if filled and filled[-1] + 1 < len(row) and (filled[-1] + 1 + y) % 2 == 0:
            x = filled[-1] + 1
            row = row[:x] + key + row[x + 1:]
        out.append(row)
    return out


def main():
    width, height, colours, rows = read_xpm(ROOT / "assets" / "pose_hanging.xpm")
    shadow = next(c[0] for c in colours if c.split()[-1].upper() == SHADOW)
    drawing = {(x, y): k for y, r in enumerate(rows) for x, k in enumerate(r)
               if k not in (" ", shadow)}
    for name, sign in (("pose_right", 1), ("pose_left", -1)):
        turned = shear(drawing, sign)
        grid = [[" "] * width for _ in range(height)]
        for (x, y), k in turned.items():
            if not 0 <= x < width:
                sys.exit(f"{name}: pixel ({x}, {y}) falls outside the picture")
            grid[y][x] = k
        out = checker_right_edge(["".join(r) for r in grid], shadow)
        write_xpm(ROOT / "assets" / f"{name}.xpm", f"{name}_xpm", width, colours, out)
        ys = [y for y, r in enumerate(out) if r.strip()]
        print(f"{name}: rows {ys[0]}..{ys[-1]}")


if __name__ == "__main__":
    main()
