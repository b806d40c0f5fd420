"""What every end-to-end test of the mascot shares: where the program is, the figures of
its window, and a test case that owns a desktop and starts the program on it."""

from __future__ import annotations

import os
import tempfile
import unittest
from pathlib import Path

import desktop as dt

REPO = Path(__file__).resolve().parents[2]
BINARY = Path(os.environ.get("RUVIA_BINARY") or REPO / "build" / "ruvia-mascot")

TITLE = "RuviaMascot"
SETTINGS_FILE = "pdl_swg.ini"
SECOND_COPY_TEXT = "二人もいないの・・・"

# At 96 dpi (15 twips per pixel) the 2256-twip window is 150 pixels high, its laid-out
# width 107, and its design place 9588, 996 twips comes out at (639, 66).
WINDOW_SIZE = (107, 150)
DESIGN_POSITION = (639, 66)
SCREEN = (1024, 768)


class MascotCase(unittest.TestCase):
    """One desktop per test class; every start of the program gets a fresh working
    directory and, unless told otherwise, a fresh runtime directory (where the one-copy
    lock lives), so no test sees what another left behind."""

    screen = SCREEN
    monitors: tuple[dt.Monitor, ...] = ()
    desktop: dt.Desktop

    @classmethod
    def setUpClass(cls) -> None:
        missing = dt.missing_tools()
        if missing:
            raise unittest.SkipTest("end-to-end tests need " + ", ".join(missing))
        if not BINARY.is_file():
            raise RuntimeError(f"no program to test at {BINARY}: build it or set RUVIA_BINARY")
        cls.desktop = cls.enterClassContext(dt.Desktop(*cls.screen, monitors=cls.monitors))

    def new_dir(self, prefix: str) -> Path:
        """A private directory that goes away with the desktop."""
        return Path(tempfile.mkdtemp(prefix=prefix, dir=self.desktop.tmp))

    def start_mascot(self, *, cwd: Path | None = None, settings: bytes | None = None,
                     runtime_dir: Path | None = None, **env: str | None) -> dt.Program:
        cwd = cwd or self.new_dir("cwd-")
        if settings is not None:
            (cwd / SETTINGS_FILE).write_bytes(settings)
        runtime_dir = runtime_dir or self.new_dir("run-")
        program = self.desktop.start_program(
            [str(BINARY)], cwd=cwd, label="mascot",
            env=self.desktop.env(XDG_RUNTIME_DIR=str(runtime_dir), **env))
        self.addCleanup(program.stop)
        return program

    def mascot_window(self, program: dt.Program, timeout: float = 15) -> int:
        """The program's one visible window, once it is mapped; fails at once, with the
        program's error output, if the program ends first."""

        def probe() -> list[int]:
            if not program.running():
                raise AssertionError(f"the program ended with {program.returncode} before "
                                     f"showing a window; stderr:\n{program.stderr()}")
            return self.desktop.search(pid=program.pid)

        found = dt.wait_until(probe, timeout, f"a window of pid {program.pid}")
        self.assertEqual(len(found), 1, f"expected one window, found {found}")
        return found[0]

    def settled_rect(self, window: int) -> dt.Rect:
        return self.desktop.wait_settled(window).rect

    def expected_rect(self, x: int, y: int) -> dt.Rect:
        return dt.Rect(x, y, *WINDOW_SIZE)
