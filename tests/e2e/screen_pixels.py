"""Geometry and pixels for the end-to-end tests: rectangles, windows and monitors as the
X tools report them, screenshots as images, and the position-coded wallpaper whose every
pixel says where it belongs."""

from __future__ import annotations

import os
import struct
import zlib
from dataclasses import dataclass
from pathlib import Path
from typing import Iterable, Sequence

# --------------------------------------------------------------------------- geometry

@dataclass(frozen=True)
class Rect:
    x: int
    y: int
    width: int
    height: int

    @property
    def right(self) -> int:
        """One past the last column."""
        return self.x + self.width

    @property
    def bottom(self) -> int:
        """One past the last row."""
        return self.y + self.height

    def contains(self, x: int, y: int) -> bool:
        return self.x <= x < self.right and self.y <= y < self.bottom

    def intersection(self, other: "Rect") -> "Rect | None":
        x, y = max(self.x, other.x), max(self.y, other.y)
        right, bottom = min(self.right, other.right), min(self.bottom, other.bottom)
        if right <= x or bottom <= y:
            return None
        return Rect(x, y, right - x, bottom - y)

    def moved(self, dx: int, dy: int) -> "Rect":
        return Rect(self.x + dx, self.y + dy, self.width, self.height)


@dataclass(frozen=True)
class WindowInfo:
    """What xwininfo says of one window; x and y are absolute (relative to the root)."""
    id: int
    x: int
    y: int
    width: int
    height: int
    viewable: bool
    parent: int
    root: int

    @property
    def rect(self) -> Rect:
        return Rect(self.x, self.y, self.width, self.height)


@dataclass(frozen=True)
class Monitor:
    name: str
    rect: Rect
    width_mm: int
    height_mm: int


# Two monitors side by side on one 1824 x 768 screen, the left one shorter.
TWO_MONITORS_SCREEN = (1824, 768)
TWO_MONITORS = (
    Monitor("LEFT", Rect(0, 0, 800, 600), 211, 158),
    Monitor("RIGHT", Rect(800, 0, 1024, 768), 270, 203),
)


# --------------------------------------------------------------------------- pixels

Color = tuple[int, int, int]


class Image:
    """An RGB picture, 8 bits per channel, rows top to bottom."""

    def __init__(self, width: int, height: int, data: bytes | bytearray):
        if len(data) != width * height * 3:
            raise ValueError(f"{width}x{height} RGB needs {width * height * 3} bytes, "
                             f"got {len(data)}")
        self.width = width
        self.height = height
        self.data = bytes(data)

    @staticmethod
    def from_ppm(blob: bytes) -> "Image":
        """Parses a binary PPM (P6) with a maximum value of 255."""
        fields: list[bytes] = []
        pos = 0
        while len(fields) < 4:
            while pos < len(blob) and blob[pos:pos + 1].isspace():
                pos += 1
            if blob[pos:pos + 1] == b"#":
                pos = blob.index(b"\n", pos) + 1
                continue
            start = pos
            while pos < len(blob) and not blob[pos:pos + 1].isspace():
                pos += 1
            if start == pos:
                raise ValueError("truncated PPM header")
            fields.append(blob[start:pos])
        pos += 1  # the single whitespace byte that ends the header
        magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
        if magic != b"P6" or maxval != 255:
            raise ValueError(f"not an 8-bit P6 PPM: {magic!r} maxval {maxval}")
        return Image(width, height, blob[pos:pos + width * height * 3])

    def to_ppm(self) -> bytes:
        return b"P6\n%d %d\n255\n" % (self.width, self.height) + self.data

    def pixel(self, x: int, y: int) -> Color:
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError(f"pixel ({x}, {y}) outside {self.width}x{self.height}")
        i = (y * self.width + x) * 3
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def crop(self, rect: Rect) -> "Image":
        clipped = rect.intersection(Rect(0, 0, self.width, self.height))
        if clipped != rect:
            raise IndexError(f"{rect} is not inside {self.width}x{self.height}")
        rows = bytearray()
        for y in range(rect.y, rect.bottom):
            start = (y * self.width + rect.x) * 3
            rows += self.data[start:start + rect.width * 3]
        return Image(rect.width, rect.height, rows)

    def row(self, y: int, x: int = 0, width: int | None = None) -> list[Color]:
        width = self.width - x if width is None else width
        start = (y * self.width + x) * 3
        raw = self.data[start:start + width * 3]
        return [(raw[i], raw[i + 1], raw[i + 2]) for i in range(0, len(raw), 3)]

    def save(self, path: str | os.PathLike) -> None:
        Path(path).write_bytes(self.to_ppm())

    def to_png(self) -> bytes:
        """The picture as a PNG, which image viewers and the file tools show directly."""
        def chunk(kind: bytes, body: bytes) -> bytes:
            return (struct.pack(">I", len(body)) + kind + body
                    + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        stride = self.width * 3
        raw = b"".join(b"\0" + self.data[y * stride:(y + 1) * stride]
                       for y in range(self.height))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))

    def save_png(self, path: str | os.PathLike) -> None:
        Path(path).write_bytes(self.to_png())


# The wallpaper: red counts columns, green counts rows, blue numbers the 200 x 200 tile,
# so every pixel of a screen up to 2000 x 1600 has its own colour. No channel drops below
# 40, so dark sprite outlines still stand out against it.
_TILE = 200


def pattern_color(x: int, y: int) -> Color:
    return 40 + x % _TILE, 40 + y % _TILE, 40 + 2 * (8 * (x // _TILE) + y // _TILE)


def pattern_position(color: Color) -> tuple[int, int] | None:
    """Where on the wallpaper a colour comes from, or None if it is not wallpaper."""
    r, g, b = color
    tile, odd = divmod(b - 40, 2)
    if odd or tile < 0 or not (40 <= r < 40 + _TILE and 40 <= g < 40 + _TILE):
        return None
    return (tile // 8) * _TILE + r - 40, (tile % 8) * _TILE + g - 40


def make_pattern(width: int, height: int) -> Image:
    reds = [40 + x % _TILE for x in range(width)]
    data = bytearray(width * height * 3)
    for y in range(height):
        green = 40 + y % _TILE
        row = bytearray(width * 3)
        row[0::3] = bytes(reds)
        row[1::3] = bytes([green]) * width
        row[2::3] = bytes(40 + 2 * (8 * (x // _TILE) + y // _TILE) for x in range(width))
        data[y * width * 3:(y + 1) * width * 3] = row
    return Image(width, height, data)


def differing_pixels(shot: Image, reference: Image, rect: Rect,
                     exclude: Iterable[Rect] = ()) -> list[tuple[int, int, Color, Color]]:
    """(x, y, got, want) for every pixel of `rect` outside `exclude` where the two differ."""
    exclude = list(exclude)
    out = []
    for y in range(rect.y, rect.bottom):
        got_row = shot.row(y, rect.x, rect.width)
        want_row = reference.row(y, rect.x, rect.width)
        if got_row == want_row:
            continue
        for i, (got, want) in enumerate(zip(got_row, want_row)):
            x = rect.x + i
            if got != want and not any(r.contains(x, y) for r in exclude):
                out.append((x, y, got, want))
    return out


def describe_differences(diffs: Sequence[tuple[int, int, Color, Color]], limit: int = 12) -> str:
    lines = [f"{len(diffs)} pixel(s) differ:"]
    for x, y, got, want in diffs[:limit]:
        origin = pattern_position(got)
        hint = f" (wallpaper of {origin[0]},{origin[1]})" if origin else ""
        lines.append(f"  ({x},{y}) got {got}{hint}, want {want}")
    if len(diffs) > limit:
        lines.append(f"  ... and {len(diffs) - limit} more")
    return "\n".join(lines)
