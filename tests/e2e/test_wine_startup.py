"""Start-up of the Windows program under Wine: one copy only (a second start shows its
message box and ends), a killed copy does not block the next, the start takes no focus,
the window's size and place follow the display's dpi, the .exe needs nothing beyond the
system's libraries, and the icon the windows carry is the one in the .exe and in our
pictures."""

from __future__ import annotations

import os
import signal
import struct
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from geometry import (DESIGN_POSITION, MENU_SIZE, ON_CHARACTER, REST_BAND,  # noqa: E402
                      WINDOW_SIZE, Scene, grip, window_at)
from program_case import MENU_TITLE, REPO, TITLE  # noqa: E402
from scene import HANGING, load_xpm  # noqa: E402
from wine_session import EXE, WineCase, why_skipped  # noqa: E402

ICON_XPM = REPO / "assets" / "icon.xpm"
RT_ICON = 3
# What every Windows has: no runtime to install beside the .exe.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"}


def xpm_argb(path: Path) -> list[int]:
    """The pixels of one of our XPM pictures as 0xAARRGGBB, "None" as 0."""
    return [0 if c is None else 0xFF000000 | (c[0] << 16) | (c[1] << 8) | c[2]
            for c in load_xpm(path).pixels]


class PeFile:
    """Just enough of a 64-bit Windows executable to read its directories."""

    IMPORTS, RESOURCES = 1, 2

    def __init__(self, path: Path):
        self.data = data = path.read_bytes()
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path} is not a PE file")
        self.sections = struct.unpack_from("<H", data, pe + 6)[0]
        optional = pe + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x20B:
            raise ValueError(f"{path} is not a 64-bit PE file")
        self.directories = optional + 112
        self.table = optional + struct.unpack_from("<H", data, pe + 20)[0]

    def directory(self, index: int) -> int:
        """The file offset of a data directory."""
        return self.offset(struct.unpack_from("<I", self.data, self.directories + 8 * index)[0])

    def offset(self, rva: int) -> int:
        for i in range(self.sections):
            _, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", self.data,
                                                             self.table + 40 * i)
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return raw + rva - vaddr
        raise ValueError(f"address {rva:#x} is in no section")

    def string(self, rva: int) -> str:
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode()

    def imported_dlls(self) -> list[str]:
        names, entry = [], self.directory(self.IMPORTS)
        while True:
            name_rva = struct.unpack_from("<I", self.data, entry + 12)[0]
            if name_rva == 0:
                return names
            names.append(self.string(name_rva))
            entry += 20


def exe_icon_argb(path: Path) -> tuple[int, int, list[int]]:
    """The first RT_ICON resource of a PE file, decoded: width, height, 0xAARRGGBB rows
    top to bottom, pixels the AND mask hides as 0."""
    pe = PeFile(path)
    data = pe.data
    offset = pe.offset
    base = pe.directory(PeFile.RESOURCES)

    def entries(directory: int) -> list[tuple[int, int]]:
        named, ids = struct.unpack_from("<HH", data, base + directory + 12)
        first = base + directory + 16
        return [struct.unpack_from("<II", data, first + 8 * i) for i in range(named + ids)]

    def first_leaf(entry: int) -> int:
        while entry & 0x80000000:
            entry = entries(entry & 0x7FFFFFFF)[0][1]
        return entry

    icons = [target for name, target in entries(0) if name == RT_ICON]
    if not icons:
        raise ValueError(f"{path} has no icon resource")
    rva, size = struct.unpack_from("<II", data, base + first_leaf(icons[0]))
    image = data[offset(rva):offset(rva) + size]
    header, width, double_height, _, bits = struct.unpack_from("<IiiHH", image, 0)
    height = double_height // 2
    if bits != 32:
        raise ValueError(f"icon has {bits} bits per pixel, not 32")
    colour = header
    mask = colour + width * height * 4
    stride = (width + 31) // 32 * 4
    pixels = []
    for y in range(height):
        row = height - 1 - y  # rows are stored bottom up
        for x in range(width):
            b, g, r, a = image[colour + (row * width + x) * 4:colour + (row * width + x) * 4 + 4]
            hidden = image[mask + row * stride + x // 8] & (0x80 >> (x % 8))
            pixels.append(0 if hidden else (a << 24) | (r << 16) | (g << 8) | b)
    return width, height, pixels


def net_wm_icons(desk: dt.Desktop, window: int) -> dict[tuple[int, int], list[int]]:
    """The pictures of a window's _NET_WM_ICON by size, 0xAARRGGBB, alpha 0 as 0."""
    text = desk.tool(["xprop", "-id", str(window), "-f", "_NET_WM_ICON", "32c", "_NET_WM_ICON"])
    if "=" not in text:
        return {}
    values = [int(v) for v in text.split("=", 1)[1].replace(",", " ").split()]
    icons, i = {}, 0
    while i + 2 <= len(values):
        w, h = values[i], values[i + 1]
        icons[(w, h)] = [v if v >> 24 else 0 for v in values[i + 2:i + 2 + w * h]]
        i += 2 + w * h
    return icons


class StartUnderWineTest(WineCase):

    def test_second_start_is_refused_with_a_message_box(self):
        first, first_window, first_rect = self.started()

        second = self.start()
        box = self.window_of(second)
        self.assertEqual(self.desktop.title(box), TITLE)
        box_rect = self.settled_rect(box)
        self.assertNotEqual((box_rect.width, box_rect.height), WINDOW_SIZE,
                            "the second copy showed a mascot window, not a message box")
        saved = self.desktop.keep_artifact(self.desktop.screenshot().crop(box_rect),
                                           "wine-second-copy")
        print(f"\nwine message box screenshot: {saved}", file=sys.stderr)
        time.sleep(0.3)
        self.assertTrue(second.running(), "the second copy ended without waiting for OK")

        self.desktop.tool(["xdotool", "windowfocus", "--sync", str(box)])
        self.desktop.key("Return")
        self.assertEqual(second.wait(10), 0)

        self.assertTrue(first.running(), "the first copy ended with the second")
        info = self.desktop.window_info(first_window)
        self.assertTrue(info.viewable)
        self.assertEqual(info.rect, first_rect)
        self.assertEqual(os.listdir(second.cwd), [], "the second copy touched the settings")

    def test_a_killed_copy_does_not_block_the_next_start(self):
        first = self.start()
        self.window_of(first)
        first.send(signal.SIGKILL)
        first.wait(10)
        _, _, rect = self.started()
        self.assertEqual(rect, window_at(*DESIGN_POSITION))

    def test_start_and_captures_leave_the_focus_where_it_was(self):
        _, other = self.desktop.open_window(dt.Rect(100, 500, 200, 100))
        self.desktop.activate(other)
        active = self.desktop.property(self.desktop.frame_of(other).root, "_NET_ACTIVE_WINDOW")
        _, _, rect = self.started(at_rest=True)
        # A click on the scene starts a new swing; nothing of it takes the focus either.
        self.desktop.click(*grip(rect, ON_CHARACTER))
        time.sleep(0.5)
        self.assertEqual(
            self.desktop.property(self.desktop.frame_of(other).root, "_NET_ACTIVE_WINDOW"),
            active)

    def test_starts_under_load_come_up_at_the_saved_place_and_full_size(self):
        # Three busy loops on two cores: Wine then delivered a stale window-manager report
        # of an earlier size or place after the program's own, which once shrank her to
        # 51 x 1 or put her at (0, 0) in 1 start of 25-40.
        starts = int(os.environ.get("RUVIA_WINE_LOADED_STARTS", "10"))
        for _ in range(3):
            busy = self.desktop.start_program([sys.executable, "-c", "while True: pass"],
                                              label="busy")
            self.addCleanup(busy.stop)
        expected = window_at(80, 230)  # 1200,3450 twips at 15 to the pixel
        wrong = []
        for _ in range(starts):
            program = self.start(settings=b"1200,3450\r\n")
            window = self.window_of(program, timeout=60)
            rect = self.desktop.wait_settled(window, timeout=30).rect
            if rect != expected:
                wrong.append(rect)
            self.end(program)
        print(f"\nwine starts under three busy loops: {starts - len(wrong)}/{starts} right",
              file=sys.stderr)
        self.assertEqual(wrong, [])

    def set_dpi(self, dpi: int) -> None:
        # With the desktop's display: the first Wine process of a session starts the
        # prefix's desktop, which stays without a driver if that process had no display.
        self.prefix.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v",
                         "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"],
                        self.prefix.env(self.desktop.env()))

    def open_menu(self, program: dt.Program, mascot: dt.Rect) -> tuple[dt.Rect, dt.Image]:
        """Right-clicks the pin; the menu window's place and what it shows."""
        self.desktop.click(*grip(mascot), button=3)
        rect = self.settled_rect(self.window_of(program, MENU_TITLE, timeout=10))
        return rect, self.desktop.screenshot().crop(rect)

    def expect_menu_scaled(self, menus: dict[int, tuple[dt.Rect, dt.Image]]) -> None:
        """At 192 dpi the menu is twice its 96 dpi size (give or take the frame, which
        Wine draws), its captions twice as tall, and its portrait our art in blocks of
        2 x 2 device pixels, never smoothed."""
        (small, small_shot), (big, big_shot) = menus[96], menus[192]
        self.assertLessEqual(abs(big.width - 2 * small.width), 12, (small, big))
        self.assertLessEqual(abs(big.height - 2 * small.height), 12, (small, big))

        def ink_rows(shot: dt.Image, inner_width: int, inner_height: int, f: int) -> int:
            # The exit item's caption, in the panel's last 26 rows (96 dpi pixels).
            side = (shot.width - inner_width) // 2
            top = shot.height - inner_height - side
            return sum(1 for y in range(top + 96 * f, top + 122 * f)
                       if any(sum(shot.pixel(x, y)) < 384
                              for x in range(side + 4 * f, side + 60 * f)))

        small_ink = ink_rows(small_shot, *MENU_SIZE, 1)
        big_ink = ink_rows(big_shot, 2 * MENU_SIZE[0], 2 * MENU_SIZE[1], 2)
        self.assertGreater(small_ink, 6, "no caption on the exit item")
        self.assertTrue(1.6 <= big_ink / small_ink <= 2.4, (small_ink, big_ink))

        # The portrait lies 8 scene pixels into the panel, whose sunken border Wine draws
        # a few pixels wide: of the places that allows, at one every drawn art pixel
        # (within the picture's 26 x 45) is a 2 x 2 block of its colour.
        side = (big_shot.width - 2 * MENU_SIZE[0]) // 2
        top = big_shot.height - 2 * MENU_SIZE[1] - side

        def wrong_at(ox: int, oy: int) -> list[tuple[int, int]]:
            return [(x, y) for y in range(45) for x in range(26)
                    if HANGING.at(x, y) is not None and any(
                        big_shot.pixel(ox + 2 * x + i, oy + 2 * y + j) != HANGING.at(x, y)
                        for i in range(2) for j in range(2))]

        wrong = min((wrong_at(side + 16 + dx, top + 16 + dy) for dx in range(7)
                     for dy in range(7)), key=len)
        if wrong:
            saved = self.desktop.keep_artifact(big_shot, "wine-menu-192")
            self.fail(f"the portrait is not our art in 2 x 2 blocks at {wrong[:8]}; {saved}")

    def test_the_window_follows_the_display_dpi(self):
        self.addCleanup(self.set_dpi, 96)
        wallpaper = self.desktop.wallpaper
        menus = {}
        cases = [
            # dpi, settings file, where the window must come up (device pixels), the art's
            # factor. Twips per pixel follow the dpi: 12 at 120 (the design's own scale),
            # 10 at 144; from 200 % on the art is drawn at the whole-number factor, so at
            # 192 she is 107 x 150 scene pixels of 2 x 2 device pixels.
            (96, None, window_at(*DESIGN_POSITION), 1),
            (120, None, dt.Rect(799, 83, 121, 188), 1),
            (120, b"1200,3450\r\n", dt.Rect(100, 288, 121, 188), 1),  # 287.5 rounds to even
            (144, None, dt.Rect(1024 - 136, 100, 136, 226), 1),  # held inside the screen
            (192, None, dt.Rect(2 * (512 - 107), 132, 214, 300), 2),
        ]
        for dpi, settings, expected, factor in cases:
            with self.subTest(dpi=dpi, settings=settings):
                self.set_dpi(dpi)
                program, _, rect = self.started(settings=settings)
                self.assertEqual(rect, expected)
                if settings is None:
                    self.wait_for_rest(rect)
                    shot = self.desktop.screenshot()
                    # The upper corners, never drawn: the wallpaper, device pixel for pixel.
                    for corner in Scene.of(rect, factor).never_drawn():
                        diffs = dt.differing_pixels(shot, wallpaper, corner.moved(rect.x, rect.y))
                        self.assertEqual(diffs, [], dt.describe_differences(diffs))
                    # Crisp art: in the column she hangs in, every block of factor x factor
                    # device pixels is the wallpaper or one colour.
                    drawn = 0
                    for by in range(rect.y, rect.bottom - factor + 1, factor):
                        for bx in range(rect.x + REST_BAND[0] * factor,
                                        rect.x + REST_BAND[1] * factor, factor):
                            block = {shot.pixel(bx + i, by + j)
                                     for i in range(factor) for j in range(factor)}
                            if all(shot.pixel(bx + i, by + j) == wallpaper.pixel(bx + i, by + j)
                                   for i in range(factor) for j in range(factor)):
                                continue
                            self.assertEqual(len(block), 1, f"a smoothed block at {bx},{by}")
                            drawn += 1
                    self.assertGreater(drawn, 300 // factor, "no character drawn")
                    if dpi in (96, 192):
                        menus[dpi] = self.open_menu(program, rect)
                self.end(program)
        self.expect_menu_scaled(menus)

    def run_key(self) -> str:
        """The mascot's value in the user's Run key, or "" when there is none."""
        result = subprocess.run(
            ["wine", "reg", "query", r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run",
             "/v", "RuviaMascot"], env=self.prefix.env(self.desktop.env()),
            capture_output=True, text=True, timeout=60, stdin=subprocess.DEVNULL)
        return result.stdout if result.returncode == 0 else ""

    def test_options_answer_in_a_message_box_and_autostart_uses_the_run_key(self):
        cases = [
            # arguments, what the box says (UTF-16 in the process), exit status, Run value
            (["/?"], "Usage: RuviaMascot.exe", 0, None),
            (["--frob"], "Unknown option '--frob'.", 2, None),
            (["--autostart"], "now starts when you sign in", 0, "--user-settings"),
            (["--no-autostart"], "no longer starts", 0, ""),
        ]
        for args, says, status, run_value in cases:
            with self.subTest(args=args):
                program, box, box_rect = self.started(*args)
                self.assertNotEqual((box_rect.width, box_rect.height), WINDOW_SIZE)
                self.assertTrue(program.memory_holds([says])[says],
                                f"the box does not say {says!r}")
                self.desktop.tool(["xdotool", "windowfocus", "--sync", str(box)])
                self.desktop.key("Return")
                self.assertEqual(program.wait(10), status)
                self.assertEqual(os.listdir(program.cwd), [])
                if run_value == "":
                    self.assertEqual(self.run_key(), "", "the Run value is still there")
                elif run_value:
                    self.assertIn('RuviaMascot.exe" ' + run_value, self.run_key())

    def test_the_exe_needs_no_library_beyond_the_system(self):
        size = EXE.stat().st_size
        print(f"\nRuviaMascot.exe: {size} bytes", file=sys.stderr)
        # Once 1.1 MB, nearly all of it C++ library parts the program does not need.
        self.assertLessEqual(size, 400 * 1024, "the .exe has grown past 400 KB")
        imported = {name.lower() for name in PeFile(EXE).imported_dlls()}
        self.assertLessEqual(imported, SYSTEM_DLLS)
        self.assertIn("user32.dll", imported)

    def test_windows_carry_the_icon_of_the_exe_which_is_our_picture(self):
        picture = xpm_argb(ICON_XPM)
        width, height, resource = exe_icon_argb(EXE)
        self.assertEqual((width, height), (32, 32))
        self.assertEqual(resource, picture, "the .exe's icon is not our picture")

        program = self.start()
        window = self.window_of(program)
        icons = dt.wait_until(lambda: net_wm_icons(self.desktop, window), 5, "_NET_WM_ICON")
        self.assertIn((32, 32), icons)
        self.assertEqual(icons[(32, 32)], picture, "the window's icon is not our picture")


if __name__ == "__main__":
    dt.main(why_skipped())
