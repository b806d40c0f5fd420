"""What the mascot's scene must show, for both programs: our own art, read from its XPM
sources, laid over what lies behind the window, and a window's pixels compared with
that."""

from __future__ import annotations

import re
from dataclasses import dataclass
from pathlib import Path

import desktop as dt
from geometry import (BACKGROUND_ONLY, CHAR_REST, CHAR_SIZE, PIN_RECT, STRING_START_IN_PIN,
                      WINDOW_SIZE)

ASSETS = Path(__file__).resolve().parents[2] / "assets"
# The string is drawn 2 pixels wide in this colour.
STRING_COLOR = (180, 100, 0)


@dataclass(frozen=True)
class Sprite:
    """A picture of the program's own, read from its XPM source: None where transparent."""
    width: int
    height: int
    pixels: tuple[dt.Color | None, ...]

    def at(self, x: int, y: int) -> dt.Color | None:
        return self.pixels[y * self.width + x]


def load_xpm(path: Path) -> Sprite:
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', path.read_text())
    width, height, ncolors, cpp = (int(v) for v in strings[0].split()[:4])
    colors: dict[str, dt.Color | None] = {}
    for line in strings[1:1 + ncolors]:
        key, words = line[:cpp], line[cpp:].split()
        value = words[words.index("c") + 1]
        colors[key] = None if value.lower() == "none" else \
            (int(value[1:3], 16), int(value[3:5], 16), int(value[5:7], 16))
    rows = strings[1 + ncolors:1 + ncolors + height]
    pixels = tuple(colors[row[i:i + cpp]] for row in rows for i in range(0, width * cpp, cpp))
    return Sprite(width, height, pixels)


PIN = load_xpm(ASSETS / "pin.xpm")
HANGING = load_xpm(ASSETS / "pose_hanging.xpm")


def composite(base: dt.Image, sprite: Sprite, x: int, y: int, scale: int = 1) -> dt.Image:
    """`base` with `sprite` laid over it at (x, y), each of its pixels a block of scale x
    scale pixels (x and y count such blocks), clipped to the picture."""
    data = bytearray(base.data)
    for sy in range(sprite.height):
        for sx in range(sprite.width):
            color = sprite.at(sx, sy)
            if color is None:
                continue
            for py in range((y + sy) * scale, (y + sy + 1) * scale):
                for px in range((x + sx) * scale, (x + sx + 1) * scale):
                    if 0 <= px < base.width and 0 <= py < base.height:
                        i = (py * base.width + px) * 3
                        data[i:i + 3] = bytes(color)
    return dt.Image(base.width, base.height, data)


def string_band(char_at: tuple[int, int], pin_x: int = PIN_RECT.x, scale: int = 1) -> dt.Rect:
    """The rectangle the string may take: from its start under the pin at `pin_x` to the
    top centre of the character at `char_at`, widened by a pixel for its width and the
    rounding; in pixels `scale` times the scene's."""
    start = (pin_x + STRING_START_IN_PIN[0], STRING_START_IN_PIN[1])
    end = (char_at[0] + CHAR_SIZE[0] // 2 - 2, char_at[1])
    x0, x1 = sorted((start[0], end[0]))
    y0, y1 = sorted((start[1], end[1]))
    return dt.Rect((x0 - 1) * scale, (y0 - 1) * scale, (x1 - x0 + 4) * scale,
                   (y1 - y0 + 4) * scale)


def scene_faults(got: dt.Image, background: dt.Image, char_at: tuple[int, int] | None,
                 pin_x: int = PIN_RECT.x, scale: int = 1) -> tuple[list, int]:
    """Compares a window's pixels with what they must be: `background` (what lies
    behind the window) with the character in the hanging pose at `char_at` (None: no
    character) and the pin at (`pin_x`, 0) laid over it, and the string, the only pixels
    allowed to differ from that, in its colour and within its band. With `scale`, every
    scene pixel of the sprites is a block of that many device pixels square over a
    background in device pixels. Returns the differing pixels as differing_pixels does
    and how many pixels the string took."""
    want = background
    if char_at is not None:
        want = composite(want, HANGING, *char_at, scale)
    want = composite(want, PIN, pin_x, 0, scale)
    band = string_band(char_at or CHAR_REST, pin_x, scale)
    faults, string = [], 0
    for x, y, got_px, want_px in dt.differing_pixels(got, want, dt.Rect(0, 0, got.width,
                                                                         got.height)):
        if got_px == STRING_COLOR and band.contains(x, y):
            string += 1
        else:
            faults.append((x, y, got_px, want_px))
    return faults, string


def background_only_matches(got: dt.Image, background: dt.Image) -> bool:
    """Whether the window shows `background` wherever only the background can be."""
    return all(got.crop(r).data == background.crop(r).data for r in BACKGROUND_ONLY)


def place_by_pin(shot: dt.Image, before: dt.Image, below: int = 0) -> dt.Rect | None:
    """Where her 96-dpi window is on the screen, found from the pin's first opaque pixel
    among the pixels that changed below row `below` (a compositor need not show a window
    where the window system says it is, and a layer surface is no X window); None when
    no pin shows."""
    pin_y = next(y for y in range(PIN.height) if any(PIN.at(x, y) for x in range(PIN.width)))
    pin_x = next(x for x in range(PIN.width) if PIN.at(x, pin_y))
    outline = PIN.at(pin_x, pin_y)
    area = dt.Rect(0, below, shot.width, shot.height - below)
    marks = [(x, y) for x, y, got, _ in dt.differing_pixels(shot, before, area)
             if got == outline]
    if not marks:
        return None
    top = min(y for _, y in marks)
    left = min(x for x, y in marks if y == top)
    return dt.Rect(left - PIN_RECT.x - pin_x, top - pin_y, *WINDOW_SIZE)
