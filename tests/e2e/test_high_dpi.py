"""The real program on an X screen set to 120 dpi (Xft.dpi), where Qt scales every window
by 1.25: the window's place and size in device pixels, the scene scaled without smoothing
over what lies behind it, the swing coming to rest, and the place saved on exit in twips
of the logical 96 dpi that Qt keeps."""

from __future__ import annotations

import math
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from mascot_case import (CHAR_REST, CHAR_SIZE, HANGING,  # noqa: E402
                         MENU_ITEM_EXIT, MENU_TITLE, PIN, PIN_GRIP, PIN_RECT, SETTINGS_FILE,
                         STRING_COLOR, WINDOW_SIZE, MascotCase)

SCALE = 1.25  # Qt's factor for Xft.dpi 120: 120 / 96; it keeps 96 logical dpi
TWIPS_PER_PIXEL = 15  # 1440 / 96, of logical pixels
SWING_SECONDS = 79 * 0.05


def to_device(logical: int) -> int:
    """A logical coordinate or length on the screen, as Qt hands it to X: scaled, then
    qRound (half away from zero) on each number of the point and of the size apart."""
    return math.floor(logical * SCALE + 0.5)


# Qt scales a window's corner and its size apart, each number times 1.25 and qRound'ed,
# about the screen's origin (0, 0): logical (639, 66) and 107 x 150 become 798.75, 82.5
# and 133.75 x 187.5, so (799, 83) and 134 x 188. The size does not come from the rounded
# corners: the window is 134 wide although its right edge, 746, maps to 932.5.
DEVICE_PLACE = dt.Rect(799, 83, 134, 188)


def copied_from(logical: int, logical_length: int, device_length: int) -> int:
    """The device pixel the program copies for a logical pixel of the captured background:
    the one under the logical pixel's centre (Qt grabs the window's device area)."""
    return (2 * logical + 1) * device_length // (2 * logical_length)


def painted_from(device: int, logical_length: int) -> list[int]:
    """The logical pixel(s) whose picture Qt may paint into a device pixel when it scales
    a logical frame by 1.25 without smoothing: the one under the device pixel's centre, or
    either of two when the centre lies on their border (device pixel 2's centre, 2.5, is
    logical 2.0)."""
    centre = (device + 0.5) / SCALE
    near = [math.floor(centre)] + ([int(centre) - 1] if centre == int(centre) else [])
    return [p for p in near if 0 <= p < logical_length]


def scaled_colors(logical: dt.Image, x: int, y: int) -> set[dt.Color]:
    """The colours Qt may show at device pixel (x, y) of a logical picture it scales."""
    return {logical.pixel(lx, ly) for lx in painted_from(x, logical.width)
            for ly in painted_from(y, logical.height)}


class HighDpiTest(MascotCase):
    """Xft.dpi is set before any program starts; another program's window lies under the
    lower left of the mascot's place, so the background is not the wallpaper alone."""

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        resources = cls.desktop.tmp / "resources"
        resources.write_text("Xft.dpi: 120\n")
        cls.desktop.tool(["xrdb", "-nocpp", "-merge", str(resources)])
        cls.desktop.open_window(dt.Rect(760, 160, 110, 70))
        cls.truth = cls.desktop.screenshot()

    def mascot_rect(self, program: dt.Program) -> dt.Rect:
        """The settled device place of the program's mascot (its only window that is not
        the menu)."""
        def probe() -> list[int]:
            return [w for w in self.desktop.search(pid=program.pid)
                    if self.desktop.title(w) != MENU_TITLE]

        found = dt.wait_until(probe, 15, f"the mascot window of pid {program.pid}")
        self.assertEqual(len(found), 1, f"expected one mascot window, found {found}")
        return self.settled_rect(found[0])

    def logical_frame(self, window: dt.Image) -> dt.Image:
        """The logical frame the program presented, read back from its device pixels on
        the screen: each logical pixel from a device pixel painted from it alone. Fails
        where a device pixel is not the picture of one of its logical pixels, as with
        smoothing, an offset or the wrong scale."""
        width, height = WINDOW_SIZE
        own_x = {painted_from(x, width)[0]: x for x in range(window.width)
                 if len(painted_from(x, width)) == 1}
        own_y = {painted_from(y, height)[0]: y for y in range(window.height)
                 if len(painted_from(y, height)) == 1}
        self.assertEqual((len(own_x), len(own_y)), WINDOW_SIZE)
        logical = dt.Image(width, height, b"".join(
            bytes(window.pixel(own_x[lx], own_y[ly])) for ly in range(height)
            for lx in range(width)))
        faults = [(x, y) for y in range(window.height) for x in range(window.width)
                  if window.pixel(x, y) not in scaled_colors(logical, x, y)]
        if faults:
            saved = self.desktop.keep_artifact(window, "high-dpi-window")
            self.fail(f"{len(faults)} device pixels are no logical pixel of theirs scaled "
                      f"by 1.25, first {faults[:8]}; window pixels {saved}")
        return logical

    def expect_scaled_scene(self, shot: dt.Image, place: dt.Rect) -> tuple[int, int]:
        """Asserts the window at device rect `place` shows, scaled without smoothing, the
        background behind it with the sprites at rest. Returns how many of its device
        pixels that show the background equal the screen behind them at the same place,
        and how many show the background."""
        window, behind = shot.crop(place), self.truth.crop(place)
        # What the program can capture: the device pixel behind each logical pixel's
        # centre. 134 device columns cannot all pass through 107 logical ones, so 27 of
        # them (and 38 of the 188 rows) show their neighbour's background: a copy exact
        # in every device pixel is impossible for a scene kept in logical pixels.
        background = dt.Image(*WINDOW_SIZE, b"".join(
            bytes(behind.pixel(copied_from(x, WINDOW_SIZE[0], place.width),
                               copied_from(y, WINDOW_SIZE[1], place.height)))
            for y in range(WINDOW_SIZE[1]) for x in range(WINDOW_SIZE[0])))
        logical = self.logical_frame(window)
        self.expect_scene(logical, background, CHAR_REST)

        # Crisp: in the device rectangles of the character and the pin, every pixel that
        # is not the background is one of their own colours, never a blend.
        palette = {c for sprite in (HANGING, PIN) for c in sprite.pixels if c} | {STRING_COLOR}
        blends = [(x, y, window.pixel(x, y))
                  for rect in (dt.Rect(*CHAR_REST, *CHAR_SIZE), PIN_RECT)
                  for y in range(to_device(rect.y), to_device(rect.bottom))
                  for x in range(to_device(rect.x), to_device(rect.right))
                  if window.pixel(x, y) not in palette | scaled_colors(background, x, y)]
        self.assertEqual(blends[:8], [], f"{len(blends)} pixels of neither sprite nor "
                         "background colours")

        # Nothing of the program's is seen outside its window.
        whole = dt.Rect(0, 0, self.desktop.width, self.desktop.height)
        self.desktop.expect_pixels_equal(whole, self.truth, exclude=[place], shot=shot)
        shown = [(x, y) for y in range(place.height) for x in range(place.width)
                 if all(logical.pixel(lx, ly) == background.pixel(lx, ly)
                        for lx in painted_from(x, logical.width)
                        for ly in painted_from(y, logical.height))]
        return sum(1 for x, y in shown if window.pixel(x, y) == behind.pixel(x, y)), len(shown)

    def test_the_window_shows_at_the_scaled_place_and_its_scene_is_the_background_scaled(self):
        program = self.start_mascot()
        self.assertEqual(self.mascot_rect(program), DEVICE_PLACE)
        dt.wait_until(lambda: self.desktop.grab(DEVICE_PLACE).data
                      != self.truth.crop(DEVICE_PLACE).data,
                      15, "the mascot to show on the screen", interval=0.005)
        seen_at = time.monotonic()
        rested_at, _ = self.wait_for_rest(DEVICE_PLACE)
        swing = rested_at - seen_at
        self.assertGreater(swing, SWING_SECONDS - 1.0)
        self.assertLess(swing, SWING_SECONDS + 3.0)

        exact, shown = self.expect_scaled_scene(self.desktop.screenshot(), DEVICE_PLACE)
        print(f"\nfirst swing: last change {swing:.2f} s after the window showed; "
              f"{exact} of the {shown} device pixels showing the background equal the "
              f"screen behind them", file=sys.stderr)

    def test_a_dropped_window_captures_anew_and_exit_saves_the_place_in_logical_twips(self):
        program = self.start_mascot()
        start = self.mascot_rect(program)
        grip = (start.x + to_device(PIN_GRIP[0]), start.y + to_device(PIN_GRIP[1]))
        # A travel whose logical corner lands on other fractions of 1.25 than the start.
        drop = (grip[0] - 401, grip[1] + 199)
        self.desktop.drag(grip, drop)
        moved = self.mascot_rect(program)
        # Qt moves the window by the pointer's travel in logical pixels, which comes out
        # as the same travel in device pixels, give or take Qt's rounding of each.
        self.assertLessEqual(abs(moved.x - (start.x - 401)), 1, moved)
        self.assertLessEqual(abs(moved.y - (start.y + 199)), 1, moved)
        self.assertEqual((moved.width, moved.height), (start.width, start.height))
        self.wait_for_rest(moved)
        self.expect_scaled_scene(self.desktop.screenshot(), moved)

        # The logical place Qt shows at that device place; being 1.25 apart, no two
        # logical coordinates round to the same device one.
        logical = [round(d / SCALE) for d in (moved.x, moved.y)]
        self.assertEqual([to_device(v) for v in logical], [moved.x, moved.y])
        self.desktop.click(*drop, button=3)
        menu = self.desktop.wait_settled(self.desktop.wait_window(pid=program.pid,
                                                                   name=MENU_TITLE))
        self.desktop.click(menu.x + to_device(MENU_ITEM_EXIT[0]),
                           menu.y + to_device(MENU_ITEM_EXIT[1]))
        self.assertEqual(program.wait(10), 0)
        self.assertEqual((program.cwd / SETTINGS_FILE).read_bytes(),
                         b"%d,%d\r\n" % tuple(v * TWIPS_PER_PIXEL for v in logical))

        # The twips bring the next start back to the very device place.
        again = self.start_mascot(cwd=program.cwd)
        self.assertEqual(self.mascot_rect(again), moved)


if __name__ == "__main__":
    dt.main()
