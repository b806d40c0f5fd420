"""The real program under sway (headless, with XWayland), driven through sway's own
pointer. By default she is a layer surface there: at her saved place, see-through (only
her sprites and string change the screen), moved by a drag of the pin to the exact drop,
above another window while always on top and under it again after, and her exit saves
the dropped place for the next start. Without the layer shell she is an XWayland window
that sway floats at her own size, see-through."""

from __future__ import annotations

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
import sway_session  # noqa: E402
from geometry import (MENU_ITEM_ALWAYS_ON_TOP, MENU_ITEM_EXIT, TWIPS_PER_PIXEL,  # noqa: E402
                      WINDOW_SIZE, grip, window_at)
from mascot_case import MascotCase  # noqa: E402
from program_case import MENU_TITLE, SETTINGS_FILE  # noqa: E402
from scene import place_by_pin  # noqa: E402

# The settings' place, 3000,1500 twips at 15 to the pixel.
SAVED_SETTINGS = b"3000,1500\r\n"
SAVED = (200, 100)
DROP = (430, 320)
# Where the pointer goes on after letting go: on and away, as a hand does.
GO_ON = ((470, 360), (560, 420), (700, 500))
SKIPPED = 77


def solid(width: int, height: int, color: dt.Color) -> dt.Image:
    return dt.Image(width, height, bytes(color) * (width * height))


class SwayTest(MascotCase):

    @classmethod
    def missing_tools(cls) -> list[str]:
        return sway_session.missing_tools()

    @classmethod
    def make_desktop(cls) -> dt.Desktop:
        return sway_session.SwayDesktop(*cls.screen)

    def whole(self) -> dt.Rect:
        return dt.Rect(0, 0, self.desktop.width, self.desktop.height)

    def at_rest(self, program: dt.Program, behind: dt.Image) -> tuple[dt.Rect, dt.Image]:
        """Where her pin shows over `behind` (the screen without her), and the whole
        screen once her swing is over."""
        def pin_shows() -> dt.Rect | None:
            if not program.running():
                raise AssertionError(f"the program ended with {program.returncode}; "
                                     f"stderr:\n{program.stderr()[-2000:]}")
            return place_by_pin(self.desktop.screenshot(), behind)

        place = dt.wait_until(pin_shows, 15, "her pin on the screen", interval=0.1)
        self.wait_for_rest(place)
        shot = self.desktop.screenshot()
        return place_by_pin(shot, behind) or place, shot

    def expect_alone(self, shot: dt.Image, behind: dt.Image, place: dt.Rect) -> None:
        """Only her sprites and string, in her window at `place`, differ from `behind`."""
        self.expect_scene(shot.crop(place), behind.crop(place))
        outside = dt.differing_pixels(shot, behind, self.whole(), [place])
        if outside:
            self.fail(f"the screen changed outside her window at {place} (screenshot "
                      f"{self.desktop.keep_artifact(shot, 'sway')})\n"
                      + dt.describe_differences(outside))

    def open_terminal(self) -> dt.Program:
        """A Wayland window of another program's, which sway tiles over the whole screen:
        a terminal with nothing in it that changes (its shell only waits)."""
        shell = self.desktop.tmp / "waiting-shell"
        shell.write_text("#!/bin/sh\nexec sleep 600\n")
        shell.chmod(0o755)
        terminal = self.desktop.start_program(["weston-terminal", f"--shell={shell}"],
                                              label="terminal")
        self.addCleanup(terminal.stop)
        dt.wait_until(lambda: self.desktop.node_of(terminal.pid), 10, "the terminal")
        return terminal

    def choose(self, program: dt.Program, place: dt.Rect, item: tuple[int, int]) -> None:
        """Right-clicks her pin and clicks `item` of the menu that comes up."""
        self.desktop.click(*grip(place), button=3)
        menu = self.desktop.wait_window(pid=program.pid, name=MENU_TITLE)
        inner = self.desktop.wait_settled(menu)
        self.desktop.click(inner.x + item[0], inner.y + item[1])
        dt.wait_until(lambda: not self.desktop.search(pid=program.pid, name=MENU_TITLE), 5,
                      "the menu to close")

    def test_layer_surface_keeps_her_place_drags_stays_on_top_on_request_and_saves(self):
        wallpaper = self.desktop.wallpaper
        program = self.start(settings=SAVED_SETTINGS)
        place, shot = self.at_rest(program, wallpaper)
        self.assertEqual(place, window_at(*SAVED), "her saved place was not kept")
        self.assertIsNone(self.desktop.node_of(program.pid),
                          "she is a window in sway's tree, not a layer surface")
        self.expect_alone(shot, wallpaper, place)

        # The drop is where the button came up, however the pointer goes on after.
        drop = window_at(*DROP)
        self.desktop.drag_and_go_on(grip(place), grip(drop), GO_ON)
        place, shot = self.at_rest(program, wallpaper)
        self.assertEqual(place, drop, "she did not land where she was let go")
        self.expect_alone(shot, wallpaper, place)

        # Always on top: above a window that sway tiles over the whole screen (a terminal,
        # black inside), and under it again once the switch is off.
        self.choose(program, place, MENU_ITEM_ALWAYS_ON_TOP)
        terminal = self.open_terminal()
        black = solid(self.desktop.width, self.desktop.height, (0, 0, 0))
        dt.wait_until(lambda: place_by_pin(self.desktop.screenshot(), black) == place, 10,
                      "the terminal to cover the screen, her pin still over it")
        above = self.wait_for_rest(self.whole(), quiet=0.5).image
        self.expect_scene(above.crop(place), black.crop(place))
        self.choose(program, place, MENU_ITEM_ALWAYS_ON_TOP)
        dt.wait_until(lambda: self.desktop.grab(place).data == black.crop(place).data, 5,
                      "her to go under the terminal")
        under = self.desktop.screenshot()
        self.assertEqual(dt.differing_pixels(above, under, self.whole(), [place])[:8], [],
                         "more than her changed")
        terminal.stop()
        _, shot = self.at_rest(program, wallpaper)
        self.expect_alone(shot, wallpaper, place)

        # The exit saves the dropped place, and the next start comes back there.
        self.choose(program, place, MENU_ITEM_EXIT)
        self.assertEqual(program.wait(10), 0)
        self.assertEqual((program.cwd / SETTINGS_FILE).read_bytes(),
                         b"%d,%d\r\n" % (DROP[0] * TWIPS_PER_PIXEL, DROP[1] * TWIPS_PER_PIXEL))
        again = self.start(cwd=program.cwd)
        place, shot = self.at_rest(again, wallpaper)
        self.assertEqual(place, drop, "the next start did not come back to the saved place")
        self.expect_alone(shot, wallpaper, place)

    def test_without_the_layer_shell_sway_floats_her_xwayland_window_see_through(self):
        wallpaper = self.desktop.wallpaper
        program, window, told = self.started("--no-layer-shell", settings=SAVED_SETTINGS)
        hints = self.desktop.tool(["xprop", "-id", str(window), "WM_NORMAL_HINTS"])
        size = "{} by {}".format(*WINDOW_SIZE)
        self.assertIn(f"minimum size: {size}", hints)
        self.assertIn(f"maximum size: {size}", hints)
        node = self.desktop.node_of(program.pid)
        self.assertIsNotNone(node, "sway has no window of hers")
        self.assertEqual(node["type"], "floating_con", "sway tiles her")
        self.assertEqual((node["rect"]["width"], node["rect"]["height"]), WINDOW_SIZE)
        place, shot = self.at_rest(program, wallpaper)
        print(f"\nsway, XWayland: her window at {place} (X says {told}, saved at "
              f"{window_at(*SAVED)})", file=sys.stderr)
        self.assertEqual(place, told, "sway shows her elsewhere than X says")
        self.expect_alone(shot, wallpaper, place)


if __name__ == "__main__":
    missing = sway_session.missing_tools()
    if missing:
        print("skipped: the sway tests need " + ", ".join(missing)
              + " (bash scripts/install-deps.sh installs them)", file=sys.stderr)
        sys.exit(SKIPPED)
    dt.main()
