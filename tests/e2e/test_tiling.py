"""The real program under a tiling window manager, i3 (no bar): she floats at her saved
place and her own size, the background behind her is exact, captures leave her where
she is (i3 takes a borderless window on again a title bar lower at every show), a drag
by the pin lands where it is let go, and the exit saves that place."""

from __future__ import annotations

import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from geometry import MENU_ITEM_EXIT, TWIPS_PER_PIXEL, WINDOW_SIZE, grip, window_at  # noqa: E402
from mascot_case import MascotCase  # noqa: E402
from program_case import MENU_TITLE, SETTINGS_FILE  # noqa: E402

# The settings' place, 3000,1500 twips at 15 to the pixel.
SAVED = (200, 100)
DROP = (420, 330)
I3_CONFIG = """# i3 config file (v4)
font pango:monospace 8
focus_follows_mouse no
"""
SKIPPED = 77


class TilingWindowManagerTest(MascotCase):

    window_manager = False

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        config = cls.desktop.tmp / "i3.config"
        config.write_text(I3_CONFIG)
        cls.desktop.start_window_manager(["i3", "-c", str(config)], label="i3")

    def test_she_floats_at_her_place_and_size_stays_there_and_drags(self):
        wallpaper = self.desktop.wallpaper
        program, window, place = self.started(settings=b"3000,1500\r\n")
        # Her own size is her only one: a window manager that tiles floats her.
        hints = self.desktop.tool(["xprop", "-id", str(window), "WM_NORMAL_HINTS"])
        size = "{} by {}".format(*WINDOW_SIZE)
        self.assertIn(f"minimum size: {size}", hints)
        self.assertIn(f"maximum size: {size}", hints)
        self.assertEqual(place, window_at(*SAVED))
        self.assertEqual(self.desktop.frame_of(window).rect, place, "i3 gave her a border")
        self.expect_scene(self.wait_for_rest(place).image, wallpaper.crop(place))

        # Every capture is an unmap and a map that i3 answers by taking her on anew;
        # uncovering her three times makes three, and she stays put.
        xc = self.desktop.xclient()
        cover = xc.create_cover(dt.Rect(place.x + 60, place.y + 40, 40, 40), (0, 0, 0))
        for _ in range(3):
            xc.map_raised(cover)
            time.sleep(0.2)
            xc.unmap(cover)
            time.sleep(0.3)
        self.assertEqual(self.settled_rect(window), place, "a capture moved her")

        self.desktop.drag(grip(place), grip(window_at(*DROP)))
        moved = self.settled_rect(window)
        self.assertEqual(moved, window_at(*DROP))
        self.expect_scene(self.wait_for_rest(moved).image, wallpaper.crop(moved))

        # The exit keeps the place she was dropped at.
        self.desktop.click(*grip(self.desktop.window_info(window).rect), button=3)
        menu = self.desktop.wait_window(pid=program.pid, name=MENU_TITLE)
        inner = self.desktop.wait_settled(menu)
        self.desktop.click(inner.x + MENU_ITEM_EXIT[0], inner.y + MENU_ITEM_EXIT[1])
        self.assertEqual(program.wait(10), 0)
        self.assertEqual((program.cwd / SETTINGS_FILE).read_bytes(),
                         b"%d,%d\r\n" % (DROP[0] * TWIPS_PER_PIXEL, DROP[1] * TWIPS_PER_PIXEL))


if __name__ == "__main__":
    if shutil.which("i3") is None:
        print("skipped: the tiling window manager test needs i3 "
              "(bash scripts/install-deps.sh installs it)", file=sys.stderr)
        sys.exit(SKIPPED)
    dt.main()
