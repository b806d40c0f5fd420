"""The test case that every end-to-end test of the mascot program builds on, for the
Linux program and for the Windows one under Wine: one private desktop per test class, a
fresh working directory (where the settings file lives) for every start, the program's
window once it shows, and the scene watched until the swing is over. A subclass says how
the program is started and which windows are its own."""

from __future__ import annotations

import tempfile
import time
import unittest
from dataclasses import dataclass
from pathlib import Path
from typing import Callable

import desktop as dt
from geometry import SCREEN

REPO = Path(__file__).resolve().parents[2]
TITLE = "RuviaMascot"
MENU_TITLE = "ぶらさがりルビア"
SETTINGS_FILE = "pdl_swg.ini"


@dataclass(frozen=True)
class Rest:
    """The screen in a rectangle once it has stopped changing."""
    at: float  # when it last changed, time.monotonic()
    image: dt.Image  # what it shows
    pictures: int  # how many different pictures it showed while it was watched


class ProgramCase(unittest.TestCase):
    """One desktop per test class; its programs are stopped with each test. A subclass
    gives `command(*args)` and `environment(**env)` (None removes a key) to start the
    program with, and `windows_of(program, name=None)`: its visible windows (of that
    title) as they are now."""

    screen = SCREEN
    monitors: tuple[dt.Monitor, ...] = ()
    window_manager = True  # openbox
    label = "program"  # names its output files in the desktop's folder
    window_timeout = 15.0
    desktop: dt.Desktop

    @classmethod
    def setUpClass(cls) -> None:
        missing = cls.missing_tools()
        if missing:
            raise unittest.SkipTest("end-to-end tests need " + ", ".join(missing))
        cls.prepare()
        cls.desktop = cls.enterClassContext(cls.make_desktop())

    @classmethod
    def missing_tools(cls) -> list[str]:
        """The tools the desktop needs that are not installed."""
        return dt.missing_tools()

    @classmethod
    def make_desktop(cls) -> dt.Desktop:
        """The desktop the class's tests run on, not yet started."""
        return dt.Desktop(*cls.screen, monitors=cls.monitors, window_manager=cls.window_manager)

    @classmethod
    def prepare(cls) -> None:
        """What must be there before the desktop starts; raises SkipTest or an error."""

    def new_dir(self, prefix: str) -> Path:
        """A private directory that goes away with the desktop."""
        return Path(tempfile.mkdtemp(prefix=prefix, dir=self.desktop.tmp))

    def start(self, *args: str, cwd: Path | None = None, settings: bytes | None = None,
              **env: str | None) -> dt.Program:
        """Starts the program in `cwd` (a fresh directory unless given), with `settings`
        written to its settings file first; it is stopped at the test's end."""
        cwd = cwd or self.new_dir("cwd-")
        if settings is not None:
            (cwd / SETTINGS_FILE).write_bytes(settings)
        program = self.desktop.start_program(self.command(*args), cwd=cwd, label=self.label,
                                             env=self.environment(**env))
        self.addCleanup(program.stop)
        return program

    def window_of(self, program: dt.Program, name: str | None = None,
                  timeout: float | None = None, size: tuple[int, int] | None = None) -> int:
        """The program's one visible window (of that title and size), once it is mapped;
        fails at once, with the program's error output, if the program ends first."""
        what = f"a window{f' {name!r}' if name else ''} of pid {program.pid}"

        def probe() -> list[int]:
            if not program.running():
                raise AssertionError(f"the program ended with {program.returncode} while "
                                     f"waiting for {what}; stderr:\n{program.stderr()[-2000:]}")
            return [w for w in self.windows_of(program, name) if size is None or
                    (self.desktop.window_info(w).width, self.desktop.window_info(w).height) == size]

        try:
            found = dt.wait_until(probe, timeout or self.window_timeout, what)
        except TimeoutError as error:
            # Say whether the program made its window and the window manager let go of
            # it, or never made one.
            unseen = [self.desktop.window_info(w)
                      for w in self.desktop.search(pid=program.pid, visible=False)]
            raise AssertionError(f"{error}; the program runs, its windows: {unseen}") from None
        self.assertEqual(len(found), 1, f"expected one window, found {found}")
        return found[0]

    def started(self, *args: str, find: Callable[[dt.Program], int] | None = None,
                at_rest: bool = False, **kwargs) -> tuple[dt.Program, int, dt.Rect]:
        """Starts the program (see start); returns it, its window (`find`, window_of
        unless given) and where that window settled, after the swing is over too with
        `at_rest`."""
        program = self.start(*args, **kwargs)
        window = (find or self.window_of)(program)
        rect = self.settled_rect(window)
        if at_rest:
            self.wait_for_rest(rect)
        return program, window, rect

    def settled_rect(self, window: int) -> dt.Rect:
        return self.desktop.wait_settled(window).rect

    def wait_for_rest(self, rect: dt.Rect, quiet: float = 1.0, timeout: float = 15) -> Rest:
        """Watches the screen in `rect` until it has not changed for `quiet` seconds."""
        last = self.desktop.grab(rect)
        changed = time.monotonic()
        deadline = changed + timeout
        seen = {hash(last.data)}
        while time.monotonic() - changed < quiet:
            if time.monotonic() > deadline:
                raise TimeoutError(f"the screen in {rect} still changed after {timeout} s")
            time.sleep(0.02)
            now = self.desktop.grab(rect)
            if now.data != last.data:
                last, changed = now, time.monotonic()
                seen.add(hash(now.data))
        return Rest(changed, last, len(seen))
