"""What every end-to-end test of the mascot shares: where the program is, the figures of
its window, and a test case that owns a desktop and starts the program on it."""

from __future__ import annotations

import os
import re
import tempfile
import time
import unittest
from dataclasses import dataclass
from pathlib import Path

import desktop as dt

REPO = Path(__file__).resolve().parents[2]
BINARY = Path(os.environ.get("RUVIA_BINARY") or REPO / "build" / "ruvia-mascot")

TITLE = "RuviaMascot"
SETTINGS_FILE = "pdl_swg.ini"
SECOND_COPY_TEXT = "二人もいないの・・・"

# At 96 dpi (15 twips per pixel) the 2256-twip window is 150 pixels high, its laid-out
# width 107, and its design place 9588, 996 twips comes out at (639, 66).
WINDOW_SIZE = (107, 150)
DESIGN_POSITION = (639, 66)
SCREEN = (1024, 768)

MENU_TITLE = "ぶらさがりルビア"
# The menu's inner size at 96 dpi, and points of its two items in inner pixels: the
# captions end well left of x 200, so there a pixel shows the item's background.
MENU_SIZE = (210, 122)
MENU_ITEM_ALWAYS_ON_TOP = (200, 85)
MENU_ITEM_EXIT = (200, 110)

# The scene, in scene pixels (the window's own): the pin's 16 x 16 picture and mouse
# target, the string from under the pin to the top of the 32 x 56 character, drawn 2
# pixels wide in this colour, and where the character hangs at rest.
PIN_RECT = dt.Rect(54, 0, 16, 16)
CHAR_SIZE = (32, 56)
CHAR_REST = (46, 94)
STRING_START = (60, 12)
STRING_COLOR = (180, 100, 0)
PIN_GRIP = (61, 7)  # a press here is a press on the pin
SCENE_SPOT = (20, 40)  # a spot of bare scene: no pin, string or character ever comes here
# Scene pixels that only ever show the background, whatever the swing does: the rows
# above the string's start beside the pin, and the columns left of the character's
# farthest swing (the string's end never comes left of column 28).
BACKGROUND_ONLY = (dt.Rect(0, 0, 54, 12), dt.Rect(70, 0, 37, 12), dt.Rect(0, 12, 14, 138))


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


ASSETS = REPO / "assets"
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
    start = (pin_x + STRING_START[0] - PIN_RECT.x, STRING_START[1])
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


class MascotCase(unittest.TestCase):
    """One desktop per test class; every start of the program gets a fresh working
    directory and, unless told otherwise, a fresh runtime directory (where the one-copy
    lock lives), so no test sees what another left behind."""

    screen = SCREEN
    monitors: tuple[dt.Monitor, ...] = ()
    window_manager = True  # openbox
    desktop: dt.Desktop

    @classmethod
    def setUpClass(cls) -> None:
        missing = dt.missing_tools()
        if missing:
            raise unittest.SkipTest("end-to-end tests need " + ", ".join(missing))
        if not BINARY.is_file():
            raise RuntimeError(f"no program to test at {BINARY}: build it or set RUVIA_BINARY")
        cls.desktop = cls.enterClassContext(dt.Desktop(*cls.screen, monitors=cls.monitors,
                                                       window_manager=cls.window_manager))

    def new_dir(self, prefix: str) -> Path:
        """A private directory that goes away with the desktop."""
        return Path(tempfile.mkdtemp(prefix=prefix, dir=self.desktop.tmp))

    def start_mascot(self, *args: str, cwd: Path | None = None, settings: bytes | None = None,
                     runtime_dir: Path | None = None, **env: str | None) -> dt.Program:
        cwd = cwd or self.new_dir("cwd-")
        if settings is not None:
            (cwd / SETTINGS_FILE).write_bytes(settings)
        runtime_dir = runtime_dir or self.new_dir("run-")
        program = self.desktop.start_program(
            [str(BINARY), *args], cwd=cwd, label="mascot",
            env=self.desktop.env(XDG_RUNTIME_DIR=str(runtime_dir), **env))
        self.addCleanup(program.stop)
        return program

    def mascot_window(self, program: dt.Program, timeout: float = 15) -> int:
        """The program's one visible window, once it is mapped; fails at once, with the
        program's error output, if the program ends first."""

        def probe() -> list[int]:
            if not program.running():
                raise AssertionError(f"the program ended with {program.returncode} before "
                                     f"showing a window; stderr:\n{program.stderr()}")
            return self.desktop.search(pid=program.pid)

        try:
            found = dt.wait_until(probe, timeout, f"a window of pid {program.pid}")
        except TimeoutError as error:
            # Say whether the program made its window and the window manager let go of
            # it, or never made one.
            unseen = [self.desktop.window_info(w)
                      for w in self.desktop.search(pid=program.pid, visible=False)]
            raise AssertionError(f"{error}; the program runs, its windows: {unseen}") from None
        self.assertEqual(len(found), 1, f"expected one window, found {found}")
        return found[0]

    def mascot_after_startup(self, program: dt.Program, quiet: float = 0.5,
                             timeout: float = 15) -> int:
        """The program's one visible window once the captures of its start are over. Each
        hides the window for a few milliseconds, and a press meanwhile is the program's
        to keep: a test that clicks soon after a start should not lean on that. Over
        when the window has stayed on the screen for `quiet` seconds, with every hide and
        show seen on the root as it happened."""
        window = self.mascot_window(program)
        watcher = self.desktop.watch_root()
        try:
            listening = time.monotonic()
            frames = {self.desktop.frame_of(window).id}

            def calm() -> bool:
                holders = watcher.holders(window) | frames
                changes = [e.time for e in watcher.events(windows=holders)
                           if e.kind in ("MapNotify", "UnmapNotify", "ReparentNotify")]
                return (time.monotonic() - max(changes, default=listening) >= quiet
                        and self.desktop.window_info(window).viewable)

            dt.wait_until(calm, timeout, f"the start-up's captures of window {window:#x} "
                                         "to be over", interval=0.05)
        finally:
            watcher.stop()
        return window

    def mascot(self, program: dt.Program, timeout: float = 10) -> int:
        """The program's mascot window as it is now: Qt replaces the X window when the
        stay-on-top state changes, so its id is looked up afresh each time."""

        def probe() -> list[int]:
            if not program.running():
                raise AssertionError(f"the program ended with {program.returncode}; "
                                     f"stderr:\n{program.stderr()}")
            return [w for w in self.desktop.search(pid=program.pid, name=TITLE)
                    if (self.desktop.window_info(w).width,
                        self.desktop.window_info(w).height) == WINDOW_SIZE]

        found = dt.wait_until(probe, timeout, f"the mascot window of pid {program.pid}")
        self.assertEqual(len(found), 1, f"expected one mascot window, found {found}")
        return found[0]

    def wait_for_rest(self, rect: dt.Rect, quiet: float = 1.0,
                      timeout: float = 15) -> tuple[float, dt.Image]:
        """Watches the screen in `rect` until it has not changed for `quiet` seconds;
        returns when it last changed (time.monotonic()) and what it shows."""
        last = self.desktop.grab(rect)
        changed = time.monotonic()
        deadline = changed + timeout
        while time.monotonic() - changed < quiet:
            if time.monotonic() > deadline:
                raise TimeoutError(f"the screen in {rect} still changed after {timeout} s")
            time.sleep(0.02)
            now = self.desktop.grab(rect)
            if now.data != last.data:
                last, changed = now, time.monotonic()
        return changed, last

    def expect_scene(self, got: dt.Image, background: dt.Image,
                     char_at: tuple[int, int] | None = CHAR_REST) -> None:
        """Asserts a window's pixels are exactly the background behind it with the
        pin, the string and (unless None) the hanging character at `char_at`."""
        faults, string = scene_faults(got, background, char_at)
        if faults:
            saved = self.desktop.keep_artifact(got, "scene")
            self.fail(f"the scene is not the background behind it with the sprites; "
                      f"window pixels {saved}\n" + dt.describe_differences(faults))
        band = string_band(char_at or CHAR_REST)
        self.assertGreaterEqual(string, band.height - 3, "the string is missing")

    def settled_rect(self, window: int) -> dt.Rect:
        return self.desktop.wait_settled(window).rect

    def expected_rect(self, x: int, y: int) -> dt.Rect:
        return dt.Rect(x, y, *WINDOW_SIZE)
