"""What the end-to-end tests of the Windows program share: a private Wine prefix made
ready for them, the .exe started in it on a private desktop, and why a run without Wine
or without the .exe is skipped.

The prefix is made once per test file (about 10 s) and kept for its tests; its Wine
server stays up between starts and is ended with the file's desktop."""

from __future__ import annotations

import os
import shutil
import signal
import subprocess
import tempfile
import unittest
from pathlib import Path

import desktop as dt
from geometry import PIN_MIDDLE, grip
from program_case import REPO, TITLE, ProgramCase

EXE = Path(os.environ.get("RUVIA_WIN_EXE") or REPO / "build-win" / "RuviaMascot.exe")
# Our console helper that ends the session or changes the display as Windows does; the
# windows preset builds it beside the program.
DESKTOP_EVENTS = EXE.parent / "desktop_events.exe"

# The Japanese captions need a font with those glyphs; Wine's own fonts have none.
CJK_FONT_LINK = ("ipag.ttf,IPAGothic", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion"
                 r"\FontLink\SystemLink")


def why_skipped() -> str | None:
    """Why the Windows program cannot be tested here, or None when it can."""
    missing = [tool for tool in ("wine", "wineserver") if shutil.which(tool) is None]
    missing += dt.missing_tools()
    if missing:
        return "Windows end-to-end tests need " + ", ".join(missing)
    if not EXE.is_file():
        return (f"no Windows program at {EXE}: build it with "
                "`cmake --preset windows && cmake --build build-win` or set RUVIA_WIN_EXE")
    return None


class WinePrefix:
    """A private WINEPREFIX with the settings the tests rely on: no Mono or Gecko
    installer, no crash dialog (it would hang the test), Japanese text linked to a CJK
    font, no debug output."""

    def __init__(self) -> None:
        self.path = Path(tempfile.mkdtemp(prefix="ruvia-wine-"))
        self._server_started = False

    def env(self, base: dict[str, str]) -> dict[str, str]:
        env = dict(base)
        env.update(WINEPREFIX=str(self.path), WINEARCH="win64", WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=")
        return env

    def run(self, argv: list[str], env: dict[str, str], timeout: float = 60) -> None:
        # Output to a file, not a pipe: Wine's background processes inherit it and would
        # keep a pipe open long after the command is done.
        with tempfile.TemporaryFile() as log:
            code = subprocess.run(argv, env=env, stdout=log, stderr=log, timeout=timeout,
                                  stdin=subprocess.DEVNULL).returncode
            if code != 0:
                log.seek(0)
                raise RuntimeError(f"{' '.join(argv)} failed ({code}):\n"
                                   + log.read().decode(errors="replace")[-2000:])

    def create(self) -> None:
        # Without a display: nothing of the set-up shows on the test's desktop.
        env = self.env({k: v for k, v in os.environ.items() if k != "DISPLAY"})
        self._server_started = True
        # One server for the whole set-up. Debian's wineserver ends the moment its last
        # program does, and a command that comes while it still saves the registry
        # cannot reach it, nor start another (the lock is held): it gives up after about
        # 5 s with exit code 1. Under load that is what failed the set-up's `reg add`.
        self.run(["wineserver", "--persistent"], env)
        self.run(["wine", "wineboot", "--init"], env, timeout=120)
        font, key = CJK_FONT_LINK
        self.run(["wine", "reg", "add", key, "/v", "Tahoma", "/t", "REG_MULTI_SZ",
                  "/d", font, "/f"], env)
        self.run(["wine", "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v",
                  "ShowCrashDialog", "/t", "REG_DWORD", "/d", "0", "/f"], env)
        # The set-up's own Wine processes have no display; the program's must start
        # afresh with the test's. The server then stays up between the file's starts,
        # which makes every start after the first quick.
        self.run(["wineserver", "--kill"], env)
        self.run(["wineserver", "--wait"], env)
        # Up to 30 s without a program only: a test run that is killed leaves no server.
        self.run(["wineserver", "--persistent=30"], env)

    def destroy(self) -> None:
        if self._server_started:
            env = self.env(dict(os.environ))
            try:
                subprocess.run(["wineserver", "--kill"], env=env, timeout=30,
                               capture_output=True, stdin=subprocess.DEVNULL)
            except subprocess.TimeoutExpired:
                pass
        # Debian's Wine keeps the server's socket in a folder of its own beside the
        # prefix, named in the prefix's file "wineserver".
        try:
            server_dir = (self.path / "wineserver").read_text().strip()
        except OSError:
            server_dir = ""
        if server_dir.startswith("wine-"):
            shutil.rmtree(Path(os.environ.get("TMPDIR") or "/tmp") / server_dir,
                          ignore_errors=True)
        shutil.rmtree(self.path, ignore_errors=True)


class WineCase(ProgramCase):
    """One Wine prefix per test class too; the program's windows are the ones of its
    title that carry its pid."""

    label = "RuviaMascot"
    window_timeout = 30.0
    # How the program shows what lies behind it: "captured" or "see-through" (a layered
    # window). Chosen here, not left to Wine's answer about desktop composition.
    presentation = "captured"
    prefix: WinePrefix

    @classmethod
    def prepare(cls) -> None:
        reason = why_skipped()
        if reason:
            raise unittest.SkipTest(reason)
        cls.prefix = WinePrefix()
        cls.addClassCleanup(cls.prefix.destroy)
        cls.prefix.create()

    def command(self, *args: str) -> list[str]:
        return ["wine", str(EXE), *args]

    def environment(self, **env: str | None) -> dict[str, str]:
        return self.prefix.env(self.desktop.env(RUVIA_PRESENTATION=self.presentation, **env))

    def windows_of(self, program: dt.Program, name: str | None = None) -> list[int]:
        return [w for w in self.desktop.search(name=name or TITLE)
                if self.desktop.property(w, "_NET_WM_PID") == str(program.pid)]

    def drag_pin(self, window: int, to: tuple[int, int]) -> dt.Rect:
        """Drags by the pin's middle to the screen point `to`; where the window settles."""
        self.desktop.drag(grip(self.desktop.window_info(window).rect, PIN_MIDDLE), to)
        return self.settled_rect(window)

    def wine_tool(self, *argv: str, timeout: float = 60) -> tuple[int, str]:
        """Runs a console program in the prefix, on this desktop, to its end: its exit
        status and what it printed (Wine's own tools print UTF-16 to a file)."""
        with tempfile.TemporaryFile() as out:  # a pipe would stay open: see WinePrefix.run
            code = subprocess.run(["wine", *argv], env=self.prefix.env(self.desktop.env()),
                                  stdout=out, stderr=out, stdin=subprocess.DEVNULL,
                                  timeout=timeout).returncode
            out.seek(0)
            data = out.read()
        text = data.decode("utf-16") if data.startswith(b"\xff\xfe") else \
            data.decode(errors="replace")
        return code, text

    def windows_pid(self, image: str = EXE.name) -> int:
        """The Windows process id of the one running copy of `image`."""
        code, text = self.wine_tool("wmic", "process", "get", "Name,ProcessId")
        found = [int(line.split()[-1]) for line in text.splitlines()
                 if line.split()[:1] == [image] and line.split()[-1].isdigit()]
        self.assertEqual(len(found), 1, f"wmic ({code}) lists {image} {len(found)} times:\n{text}")
        return found[0]

    def end(self, program: dt.Program) -> None:
        """Ends the program the hard way, as a test that is done with it."""
        program.send(signal.SIGKILL)
        program.wait(10)
