#!/usr/bin/env python3
"""Makes the README's picture: the real program on a private Xvfb desktop, one swing from
the start until she comes to rest, recorded from the screen and written as an animated
GIF at twice the size, every pixel doubled (no smoothing). Re-run it after changing the
art or the swing:

    python3 scripts/readme_picture.py [OUTPUT.gif]     (default docs/ruvia-mascot.gif)

Needs the program built (build/ruvia-mascot, or RUVIA_BINARY) and the desktop tools the
end-to-end tests use (scripts/install-deps.sh installs them)."""

from __future__ import annotations

import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import desktop as dt  # noqa: E402
from geometry import WINDOW_SIZE  # noqa: E402
from mascot_case import BINARY  # noqa: E402

SCREEN = (400, 240)
DESKTOP_BLUE = (58, 110, 165)
PLACE = (110, 30)  # the mascot's corner on the screen, in pixels
# What the picture shows: the mascot and some desktop around it, over the edge of
# another program's window so that her borrowed background can be seen.
VIEW = dt.Rect(PLACE[0] - 30, PLACE[1] - 12, WINDOW_SIZE[0] + 178, WINDOW_SIZE[1] + 28)
TWIPS_PER_PIXEL = 15
REST_SECONDS = 1.5  # how long the last frame stays before the picture starts again


def solid(width: int, height: int, color: tuple[int, int, int]) -> dt.Image:
    return dt.Image(width, height, bytes(color) * (width * height))


def record(desk: dt.Desktop, rect: dt.Rect, timeout: float = 12,
           quiet: float = 1.0) -> list[tuple[dt.Image, float]]:
    """Every change of the screen in `rect` with how long it lasted, until nothing has
    changed for `quiet` seconds."""
    frames: list[tuple[dt.Image, float]] = []
    last, since = desk.grab(rect), time.monotonic()
    deadline = since + timeout
    while time.monotonic() - since < quiet:
        if time.monotonic() > deadline:
            raise TimeoutError(f"she still swings after {timeout} s")
        time.sleep(0.005)
        now = desk.grab(rect)
        if now.data != last.data:
            frames.append((last, time.monotonic() - since))
            last, since = now, time.monotonic()
    frames.append((last, REST_SECONDS))
    return frames


def write_gif(frames: list[tuple[dt.Image, float]], output: Path) -> None:
    with tempfile.TemporaryDirectory(prefix="ruvia-picture-") as tmp:
        argv = ["convert"]
        for i, (image, seconds) in enumerate(frames):
            path = Path(tmp) / f"{i:03d}.ppm"
            image.save(path)
            argv += ["-delay", str(max(2, round(seconds * 100))), str(path)]
        argv += ["-filter", "point", "-resize", "200%", "+dither", "-layers", "Optimize",
                 "-loop", "0", str(output)]
        subprocess.run(argv, check=True)


def main() -> int:
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "docs" / "ruvia-mascot.gif"
    if not BINARY.is_file():
        print(f"readme_picture: no program at {BINARY}; build it first "
              "(bash scripts/build.sh)", file=sys.stderr)
        return 1
    missing = dt.missing_tools()
    if missing:
        print("readme_picture: needs " + ", ".join(missing), file=sys.stderr)
        return 1
    with dt.Desktop(*SCREEN, wallpaper=solid(*SCREEN, DESKTOP_BLUE)) as desk:
        desk.start_program(["xmessage", "-name", "note", "-title", "memo",
                            "-geometry", f"160x70+{PLACE[0] + 72}+{PLACE[1] + 80}",
                            "-bg", "#f4f1e8", "-fg", "#303030", "-buttons", "",
                            "She hangs over\nany window."])
        desk.wait_settled(desk.wait_window(name="memo"))
        cwd = Path(tempfile.mkdtemp(dir=desk.tmp))
        (cwd / "pdl_swg.ini").write_bytes(
            b"%d,%d\r\n" % (PLACE[0] * TWIPS_PER_PIXEL, PLACE[1] * TWIPS_PER_PIXEL))
        program = desk.start_program([str(BINARY)], cwd=cwd, label="mascot")
        window = desk.wait_window(pid=program.pid, name="RuviaMascot")
        frames = record(desk, VIEW)
        rect = desk.window_info(window).rect
        if (rect.x, rect.y) != PLACE:
            raise RuntimeError(f"the mascot came up at {rect}, not at {PLACE}")
    write_gif(frames, output)
    print(f"readme_picture: {len(frames)} frames, {output.stat().st_size} bytes -> {output}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
