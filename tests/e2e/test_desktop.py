"""The desktop harness itself, checked against a stand-in X client (xmessage): if these
fail, no verdict of the other end-to-end tests can be trusted."""

from __future__ import annotations

import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402


class PixelsTest(unittest.TestCase):

    def test_ppm_round_trip_and_header_comments(self):
        image = dt.Image(2, 1, bytes([1, 2, 3, 250, 251, 252]))
        self.assertEqual(dt.Image.from_ppm(image.to_ppm()).data, image.data)
        parsed = dt.Image.from_ppm(b"P6\n# made by hand\n2 1\n255\n" + image.data)
        self.assertEqual((parsed.width, parsed.height, parsed.pixel(1, 0)), (2, 1, (250, 251, 252)))
        with self.assertRaises(ValueError):
            dt.Image.from_ppm(b"P3\n1 1\n255\n0 0 0\n")

    def test_wallpaper_colour_tells_its_position(self):
        width, height = dt.TWO_MONITORS_SCREEN
        wallpaper = dt.make_pattern(width, height)
        for x, y in [(0, 0), (199, 0), (200, 0), (0, 200), (639, 66), (1823, 767), (800, 599)]:
            with self.subTest(x=x, y=y):
                self.assertEqual(wallpaper.pixel(x, y), dt.pattern_color(x, y))
                self.assertEqual(dt.pattern_position(wallpaper.pixel(x, y)), (x, y))
        colours = {wallpaper.data[i:i + 3] for i in range(0, len(wallpaper.data), 3)}
        self.assertEqual(len(colours), width * height, "two places share a colour")
        self.assertIsNone(dt.pattern_position((255, 0, 255)))

    def test_differences_respect_the_rectangle_and_exclusions(self):
        reference = dt.make_pattern(8, 8)
        changed = bytearray(reference.data)
        for x, y in [(1, 1), (5, 5), (7, 0)]:
            changed[(y * 8 + x) * 3] ^= 0xFF
        shot = dt.Image(8, 8, changed)
        diffs = dt.differing_pixels(shot, reference, dt.Rect(0, 0, 6, 6),
                                    exclude=[dt.Rect(5, 5, 1, 1)])
        self.assertEqual([(x, y) for x, y, _, _ in diffs], [(1, 1)])
        self.assertIn("(1,1)", dt.describe_differences(diffs))


class DesktopTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls) -> None:
        missing = dt.missing_tools()
        if missing:
            raise unittest.SkipTest("end-to-end tests need " + ", ".join(missing))
        cls.desktop = cls.enterClassContext(dt.Desktop(*dt.TWO_MONITORS_SCREEN,
                                                       monitors=dt.TWO_MONITORS))

    def test_other_window_is_seen_where_it_was_put_and_leaves_no_trace(self):
        desktop = self.desktop
        watcher = desktop.watch_root()
        self.addCleanup(watcher.stop)
        program, window = desktop.open_window(dt.Rect(300, 200, 120, 60))
        frame = desktop.frame_of(window)
        self.assertEqual((frame.x, frame.y), (300, 200))
        client = desktop.window_info(window)
        self.assertTrue(frame.rect.intersection(client.rect) == client.rect)
        self.assertEqual((client.width, client.height), (120, 60))
        self.assertEqual(desktop.search(name=desktop.title(window)), [window])

        around = dt.Rect(250, 150, 250, 200)
        shot = desktop.expect_pixels_equal_background(around, exclude=[frame.rect])
        self.assertEqual(desktop.window_image(window, shot).pixel(5, 5), (255, 0, 255))
        with self.assertRaises(AssertionError):
            desktop.expect_pixels_equal_background(around, shot=shot)

        # A second window laid over the first hides it where they overlap.
        over_program, over = desktop.open_window(dt.Rect(350, 230, 120, 60), color="#00ffff")
        corner = (client.rect.right - 1, client.rect.bottom - 1)
        desktop.raise_window(over)
        self.assertEqual(desktop.screenshot().pixel(*corner), (0, 255, 255))
        desktop.raise_window(window)
        self.assertEqual(desktop.screenshot().pixel(*corner), (255, 0, 255))

        over_program.stop()
        program.stop()
        dt.wait_until(lambda: not desktop.search(class_name="Xmessage"), 5,
                      "the windows to go")
        desktop.expect_pixels_equal_background(around)
        kinds = [e.kind for e in watcher.events(windows={frame.id})]
        self.assertIn("MapNotify", kinds)
        self.assertIn("UnmapNotify", kinds)

    def test_two_monitors_and_the_pointer(self):
        monitors = self.desktop.tool(["xrandr", "--listmonitors"])
        self.assertIn("LEFT 800/211x600/158+0+0", monitors)
        self.assertIn("RIGHT 1024/270x768/203+800+0", monitors)
        self.desktop.mouse_move(1500, 700)
        self.assertEqual(self.desktop.mouse_location(), (1500, 700))


class CleanupTest(unittest.TestCase):

    def test_nothing_is_left_running(self):
        if dt.missing_tools():
            raise unittest.SkipTest("end-to-end tests need " + ", ".join(dt.missing_tools()))
        with dt.Desktop(320, 240) as desktop:
            pids = [desktop._server.pid] + [p.pid for p in desktop._programs]  # noqa: SLF001
            socket = Path(f"/tmp/.X11-unix/X{desktop.display[1:]}")
            self.assertTrue(socket.exists())
            tmp = desktop.tmp
        for pid in pids:
            with self.subTest(pid=pid):
                self.assertFalse(Path(f"/proc/{pid}").exists())
        self.assertFalse(socket.exists())
        self.assertFalse(tmp.exists())


if __name__ == "__main__":
    dt.main()
