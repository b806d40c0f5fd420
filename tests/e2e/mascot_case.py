"""The Linux program on the test's desktop: where it is, and the test case that starts
it, with the helpers only its tests use."""

from __future__ import annotations

import os
import time
from pathlib import Path

import desktop as dt
from geometry import CHAR_REST, WINDOW_SIZE
from program_case import REPO, TITLE, ProgramCase
from scene import scene_faults, string_band

BINARY = Path(os.environ.get("RUVIA_BINARY") or REPO / "build" / "ruvia-mascot")


class MascotCase(ProgramCase):
    """Every start gets, unless its XDG_RUNTIME_DIR is given, a fresh runtime directory
    (where the one-copy lock lives), so no test sees what another left behind."""

    label = "mascot"

    @classmethod
    def prepare(cls) -> None:
        if not BINARY.is_file():
            raise RuntimeError(f"no program to test at {BINARY}: build it or set RUVIA_BINARY")

    def command(self, *args: str) -> list[str]:
        return [str(BINARY), *args]

    def environment(self, **env: str | None) -> dict[str, str]:
        env.setdefault("XDG_RUNTIME_DIR", str(self.new_dir("run-")))
        return self.desktop.env(**env)

    def windows_of(self, program: dt.Program, name: str | None = None) -> list[int]:
        return self.desktop.search(pid=program.pid, name=name)

    def mascot_after_startup(self, program: dt.Program, quiet: float = 0.5,
                             timeout: float = 15) -> int:
        """The program's one visible window once the captures of its start are over. Each
        hides the window for a few milliseconds, and a press meanwhile is the program's
        to keep: a test that clicks soon after a start should not lean on that. Over
        when the window has stayed on the screen for `quiet` seconds, with every hide and
        show seen on the root as it happened."""
        window = self.window_of(program)
        watcher = self.desktop.watch_root()
        try:
            listening = time.monotonic()
            frames = {self.desktop.frame_of(window).id}

            def calm() -> bool:
                holders = watcher.holders(window) | frames
                changes = [e.time for e in watcher.events(windows=holders)
                           if e.kind in ("MapNotify", "UnmapNotify", "ReparentNotify")]
                return (time.monotonic() - max(changes, default=listening) >= quiet
                        and self.desktop.window_info(window).viewable)

            dt.wait_until(calm, timeout, f"the start-up's captures of window {window:#x} "
                                         "to be over", interval=0.05)
        finally:
            watcher.stop()
        return window

    def mascot(self, program: dt.Program, timeout: float = 10) -> int:
        """The program's mascot window as it is now: Qt replaces the X window when the
        stay-on-top state changes, so its id is looked up afresh each time."""
        return self.window_of(program, TITLE, timeout, WINDOW_SIZE)

    def expect_scene(self, got: dt.Image, background: dt.Image,
                     char_at: tuple[int, int] | None = CHAR_REST) -> None:
        """Asserts a window's pixels are exactly the background behind it with the
        pin, the string and (unless None) the hanging character at `char_at`."""
        faults, string = scene_faults(got, background, char_at)
        if faults:
            saved = self.desktop.keep_artifact(got, "scene")
            self.fail(f"the scene is not the background behind it with the sprites; "
                      f"window pixels {saved}\n" + dt.describe_differences(faults))
        band = string_band(char_at or CHAR_REST)
        self.assertGreaterEqual(string, band.height - 3, "the string is missing")
