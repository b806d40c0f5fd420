"""The real program on X screens of 120, 144 and 192 dpi (Xft.dpi). Below 200% the window
is laid out in device pixels with the twips per pixel of the real dpi (12 at 120 dpi,
so 121 x 188 with a rope of 132); from 200% on the art is drawn at the whole-number
factor, every art pixel a block of 2 x 2 (3 x 3 at 300%) device pixels, so she keeps her
size. Either way the background behind her is exact in every device pixel, and a drop
and the exit's saved place work in twips of that layout."""

from __future__ import annotations

import sys
from dataclasses import dataclass
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from geometry import CHAR_SIZE, MENU_ITEM_EXIT, Scene, grip  # noqa: E402
from mascot_case import MascotCase  # noqa: E402
from program_case import MENU_TITLE, SETTINGS_FILE  # noqa: E402
from scene import scene_faults, string_band  # noqa: E402


@dataclass(frozen=True)
class Scale:
    dpi: int
    factor: int  # device pixels per art pixel, across and down
    place: dt.Rect  # the window's device place and size at the design position

    @property
    def twips_per_pixel(self) -> float:
        """Of the window's own (art) pixels."""
        return 1440 * self.factor / self.dpi


# The design place 9588, 996 twips and height 2256 twips: at 12 twips per pixel (120 dpi)
# (799, 83) and 188 high, so a rope of 132 and 0.374596 x 132 + 72 = 121.4 wide; at 10
# (144 dpi) (958.8, 99.6) and 225.6 round to (959, 100) and 226, rope 170, 135.7 wide; at
# 192 dpi the 96-dpi layout (639, 66, 107 x 150) at twice the size.
SCALES = (
    Scale(120, 1, dt.Rect(799, 83, 121, 188)),
    Scale(144, 1, dt.Rect(959, 100, 136, 226)),
    Scale(192, 2, dt.Rect(1278, 132, 214, 300)),
)


class HighDpiTest(MascotCase):
    """A screen large enough for the design place at every scale; another program's
    window lies under the lower part of all three places, so the background is not the
    wallpaper alone."""

    screen = (1920, 1200)

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        cls.desktop.open_window(dt.Rect(760, 200, 700, 80))
        cls.truth = cls.desktop.screenshot()

    def set_dpi(self, dpi: int) -> None:
        resources = self.desktop.tmp / "resources"
        resources.write_text(f"Xft.dpi: {dpi}\n")
        self.desktop.tool(["xrdb", "-nocpp", "-merge", str(resources)])

    def expect_exact_at_rest(self, scale: Scale, place: dt.Rect) -> tuple[int, int]:
        """Waits for the swing to end, then asserts the window shows the screen behind it
        in every device pixel but the sprites', which are the art at the scale's factor,
        and that nothing of the program's shows outside it. Returns how many device
        pixels show the background and how many of those equal the screen behind."""
        self.wait_for_rest(place)
        k = scale.factor
        scene = Scene.of(place, k)
        pin_x, char_at = scene.pin_x, scene.char_at
        shot = self.desktop.screenshot()
        window, behind = shot.crop(place), self.truth.crop(place)
        faults, string = scene_faults(window, behind, char_at, pin_x, k)
        if faults:
            saved = self.desktop.keep_artifact(window, f"high-dpi-{scale.dpi}")
            self.fail(f"at {scale.dpi} dpi the window is not the screen behind it with the "
                      f"art at {k}x; window pixels {saved}\n" + dt.describe_differences(faults))
        band = string_band(char_at, pin_x, k)
        self.assertGreaterEqual(string, (band.height - 3 * k) * k, "the string is missing")
        whole = dt.Rect(0, 0, *self.screen)
        self.desktop.expect_pixels_equal(whole, self.truth, exclude=[place], shot=shot)
        # The share the user sees: device pixels outside the art that equal the screen.
        sprites = [dt.Rect(char_at[0] * k, char_at[1] * k, CHAR_SIZE[0] * k, CHAR_SIZE[1] * k),
                   dt.Rect(pin_x * k, 0, 16 * k, 16 * k), band]
        shown = [(x, y) for y in range(place.height) for x in range(place.width)
                 if not any(r.contains(x, y) for r in sprites)]
        return len(shown), sum(window.pixel(x, y) == behind.pixel(x, y) for x, y in shown)

    def test_each_scale_lays_out_by_its_rule_with_the_background_exact_and_the_art_crisp(self):
        for scale in SCALES:
            with self.subTest(dpi=scale.dpi):
                self.set_dpi(scale.dpi)
                program, _, place = self.started()
                self.assertEqual(place, scale.place)
                shown, exact = self.expect_exact_at_rest(scale, place)
                print(f"\n{scale.dpi} dpi: {place.width}x{place.height} at "
                      f"({place.x},{place.y}), art {scale.factor}x; {exact} of {shown} "
                      f"background device pixels exact", file=sys.stderr)
                program.stop()

    def test_a_drop_captures_anew_and_exit_saves_the_place_in_twips_of_the_layout(self):
        for scale in (SCALES[0], SCALES[2]):
            with self.subTest(dpi=scale.dpi):
                self.set_dpi(scale.dpi)
                program, window, start = self.started(find=self.mascot_after_startup)
                k = scale.factor
                held = grip(start)
                drop = (held[0] - 401, held[1] + 199)
                self.desktop.drag(held, drop)
                moved = self.settled_rect(window)
                # The window follows the pointer in whole art pixels.
                self.assertLessEqual(abs(moved.x - (start.x - 401)), k - 1, moved)
                self.assertLessEqual(abs(moved.y - (start.y + 199)), k - 1, moved)
                self.assertEqual((moved.width, moved.height), (start.width, start.height))
                self.expect_exact_at_rest(scale, moved)

                self.desktop.click(*drop, button=3)
                menu = self.desktop.wait_settled(self.desktop.wait_window(pid=program.pid,
                                                                           name=MENU_TITLE))
                # The menu's item, laid out from twips too: at dpi / 96 its 96-dpi place.
                self.desktop.click(menu.x + MENU_ITEM_EXIT[0] * scale.dpi // 96,
                                   menu.y + MENU_ITEM_EXIT[1] * scale.dpi // 96)
                self.assertEqual(program.wait(10), 0)
                saved = (program.cwd / SETTINGS_FILE).read_bytes()
                self.assertEqual(saved, b"%d,%d\r\n" % (moved.x // k * scale.twips_per_pixel,
                                                        moved.y // k * scale.twips_per_pixel))

                # The twips bring the next start back to the very device place.
                again, _, rect = self.started(cwd=program.cwd)
                self.assertEqual(rect, moved)
                again.stop()


if __name__ == "__main__":
    dt.main()
