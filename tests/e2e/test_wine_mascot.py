"""The Windows program under Wine on a private X desktop with openbox: where its window
comes up, the background it copies, the swing, a drag by the pin and the hold inside the
screen, the menu with its always-on-top switch, the exit that saves the position for the
next start, an end asked from outside (taskkill, the session's end) that saves it too, and
a smaller display that holds her inside it."""

from __future__ import annotations

import os
import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from geometry import (CHAR_REST, DESIGN_POSITION, MENU_SIZE, NEVER_DRAWN,  # noqa: E402
                      ON_CHARACTER, PIN_MIDDLE, PIN_RECT, REST_BAND, TWIPS_PER_PIXEL,
                      WINDOW_SIZE, grip, window_at)
from program_case import MENU_TITLE, SETTINGS_FILE, TITLE  # noqa: E402
from scene import (HANGING, PIN, STRING_COLOR, composite, scene_faults,  # noqa: E402
                   string_band)
from wine_session import DESKTOP_EVENTS, WineCase, why_skipped  # noqa: E402

# Points of the menu's two items in its inside (inside the panel's 2-pixel sunken
# border): the always-on-top item and the exit item below it.
TOPMOST_ITEM = (180, 85)
EXIT_ITEM = (180, 108)
# The first character cell of the always-on-top item: a space, or "*" while on.
MARK_CELL = dt.Rect(2, 76, 7, 16)
# The rows of the always-on-top item's text.
TOPMOST_TEXT = dt.Rect(2, 76, 150, 18)

BLACK, WHITE = (0, 0, 0), (255, 255, 255)

# A resolution Xvfb does not offer by itself: its one output gets it as an extra mode.
SMALL_DISPLAY = (800, 600)
SMALL_MODE_LINE = ["40", "800", "840", "968", "1056", "600", "601", "605", "628"]


def window_pixels_match(shot: dt.Image, reference: dt.Image, window: dt.Rect,
                        parts: tuple[dt.Rect, ...]) -> list:
    """Pixels of `parts` (window coordinates) where the screen differs from `reference`."""
    diffs = []
    for part in parts:
        diffs += dt.differing_pixels(shot, reference, part.moved(window.x, window.y))
    return diffs


def glyph_columns(image: dt.Image, rect: dt.Rect) -> list[tuple[int, ...]]:
    """The runs of columns of `rect` holding dark text on a light ground, each as its
    per-column counts of dark pixels: one run per glyph, give or take glyphs that touch
    or come apart."""
    runs, current = [], []
    for x in range(rect.x, rect.right):
        count = sum(1 for y in range(rect.y, rect.bottom) if sum(image.pixel(x, y)) < 384)
        if count:
            current.append(count)
        elif current:
            runs.append(tuple(current))
            current = []
    if current:
        runs.append(tuple(current))
    return runs


class MascotUnderWineTest(WineCase):

    def client_origin(self, menu: int) -> tuple[int, int]:
        """The menu's inside, on screen: Wine draws the frame and title bar itself."""
        info = self.desktop.window_info(menu)
        side = (info.width - MENU_SIZE[0]) // 2
        return info.x + side, info.y + info.height - MENU_SIZE[1] - side

    def open_menu(self, program: dt.Program, window: int) -> tuple[int, tuple[int, int]]:
        self.desktop.click(*grip(self.desktop.window_info(window).rect, PIN_MIDDLE), button=3)
        menu = self.window_of(program, MENU_TITLE, timeout=10)
        self.desktop.wait_settled(menu)
        return menu, self.client_origin(menu)

    def menu_gone(self, program: dt.Program) -> None:
        dt.wait_until(lambda: not self.windows_of(program, MENU_TITLE), 5, "the menu to hide")

    def test_start_places_the_window_copies_the_background_and_swings_to_rest(self):
        watcher = self.desktop.watch_root()
        self.addCleanup(watcher.stop)
        program = self.start()
        window = self.window_of(program)
        shown = time.monotonic()
        cpu_at_start = program.cpu_seconds()
        rect = self.settled_rect(window)
        self.assertEqual(rect, window_at(*DESIGN_POSITION))
        self.assertEqual(self.desktop.frame_of(window).rect, rect, "the window has a frame")
        self.assertIn(self.desktop.frame_extents(window), (None, (0, 0, 0, 0)))
        self.assertEqual(self.desktop.title(window), TITLE)

        rest = self.wait_for_rest(rect)
        swing_s, pictures = rest.at - shown, rest.pictures
        cpu_s = program.cpu_seconds() - cpu_at_start
        print(f"\nwine swing: rest after {swing_s:.2f} s, {pictures} different frames seen, "
              f"cpu {cpu_s:.3f} s, rss {program.rss_kb()} kB", file=sys.stderr)
        # 79 ticks of 50 ms, give or take the start-up and the polling.
        self.assertGreater(swing_s, 3.0)
        self.assertLess(swing_s, 8.0)
        self.assertGreater(pictures, 2, "the character did not swing")

        # Showing the window again after a copy must not start another copy: at rest the
        # window stays put on the screen.
        frames = watcher.holders(window) | {self.desktop.frame_of(window).id}
        quiet_since = time.monotonic()
        time.sleep(1.0)
        self.assertEqual(watcher.events("UnmapNotify", frames, quiet_since), [],
                         "the window keeps hiding: captures without end")

        # At rest everything but the pin, the string and the hanging character is the
        # wallpaper that lies behind the window, pixel for pixel.
        shot = self.desktop.screenshot()
        band = dt.Rect(rect.x + REST_BAND[0], rect.y, REST_BAND[1] - REST_BAND[0], rect.height)
        self.desktop.expect_pixels_equal_background(rect, exclude=[band], shot=shot)
        drawn = dt.differing_pixels(shot, self.desktop.wallpaper, band)
        self.assertGreater(len(drawn), 500, "no character drawn")

        # A click on the character sets it swinging again.
        before = self.desktop.screenshot().crop(rect).data
        self.desktop.click(rect.x + 62, rect.y + 120)
        dt.wait_until(lambda: self.desktop.screenshot().crop(rect).data != before, 2, "a new swing")
        self.assertEqual(os.listdir(program.cwd), [], "the settings file is written at exit only")

    def test_drag_by_the_pin_moves_the_window_and_holds_it_inside_the_screen(self):
        program, window, rect = self.started(at_rest=True)
        width, height = WINDOW_SIZE
        screen_w, screen_h = self.screen
        pin_dx, pin_dy = PIN_MIDDLE
        cases = [
            # where the pointer lets go, where the window must end up
            ((339 + pin_dx, 266 + pin_dy), (339, 266)),
            ((20, 300), (0, 300 - pin_dy)),  # past the left edge
            ((screen_w - 4, screen_h - 4), (screen_w - width, screen_h - height)),
            ((500, 2), (500 - pin_dx, 0)),  # past the top edge
        ]
        watcher = self.desktop.watch_root()
        self.addCleanup(watcher.stop)
        # At rest nothing captures: the frame holding her now cannot be on its way out.
        first_frame = self.desktop.frame_of(window).id
        for drop, expected in cases:
            with self.subTest(drop=drop):
                since = time.monotonic()
                moved = self.drag_pin(window, drop)
                self.assertEqual(moved, dt.Rect(*expected, width, height))
                # The background was copied anew at the new place: the corners that are
                # never drawn show the wallpaper of that place.
                shot = self.desktop.screenshot()
                diffs = window_pixels_match(shot, self.desktop.wallpaper, moved, NEVER_DRAWN)
                self.assertEqual(diffs, [], dt.describe_differences(diffs))
                hidden = hidden_milliseconds(watcher, window, first_frame, since)
                print(f"\nwine capture after drag: hidden {hidden} ms", file=sys.stderr)
                # One copy per drop: more would be captures nobody asked for, each a
                # blink of the mascot.
                self.assertEqual(len(hidden), 1, f"hide/show cycles: {hidden} ms")
        self.assertTrue(program.running())

    def test_a_window_beneath_becomes_part_of_the_background(self):
        program, window, rect = self.started(at_rest=True)
        # Another window over her upper left corner; a click on her makes the window
        # manager raise her over it, and at rest her corners show that window where it
        # lies behind her now, and the wallpaper elsewhere: what the screen showed there
        # before the click, her own never-drawn corners included.
        over, other = self.desktop.open_window(dt.Rect(rect.x - 80, rect.y - 30, 100, 60))
        self.addCleanup(over.stop)  # the desktop is shared with the next test
        before = self.desktop.screenshot()
        covered = self.desktop.frame_of(other).rect.intersection(rect)
        self.assertTrue(covered and covered.width * covered.height > 500, covered)
        self.desktop.click(*grip(rect, ON_CHARACTER))
        self.wait_for_rest(rect)
        diffs = window_pixels_match(self.desktop.screenshot(), before, rect, NEVER_DRAWN)
        self.assertEqual(diffs, [], dt.describe_differences(diffs))

        # Dragged onto it, she shows it as her background at the new place.
        beneath, _ = self.desktop.open_window(dt.Rect(100, 400, 200, 150))
        self.addCleanup(beneath.stop)
        self.desktop.raise_window(window)
        before = self.desktop.screenshot()  # the other window, and the mascot elsewhere
        moved = self.drag_pin(window, grip(window_at(150, 380), PIN_MIDDLE))
        self.assertEqual((moved.x, moved.y), (150, 380))
        diffs = window_pixels_match(self.desktop.screenshot(), before, moved, NEVER_DRAWN)
        self.assertEqual(diffs, [], dt.describe_differences(diffs))
        self.assertTrue(program.running())

    def test_menu_highlights_switches_always_on_top_and_hides(self):
        program, window, rect = self.started(at_rest=True)
        menu, (cx, cy) = self.open_menu(program, window)

        # Centred over the mascot, the first time.
        m = self.desktop.window_info(menu).rect
        self.assertLessEqual(abs((m.x + m.width // 2) - (rect.x + rect.width // 2)), 1)
        self.assertLessEqual(abs((m.y + m.height // 2) - (rect.y + rect.height // 2)), 1)
        shot = self.desktop.screenshot()
        saved = self.desktop.keep_artifact(shot.crop(m), "wine-menu")
        print(f"\nwine menu screenshot: {saved}", file=sys.stderr)
        # Japanese text, not boxes: the item's glyphs differ from one another.
        glyphs = glyph_columns(shot, TOPMOST_TEXT.moved(cx, cy))
        self.assertGreaterEqual(len(set(glyphs)), 4, f"caption glyphs look alike: {glyphs}")

        def at(point: tuple[int, int]) -> dt.Color:
            return self.desktop.screenshot().pixel(cx + point[0], cy + point[1])

        # The item under the pointer shows white on the button-text colour, the other
        # one the other way round.
        self.assertEqual((at(TOPMOST_ITEM), at(EXIT_ITEM)), (WHITE, WHITE))
        for item, colours in ((TOPMOST_ITEM, (BLACK, WHITE)), (EXIT_ITEM, (WHITE, BLACK)),
                              (TOPMOST_ITEM, (BLACK, WHITE))):
            self.desktop.mouse_move(cx + item[0], cy + item[1])
            dt.wait_until(lambda: (at(TOPMOST_ITEM), at(EXIT_ITEM)) == colours, 3,
                          f"the highlight {colours} with the pointer at {item}")

        def mark_has_white() -> bool:
            cell = self.desktop.screenshot().crop(MARK_CELL.moved(cx, cy))
            return any(WHITE in cell.row(y) for y in range(cell.height))

        # Always on top, on and off again; the menu hides after each click, and when it
        # comes back, where it was, its item carries the mark "*" in place of a space.
        self.assertFalse(mark_has_white())
        for state in (True, False):
            self.desktop.click(cx + TOPMOST_ITEM[0], cy + TOPMOST_ITEM[1])
            self.menu_gone(program)
            dt.wait_until(lambda: ("_NET_WM_STATE_ABOVE" in self.desktop.wm_state(window))
                          == state, 5, f"_NET_WM_STATE_ABOVE to be {state}")
            menu, (cx, cy) = self.open_menu(program, window)
            self.assertEqual(self.desktop.window_info(menu).rect, m, "the menu moved")
            self.assertEqual(mark_has_white(), state)
        self.desktop.click(rect.x + 50, rect.bottom - 2)
        self.menu_gone(program)

        # A press on the mascot hid the menu; a right click on the exit item hides it
        # too, and neither saves nor ends.
        menu, (cx, cy) = self.open_menu(program, window)
        self.desktop.click(cx + EXIT_ITEM[0], cy + EXIT_ITEM[1], button=3)
        self.menu_gone(program)
        time.sleep(0.3)
        self.assertTrue(program.running())
        self.assertEqual(os.listdir(program.cwd), [])

    def test_exit_saves_the_position_and_the_next_start_comes_back_there(self):
        cwd = self.new_dir("cwd-")
        expected = None
        for drop in ((200, 300), (400, 250)):
            with self.subTest(drop=drop):
                program, window, rect = self.started(at_rest=True, cwd=cwd)
                if expected is not None:
                    self.assertEqual((rect.x, rect.y), expected, "the saved place was not used")
                moved = self.drag_pin(window, grip(window_at(*drop), PIN_MIDDLE))
                self.assertEqual((moved.x, moved.y), drop)
                _, (cx, cy) = self.open_menu(program, window)
                self.desktop.click(cx + EXIT_ITEM[0], cy + EXIT_ITEM[1])
                self.assertEqual(program.wait(10), 0)
                # Left and top in twips, 15 to the pixel at 96 dpi.
                self.assertEqual((cwd / SETTINGS_FILE).read_bytes(),
                                 b"%d,%d\r\n" % (drop[0] * TWIPS_PER_PIXEL,
                                                 drop[1] * TWIPS_PER_PIXEL))
                self.assertEqual(os.listdir(cwd), [SETTINGS_FILE])
                expected = drop
        program, _, rect = self.started(cwd=cwd)
        self.assertEqual(rect, window_at(*expected))
        self.end(program)

        # A save that cannot be done (a folder has the file's name) says so in a message
        # box, ends with a failing status and leaves nothing behind.
        blocked = self.new_dir("blocked-")
        (blocked / SETTINGS_FILE).mkdir()
        program, window, rect = self.started(at_rest=True, cwd=blocked)
        _, (cx, cy) = self.open_menu(program, window)
        self.desktop.click(cx + EXIT_ITEM[0], cy + EXIT_ITEM[1])
        box = dt.wait_until(lambda: [w for w in self.windows_of(program) if w != window], 10,
                            "the message box")[0]
        box_rect = self.settled_rect(box)
        self.assertNotEqual((box_rect.width, box_rect.height), WINDOW_SIZE)
        self.desktop.tool(["xdotool", "windowfocus", "--sync", str(box)])
        self.desktop.key("Return")
        self.assertNotEqual(program.wait(10), 0)
        self.assertEqual(os.listdir(blocked), [SETTINGS_FILE])
        self.assertTrue((blocked / SETTINGS_FILE).is_dir())

    def test_an_end_asked_from_outside_saves_the_position_as_the_exit_item_does(self):
        cwd = self.new_dir("cwd-")
        (cwd / SETTINGS_FILE).write_bytes(b"1200,3450\r\n")
        program, window, rect = self.started(at_rest=True, cwd=cwd)
        self.assertEqual((rect.x, rect.y), (80, 230))
        # The menu window exists (shown once, hidden again by a right click on the exit
        # item): taskkill without /F posts WM_CLOSE to it too, and it only hides.
        _, (cx, cy) = self.open_menu(program, window)
        self.desktop.click(cx + EXIT_ITEM[0], cy + EXIT_ITEM[1], button=3)
        self.menu_gone(program)
        pid = self.windows_pid()
        # Asked in the middle of a drag, the end waits for the drop, and the place saved
        # is where she was let go.
        self.desktop.mouse_move(*grip(rect, PIN_MIDDLE))
        self.desktop.mouse_down()
        self.desktop.mouse_move(300, 270)
        code, said = self.wine_tool("taskkill", "/pid", str(pid))
        self.assertEqual(code, 0, said)
        time.sleep(0.5)
        self.assertTrue(program.running(), "the program ended in the middle of the drag")
        self.assertEqual((cwd / SETTINGS_FILE).read_bytes(), b"1200,3450\r\n")
        self.desktop.mouse_move(*grip(window_at(500, 300), PIN_MIDDLE))
        time.sleep(0.1)
        self.desktop.mouse_up()
        self.assertEqual(program.wait(5), 0)
        self.assertEqual((cwd / SETTINGS_FILE).read_bytes(), b"7500,4500\r\n")
        self.assertEqual(os.listdir(cwd), [SETTINGS_FILE])

        program, window, rect = self.started(at_rest=True, cwd=cwd)
        self.assertEqual((rect.x, rect.y), (500, 300), "the saved place was not used")
        moved = self.drag_pin(window, grip(window_at(200, 400), PIN_MIDDLE))
        self.assertEqual((moved.x, moved.y), (200, 400))
        # Asked whether the session may end, she agrees and goes on: another program may
        # still call the end off, and nothing is saved yet.
        code, said = self.wine_tool(str(DESKTOP_EVENTS), "query-end-session")
        self.assertEqual((code, said.strip()), (0, "1"), said)
        time.sleep(0.5)
        self.assertTrue(program.running(), "the question alone ended the program")
        self.assertEqual((cwd / SETTINGS_FILE).read_bytes(), b"7500,4500\r\n")
        # The session ends: the helper kills the process the moment its window has
        # handled WM_ENDSESSION, so only a save inside that handler is there.
        code, said = self.wine_tool(str(DESKTOP_EVENTS), "end-session")
        self.assertEqual(code, 0, said)
        program.wait(5)
        self.assertEqual((cwd / SETTINGS_FILE).read_bytes(), b"3000,6000\r\n")
        self.assertEqual(os.listdir(cwd), [SETTINGS_FILE])
        program, _, rect = self.started(cwd=cwd)
        self.assertEqual(rect, window_at(200, 400))
        self.end(program)

    def set_display(self, width: int, height: int) -> None:
        """A resolution change as Windows makes it (ChangeDisplaySettingsEx), which
        tells every program with WM_DISPLAYCHANGE. Wine 8 tells them nothing of an X
        screen resized under it (xrandr --fb): it only resizes its desktop window."""
        code, said = self.wine_tool(str(DESKTOP_EVENTS), "display", str(width), str(height))
        self.assertEqual(code, 0, said)
        root = self.desktop.tool(["xwininfo", "-root"])
        self.assertIn(f"Width: {width}\n", root)
        self.assertIn(f"Height: {height}\n", root)

    def test_a_smaller_display_holds_her_and_the_menu_inside_it(self):
        width, height = SMALL_DISPLAY
        name = f"{width}x{height}"
        if name not in self.desktop.tool(["xrandr"]):
            self.desktop.tool(["xrandr", "--newmode", name, *SMALL_MODE_LINE])
            self.desktop.tool(["xrandr", "--addmode", "screen", name])
        smaller = dt.Rect(0, 0, width, height)

        def inside(w: int) -> dt.Rect | None:
            r = self.desktop.window_info(w).rect
            return r if r.intersection(smaller) == r else None

        # Near the right edge, beyond what the smaller display shows.
        program, window, rect = self.started(at_rest=True, settings=b"13500,4500\r\n")
        self.assertEqual((rect.x, rect.y), (900, 300))
        self.addCleanup(self.set_display, *self.screen)
        self.set_display(width, height)
        held = dt.wait_until(lambda: inside(window), 2, "the mascot inside the display")
        self.assertEqual(held, dt.Rect(width - WINDOW_SIZE[0], 300, *WINDOW_SIZE))
        # Drawn anew where she is now: the corners never drawn show the wallpaper there.
        held = self.settled_rect(window)
        shown = self.desktop.grab(smaller)
        diffs = window_pixels_match(shown, self.desktop.wallpaper, held, NEVER_DRAWN)
        self.assertEqual(diffs, [], dt.describe_differences(diffs))

        # Back to the whole screen: she is inside it already and stays put.
        self.set_display(*self.screen)
        time.sleep(1.0)
        self.assertEqual(self.desktop.window_info(window).rect, held)
        # The menu, centred over her, reaches past the smaller display; it is held too.
        menu, _ = self.open_menu(program, window)
        self.assertGreater(self.desktop.window_info(menu).rect.right, width)
        self.set_display(width, height)
        dt.wait_until(lambda: inside(menu), 2, "the menu inside the display")
        self.assertEqual(self.desktop.window_info(window).rect, held)
        self.assertTrue(program.running())


class SeeThroughUnderWineTest(WineCase):
    """The layered window with per-pixel alpha that the program uses where Windows
    composites the desktop. Wine blends it only under an X compositor, so these checks
    are of what holds without one: the window has a visual with alpha, its own pixels
    are the art over nothing, and a drop moves and holds it without ever hiding it, since
    there is nothing to read behind it."""

    presentation = "see-through"

    def test_drops_never_hide_the_layered_window(self):
        program, window, rect = self.started()
        self.assertEqual(rect, window_at(*DESIGN_POSITION))
        info = self.desktop.tool(["xwininfo", "-id", str(window)])
        self.assertIn("Depth: 32", info, "no visual with alpha: not a layered window")
        self.expect_art_on_nothing(window, rect)
        watcher = self.desktop.watch_root()
        self.addCleanup(watcher.stop)
        first_frame = self.desktop.frame_of(window).id
        since = time.monotonic()
        places = [(200, 300), (520, 120)] * 5
        for place in places:
            moved = self.drag_pin(window, grip(window_at(*place), PIN_MIDDLE))
            self.assertEqual((moved.x, moved.y), place)
        hidden = hidden_milliseconds(watcher, window, first_frame, since)
        print(f"\nwine see-through: {len(places)} drops, hide/show cycles {len(hidden)}",
              file=sys.stderr)
        self.assertEqual(hidden, [])
        self.expect_art_on_nothing(window, moved)  # no trace of earlier frames
        # A click on her sets her swinging again, as on the captured desktop.
        before = self.desktop.screenshot().crop(moved).data
        self.desktop.click(*grip(moved, ON_CHARACTER))
        dt.wait_until(lambda: self.desktop.screenshot().crop(moved).data != before, 2,
                      "a new swing")
        self.assertTrue(program.running())


    def test_under_a_compositor_the_desktop_shows_through_her(self):
        if shutil.which("picom") is None:
            self.skipTest("picom is not installed")
        self.desktop.publish_wallpaper()
        compositor = self.desktop.start_compositor(("picom", "--backend", "xrender"))
        self.addCleanup(compositor.stop)
        _, window, _ = self.started()
        wallpaper, whole = self.desktop.wallpaper, dt.Rect(0, 0, *self.screen)
        for place in [(300, 300), (520, 120), (200, 400)]:
            moved = self.drag_pin(window, grip(window_at(*place), PIN_MIDDLE))
            self.wait_for_rest(moved)
            shot = self.desktop.screenshot()
            # Alpha 1 rather than 0 keeps clicks: the desktop shows through at 254/255,
            # at most one level darker in a channel.
            faults, _ = scene_faults(shot.crop(moved), wallpaper.crop(moved), CHAR_REST)
            darker = [f for f in faults if all(0 <= w - g <= 1 for g, w in zip(f[2], f[3]))]
            self.assertEqual(len(faults), len(darker), f"at {place}: " + dt.describe_differences(
                [f for f in faults if f not in darker]))
            self.assertEqual(dt.differing_pixels(shot, wallpaper, whole, [moved]), [],
                             f"at {place}: a trace outside the window")

    def expect_art_on_nothing(self, window: int, rect: dt.Rect) -> None:
        """At rest the window's own pixels are the pin, the string and the character,
        exact and opaque, and nothing else: every other pixel transparent, at alpha 1 so
        that it still takes clicks (premultiplied, so black)."""
        self.wait_for_rest(rect)
        rgb, alpha = self.desktop.xclient().grab_window(window, rect.width, rect.height)
        nothing = (255, 0, 255)  # no art pixel has it
        blank = dt.Image(rect.width, rect.height, bytes(nothing) * (rect.width * rect.height))
        want = composite(composite(blank, HANGING, *CHAR_REST), PIN, PIN_RECT.x, 0)
        band = string_band(CHAR_REST)
        wrong = []
        for y in range(rect.height):
            for x in range(rect.width):
                got, a = rgb.pixel(x, y), alpha[y * rect.width + x]
                if want.pixel(x, y) != nothing:
                    ok = got == want.pixel(x, y) and a == 255
                elif band.contains(x, y) and a == 255:
                    ok = got == STRING_COLOR
                else:
                    ok = got == (0, 0, 0) and a == 1
                if not ok:
                    wrong.append((x, y, got, a))
        self.assertEqual(wrong[:8], [], f"{len(wrong)} pixels of the layered window wrong")


def hidden_milliseconds(watcher: dt.RootEvents, window: int, first_frame: int,
                        since: float) -> list[int]:
    """How long a window stayed off the screen each time it hid after `since`: from the
    unmap of what held it to the next map of what holds it. Openbox puts a window that
    is shown again into a new frame, so every frame it had since the watch began counts
    (`first_frame` held it then), not one looked up before each drop."""
    holders = watcher.holders(window) | {first_frame}
    unmaps = [e.time for e in watcher.events("UnmapNotify", holders, since) if not e.synthetic]
    maps = [e.time for e in watcher.events("MapNotify", watcher.holders(window), since)]
    out = []
    for gone in unmaps:
        back = [t for t in maps if t > gone]
        if back:
            out.append(round((back[0] - gone) * 1000))
    return out


if __name__ == "__main__":
    dt.main(why_skipped())
