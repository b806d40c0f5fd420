"""Where a drop is held on a desktop of two monitors side by side: LEFT 800 x 600 at
(0, 0) and the taller RIGHT 1024 x 768 at (800, 0), on one 1824 x 768 screen. The window
is held inside the monitor that holds most of it, never pulled back onto the first. With
RIGHT at twice LEFT's scale, the pin stays under the pointer across the seam and the
window takes each monitor's size, for good only while it is there."""

from __future__ import annotations

import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from geometry import (PIN_BOTTOM_RIGHT, PIN_GRIP, PIN_TOP_LEFT, TWIPS_PER_PIXEL,  # noqa: E402
                      WINDOW_SIZE, Scene, grip, window_at)
from mascot_case import MascotCase  # noqa: E402
from scene import background_only_matches, scene_faults  # noqa: E402

LEFT, RIGHT = dt.TWO_MONITORS


class TwoMonitorHoldTest(MascotCase):
    screen = dt.TWO_MONITORS_SCREEN
    monitors = dt.TWO_MONITORS

    def test_drops_are_held_inside_the_monitor_holding_most_of_the_window(self):
        width, height = WINDOW_SIZE
        _, window, rect = self.started(find=self.mascot_after_startup)
        self.assertTrue(LEFT.rect.intersection(rect))
        cases = [
            # what, the pin's grip, pointer target, where the window must end
            ("onto RIGHT, inside it", PIN_GRIP, (1200, 300),
             (1200 - PIN_GRIP[0], 300 - PIN_GRIP[1])),
            ("past RIGHT's right edge", PIN_TOP_LEFT, (RIGHT.rect.right - 1, 200),
             (RIGHT.rect.right - width, 199)),
            ("mostly on LEFT, below its bottom", PIN_GRIP, (361, 560),
             (361 - PIN_GRIP[0], LEFT.rect.bottom - height)),
            ("across the seam, mostly on RIGHT, below its bottom", PIN_BOTTOM_RIGHT, (840, 760),
             (RIGHT.rect.x, RIGHT.rect.bottom - height)),
        ]
        for what, at, to, held in cases:
            with self.subTest(what):
                self.desktop.drag(grip(self.desktop.window_info(window).rect, at), to)
                rect = self.settled_rect(window)
                self.assertEqual(rect, window_at(*held))
                # The background was captured at the place it was held at.
                truth = self.desktop.wallpaper.crop(rect)
                dt.wait_until(lambda: background_only_matches(self.desktop.grab(rect), truth),
                              3, f"the wallpaper behind {rect} in the scene")



class MonitorsThatGoTest(MascotCase):
    """A monitor unplugged and a resolution changed while she runs."""
    screen = dt.TWO_MONITORS_SCREEN
    monitors = dt.TWO_MONITORS

    def expect_held(self, window: int, rect: dt.Rect, screen: dt.Rect) -> None:
        """Within a second she is at `rect`, wholly on `screen`, over the wallpaper."""
        started = time.monotonic()
        seen = []
        try:
            dt.wait_until(lambda: seen.append(self.desktop.window_info(window).rect)
                          or seen[-1] == rect, 1.0, "")
        except TimeoutError:
            self.fail(f"1 s after the change the window is at {seen[-1]}, not at {rect}")
        self.assertEqual(screen.intersection(rect), rect)
        truth = self.desktop.wallpaper.crop(rect)
        dt.wait_until(lambda: background_only_matches(self.desktop.grab(rect), truth),
                      3, f"the wallpaper behind {rect} in the scene")
        self.assertLess(time.monotonic() - started, 4)

    def test_she_comes_back_onto_the_screens_that_remain(self):
        twips = TWIPS_PER_PIXEL
        program, window, rect = self.started(settings=b"%d,%d\r\n" % (1200 * twips, 400 * twips))
        self.assertEqual(rect, window_at(1200, 400))

        # RIGHT is unplugged: the desktop shrinks to LEFT.
        self.desktop.tool(["xrandr", "--delmonitor", "RIGHT"])
        self.desktop.resize_screen(800, 600)
        self.expect_held(window, window_at(800 - WINDOW_SIZE[0], 400), LEFT.rect)

        # The one monitor left goes to a lower resolution.
        self.desktop.tool(["xrandr", "--delmonitor", "LEFT"])
        self.desktop.resize_screen(640, 480)
        self.expect_held(window, window_at(640 - WINDOW_SIZE[0], 480 - WINDOW_SIZE[1]),
                         dt.Rect(0, 0, 640, 480))
        self.assertTrue(program.running())


class TwoMonitorsAtTwoScalesTest(MascotCase):
    screen = dt.TWO_MONITORS_SCREEN
    monitors = dt.TWO_MONITORS

    def expect_exact_at_rest(self, rect: dt.Rect, factor: int) -> None:
        """At rest the window shows the wallpaper in every device pixel but the art's,
        which is drawn at the monitor's factor."""
        self.wait_for_rest(rect)
        scene = Scene.of(rect, factor)
        faults, _ = scene_faults(self.desktop.grab(rect), self.desktop.wallpaper.crop(rect),
                                 scene.char_at, scene.pin_x, factor)
        self.assertEqual(len(faults), 0, f"at {factor}x: " + dt.describe_differences(faults))

    def test_the_pin_stays_under_the_pointer_across_the_seam_and_back(self):
        width, height = WINDOW_SIZE
        program = self.start(QT_SCREEN_SCALE_FACTORS="1;2")
        window = self.mascot_after_startup(program)
        for round_trip in range(3):
            # Held by the pin, the pointer crosses the seam both ways; at each stop the
            # window is the size of the monitor under the pointer and the pin is under it.
            self.desktop.mouse_move(*grip(self.settled_rect(window)))
            self.desktop.mouse_down()
            try:
                for pointer, factor in [((700, 300), 1), ((830, 300), 2), ((780, 200), 1),
                                        ((1300, 400), 2)]:
                    self.desktop.mouse_move(*pointer)
                    expected = dt.Rect(pointer[0] - PIN_GRIP[0] * factor,
                                       pointer[1] - PIN_GRIP[1] * factor,
                                       width * factor, height * factor)
                    seen = []
                    try:
                        dt.wait_until(lambda: seen.append(self.desktop.window_info(window).rect)
                                      or seen[-1] == expected, 3, "")
                    except TimeoutError:
                        self.fail(f"round {round_trip}: pointer at {pointer}: the window is "
                                  f"at {seen[-1]}, not at {expected}")
            finally:
                self.desktop.mouse_up()
            rect = self.settled_rect(window)
            self.assertEqual(rect, dt.Rect(1300 - 2 * PIN_GRIP[0], 400 - 2 * PIN_GRIP[1],
                                           2 * width, 2 * height))
            if round_trip == 0:
                self.expect_exact_at_rest(rect, 2)
            # Dropped back on LEFT she has LEFT's size again.
            self.desktop.drag(grip(rect), (300, 250))
            rect = self.settled_rect(window)
            self.assertEqual(rect, window_at(300 - PIN_GRIP[0], 250 - PIN_GRIP[1]))
            if round_trip == 0:
                self.expect_exact_at_rest(rect, 1)


if __name__ == "__main__":
    dt.main()
