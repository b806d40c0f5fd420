"""Where a drop is held on a desktop of two monitors side by side: LEFT 800 x 600 at
(0, 0) and the taller RIGHT 1024 x 768 at (800, 0), on one 1824 x 768 screen. The window
is held inside the monitor that holds most of it, never pulled back onto the first."""

from __future__ import annotations

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from mascot_case import PIN_GRIP, WINDOW_SIZE, MascotCase, background_only_matches  # noqa: E402

LEFT, RIGHT = dt.TWO_MONITORS


class TwoMonitorHoldTest(MascotCase):
    screen = dt.TWO_MONITORS_SCREEN
    monitors = dt.TWO_MONITORS

    def test_drops_are_held_inside_the_monitor_holding_most_of_the_window(self):
        width, height = WINDOW_SIZE
        program = self.start_mascot()
        window = self.mascot_window(program)
        self.assertTrue(LEFT.rect.intersection(self.settled_rect(window)))
        cases = [
            # what, the pin's grip, pointer target, where the window must end
            ("onto RIGHT, inside it", PIN_GRIP, (1200, 300),
             (1200 - PIN_GRIP[0], 300 - PIN_GRIP[1])),
            ("past RIGHT's right edge", (55, 1), (RIGHT.rect.right - 1, 200),
             (RIGHT.rect.right - width, 199)),
            ("mostly on LEFT, below its bottom", PIN_GRIP, (361, 560),
             (361 - PIN_GRIP[0], LEFT.rect.bottom - height)),
            ("across the seam, mostly on RIGHT, below its bottom", (68, 14), (840, 760),
             (RIGHT.rect.x, RIGHT.rect.bottom - height)),
        ]
        for what, grip, to, held in cases:
            with self.subTest(what):
                rect = self.desktop.window_info(window).rect
                self.desktop.drag((rect.x + grip[0], rect.y + grip[1]), to)
                rect = self.settled_rect(window)
                self.assertEqual(rect, self.expected_rect(*held))
                # The background was captured at the place it was held at.
                truth = self.desktop.wallpaper.crop(rect)
                dt.wait_until(lambda: background_only_matches(self.desktop.grab(rect), truth),
                              3, f"the wallpaper behind {rect} in the scene")


if __name__ == "__main__":
    dt.main()
