#!/usr/bin/env python3
"""The real program on the desktops people run, each started headless here in turn, and
what it measured there, one row a desktop. A benchmark, not a test: it asserts nothing,
prints numbers, and says what it could not measure and why.

    python3 bench/desktop_survey.py                 # every installed desktop
    python3 bench/desktop_survey.py kwin gnome      # those whose name holds a word
    python3 bench/desktop_survey.py --pictures DIR  # keeps each desktop's screenshots

Each desktop shows the end-to-end tests' position-coded wallpaper as a window of the
desktop type (the one background every window manager keeps below all and undecorated),
so a pixel copied from the wrong place cannot pass for the right one. She starts from a
settings file of 3000,1500 twips, (200, 100) at 96 dpi. The columns:

- place: her window's place and size as xwininfo tells it (want 107x150+200+100), and
  its depth (32: see-through with alpha; 24: she captures what lies behind her);
- pixels: at rest, from the desktop's own screenshot (import on X; KWin's ScreenShot2,
  GNOME Shell's Screenshot on Wayland), the pixels inside her window that are neither
  her sprites nor her string and differ from what was there before she came, and the
  pixels outside her window that changed (a shadow, a ghost; a panel is left out);
- click: how many different pictures her window shows in the 2 s after a click on
  her at rest, and in the 2 s before it (1 after it: the click did not restart the
  swing);
- drag: where her window is after a drag by the pin to (420, 330) with xdotool, and
  the wrong pixels there once at rest;
- menu: the menu's window type, frame extents (left, right, top, bottom: a title bar
  is a top larger than the rest), whether the window manager allows close, minimise,
  maximise, and how much of its inside is black once drawn (its text: a few per cent);
- attention: every value _NET_WM_STATE took on her window from just after its map to
  the menu (xprop -spy): how often _NET_WM_STATE_DEMANDS_ATTENTION came, how long it
  stayed at most, and whether it is there at the end;
- above: whether _NET_WM_STATE_ABOVE came after the menu's always-on-top item;
- exit: the settings file's bytes after the menu's exit item;
- cpu: CPU seconds (user + system, the counter `ps -o time` shows) in 20 s at rest.

Needs what the end-to-end tests need and the program built (build/ruvia-mascot, or
RUVIA_BINARY); the desktops' packages (openbox, picom, xfwm4, mutter, kwin-x11 with
kwin-style-breeze, whose title bars Plasma draws, kwin-wayland, gnome-shell, dbus) are
looked for and a desktop that is missing is skipped with a line. Run it as root:
GNOME Shell is started as the user nobody, and its XWayland let open to root.
"""

from __future__ import annotations

import argparse
import ctypes
import os
import re
import shutil
import subprocess
import sys
import threading
import time
import unittest
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import desktop as dt  # noqa: E402
from geometry import (CHAR_REST, MENU_ITEM_ALWAYS_ON_TOP, MENU_ITEM_EXIT,  # noqa: E402
                      ON_CHARACTER, TWIPS_PER_PIXEL, grip, window_at)
from mascot_case import MascotCase  # noqa: E402
from program_case import MENU_TITLE, SETTINGS_FILE  # noqa: E402
from scene import scene_faults  # noqa: E402

SETTINGS = b"3000,1500\r\n"
DROP = (420, 330)
REST_CPU_SECONDS = 20
ATTENTION = "_NET_WM_STATE_DEMANDS_ATTENTION"
# A user with no rights, for GNOME Shell: as root it covers her place with a banner.
NOBODY = 65534
# Lets every user of the machine on a private bus: the desktop may run as another user
# than the tools that ask it for screenshots.
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


# --------------------------------------------------------------------------- D-Bus

class _BusError(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("message", ctypes.c_char_p),
                ("bits", ctypes.c_uint), ("padding", ctypes.c_void_p)]


class _BusIter(ctypes.Structure):
    _fields_ = [("opaque", ctypes.c_void_p * 14)]


class Bus:
    """A connection of our own to a session bus through libdbus: the command-line
    clients can neither own a name (GNOME Shell answers screenshots only to the owner of
    org.gnome.Screenshot) nor pass a file descriptor (KWin writes its screenshot to one)."""

    _TIMEOUT_MS = 15000
    _BASIC = {"b": ctypes.c_uint32, "u": ctypes.c_uint32, "i": ctypes.c_int32,
              "x": ctypes.c_int64, "t": ctypes.c_uint64, "y": ctypes.c_uint8,
              "n": ctypes.c_int16, "q": ctypes.c_uint16, "d": ctypes.c_double,
              "s": ctypes.c_char_p, "o": ctypes.c_char_p, "h": ctypes.c_int32}

    def __init__(self, address: str):
        lib = ctypes.CDLL("libdbus-1.so.3")
        v, it, err = ctypes.c_void_p, ctypes.POINTER(_BusIter), ctypes.POINTER(_BusError)
        for name, result, args in (
                ("dbus_error_init", None, [err]),
                ("dbus_connection_open_private", v, [ctypes.c_char_p, err]),
                ("dbus_bus_register", ctypes.c_int, [v, err]),
                ("dbus_bus_request_name", ctypes.c_int, [v, ctypes.c_char_p, ctypes.c_uint, err]),
                ("dbus_message_new_method_call", v, [ctypes.c_char_p] * 4),
                ("dbus_message_iter_init_append", None, [v, it]),
                ("dbus_message_iter_append_basic", ctypes.c_int, [it, ctypes.c_int, v]),
                ("dbus_message_iter_open_container", ctypes.c_int,
                 [it, ctypes.c_int, ctypes.c_char_p, it]),
                ("dbus_message_iter_close_container", ctypes.c_int, [it, it]),
                ("dbus_connection_send_with_reply_and_block", v, [v, v, ctypes.c_int, err]),
                ("dbus_message_iter_init", ctypes.c_int, [v, it]),
                ("dbus_message_iter_get_arg_type", ctypes.c_int, [it]),
                ("dbus_message_iter_get_basic", None, [it, v]),
                ("dbus_message_iter_recurse", None, [it, it]),
                ("dbus_message_iter_next", ctypes.c_int, [it]),
                ("dbus_message_unref", None, [v]),
                ("dbus_connection_close", None, [v])):
            function = getattr(lib, name)
            function.restype, function.argtypes = result, args
        self._lib = lib
        error = self._error()
        self._connection = lib.dbus_connection_open_private(address.encode(),
                                                            ctypes.byref(error))
        if not self._connection or not lib.dbus_bus_register(self._connection,
                                                             ctypes.byref(error)):
            raise RuntimeError(f"D-Bus at {address}: {error.message}")

    def _error(self) -> _BusError:
        error = _BusError()
        self._lib.dbus_error_init(ctypes.byref(error))
        return error

    def own(self, name: str) -> None:
        error = self._error()
        primary_owner, do_not_queue = 1, 4
        if self._lib.dbus_bus_request_name(self._connection, name.encode(), do_not_queue,
                                           ctypes.byref(error)) != primary_owner:
            raise RuntimeError(f"cannot own {name}: {error.message}")

    def call(self, destination: str, path: str, interface: str, method: str,
             *args: tuple[str, object]) -> list:
        """Calls a method with arguments as (signature, value) pairs, basic types and
        the empty a{sv}; returns the reply's values (arrays as lists, variants opened)."""
        lib = self._lib
        message = lib.dbus_message_new_method_call(destination.encode(), path.encode(),
                                                   interface.encode(), method.encode())
        top = _BusIter()
        lib.dbus_message_iter_init_append(message, ctypes.byref(top))
        for signature, value in args:
            if signature == "a{sv}":
                inner = _BusIter()
                lib.dbus_message_iter_open_container(ctypes.byref(top), ord("a"), b"{sv}",
                                                     ctypes.byref(inner))
                lib.dbus_message_iter_close_container(ctypes.byref(top), ctypes.byref(inner))
                continue
            box = self._BASIC[signature](value.encode() if isinstance(value, str) else value)
            lib.dbus_message_iter_append_basic(ctypes.byref(top), ord(signature),
                                               ctypes.byref(box))
        error = self._error()
        reply = lib.dbus_connection_send_with_reply_and_block(
            self._connection, message, self._TIMEOUT_MS, ctypes.byref(error))
        lib.dbus_message_unref(message)
        if not reply:
            raise RuntimeError(f"{interface}.{method}: "
                               f"{(error.message or error.name or b'no reply').decode()}")
        try:
            values = _BusIter()
            return self._values(values) if lib.dbus_message_iter_init(
                reply, ctypes.byref(values)) else []
        finally:
            lib.dbus_message_unref(reply)

    def _values(self, it: _BusIter) -> list:
        lib, out = self._lib, []
        while (kind := chr(lib.dbus_message_iter_get_arg_type(ctypes.byref(it)) or 0)) != "\0":
            if kind in self._BASIC:
                box = self._BASIC[kind]()
                lib.dbus_message_iter_get_basic(ctypes.byref(it), ctypes.byref(box))
                out.append(box.value.decode() if isinstance(box.value, bytes) else box.value)
            else:  # an array, a dict entry, a struct or a variant
                inner = _BusIter()
                lib.dbus_message_iter_recurse(ctypes.byref(it), ctypes.byref(inner))
                values = self._values(inner)
                out.append(values[0] if kind == "v" else values)
            lib.dbus_message_iter_next(ctypes.byref(it))
        return out

    def close(self) -> None:
        if self._connection:
            self._lib.dbus_connection_close(self._connection)
            self._connection = None


# --------------------------------------------------------------------------- desktops

class Session(dt.Desktop):
    """A desktop for the survey: the harness's desktop with a private session bus,
    the wallpaper as a desktop-type window, and `ignore`: parts of the screen that a
    desktop changes by itself (a panel's clock)."""

    ignore: tuple[dt.Rect, ...] = ()
    needs: tuple[str, ...] = ()

    def __init__(self, *, bus: bool = False):
        super().__init__(window_manager=False)
        self.uses_bus = bus
        self.bus_address = ""
        self.backdrop_faults = 0

    def start_bus(self, name: str = "bus") -> str:
        config = self.tmp / "bus.conf"
        config.write_text(BUS_CONFIG)
        config.chmod(0o644)
        program = self.start_program(["dbus-daemon", f"--config-file={config}",
                                      "--print-address=1", "--nofork"], label=name)
        return dt.wait_until(lambda: program.stdout().strip(), 10, f"the {name}'s address")

    def show_wallpaper(self) -> None:
        """The wallpaper as a desktop window; `backdrop_faults` counts the pixels of the
        screen (less `ignore`) that do not show it then."""
        self.xclient().show_desktop_picture(self.wallpaper)
        whole = dt.Rect(0, 0, self.width, self.height)
        try:
            dt.wait_until(lambda: not dt.differing_pixels(self.screenshot(), self.wallpaper,
                                                          whole, self.ignore),
                          15, "the wallpaper window on the screen", interval=0.3)
        except TimeoutError:
            self.backdrop_faults = len(dt.differing_pixels(self.screenshot(), self.wallpaper,
                                                           whole, self.ignore))

    def version(self) -> str:
        return ""


class XvfbSession(Session):
    """Xvfb and a window manager (with a compositor of its own or beside it)."""

    def __init__(self, window_manager: tuple[str, ...], package: str, *,
                 compositor: tuple[str, ...] = (), bus: bool = False,
                 env: dict[str, str] | None = None):
        super().__init__(bus=bus)
        self.manager_argv, self.package = window_manager, package
        self.compositor_argv, self.manager_env = compositor, env or {}
        self.needs = (window_manager[0], *compositor[:1], *(("dbus-daemon",) if bus else ()))

    def start(self) -> None:
        self._start_server()
        self._set_wallpaper()
        self._check_wallpaper()
        if self.uses_bus:
            self.bus_address = self.start_bus()
        self.start_window_manager(self.manager_argv, label=Path(self.manager_argv[0]).name,
                                  env=self.env(**self.manager_env), timeout=60)
        if self.compositor_argv:
            self.publish_wallpaper()
            self.start_compositor(self.compositor_argv)
        self.show_wallpaper()

    def env(self, **extra: str | None) -> dict[str, str]:
        if self.bus_address:
            extra.setdefault("DBUS_SESSION_BUS_ADDRESS", self.bus_address)
        return super().env(**extra)

    def version(self) -> str:
        return package_version(self.package) + (
            f" + picom {package_version('picom')}" if self.compositor_argv else "")


class WaylandSession(Session):
    """A Wayland compositor started headless with XWayland: her X window and the X
    tools go through XWayland, the screenshots through the compositor itself (XWayland
    cannot read the screen back)."""

    socket = "ruvia-survey"

    def __init__(self) -> None:
        super().__init__(bus=True)
        self.xauthority = ""

    def env(self, **extra: str | None) -> dict[str, str]:
        # The session a user has: both displays, the Wayland one by its full path so
        # that a program with a runtime directory of its own still finds it.
        extra.setdefault("WAYLAND_DISPLAY", str(self.runtime_dir / self.socket))
        extra.setdefault("XDG_SESSION_TYPE", "wayland")
        extra.setdefault("DBUS_SESSION_BUS_ADDRESS", self.bus_address)
        if self.xauthority:
            extra.setdefault("XAUTHORITY", self.xauthority)
        return super().env(**extra)

    def compositor_env(self, **extra: str) -> dict[str, str]:
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY")}
        env.update(XDG_RUNTIME_DIR=str(self.runtime_dir), HOME=str(self.tmp / "home"),
                   XDG_CONFIG_HOME=str(self._config_dir),
                   DBUS_SESSION_BUS_ADDRESS=self.bus_address, **extra)
        return env

    def find_xwayland(self, compositor: dt.Program) -> None:
        """Learns XWayland's display (and its authority file) from its command line."""
        def xwayland() -> list[str] | None:
            for status in Path("/proc").glob("[0-9]*/status"):
                try:
                    text = status.read_text()
                    ppid = int(re.search(r"^PPid:\s+(\d+)", text, re.M).group(1))
                    if ppid == compositor.pid and "Xwayland" in text.split("\n", 1)[0]:
                        return (status.parent / "cmdline").read_bytes().decode().split("\0")
                except (OSError, AttributeError):
                    continue
            if not compositor.running():
                raise RuntimeError(f"{compositor.argv[0]} ended:\n{compositor.stderr()[-1500:]}")
            return None

        argv = dt.wait_until(xwayland, 30, "the compositor's XWayland")
        self.display = next(a for a in argv if re.fullmatch(r":\d+", a))
        if "-auth" in argv:
            self.xauthority = argv[argv.index("-auth") + 1]
        dt.wait_until(lambda: "window id #" in self.tool(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False), 30,
            "the compositor to manage XWayland's windows")
        if self.xauthority:
            # This script's own connection (XClient) goes without the authority file.
            self.tool(["xhost", "+si:localuser:root"])

    def grab(self, rect: dt.Rect) -> dt.Image:
        return self.screenshot().crop(rect)

    def stop(self) -> None:
        if getattr(self, "_bus", None):
            self._bus.close()
            self._bus = None
        super().stop()


class KWinWayland(WaylandSession):
    needs = ("kwin_wayland", "dbus-daemon")

    def start(self) -> None:
        (self.tmp / "home").mkdir()
        self.bus_address = self.start_bus()
        # The installed binary carries a file capability this kind of container refuses
        # to run; a copy has none.
        binary = self.tmp / "kwin_wayland"
        shutil.copy(shutil.which("kwin_wayland"), binary)
        kwin = self.start_program(
            [str(binary), "--virtual", "--xwayland", "--width", str(self.width),
             "--height", str(self.height), "--socket", self.socket, "--no-lockscreen"],
            env=self.compositor_env(KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1"), label="kwin")
        self.find_xwayland(kwin)
        self.show_wallpaper()

    def screenshot(self) -> dt.Image:
        if not getattr(self, "_bus", None):
            self._bus = Bus(self.bus_address)
        read, write = os.pipe()
        data = bytearray()
        reader = threading.Thread(target=lambda: [data.extend(chunk) for chunk in
                                                  iter(lambda: os.read(read, 1 << 20), b"")])
        reader.start()
        try:
            reply = self._bus.call("org.kde.KWin", "/org/kde/KWin/ScreenShot2",
                                   "org.kde.KWin.ScreenShot2", "CaptureWorkspace",
                                   ("a{sv}", None), ("h", write))
        finally:
            os.close(write)
            reader.join(15)
            os.close(read)
        info = dict(reply[0])
        width, height, stride = info["width"], info["height"], info["stride"]
        # QImage's 32-bit formats: B, G, R, A in memory.
        rgb = bytearray(width * height * 3)
        for y in range(height):
            line = data[y * stride:y * stride + width * 4]
            rgb[y * width * 3:(y + 1) * width * 3:3] = line[2::4]
            rgb[y * width * 3 + 1:(y + 1) * width * 3:3] = line[1::4]
            rgb[y * width * 3 + 2:(y + 1) * width * 3:3] = line[0::4]
        return dt.Image(width, height, rgb)

    def version(self) -> str:
        return package_version("kwin-wayland")


class GnomeShellWayland(WaylandSession):
    needs = ("gnome-shell", "dbus-daemon", "setpriv", "gdbus", "xhost", "convert")
    ignore = (dt.Rect(0, 0, 1024, 32),)  # the top bar: its clock, her application's name

    def start(self) -> None:
        home, shots = self.tmp / "home", self.tmp / "shots"
        shell_data = home / ".local" / "share" / "gnome-shell"
        for folder in (shots, shell_data):
            folder.mkdir(parents=True)
        # Without a display manager the Shell says once, in a banner over her place, that
        # it cannot lock the screen; this file tells it that it has said so.
        (shell_data / "lock-warning-shown").touch()
        for path in (home, *home.rglob("*"), shots, self.runtime_dir, self._config_dir):
            os.chown(path, NOBODY, NOBODY)
        self.tmp.chmod(0o711)
        self.bus_address = self.start_bus()
        system_bus = self.start_bus("system-bus")
        shell = self.start_program(
            ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups",
             "gnome-shell", "--headless", "--wayland", "--virtual-monitor",
             f"{self.width}x{self.height}", f"--wayland-display={self.socket}"],
            env=self.compositor_env(DBUS_SYSTEM_BUS_ADDRESS=system_bus), label="gnome-shell")
        self.find_xwayland(shell)
        # A session starts in the overview.
        dt.wait_until(lambda: subprocess.run(
            ["gdbus", "call", "--session", "--dest", "org.gnome.Shell", "--object-path",
             "/org/gnome/Shell", "--method", "org.freedesktop.DBus.Properties.Set",
             "org.gnome.Shell", "OverviewActive", "<false>"], env=self.env(),
            capture_output=True, timeout=15).returncode == 0, 30, "GNOME Shell's D-Bus")
        self.show_wallpaper()

    def screenshot(self) -> dt.Image:
        if not getattr(self, "_bus", None):
            self._bus = Bus(self.bus_address)
            self._bus.own("org.gnome.Screenshot")  # the Shell answers only its tools
        path = self.tmp / "shots" / "shot.png"
        path.unlink(missing_ok=True)
        done, _ = self._bus.call("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                                 "org.gnome.Shell.Screenshot", "Screenshot",
                                 ("b", 0), ("b", 0), ("s", str(path)))
        if not done:
            raise RuntimeError("GNOME Shell took no screenshot")
        return dt.Image.from_ppm(subprocess.run(
            ["convert", f"png:{path}", "-alpha", "off", "-depth", "8", "ppm:-"],
            capture_output=True, check=True, timeout=15).stdout)

    def version(self) -> str:
        return package_version("gnome-shell")


def package_version(package: str) -> str:
    result = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", package],
                            capture_output=True, text=True)
    return result.stdout.strip() or "?"


DESKTOPS: tuple[tuple[str, Callable[[], Session]], ...] = (
    ("openbox", lambda: XvfbSession(("openbox", "--sm-disable"), "openbox")),
    ("openbox + picom", lambda: XvfbSession(("openbox", "--sm-disable"), "openbox",
                                            compositor=("picom",))),
    ("xfwm4 compositing", lambda: XvfbSession(
        ("xfwm4", "--compositor=on", "--sm-client-disable"), "xfwm4", bus=True)),
    ("mutter X11", lambda: XvfbSession(("mutter", "--x11", "--replace", "--sm-disable"),
                                       "mutter", bus=True)),
    ("KWin X11", lambda: XvfbSession(("kwin_x11", "--replace"), "kwin-x11", bus=True)),
    ("KWin X11 no compositing", lambda: XvfbSession(("kwin_x11", "--replace"), "kwin-x11",
                                                    bus=True, env={"KWIN_COMPOSE": "N"})),
    ("KWin Wayland", KWinWayland),
    ("GNOME Shell Wayland", GnomeShellWayland),
)


# --------------------------------------------------------------------------- measuring

class StateSpy:
    """Every value an X property takes on a window, as `xprop -spy` prints them, each with
    the time it was heard (time.monotonic())."""

    def __init__(self, session: Session, window: int, name: str):
        self.values: list[tuple[float, str]] = []
        # Line-buffered, or the times would be those of a full pipe buffer.
        self._program = session._spawn(["stdbuf", "-oL", "xprop", "-id", str(window),
                                        "-spy", name], session.env(), session.tmp,
                                       "xprop-spy", stdout_pipe=True)
        session._programs.append(self._program)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self) -> None:
        for line in self._program.popen.stdout:
            if line.strip():
                self.values.append((time.monotonic(), line.decode(errors="replace")))

    def held(self, atom: str) -> list[float]:
        """How long, in ms, each time `atom` was in the value stayed there (until the
        next value without it, or until now)."""
        spans, since = [], None
        for at, value in [*self.values, (time.monotonic(), "")]:
            if atom in value and since is None:
                since = at
            elif atom not in value and since is not None:
                spans.append((at - since) * 1000)
                since = None
        return spans

    def stop(self) -> None:
        self._program.stop()


@dataclass
class Row:
    desktop: str
    version: str = ""
    cells: dict[str, str] = field(default_factory=dict)

    def put(self, column: str, value: str) -> None:
        self.cells[column] = value
        print(f"  {column}: {value}", file=sys.stderr, flush=True)


COLUMNS = ("place", "pixels", "cpu", "click", "drag", "menu", "above", "attention", "exit")


class Survey(MascotCase):
    """The tests' case on a survey desktop, driven by this script."""

    session: Session

    @classmethod
    def setUpClass(cls) -> None:
        cls.prepare()
        cls.desktop = cls.enterClassContext(cls.session)

    def click_at(self, inner: dt.WindowInfo, item: tuple[int, int]) -> None:
        self.desktop.click(inner.x + item[0], inner.y + item[1])


def measured(row: Row, column: str, measure: Callable[[], str]) -> None:
    """Puts what `measure` returns in the column, or what kept it from measuring."""
    try:
        row.put(column, measure())
    except Exception as error:  # noqa: BLE001 (a benchmark says what failed and goes on)
        reason = str(error).strip().splitlines()[0] if str(error).strip() else repr(error)
        row.put(column, f"not measured: {type(error).__name__}: {reason[:160]}")


def at_rest(case: Survey, rect: dt.Rect) -> dt.Image:
    session = case.desktop
    quiet = 1.0 if isinstance(session, XvfbSession) else 1.5
    return case.wait_for_rest(rect, quiet=quiet, timeout=30).image


def scene_numbers(case: Survey, before: dt.Image, place: dt.Rect) -> str:
    session = case.desktop
    at_rest(case, place)
    shot = session.screenshot()
    case.last_shot = shot
    inside, string = scene_faults(shot.crop(place), before.crop(place), CHAR_REST)
    whole = dt.Rect(0, 0, session.width, session.height)
    outside = dt.differing_pixels(shot, before, whole, [place, *session.ignore])
    return f"{len(inside)} wrong inside, {len(outside)} changed outside ({string} string px)"


def distinct_pictures(case: Survey, rect: dt.Rect, seconds: float) -> int:
    seen, end = set(), time.monotonic() + seconds
    while time.monotonic() < end:
        seen.add(hash(case.desktop.grab(rect).data))
    return len(seen)


def menu_numbers(case: Survey, program: dt.Program, menu: int) -> str:
    session = case.desktop
    kind = (session.property(menu, "_NET_WM_WINDOW_TYPE") or "none").replace(
        "_NET_WM_WINDOW_TYPE_", "")
    extents = session.frame_extents(menu)
    actions = session.property(menu, "_NET_WM_ALLOWED_ACTIONS") or ""
    allowed = [name for name, atom in (("close", "CLOSE"), ("minimise", "MINIMIZE"),
                                       ("maximise", "MAXIMIZE_HORZ")) if f"_ACTION_{atom}" in actions]
    titled = extents is not None and extents[2] > max(extents[0], extents[1], extents[3])
    return (f"type {kind}; frame {extents} ({'title bar' if titled else 'NO title bar'}); "
            f"allows {', '.join(allowed) or 'nothing'}"
            + ("" if actions else " (no _NET_WM_ALLOWED_ACTIONS)"))


def open_menu(case: Survey, program: dt.Program) -> tuple[int, dt.WindowInfo]:
    session = case.desktop
    session.click(*grip(session.window_info(case.mascot(program)).rect), button=3)
    menu = session.wait_window(timeout=5, pid=program.pid, name=MENU_TITLE)
    return menu, session.wait_settled(menu)


def survey(name: str, make: Callable[[], Session], pictures: Path | None) -> Row | None:
    session = make()
    missing = [tool for tool in session.needs if shutil.which(tool) is None]
    if missing:
        print(f"{name}: skipped, {', '.join(missing)} not installed", file=sys.stderr)
        session.stop()
        return None
    row = Row(name)
    print(f"{name}:", file=sys.stderr, flush=True)
    Survey.session = session
    try:
        Survey.setUpClass()
    except Exception as error:  # noqa: BLE001
        Survey.doClassCleanups()
        row.put("place", f"not measured: the desktop did not start: {error}".splitlines()[0])
        return row
    case = Survey()
    try:
        row.version = session.version()
        if session.backdrop_faults:
            row.put("note", f"{session.backdrop_faults} pixels of the screen never showed "
                            "the wallpaper window")
        before = session.screenshot()
        program, window, place = case.started(settings=SETTINGS)
        spy = StateSpy(session, window, "_NET_WM_STATE")
        info = session.window_info(window)
        depth = re.search(r"Depth:\s+(\d+)", session.tool(["xwininfo", "-id", str(window)]))
        frame = session.frame_of(window).rect
        row.put("place", f"{place.width}x{place.height}+{place.x}+{place.y} depth "
                         f"{depth.group(1) if depth else '?'}"
                + ("" if frame == info.rect else f", frame {frame}"))
        measured(row, "pixels", lambda: scene_numbers(case, before, place))
        if pictures:
            pictures.mkdir(parents=True, exist_ok=True)
            getattr(case, "last_shot", before).save_png(pictures / f"{slug(name)}-rest.png")

        def cpu() -> str:
            at_rest(case, place)
            spent = program.cpu_seconds()
            time.sleep(REST_CPU_SECONDS)
            ps = subprocess.run(["ps", "-o", "time=", "-p", str(program.pid)],
                                capture_output=True, text=True).stdout.strip()
            return (f"{program.cpu_seconds() - spent:.2f} s in {REST_CPU_SECONDS} s "
                    f"(ps -o time {ps})")
        measured(row, "cpu", cpu)

        def click() -> str:
            at_rest(case, place)
            still = distinct_pictures(case, place, 2.0)
            session.click(place.x + ON_CHARACTER[0], place.y + ON_CHARACTER[1])
            return (f"{distinct_pictures(case, place, 2.0)} pictures in 2 s after the "
                    f"click ({still} in 2 s before it)")
        measured(row, "click", click)

        measured(row, "drag", lambda: drag_numbers(case, program, before))

        def menu() -> str:
            menu_window, inner = open_menu(case, program)
            # Drawn or not: the share of its inside that is black (its text and lines
            # take a few per cent) once it has stopped changing.
            drawn = at_rest(case, inner.rect)
            black = sum(1 for i in range(0, len(drawn.data), 3)
                        if drawn.data[i:i + 3] == b"\0\0\0")
            if pictures:
                frame = session.frame_of(menu_window).rect.intersection(
                    dt.Rect(0, 0, session.width, session.height))
                session.screenshot().crop(frame).save_png(pictures / f"{slug(name)}-menu.png")
            numbers = (menu_numbers(case, program, menu_window)
                       + f"; {100 * black / (inner.width * inner.height):.0f}% of it black")
            case.click_at(inner, MENU_ITEM_ALWAYS_ON_TOP)
            return numbers
        measured(row, "menu", menu)

        def above() -> str:
            got = dt.wait_until(lambda: "_NET_WM_STATE_ABOVE" in session.wm_state(
                case.mascot(program)) or None, 3, "_NET_WM_STATE_ABOVE")
            return "set" if got else "not set"
        measured(row, "above", above)

        def attention() -> str:
            spans = spy.held(ATTENTION)
            spy.stop()
            now = ATTENTION in session.wm_state(case.mascot(program))
            return (f"set {len(spans)} times in {len(spy.values)} values"
                    + (f", held at most {max(spans):.0f} ms" if spans else "")
                    + f"; {'SET' if now else 'not set'} at the end")
        measured(row, "attention", attention)

        def exit_() -> str:
            where = session.window_info(case.mascot(program)).rect
            _, inner = open_menu(case, program)
            case.click_at(inner, MENU_ITEM_EXIT)
            status = program.wait(10)
            saved = (program.cwd / SETTINGS_FILE).read_bytes()
            want = b"%d,%d\r\n" % (where.x * TWIPS_PER_PIXEL, where.y * TWIPS_PER_PIXEL)
            return (f"{saved!r}, status {status}"
                    + ("" if saved == want else f"; her place was {want!r}"))
        measured(row, "exit", exit_)
    except Exception as error:  # noqa: BLE001
        row.put("error", f"{type(error).__name__}: {str(error).splitlines()[0][:200]}")
    finally:
        case.doCleanups()
        Survey.doClassCleanups()
    return row


def drag_numbers(case: Survey, program: dt.Program, before: dt.Image) -> str:
    session = case.desktop
    place = session.window_info(case.mascot(program)).rect
    at_rest(case, place)
    session.drag(grip(place), grip(window_at(*DROP)))
    moved = case.settled_rect(case.mascot(program))
    at_rest(case, moved)
    inside, _ = scene_faults(session.screenshot().crop(moved), before.crop(moved), CHAR_REST)
    return (f"at ({moved.x}, {moved.y})" + ("" if (moved.x, moved.y) == DROP else
                                           f", want {DROP}")
            + f"; {len(inside)} wrong inside there")


def slug(name: str) -> str:
    return re.sub(r"[^a-z0-9]+", "-", name.lower()).strip("-")


def table(rows: list[Row]) -> str:
    head = ["desktop", "version", *COLUMNS]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for row in rows:
        cells = [row.desktop, row.version, *(row.cells.get(c, "") for c in COLUMNS)]
        lines.append("| " + " | ".join(cell.replace("|", "/") for cell in cells) + " |")
    return "\n".join(lines)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("only", nargs="*", help="desktops whose name holds one of these")
    parser.add_argument("--pictures", type=Path, help="keep screenshots in this folder")
    args = parser.parse_args()
    missing = dt.missing_tools()
    if missing:
        print("desktop_survey: needs " + ", ".join(missing), file=sys.stderr)
        return 2
    rows = []
    for name, make in DESKTOPS:
        if args.only and not any(word.lower() in name.lower() for word in args.only):
            continue
        row = survey(name, make, args.pictures)
        if row:
            rows.append(row)
    print(table(rows))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except unittest.SkipTest as reason:
        print(f"desktop_survey: {reason}", file=sys.stderr)
        sys.exit(2)
