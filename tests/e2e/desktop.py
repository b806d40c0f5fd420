"""A private X desktop for end-to-end tests.

Each Desktop is its own Xvfb (display number chosen by the server, so parallel runs never
clash), an openbox window manager and a wallpaper whose every pixel encodes its own
position, so a background copied from the wrong place cannot pass for the right one.
Everything it starts runs in its own process group and dies with this process; leaving
the context manager ends all of it, failing test or not.

Only the standard library and the X command-line tools are used: xdotool drives the mouse
and keyboard, xwininfo/xprop observe windows, ImageMagick's import takes screenshots.
Its parts live beside it (screen_pixels, processes, x_client) and are re-exported here.
"""

from __future__ import annotations

import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path
from typing import Iterable, Sequence

sys.path.insert(0, str(Path(__file__).resolve().parent))

# The harness's parts, re-exported so that tests keep one name for all of it.
from processes import *  # noqa: E402,F401,F403
from processes import Program, RootEvents, wait_until  # noqa: E402
from screen_pixels import *  # noqa: E402,F401,F403
from screen_pixels import (Image, Monitor, Rect, WindowInfo, describe_differences,  # noqa: E402
                           differing_pixels, make_pattern)
from x_client import XClient  # noqa: E402

REQUIRED_TOOLS = ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "xrandr", "import",
                  "display", "xmessage", "xev")

# A tool that hangs is a failure, not a reason to hang the test run.
TOOL_TIMEOUT = 15.0


def missing_tools() -> list[str]:
    return [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]


def main(skip_reason: str | None = None) -> None:
    """unittest's main for a test file, except that a run that cannot test here (its
    desktop tools are missing, or for `skip_reason`) ends with 77, which CTest reports
    as skipped rather than passed."""
    import unittest
    result = unittest.main(verbosity=2, exit=False).result
    if not result.wasSuccessful():
        sys.exit(1)
    missing = missing_tools()
    if missing:
        skip_reason = "end-to-end tests need " + ", ".join(missing)
    if skip_reason:
        print("skipped: " + skip_reason, file=sys.stderr)
        sys.exit(77)
    sys.exit(0)


# --------------------------------------------------------------------------- the desktop

class Desktop:
    """Xvfb + openbox + the position-coded wallpaper; use as a context manager."""

    def __init__(self, width: int = 1024, height: int = 768, *,
                 monitors: Sequence[Monitor] = (), window_manager: bool = True,
                 wallpaper: Image | None = None):
        self.width = width
        self.height = height
        self.monitors = tuple(monitors)
        self.window_manager = window_manager
        self.wallpaper = wallpaper or make_pattern(width, height)
        self.display = ""
        self.tmp = Path(tempfile.mkdtemp(prefix="ruvia-e2e-"))
        self.runtime_dir = self._private_dir("runtime")
        self._config_dir = self._private_dir("config")
        self._programs: list[Program] = []
        self._server: Program | None = None
        self._labels = 0
        self._xclient: XClient | None = None

    # ---- lifetime

    def __enter__(self) -> "Desktop":
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc: object) -> None:
        self.stop()

    def start(self) -> None:
        self._start_server()
        for monitor in self.monitors:
            self._set_monitor(monitor, first=monitor is self.monitors[0])
        self._set_wallpaper()
        if self.window_manager:
            self._start_window_manager()
        self._check_wallpaper()

    def stop(self) -> None:
        if self._xclient:
            self._xclient.close()
            self._xclient = None
        for program in reversed(self._programs):
            program.stop()
        self._programs.clear()
        if self._server:
            self._server.stop()
            self._server = None
        shutil.rmtree(self.tmp, ignore_errors=True)

    @property
    def server_pid(self) -> int:
        """The X server's process, for measuring what drawing costs on its side."""
        if not self._server:
            raise RuntimeError("the desktop is not running")
        return self._server.pid

    def _private_dir(self, name: str) -> Path:
        path = self.tmp / name
        path.mkdir(mode=0o700)
        return path

    def _start_server(self) -> None:
        read_fd, write_fd = os.pipe()
        try:
            self._server = self._spawn(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                 f"{self.width}x{self.height}x24", "-noreset", "-nolisten", "tcp"],
                env=dict(os.environ), cwd=self.tmp, pass_fds=(write_fd,), label="xvfb")
            os.close(write_fd)
            write_fd = -1
            number = b""
            deadline = time.monotonic() + 10
            while not number.endswith(b"\n"):
                left = max(0.0, deadline - time.monotonic())
                ready, _, _ = select.select([read_fd], [], [], left)
                chunk = os.read(read_fd, 16) if ready else b""
                if not chunk:
                    raise RuntimeError("Xvfb did not report a display number:\n"
                                       + self._server.stderr())
                number += chunk
        finally:
            os.close(read_fd)
            if write_fd >= 0:
                os.close(write_fd)
        self.display = f":{number.decode().strip()}"

    def _set_monitor(self, monitor: Monitor, first: bool) -> None:
        r = monitor.rect
        geometry = f"{r.width}/{monitor.width_mm}x{r.height}/{monitor.height_mm}+{r.x}+{r.y}"
        self.tool(["xrandr", "--setmonitor", monitor.name, geometry,
                   "screen" if first else "none"])

    def resize_screen(self, width: int, height: int) -> None:
        """Changes the X screen's resolution, as a monitor that is unplugged or set to
        another mode does. Xvfb knows only its start size: the mode is added first."""
        name = f"{width}x{height}"
        modes = self.tool(["xrandr"])
        if not re.search(rf"^\s+{name}\s", modes, re.M):
            # Timings mean nothing to Xvfb; they only have to be a valid mode line.
            self.tool(["xrandr", "--newmode", name, "40", str(width), str(width + 8),
                       str(width + 16), str(width + 24), str(height), str(height + 1),
                       str(height + 2), str(height + 3)])
            self.tool(["xrandr", "--addmode", "screen", name])
        self.tool(["xrandr", "--output", "screen", "--mode", name, "--fb", name])

    def _set_wallpaper(self) -> None:
        path = self.tmp / "wallpaper.ppm"
        self.wallpaper.save(path)
        # display exits non-zero after setting the root even when it worked; the check
        # below is what counts.
        self.tool(["display", "-window", "root", str(path)], check=False)

    def _check_wallpaper(self) -> None:
        whole = Rect(0, 0, self.width, self.height)
        diffs = differing_pixels(self.screenshot(), self.wallpaper, whole)
        if diffs:
            raise RuntimeError("the wallpaper did not take:\n" + describe_differences(diffs))

    def _start_window_manager(self) -> None:
        self.start_window_manager(["openbox", "--sm-disable"], label="openbox")

    def start_window_manager(self, argv: Sequence[str], *, label: str,
                             env: dict[str, str] | None = None, timeout: float = 10) -> Program:
        """Starts a window manager and waits until it manages the screen."""
        program = self.start_program(argv, label=label, env=env)
        wait_until(lambda: "window id #" in self.tool(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False),
            timeout, f"{label} to manage the screen")
        return program

    # ---- processes

    def env(self, **extra: str | None) -> dict[str, str]:
        """The environment of a program on this desktop; a value of None removes a key."""
        env = {k: v for k, v in os.environ.items()
               if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DISPLAY")}
        env.update(DISPLAY=self.display, XDG_RUNTIME_DIR=str(self.runtime_dir),
                   XDG_CONFIG_HOME=str(self._config_dir))
        if not any(env.get(k) for k in ("LC_ALL", "LC_CTYPE", "LANG")):
            env["LANG"] = "C.UTF-8"
        for key, value in extra.items():
            if value is None:
                env.pop(key, None)
            else:
                env[key] = value
        return env

    def _spawn(self, argv: Sequence[str], env: dict[str, str], cwd: str | os.PathLike,
               label: str, pass_fds: Sequence[int] = (), stdout_pipe: bool = False) -> Program:
        self._labels += 1
        return Program(argv, env, cwd, self.tmp, f"{self._labels:02d}-{label}", pass_fds,
                       stdout_pipe)

    def start_program(self, argv: Sequence[str], *, cwd: str | os.PathLike | None = None,
                      env: dict[str, str] | None = None, label: str | None = None) -> Program:
        """Starts a program on this desktop; it is stopped with the desktop at the latest."""
        program = self._spawn(argv, env if env is not None else self.env(),
                              cwd if cwd is not None else self.tmp,
                              label or Path(argv[0]).name)
        self._programs.append(program)
        return program

    def publish_wallpaper(self) -> None:
        """Publishes the wallpaper as _XROOTPMAP_ID: a compositor paints the desktop's
        background from there, not from the root window itself."""
        self.xclient().publish_root_pixmap(self.wallpaper)

    def start_compositor(self, argv: Sequence[str]) -> Program:
        """Starts a compositing manager; returns once it owns _NET_WM_CM_S0 and has
        painted the wallpaper."""
        program = self.start_program(argv, label=Path(argv[0]).name)
        wait_until(lambda: self.xclient().selection_owned("_NET_WM_CM_S0"), 10,
                   f"{argv[0]} to own _NET_WM_CM_S0")
        wait_until(lambda: self.grab(Rect(0, 0, 64, 64)).data
                   == self.wallpaper.crop(Rect(0, 0, 64, 64)).data, 10,
                   f"{argv[0]} to paint the wallpaper")
        return program

    def stop_compositor(self, program: Program) -> None:
        program.stop()
        wait_until(lambda: not self.xclient().selection_owned("_NET_WM_CM_S0"), 10,
                   "the compositor to let go of _NET_WM_CM_S0")

    def watch_root(self) -> RootEvents:
        """Starts recording the root's structure events; stop() the result when done (the
        desktop stops it at the latest)."""
        program = self._spawn(["xev", "-root", "-event", "substructure", "-event", "property"],
                              self.env(), self.tmp, "xev", stdout_pipe=True)
        self._programs.append(program)
        watcher = RootEvents(program)
        # xev prints nothing until an event comes; a property change of our own tells
        # when it listens, so no map that follows can be missed.
        self._probes = getattr(self, "_probes", 0) + 1
        value = f"probe{self._probes}"

        def heard() -> bool:
            self.tool(["xprop", "-root", "-f", "_RUVIA_E2E_PROBE", "8s",
                       "-set", "_RUVIA_E2E_PROBE", value])
            return any("_RUVIA_E2E_PROBE" in e.text for e in watcher.events("PropertyNotify"))

        wait_until(heard, 10, "xev to listen to the root", interval=0.05)
        return watcher

    def tool(self, argv: Sequence[str], *, check: bool = True) -> str:
        """Runs an X command-line tool to completion and returns its standard output."""
        result = subprocess.run(list(argv), env=self.env(LC_ALL="C.UTF-8"),
                                capture_output=True, timeout=TOOL_TIMEOUT,
                                stdin=subprocess.DEVNULL)
        if check and result.returncode != 0:
            raise RuntimeError(f"{' '.join(argv)} failed ({result.returncode}): "
                               f"{result.stderr.decode(errors='replace').strip()}")
        return result.stdout.decode(errors="replace")

    # ---- windows

    def search(self, *, pid: int | None = None, name: str | None = None,
               class_name: str | None = None, visible: bool = True) -> list[int]:
        """Window ids matching every given condition; `name` and `class_name` are whole
        strings, not patterns."""
        # xdotool 3.2016 finds nothing when given two conditions, so it is asked for one
        # and the others are checked here.
        argv = ["xdotool", "search"]
        if visible:
            argv.append("--onlyvisible")
        if pid is not None:
            argv += ["--pid", str(pid)]
        elif name is not None:
            argv += ["--name", f"^{re.escape(name)}$"]
        elif class_name is not None:
            argv += ["--class", f"^{re.escape(class_name)}$"]
        else:
            argv += ["--name", ""]
        # xdotool exits 1 when nothing matches.
        found = [int(line) for line in self.tool(argv, check=False).split()]
        if pid is not None and name is not None:
            found = [w for w in found if self.title(w) == name]
        if class_name is not None and (pid is not None or name is not None):
            found = [w for w in found if class_name in self.window_class(w)]
        return found

    def wait_window(self, timeout: float = 10, **conditions: object) -> int:
        """The one visible window matching `conditions` (see search), once it exists."""
        found = wait_until(lambda: self.search(**conditions), timeout,
                           f"a visible window with {conditions}")
        if len(found) != 1:
            raise AssertionError(f"expected one window with {conditions}, found {found}")
        return found[0]

    def window_info(self, window: int) -> WindowInfo:
        # The mascot's frame comes and goes with each capture: xwininfo may find the
        # parent it has just named gone. Asking again sees the new one.
        for attempt in range(5):
            try:
                text = self.tool(["xwininfo", "-id", str(window), "-stats", "-tree"])
                break
            except RuntimeError as error:
                if "X Error" not in str(error) or attempt == 4:
                    raise
                time.sleep(0.02)

        def field(label: str) -> str:
            match = re.search(rf"^\s*{label}:\s+(\S+)", text, re.MULTILINE)
            if not match:
                raise RuntimeError(f"xwininfo gave no {label!r} for {window:#x}:\n{text}")
            return match.group(1)

        return WindowInfo(id=window, x=int(field("Absolute upper-left X")),
                          y=int(field("Absolute upper-left Y")),
                          width=int(field("Width")), height=int(field("Height")),
                          viewable=field("Map State") == "IsViewable",
                          parent=int(field("Parent window id"), 16),
                          root=int(field("Root window id"), 16))

    def frame_of(self, window: int) -> WindowInfo:
        """The window manager's frame around `window`: its ancestor just below the root
        (the window itself when nobody reparented it)."""
        info = self.window_info(window)
        while info.parent != info.root:
            info = self.window_info(info.parent)
        return info

    def wait_settled(self, window: int, timeout: float = 10, quiet: float = 0.3) -> WindowInfo:
        """Waits until `window` is viewable and its place and size stayed the same for
        `quiet` seconds, and returns them."""
        state: dict[str, object] = {"info": None, "since": 0.0}

        def settled() -> WindowInfo | None:
            info = self.window_info(window)
            now = time.monotonic()
            if not info.viewable or info != state["info"]:
                state.update(info=info, since=now)
                return None
            return info if now - float(state["since"]) >= quiet else None

        return wait_until(settled, timeout, f"window {window:#x} to settle", interval=0.05)

    def property(self, window: int, name: str) -> str | None:
        """The value of an X property as xprop prints it after '=', or None if unset."""
        text = self.tool(["xprop", "-id", str(window), name], check=False).strip()
        if "=" not in text:
            return None
        return text.split("=", 1)[1].strip()

    def wm_state(self, window: int) -> set[str]:
        value = self.property(window, "_NET_WM_STATE") or ""
        return {atom.strip() for atom in value.split(",") if atom.strip()}

    def title(self, window: int) -> str | None:
        value = self.property(window, "_NET_WM_NAME") or self.property(window, "WM_NAME")
        if value is None:
            return None
        return value[1:-1] if value.startswith('"') and value.endswith('"') else value

    def window_class(self, window: int) -> list[str]:
        """Instance and class names from WM_CLASS."""
        return re.findall(r'"([^"]*)"', self.property(window, "WM_CLASS") or "")

    def frame_extents(self, window: int) -> tuple[int, ...] | None:
        value = self.property(window, "_NET_FRAME_EXTENTS")
        return tuple(int(v) for v in value.split(",")) if value else None

    def open_window(self, rect: Rect, *, color: str = "#ff00ff") -> tuple[Program, int]:
        """Another program's window (an xmessage filled with `color`) whose frame starts
        at rect's corner, its inside about rect's size; returns the program and its client
        window. The frame's exact bounds come from frame_of."""
        self._labels += 1
        name = f"other{self._labels}"
        program = self.start_program(
            ["xmessage", "-name", name, "-title", name,
             "-geometry", f"{rect.width}x{rect.height}+{rect.x}+{rect.y}",
             "-bg", color, "-fg", color, "-buttons", "", name], label=name)
        window = self.wait_window(name=name)
        self.wait_settled(window)
        return program, window

    def raise_window(self, window: int) -> None:
        """Puts another program's window over the others of its layer (openbox keeps
        always-on-top windows above it all the same)."""
        self.tool(["xdotool", "windowraise", str(self.frame_of(window).id)])

    # ---- pixels

    def screenshot(self) -> Image:
        blob = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                              env=self.env(), capture_output=True, timeout=TOOL_TIMEOUT,
                              check=True).stdout
        shot = Image.from_ppm(blob)
        if (shot.width, shot.height) != (self.width, self.height):
            raise RuntimeError(f"screenshot is {shot.width}x{shot.height}, "
                               f"screen is {self.width}x{self.height}")
        return shot

    def xclient(self) -> XClient:
        """This desktop's direct connection (see XClient), opened on first use."""
        if self._xclient is None:
            self._xclient = XClient(self.display)
        return self._xclient

    def grab(self, rect: Rect) -> Image:
        """The screen in `rect`, read directly: fast enough to poll every few ms."""
        return self.xclient().grab(rect)

    def window_image(self, window: int, shot: Image | None = None) -> Image:
        """What the screen shows of a window, clipped to the screen."""
        shot = shot or self.screenshot()
        rect = self.window_info(window).rect.intersection(Rect(0, 0, self.width, self.height))
        if rect is None:
            raise AssertionError(f"window {window:#x} is not on the screen")
        return shot.crop(rect)

    def expect_pixels_equal(self, rect: Rect, reference: Image, *,
                            exclude: Iterable[Rect] = (), shot: Image | None = None) -> Image:
        """Asserts that the screen in `rect` (less `exclude`) equals `reference`; returns
        the screenshot used. The failure message lists the first mismatching pixels."""
        shot = shot or self.screenshot()
        clipped = rect.intersection(Rect(0, 0, self.width, self.height))
        diffs = differing_pixels(shot, reference, clipped, exclude) if clipped else []
        if diffs:
            saved = self.keep_artifact(shot, "mismatch")
            raise AssertionError(f"screen differs in {rect}; screenshot {saved}\n"
                                 + describe_differences(diffs))
        return shot

    def expect_pixels_equal_background(self, rect: Rect, *, exclude: Iterable[Rect] = (),
                                       shot: Image | None = None) -> Image:
        return self.expect_pixels_equal(rect, self.wallpaper, exclude=exclude, shot=shot)

    def keep_artifact(self, image: Image, name: str) -> str:
        """Saves a picture in $RUVIA_E2E_ARTIFACTS, where it outlives the desktop; says
        how to get one when that is not set."""
        folder = os.environ.get("RUVIA_E2E_ARTIFACTS")
        if not folder:
            return "not kept (set RUVIA_E2E_ARTIFACTS to a folder to keep it)"
        Path(folder).mkdir(parents=True, exist_ok=True)
        path = Path(folder) / f"ruvia-e2e-{name}-{os.getpid()}-{time.monotonic_ns()}.ppm"
        image.save(path)
        return str(path)

    # ---- input

    def mouse_location(self) -> tuple[int, int]:
        text = self.tool(["xdotool", "getmouselocation"])
        x = int(re.search(r"x:(-?\d+)", text).group(1))  # type: ignore[union-attr]
        y = int(re.search(r"y:(-?\d+)", text).group(1))  # type: ignore[union-attr]
        return x, y

    def mouse_move(self, x: int, y: int) -> None:
        # --sync waits for the motion to arrive, but hangs when there is no motion.
        sync = ["--sync"] if self.mouse_location() != (x, y) else []
        self.tool(["xdotool", "mousemove", *sync, str(x), str(y)])

    def mouse_down(self, button: int = 1) -> None:
        self.tool(["xdotool", "mousedown", str(button)])

    def mouse_up(self, button: int = 1) -> None:
        self.tool(["xdotool", "mouseup", str(button)])

    def click(self, x: int, y: int, button: int = 1) -> None:
        self.mouse_move(x, y)
        self.tool(["xdotool", "click", str(button)])

    def drag(self, start: tuple[int, int], end: tuple[int, int], button: int = 1,
             steps: int = 10, step_delay: float = 0.02) -> None:
        """Presses at `start`, moves in `steps` straight steps to `end`, releases."""
        self.mouse_move(*start)
        self.mouse_down(button)
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            self.mouse_move(x, y)
            time.sleep(step_delay)
        self.mouse_up(button)

    def flick(self, start: tuple[int, int], end: tuple[int, int], then: tuple[int, int],
              button: int = 1) -> None:
        """Presses at `start`, moves to `end`, releases and goes on to `then`, all in one
        burst of input: the motion after the release reaches the server before a program
        has handled the release."""
        self.mouse_move(*start)
        mid = ((start[0] + end[0]) // 2, (start[1] + end[1]) // 2)
        self.tool(["xdotool", "mousedown", str(button), "mousemove", *map(str, mid),
                   "mousemove", *map(str, end), "mouseup", str(button),
                   "mousemove", *map(str, then)])

    def activate(self, window: int) -> None:
        self.tool(["xdotool", "windowactivate", "--sync", str(window)])

    def key(self, *keys: str) -> None:
        """Types keys (xdotool names such as Return) into the focused window."""
        self.tool(["xdotool", "key", *keys])
