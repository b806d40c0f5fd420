"""The mouse on the real program: dragging the mascot by its pin (and where a drop is
held), the right-click menu, the always-on-top switch, and the exit that saves the
window's place, including an exit whose settings file cannot be written."""

from __future__ import annotations

import contextlib
import errno
import os
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from geometry import (CHAR_REST, DESIGN_POSITION, MENU_ITEM_ALWAYS_ON_TOP,  # noqa: E402
                      MENU_ITEM_EXIT, MENU_SIZE, PIN_BOTTOM_RIGHT, PIN_GRIP, PIN_TOP_LEFT,
                      SCREEN, TWIPS_PER_PIXEL, WINDOW_SIZE, grip, window_at)
from mascot_case import MascotCase  # noqa: E402
from program_case import MENU_TITLE, SETTINGS_FILE, TITLE  # noqa: E402
from scene import background_only_matches  # noqa: E402

MENU_PICTURE = Path("/tmp/ruvia-menu.png")


@contextlib.contextmanager
def read_only(folder: Path):
    """Makes `folder` read-only for the program, root or not (root ignores the mode)."""
    if os.geteuid() != 0:
        folder.chmod(0o555)
        try:
            yield
        finally:
            folder.chmod(0o755)
        return
    subprocess.run(["mount", "--bind", "-o", "ro", str(folder), str(folder)], check=True)
    try:
        yield
    finally:
        subprocess.run(["umount", str(folder)], check=True)


class DragTest(MascotCase):
    """Drags by the pin over a desktop with another program's window where the mascot is
    dropped; `truth` is the screen with no mascot on it."""

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        cls.desktop.open_window(dt.Rect(260, 340, 150, 70))
        cls.truth = cls.desktop.screenshot()

    def drag_pin(self, window: int, to: tuple[int, int], at: tuple[int, int] = PIN_GRIP
                 ) -> tuple[int, int]:
        """Drags with xdotool from `at` on the pin to the screen point `to`; returns
        where the window's corner would be had nothing held it."""
        self.desktop.drag(grip(self.desktop.window_info(window).rect, at), to)
        return to[0] - at[0], to[1] - at[1]

    def expect_captured_anew(self, rect: dt.Rect, timeout: float = 3) -> None:
        """Waits until the window shows, where only the background can be, what lies
        behind its place."""
        truth = self.truth.crop(rect)
        dt.wait_until(lambda: background_only_matches(self.desktop.grab(rect), truth),
                      timeout, f"the background behind {rect} in the scene")

    def test_drag_moves_the_window_by_the_pointers_offset_and_captures_there(self):
        _, window, _ = self.started(find=self.mascot_after_startup)
        corner = self.drag_pin(window, grip(window_at(300, 300)))
        self.assertEqual(corner, (300, 300))
        rect = self.settled_rect(window)
        self.assertEqual(rect, window_at(*corner))

        # The swing starts again after the drop; at rest every pixel is exact.
        self.wait_for_rest(rect)
        shot = self.desktop.screenshot()
        self.expect_scene(shot.crop(rect), self.truth.crop(rect), CHAR_REST)
        # Nothing was left at the old place.
        old = window_at(*DESIGN_POSITION)
        self.desktop.expect_pixels_equal(old, self.truth, shot=shot)

    def test_a_release_then_motion_at_once_drops_where_the_button_came_up_and_signals_save(self):
        # After the start-up's captures: a press while she is hidden is not a drag.
        program, window, _ = self.started(at_rest=True)
        for i, corner in enumerate([(500, 300), (120, 420), (700, 60)]):
            # One burst of input: the pointer goes on to the screen's corner before the
            # program has handled the release.
            self.desktop.flick(grip(self.settled_rect(window)), grip(window_at(*corner)),
                               (SCREEN[0] - 4, SCREEN[1] - 3))
            self.assertEqual(self.settled_rect(window), window_at(*corner),
                             f"drop {i + 1}")
        self.expect_captured_anew(self.settled_rect(window))

        # A logout (SIGTERM) or Ctrl-C (SIGINT) keeps her place as the exit item does.
        saved = b"%d,%d\r\n" % (700 * TWIPS_PER_PIXEL, 60 * TWIPS_PER_PIXEL)
        for sig, corner in [(signal.SIGTERM, (200, 250)), (signal.SIGINT, (640, 480))]:
            with self.subTest(signal.Signals(sig).name):
                if sig == signal.SIGINT:
                    self.drag_pin(window, grip(window_at(*corner)))
                    self.assertEqual(self.settled_rect(window), window_at(*corner))
                else:
                    corner = (700, 60)
                program.send(sig)
                self.assertEqual(program.wait(10), 0, program.stderr())
                saved = b"%d,%d\r\n" % (corner[0] * TWIPS_PER_PIXEL, corner[1] * TWIPS_PER_PIXEL)
                self.assertEqual((program.cwd / SETTINGS_FILE).read_bytes(), saved)
                self.assertEqual(sorted(os.listdir(program.cwd)), [SETTINGS_FILE])
                program, window, rect = self.started(cwd=program.cwd)
                self.assertEqual(rect, window_at(*corner))

        # A folder that cannot be written: one line on stderr, a failed status, the old
        # file as it was.
        with read_only(program.cwd):
            program.send(signal.SIGTERM)
            self.assertNotEqual(program.wait(10), 0, "a failed save reported success")
        said = [line for line in program.stderr().splitlines() if SETTINGS_FILE in line]
        self.assertEqual(len(said), 1, program.stderr())
        self.assertIn(str(program.cwd.resolve() / SETTINGS_FILE), said[0])
        self.assertEqual((program.cwd / SETTINGS_FILE).read_bytes(), saved)

    def test_drops_past_each_edge_are_held_inside_the_screen(self):
        width, height = WINDOW_SIZE
        _, window, _ = self.started(find=self.mascot_after_startup)
        # Pointer targets on the screen whose grip puts the window partly off it.
        (rx, ry), (lx, ly) = PIN_BOTTOM_RIGHT, PIN_TOP_LEFT
        cases = [
            ("top", (500, 0), PIN_BOTTOM_RIGHT, (500 - rx, 0)),
            ("left", (10, 300), PIN_BOTTOM_RIGHT, (0, 300 - ry)),
            ("bottom", (400, SCREEN[1] - 1), PIN_TOP_LEFT, (400 - lx, SCREEN[1] - height)),
            ("right", (SCREEN[0] - 1, 200), PIN_TOP_LEFT, (SCREEN[0] - width, 200 - ly)),
        ]
        for edge, to, at, held in cases:
            with self.subTest(edge=edge):
                dropped = window_at(*self.drag_pin(window, to, at))
                self.assertNotEqual(dt.Rect(0, 0, *SCREEN).intersection(dropped), dropped,
                                    "the drop was inside the screen: nothing to hold")
                rect = self.settled_rect(window)
                self.assertEqual(rect, window_at(*held))
                self.expect_captured_anew(rect)


class MenuTest(MascotCase):

    def open_menu(self, program: dt.Program) -> tuple[int, dt.WindowInfo]:
        """Right-clicks the pin; returns the menu window and its settled geometry."""
        self.desktop.click(*grip(self.desktop.window_info(self.mascot(program)).rect), button=3)
        menu = self.desktop.wait_window(pid=program.pid, name=MENU_TITLE)
        return menu, self.desktop.wait_settled(menu)

    def click_item(self, menu: dt.WindowInfo, item: tuple[int, int]) -> None:
        self.desktop.click(menu.x + item[0], menu.y + item[1])

    def wait_hidden(self, window: int, timeout: float = 3) -> None:
        dt.wait_until(lambda: not self.desktop.window_info(window).viewable, timeout,
                      f"window {window:#x} to be hidden")

    def test_right_click_on_the_pin_opens_the_menu_centred_over_the_mascot(self):
        program, mascot, mascot_rect = self.started(find=self.mascot_after_startup)
        menu, inner = self.open_menu(program)

        self.assertEqual((inner.width, inner.height), MENU_SIZE)
        hints = self.desktop.tool(["xprop", "-id", str(menu), "WM_NORMAL_HINTS"])
        size = "{} by {}".format(*MENU_SIZE)
        self.assertIn(f"minimum size: {size}", hints, "the menu can be resized")
        self.assertIn(f"maximum size: {size}", hints, "the menu can be resized")
        # A title and a close button; nothing to minimise or maximise.
        actions = self.desktop.property(menu, "_NET_WM_ALLOWED_ACTIONS") or ""
        self.assertIn("_NET_WM_ACTION_CLOSE", actions)
        for action in ("MINIMIZE", "MAXIMIZE_HORZ", "MAXIMIZE_VERT", "RESIZE"):
            self.assertNotIn(f"_NET_WM_ACTION_{action}", actions)
        # A frame with a title bar around exactly the inner area.
        left, right, top, bottom = self.desktop.frame_extents(menu) or (0, 0, 0, 0)
        frame = self.desktop.frame_of(menu)
        self.assertGreater(top, max(left, right, bottom), "no title bar")
        self.assertEqual(frame.rect, dt.Rect(inner.x - left, inner.y - top,
                                             inner.width + left + right,
                                             inner.height + top + bottom))
        # Owned by the mascot, and centred over it on its first showing.
        owner = self.desktop.tool(["xprop", "-id", str(menu), "WM_TRANSIENT_FOR"])
        self.assertIn(f"window id # {mascot:#x}", owner)
        self.assertLessEqual(abs(2 * inner.x + inner.width - 2 * mascot_rect.x
                                 - mascot_rect.width), 2)
        self.assertLessEqual(abs(2 * inner.y + inner.height - 2 * mascot_rect.y
                                 - mascot_rect.height), 2)

        shot = self.desktop.screenshot()
        picture = shot.crop(frame.rect.intersection(dt.Rect(0, 0, *SCREEN)))
        picture.save_png(MENU_PICTURE)
        folder = os.environ.get("RUVIA_E2E_ARTIFACTS")
        if folder:
            Path(folder).mkdir(parents=True, exist_ok=True)
            picture.save_png(Path(folder) / "ruvia-menu.png")
        # Both items carry a caption: pixels unlike the item's background, left of the
        # probe point.
        for name, (x, y) in (("always on top", MENU_ITEM_ALWAYS_ON_TOP), ("exit", MENU_ITEM_EXIT)):
            back = bytes(shot.pixel(inner.x + x, inner.y + y))
            row = shot.crop(dt.Rect(inner.x + 4, inner.y + y - 8, 110, 16))
            ink = sum(1 for i in range(0, len(row.data), 3) if row.data[i:i + 3] != back)
            self.assertGreater(ink, 40, f"no caption on the {name} item")
        # Opening the menu moves nothing.
        self.assertEqual(self.desktop.window_info(mascot).rect, mascot_rect)

        # Switching to another program leaves the menu open.
        other, other_window = self.desktop.open_window(dt.Rect(20, 500, 120, 80))
        self.addCleanup(other.stop)
        self.desktop.activate(other_window)
        time.sleep(0.5)
        self.assertTrue(self.desktop.window_info(menu).viewable,
                        "the menu closed when another program became active")

    def test_the_item_under_the_pointer_is_highlighted(self):
        program = self.start()
        self.mascot_after_startup(program)
        _, inner = self.open_menu(program)

        def dark(item: tuple[int, int]) -> bool:
            return sum(self.desktop.grab(dt.Rect(inner.x + item[0], inner.y + item[1], 1, 1))
                       .pixel(0, 0)) < 150

        for hovered, other in ((MENU_ITEM_ALWAYS_ON_TOP, MENU_ITEM_EXIT),
                               (MENU_ITEM_EXIT, MENU_ITEM_ALWAYS_ON_TOP),
                               (MENU_ITEM_ALWAYS_ON_TOP, MENU_ITEM_EXIT)):
            with self.subTest(hovered=hovered):
                self.desktop.mouse_move(inner.x + hovered[0] - 60, inner.y + hovered[1])
                dt.wait_until(lambda: dark(hovered) and not dark(other), 3,
                              f"item at {hovered} dark and the other light")

    def test_always_on_top_switch_sets_and_clears_the_state(self):
        program, _, rect = self.started(find=self.mascot_after_startup)
        menu, first = self.open_menu(program)
        self.click_item(first, MENU_ITEM_ALWAYS_ON_TOP)
        self.wait_hidden(menu)
        dt.wait_until(lambda: "_NET_WM_STATE_ABOVE" in self.desktop.wm_state(
            self.mascot(program)), 3, "the mascot to be always on top")

        # A window opened later over the mascot's place stays beneath it, raised or not:
        # once the swing has come to rest, nothing of the mascot's place changes.
        still = self.wait_for_rest(rect, quiet=0.5).image
        other, other_window = self.desktop.open_window(dt.Rect(rect.x + 20, rect.y + 40, 150, 80))
        self.addCleanup(other.stop)
        self.assertEqual(self.desktop.grab(rect).data, still.data,
                         "the new window covers the mascot")
        self.desktop.raise_window(other_window)
        time.sleep(0.3)  # a raise that wrongly took effect shows within this
        self.assertEqual(self.desktop.grab(rect).data, still.data,
                         "the raised window covers the mascot")
        overlap = self.desktop.window_info(other_window).rect.intersection(rect)
        assert overlap is not None

        def magenta_share() -> float:
            img = self.desktop.grab(overlap)
            pixels = [img.data[i:i + 3] for i in range(0, len(img.data), 3)]
            return sum(1 for p in pixels if p == b"\xff\x00\xff") / len(pixels)

        menu, again = self.open_menu(program)
        self.assertEqual((again.x, again.y), (first.x, first.y), "the menu moved")
        self.click_item(again, MENU_ITEM_ALWAYS_ON_TOP)
        self.wait_hidden(menu)
        dt.wait_until(lambda: "_NET_WM_STATE_ABOVE" not in self.desktop.wm_state(
            self.mascot(program)), 3, "the mascot to be no longer on top")
        self.desktop.raise_window(other_window)
        dt.wait_until(lambda: magenta_share() > 0.5, 3, "the raised window over the mascot")

    def test_right_clicks_on_the_pin_while_a_capture_hides_her_open_the_menu(self):
        """A press in the few milliseconds a capture keeps her off the screen is hers all
        the same: every right-click on the pin then opens the menu, and none reaches the
        window beneath her; a click beside her still reaches the window there. A window
        passing over her sets each capture off; the click comes once the window beneath
        is what the pin's point shows."""
        targets = (["pin"] * 4 + ["aside"]) * 5
        pin_clicks, aside_clicks = targets.count("pin"), targets.count("aside")
        place = window_at(*DESIGN_POSITION)
        xc = self.desktop.xclient()
        beneath = xc.create_cover(place, (0, 96, 160))
        aside = xc.create_cover(dt.Rect(place.x - 120, place.y, 100, 60), (0, 160, 64))
        for window in (beneath, aside):
            xc.count_presses(window)
            xc.map_raised(window)
        xc.lower(beneath)  # openbox keeps her frame below windows it does not manage
        passer = xc.create_cover(dt.Rect(place.x, place.y + 100, place.width, 30), (250, 200, 0))
        program, _, rect = self.started(find=self.mascot_after_startup)
        self.assertEqual(rect, place)
        pin = grip(rect)
        beside = (place.x - 70, place.y + 30)
        opened = 0
        for target in targets:
            xc.move_pointer(*(pin if target == "pin" else beside))
            xc.map_raised(passer)
            xc.unmap(passer)
            dt.wait_until(lambda: xc.top_level_at(*pin) == beneath, 3,
                          "her capture to uncover the window beneath", interval=0.0005)
            xc.button(1 if target == "aside" else 3, True)
            xc.button(1 if target == "aside" else 3, False)
            # One click a capture: a second one would come after the first had let go.
            dt.wait_until(lambda: xc.top_level_at(*pin) != beneath, 3, "her back on the screen")
            if target == "aside":
                continue
            try:
                menu = self.desktop.wait_window(timeout=2, pid=program.pid, name=MENU_TITLE)
            except TimeoutError:
                continue
            opened += 1
            below = self.desktop.frame_of(menu).rect.bottom + 2
            self.desktop.click(rect.x + 5, below)
            self.wait_hidden(menu)
        lost, beside_got = xc.presses(beneath), xc.presses(aside)
        print(f"\nright-clicks on the pin while a capture hides her: {opened} of "
              f"{pin_clicks} opened the menu, {lost} reached the window beneath; "
              f"{beside_got} of {aside_clicks} clicks beside her reached the window there",
              file=sys.stderr)
        self.assertEqual((opened, lost, beside_got), (pin_clicks, 0, aside_clicks))

    def test_a_click_on_the_mascot_hides_the_menu(self):
        program, _, rect = self.started(find=self.mascot_after_startup)
        menu, _ = self.open_menu(program)
        # The menu covers the middle of the mascot; its lowest rows stay in sight.
        below = self.desktop.frame_of(menu).rect.bottom + 2
        self.assertLess(below, rect.bottom, "the menu hides the whole mascot")
        self.desktop.click(rect.x + 5, below)
        self.wait_hidden(menu)
        self.assertTrue(program.running())
        self.assertEqual(os.listdir(program.cwd), [])

    def test_exit_saves_the_place_in_twips_and_the_next_start_comes_back_there(self):
        program, window, rect = self.started(find=self.mascot_after_startup)
        self.desktop.drag(grip(rect), grip(window_at(200, 310)))
        self.assertEqual(self.settled_rect(window), window_at(200, 310))
        _, inner = self.open_menu(program)
        self.click_item(inner, MENU_ITEM_EXIT)
        self.assertEqual(program.wait(10), 0)
        self.assertEqual(sorted(os.listdir(program.cwd)), [SETTINGS_FILE])
        self.assertEqual((program.cwd / SETTINGS_FILE).read_bytes(),
                         b"%d,%d\r\n" % (200 * TWIPS_PER_PIXEL, 310 * TWIPS_PER_PIXEL))

        _, _, rect = self.started(cwd=program.cwd)
        self.assertEqual(rect, window_at(200, 310))

    def test_settings_options_choose_where_the_position_is_kept(self):
        named = self.new_dir("named-") / "position.ini"
        config = self.new_dir("config-")
        in_config = config / "ruvia-mascot" / SETTINGS_FILE
        at_design = b"%d,%d\r\n" % tuple(v * TWIPS_PER_PIXEL for v in DESIGN_POSITION)
        cases = [(["--settings", str(named)], named),
                 (["--user-settings"], in_config)]
        for args, saved in cases:
            with self.subTest(args=args):
                program, _, _ = self.started(*args, find=self.mascot_after_startup,
                                             XDG_CONFIG_HOME=str(config))
                self.assertFalse(saved.exists())
                if saved == in_config:
                    self.assertFalse(in_config.parent.exists(), "made before the first exit")
                _, inner = self.open_menu(program)
                self.click_item(inner, MENU_ITEM_EXIT)
                self.assertEqual(program.wait(10), 0)
                self.assertEqual(saved.read_bytes(), at_design)
                self.assertEqual(os.listdir(program.cwd), [])

                saved.write_bytes(b"1200,3450\r\n")
                again, _, rect = self.started(*args, XDG_CONFIG_HOME=str(config))
                self.assertEqual(rect, window_at(80, 230))
                again.stop()

    def test_a_settings_file_that_cannot_be_written_is_reported_and_left_alone(self):
        def make_it_a_directory(cwd: Path) -> None:
            (cwd / SETTINGS_FILE).mkdir()

        def remove_the_directory(cwd: Path) -> None:
            shutil.rmtree(cwd)

        cases = [("settings file is a directory", make_it_a_directory, errno.EISDIR),
                 ("working directory removed", remove_the_directory, errno.ENOENT)]
        for name, spoil, reason in cases:
            with self.subTest(name):
                program = self.start()
                self.mascot_after_startup(program)
                full_path = str(program.cwd.resolve() / SETTINGS_FILE)
                _, inner = self.open_menu(program)
                spoil(program.cwd)
                self.click_item(inner, MENU_ITEM_EXIT)

                def message_box() -> list[int]:
                    return [w for w in self.windows_of(program, TITLE)
                            if "_NET_WM_WINDOW_TYPE_DIALOG" in
                            (self.desktop.property(w, "_NET_WM_WINDOW_TYPE") or "")]

                box = dt.wait_until(message_box, 10, "the message box")[0]
                self.assertTrue(program.running(), "the program ended without waiting")
                said = program.memory_holds([full_path, os.strerror(reason)])
                self.assertTrue(said[full_path], f"the message does not name {full_path}")
                self.assertTrue(said[os.strerror(reason)],
                                f"the message does not say {os.strerror(reason)!r}")
                self.assertFalse((program.cwd / (SETTINGS_FILE + ".new")).exists())

                self.desktop.activate(box)
                self.desktop.key("Return")
                self.assertNotEqual(program.wait(10), 0, "a failed save reported success")
                if program.cwd.exists():
                    self.assertEqual(os.listdir(program.cwd), [SETTINGS_FILE])
                    self.assertTrue((program.cwd / SETTINGS_FILE).is_dir())


if __name__ == "__main__":
    dt.main()
