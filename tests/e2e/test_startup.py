"""Start-up of the real program on a private X desktop: where its window comes up, what the
settings file does to that, the one-copy rule, a start without a display, the options that
answer and exit."""

from __future__ import annotations

import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from geometry import DESIGN_POSITION, SCREEN, WINDOW_SIZE, window_at  # noqa: E402
from mascot_case import BINARY, MascotCase  # noqa: E402
from program_case import REPO, SETTINGS_FILE, TITLE  # noqa: E402

VERSION = re.search(r"project\(RuviaMascot VERSION ([0-9.]+)",
                    (REPO / "CMakeLists.txt").read_text()).group(1)


class WindowPlacementTest(MascotCase):

    def test_first_start_shows_a_borderless_window_at_the_design_place(self):
        program, window, rect = self.started()
        self.assertEqual(rect, window_at(*DESIGN_POSITION))
        # No frame: the window manager's frame, if any, is exactly the window.
        self.assertEqual(self.desktop.frame_of(window).rect, rect)
        self.assertIn(self.desktop.frame_extents(window), (None, (0, 0, 0, 0)))
        self.assertEqual(self.desktop.title(window), TITLE)
        # The settings file is written at exit only.
        self.assertEqual(os.listdir(program.cwd), [])

    def test_saved_position_decides_where_the_window_comes_up(self):
        width, height = WINDOW_SIZE
        cases = [
            # file content, expected top-left corner in pixels (15 twips per pixel)
            (b"1200,3450\r\n", (80, 230)),
            (b"1200\r\n3450\r\n", (80, 230)),
            (b"0,3450\r\n", (0, 230)),
            (b"-150,3450\r\n", (0, 230)),  # held back inside the screen's left edge
            (b"abc", DESIGN_POSITION),
            (b"1200", DESIGN_POSITION),  # one number is not a position
            (b"90000,90000\r\n", (SCREEN[0] - width, SCREEN[1] - height)),
        ]
        for content, (x, y) in cases:
            with self.subTest(settings=content):
                program, _, rect = self.started(settings=content)
                self.assertEqual(rect, window_at(x, y))
                # Read, not rewritten, at start.
                self.assertEqual((program.cwd / SETTINGS_FILE).read_bytes(), content)
                program.stop()


class OneCopyTest(MascotCase):

    def test_second_start_is_refused_with_a_message_box(self):
        runtime = self.new_dir("run-")
        first, first_window, first_rect = self.started(XDG_RUNTIME_DIR=str(runtime))

        second = self.start(XDG_RUNTIME_DIR=str(runtime))
        box = self.window_of(second)
        self.assertEqual(self.desktop.title(box), TITLE)
        self.assertIn("_NET_WM_WINDOW_TYPE_DIALOG",
                      self.desktop.property(box, "_NET_WM_WINDOW_TYPE") or "")
        self.assertNotEqual(self.desktop.window_info(box).rect.width, WINDOW_SIZE[0],
                            "the second copy showed a mascot window, not a message box")
        time.sleep(0.3)
        self.assertTrue(second.running(), "the second copy ended without waiting for OK")

        self.desktop.activate(box)
        self.desktop.key("Return")
        code = second.wait(10)
        print(f"\nsecond copy exit code={code}", file=sys.stderr)
        self.assertIn(code, (0, 1))

        self.assertTrue(first.running(), "the first copy ended with the second")
        info = self.desktop.window_info(first_window)
        self.assertTrue(info.viewable)
        self.assertEqual(info.rect, first_rect)
        self.assertEqual(os.listdir(second.cwd), [], "the second copy touched the settings")

    def test_copy_killed_with_sigkill_does_not_block_the_next_start(self):
        runtime = self.new_dir("run-")
        first = self.start(XDG_RUNTIME_DIR=str(runtime))
        self.window_of(first)
        first.send(signal.SIGKILL)
        first.wait(5)

        _, _, rect = self.started(XDG_RUNTIME_DIR=str(runtime))
        self.assertEqual(rect, window_at(*DESIGN_POSITION))

    def test_only_a_live_copy_refuses_a_start(self):
        # A lock file with garbage in it, or one that cannot be taken at all, is no copy.
        for name, spoil in (("garbage", lambda lock: lock.write_bytes(b"\x00junk 99999\n")),
                            ("a directory", lambda lock: lock.mkdir())):
            with self.subTest(name):
                runtime = self.new_dir("run-")
                spoil(runtime / "ruvia-mascot.lock")
                program = self.start(XDG_RUNTIME_DIR=str(runtime))
                window = self.window_of(program)
                info = self.desktop.window_info(window)
                self.assertEqual((info.width, info.height), WINDOW_SIZE)
                said = program.stderr().strip().splitlines()
                self.assertLessEqual(len(said), 1, said)
                if name == "a directory":
                    self.assertIn("ruvia-mascot.lock", said[0] if said else "")
                program.stop()

        # Starts at the same moment: exactly one mascot, every other copy says why.
        runtime = self.new_dir("run-")
        copies = [self.start(XDG_RUNTIME_DIR=str(runtime)) for _ in range(6)]
        time.sleep(3)
        mascots = [w for p in copies for w in self.desktop.search(pid=p.pid)
                   if (self.desktop.window_info(w).width,
                       self.desktop.window_info(w).height) == WINDOW_SIZE]
        self.assertEqual(len(mascots), 1, "not exactly one mascot")


class NoDisplayTest(unittest.TestCase):

    def test_start_without_display_says_so_in_one_line(self):
        if not BINARY.is_file():
            raise RuntimeError(f"no program to test at {BINARY}: build it or set RUVIA_BINARY")
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        result = subprocess.run([str(BINARY)], env=env, capture_output=True, timeout=20,
                                stdin=subprocess.DEVNULL, cwd=os.path.dirname(BINARY))
        stderr = result.stderr.decode(errors="replace")
        self.assertGreater(result.returncode, 0, f"exit code {result.returncode}; {stderr}")
        self.assertEqual(len(stderr.splitlines()), 1, stderr)
        self.assertIn("display", stderr.lower())
        self.assertEqual(result.stdout, b"")


class CommandLineTest(MascotCase):
    """Options that answer and exit, with a display or without: no window, no settings."""

    def run_program(self, *args: str, display: bool = True,
                    **env: str | None) -> subprocess.CompletedProcess:
        cwd = self.new_dir("cwd-")
        result = subprocess.run([str(BINARY), *args], cwd=cwd, capture_output=True, text=True,
                                env=self.desktop.env(**env, **({} if display else
                                                               {"DISPLAY": None})),
                                stdin=subprocess.DEVNULL, timeout=20)
        self.assertEqual(os.listdir(cwd), [], f"{args} left files behind")
        return result

    def test_help_version_and_wrong_options_answer_without_a_window(self):
        watcher = self.desktop.watch_root()
        self.addCleanup(watcher.stop)
        since = time.monotonic()
        cases = [
            # arguments, exit status, the first line of the answer
            (["--help"], 0, "Usage: ruvia-mascot [options]"),
            (["-h"], 0, "Usage: ruvia-mascot [options]"),
            (["--version"], 0, f"ruvia-mascot {VERSION}"),
            (["--frob"], 2, "ruvia-mascot: Unknown option 'frob'."),
            (["-platform", "xcb"], 2, "ruvia-mascot: Unknown option 'platform'."),
            (["--settings"], 2, "ruvia-mascot: Missing value after '--settings'."),
            (["stray"], 2, "ruvia-mascot: Unexpected argument 'stray'."),
        ]
        for display in (True, False):
            for args, status, first_line in cases:
                with self.subTest(args=args, display=display):
                    result = self.run_program(*args, display=display)
                    self.assertEqual(result.returncode, status, result.stderr)
                    answer, other = ((result.stdout, result.stderr) if status == 0
                                     else (result.stderr, result.stdout))
                    self.assertEqual(other, "")
                    self.assertEqual(answer.splitlines()[0], first_line)
                    if status:  # the reason, then the usage
                        self.assertIn("\nUsage: ruvia-mascot [options]\n", answer)
        usage = self.run_program("--help").stdout
        for option in ("--settings <file>", "--user-settings", "--autostart", "--no-autostart",
                       "--layer-shell", "--no-layer-shell", "--version"):
            self.assertIn(option, usage)
        self.assertEqual(watcher.events("MapNotify", since=since), [], "a window showed")

    def test_autostart_entry_is_added_and_removed(self):
        config = self.new_dir("config-")
        entry = config / "autostart" / "ruvia-mascot.desktop"
        added = self.run_program("--autostart", XDG_CONFIG_HOME=str(config))
        self.assertEqual(added.returncode, 0, added.stderr)
        self.assertIn(str(entry), added.stdout)
        self.assertEqual(os.listdir(entry.parent), [entry.name])
        text = entry.read_text()
        self.assertIn(f"\nExec={BINARY.resolve()} --user-settings\n", text)
        if shutil.which("desktop-file-validate"):
            check = subprocess.run(["desktop-file-validate", str(entry)], capture_output=True,
                                   text=True)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)

        for run in ("removed", "already gone"):
            with self.subTest(run):
                removed = self.run_program("--no-autostart", XDG_CONFIG_HOME=str(config))
                self.assertEqual(removed.returncode, 0, removed.stderr)
                self.assertIn(str(entry), removed.stdout)
                self.assertFalse(entry.exists())

        # A configuration "folder" that cannot hold one: one line naming it, nothing written.
        blocked = self.new_dir("blocked-") / "config"
        blocked.write_text("mine")
        failed = self.run_program("--autostart", XDG_CONFIG_HOME=str(blocked))
        self.assertEqual(failed.returncode, 1)
        self.assertEqual(failed.stdout, "")
        self.assertEqual(len(failed.stderr.splitlines()), 1, failed.stderr)
        self.assertIn(str(blocked), failed.stderr)
        self.assertEqual(blocked.read_text(), "mine")


if __name__ == "__main__":
    dt.main()
