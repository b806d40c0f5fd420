"""The real program on a composited desktop: picom with shadows and fading on its XRender
backend, picom on its GL backend (Mesa's software GL), and xcompmgr with shadows and
fading. She is see-through there: what lies behind her shows through her live, no shadow
boxes her in, a drop never hides her, and when the compositor stops or starts she
changes over at the next capture."""

from __future__ import annotations

import shutil
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from geometry import CHAR_REST, grip, window_at  # noqa: E402
from mascot_case import MascotCase  # noqa: E402
from scene import background_only_matches, scene_faults  # noqa: E402

COVER_COLOR = (250, 20, 200)
# Ten drops, each far enough from the last that a ghost at the old place would show.
DROPS = ((200, 200), (520, 260), (120, 420), (700, 380), (300, 560),
         (820, 120), (60, 80), (600, 520), (400, 300), (880, 560))


def filled(image: dt.Image, rect: dt.Rect, color: dt.Color) -> dt.Image:
    """`image` with `rect` (clipped) painted in one colour."""
    data = bytearray(image.data)
    clipped = rect.intersection(dt.Rect(0, 0, image.width, image.height))
    if clipped:
        for y in range(clipped.y, clipped.bottom):
            start = (y * image.width + clipped.x) * 3
            data[start:start + clipped.width * 3] = bytes(color) * clipped.width
    return dt.Image(image.width, image.height, data)


class CompositedCase(MascotCase):
    compositor: tuple[str, ...] = ()

    @classmethod
    def setUpClass(cls) -> None:
        if not cls.compositor:
            raise unittest.SkipTest("the base case runs no compositor")
        if shutil.which(cls.compositor[0]) is None:
            raise unittest.SkipTest(f"{cls.compositor[0]} is not installed")
        super().setUpClass()
        cls.desktop.publish_wallpaper()

    def setUp(self) -> None:
        self.compositor_program = self.desktop.start_compositor(self.compositor)
        self.addCleanup(self.compositor_program.stop)

    def faults(self, place: dt.Rect, behind: dt.Image, char_at=CHAR_REST) -> tuple[list, list]:
        """Wrong pixels of the window (outside the sprites and the string) and changed
        pixels outside it (a shadow, a ghost), from one screenshot."""
        shot = self.desktop.screenshot()
        inside, _ = scene_faults(shot.crop(place), behind.crop(place), char_at)
        outside = dt.differing_pixels(shot, behind, dt.Rect(0, 0, *self.screen), [place])
        if inside or outside:
            self.desktop.keep_artifact(shot, "composited")
        return inside, outside

    def expect_exact(self, place: dt.Rect, behind: dt.Image, what: str) -> None:
        inside, outside = self.faults(place, behind)
        self.assertEqual((len(inside), len(outside)), (0, 0),
                         f"{what}: wrong pixels in the window "
                         f"{dt.describe_differences(inside)}\noutside it "
                         f"{dt.describe_differences(outside)}")

    def drop_at(self, program: dt.Program, to: tuple[int, int], flick: bool = False) -> dt.Rect:
        """Drags her by the pin to `to`; a flick lets go and moves on to the screen's far
        corner in the same burst of input."""
        # Looked up afresh: the window is made anew when the presentation changes.
        window = self.mascot(program)
        start, end = grip(self.desktop.window_info(window).rect), grip(window_at(*to))
        if flick:
            self.desktop.flick(start, end, (self.screen[0] - 4, self.screen[1] - 3))
        else:
            self.desktop.drag(start, end)
        moved = self.settled_rect(window)
        self.assertEqual((moved.x, moved.y), to)
        return moved

    def test_see_through_after_start_over_a_passing_window_and_after_ten_drops(self):
        wallpaper = self.desktop.wallpaper
        program, _, place = self.started(at_rest=True)
        self.expect_exact(place, wallpaper, "after the start")

        # Another window slides along behind her: it shows through her as it goes. (Only
        # the window itself is compared: a compositor may give it a shadow, which rightly
        # shows through her too.)
        xc = self.desktop.xclient()
        cover = xc.create_cover(dt.Rect(place.x - 130, place.y + 30, 120, 50), COVER_COLOR)
        self.desktop.tool(["xprop", "-id", str(cover), "-f", "_COMPTON_SHADOW", "32c",
                           "-set", "_COMPTON_SHADOW", "0"])
        xc.map_raised(cover)
        xc.lower(cover)
        self.addCleanup(xc.unmap, cover)
        for x in range(place.x - 85, place.right, 45):
            xc.move(cover, x, place.y + 30)
            covered = dt.Rect(x - place.x, 30, 120, 50)
            behind = filled(wallpaper, dt.Rect(x, place.y + 30, 120, 50), COVER_COLOR)

            def shows_through() -> bool:
                faults, _ = scene_faults(self.desktop.grab(place), behind.crop(place),
                                         CHAR_REST)
                return not [f for f in faults if covered.contains(f[0], f[1])]

            dt.wait_until(shows_through, 3, f"the window behind her at x {x} to show through")
        xc.unmap(cover)

        watcher = self.desktop.watch_root()
        self.addCleanup(watcher.stop)
        since = time.monotonic()
        ghosts = 0
        for i, to in enumerate(DROPS):
            place = self.drop_at(program, to, flick=i % 2 == 1)
            shot = self.desktop.screenshot()
            outside = dt.differing_pixels(shot, wallpaper, dt.Rect(0, 0, *self.screen), [place])
            ghosts += bool(outside) or not background_only_matches(shot.crop(place),
                                                                   wallpaper.crop(place))
        unmaps = watcher.events("UnmapNotify", since=since)
        self.wait_for_rest(place)
        self.expect_exact(place, wallpaper, "at rest after ten drops")
        print(f"\n{self.compositor[0]} {' '.join(self.compositor[1:])}: {ghosts} of "
              f"{len(DROPS)} drops left something wrong on the screen, {len(unmaps)} unmaps",
              file=sys.stderr)
        self.assertEqual(ghosts, 0)
        self.assertEqual(unmaps, [], "a drop hid the window")


class PicomXRenderWithShadowsAndFading(CompositedCase):
    compositor = ("picom", "--backend", "xrender", "-c", "-f")

    def test_she_changes_over_at_the_next_capture_when_the_compositor_stops_or_starts(self):
        wallpaper = self.desktop.wallpaper
        program, _, place = self.started(at_rest=True)

        # Without a compositor the desktop shows the window as it is: she captures again,
        # or a see-through background would show black.
        self.desktop.stop_compositor(self.compositor_program)
        dt.wait_until(lambda: not scene_faults(self.desktop.grab(place),
                                               wallpaper.crop(place), CHAR_REST)[0],
                      5, "an exact scene after the compositor stopped")

        # Back under a compositor she turns see-through (a window with alpha, depth 32) by
        # herself, and a drop then reads nothing and so never hides her.
        self.addCleanup(self.desktop.start_compositor(self.compositor).stop)
        dt.wait_until(lambda: "Depth: 32" in self.desktop.tool(
            ["xwininfo", "-id", str(self.mascot(program))], check=False), 5,
            "a see-through window after the compositor came back")
        watcher = self.desktop.watch_root()
        self.addCleanup(watcher.stop)
        since = time.monotonic()
        place = self.drop_at(program, (300, 300))
        self.assertEqual(watcher.events("UnmapNotify", since=since), [])
        self.wait_for_rest(place)
        self.expect_exact(place, wallpaper, "after a drop under the restarted compositor")


class PicomGL(CompositedCase):
    compositor = ("picom", "--backend", "glx")


class XcompmgrWithShadowsAndFading(CompositedCase):
    compositor = ("xcompmgr", "-c", "-f")


if __name__ == "__main__":
    dt.main()
