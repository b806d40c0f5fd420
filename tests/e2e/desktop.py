"""A private X desktop for end-to-end tests.

Each Desktop is its own Xvfb (display number chosen by the server, so parallel runs never
clash), an openbox window manager and a wallpaper whose every pixel encodes its own
position, so a background copied from the wrong place cannot pass for the right one.
Everything it starts runs in its own process group and dies with this process; leaving
the context manager ends all of it, failing test or not.

Only the standard library and the X command-line tools are used: xdotool drives the mouse
and keyboard, xwininfo/xprop observe windows, ImageMagick's import takes screenshots.
"""

from __future__ import annotations

import ctypes
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib
from dataclasses import dataclass
from pathlib import Path
from typing import Callable, Iterable, Sequence, TypeVar

REQUIRED_TOOLS = ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "xrandr", "import",
                  "display", "xmessage", "xev")

# A tool that hangs is a failure, not a reason to hang the test run.
TOOL_TIMEOUT = 15.0

T = TypeVar("T")


def missing_tools() -> list[str]:
    return [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]


def main() -> None:
    """unittest's main for a test file, except that a run whose desktop tools are missing
    ends with 77, which CTest reports as skipped rather than passed."""
    import unittest
    result = unittest.main(verbosity=2, exit=False).result
    if not result.wasSuccessful():
        sys.exit(1)
    missing = missing_tools()
    if missing:
        print("skipped: end-to-end tests need " + ", ".join(missing), file=sys.stderr)
        sys.exit(77)
    sys.exit(0)


# --------------------------------------------------------------------------- geometry

@dataclass(frozen=True)
class Rect:
    x: int
    y: int
    width: int
    height: int

    @property
    def right(self) -> int:
        """One past the last column."""
        return self.x + self.width

    @property
    def bottom(self) -> int:
        """One past the last row."""
        return self.y + self.height

    def contains(self, x: int, y: int) -> bool:
        return self.x <= x < self.right and self.y <= y < self.bottom

    def intersection(self, other: "Rect") -> "Rect | None":
        x, y = max(self.x, other.x), max(self.y, other.y)
        right, bottom = min(self.right, other.right), min(self.bottom, other.bottom)
        if right <= x or bottom <= y:
            return None
        return Rect(x, y, right - x, bottom - y)

    def moved(self, dx: int, dy: int) -> "Rect":
        return Rect(self.x + dx, self.y + dy, self.width, self.height)


@dataclass(frozen=True)
class WindowInfo:
    """What xwininfo says of one window; x and y are absolute (relative to the root)."""
    id: int
    x: int
    y: int
    width: int
    height: int
    viewable: bool
    parent: int
    root: int

    @property
    def rect(self) -> Rect:
        return Rect(self.x, self.y, self.width, self.height)


@dataclass(frozen=True)
class Monitor:
    name: str
    rect: Rect
    width_mm: int
    height_mm: int


# Two monitors side by side on one 1824 x 768 screen, the left one shorter.
TWO_MONITORS_SCREEN = (1824, 768)
TWO_MONITORS = (
    Monitor("LEFT", Rect(0, 0, 800, 600), 211, 158),
    Monitor("RIGHT", Rect(800, 0, 1024, 768), 270, 203),
)


# --------------------------------------------------------------------------- pixels

Color = tuple[int, int, int]


class Image:
    """An RGB picture, 8 bits per channel, rows top to bottom."""

    def __init__(self, width: int, height: int, data: bytes | bytearray):
        if len(data) != width * height * 3:
            raise ValueError(f"{width}x{height} RGB needs {width * height * 3} bytes, "
                             f"got {len(data)}")
        self.width = width
        self.height = height
        self.data = bytes(data)

    @staticmethod
    def from_ppm(blob: bytes) -> "Image":
        """Parses a binary PPM (P6) with a maximum value of 255."""
        fields: list[bytes] = []
        pos = 0
        while len(fields) < 4:
            while pos < len(blob) and blob[pos:pos + 1].isspace():
                pos += 1
            if blob[pos:pos + 1] == b"#":
                pos = blob.index(b"\n", pos) + 1
                continue
            start = pos
            while pos < len(blob) and not blob[pos:pos + 1].isspace():
                pos += 1
            if start == pos:
                raise ValueError("truncated PPM header")
            fields.append(blob[start:pos])
        pos += 1  # the single whitespace byte that ends the header
        magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
        if magic != b"P6" or maxval != 255:
            raise ValueError(f"not an 8-bit P6 PPM: {magic!r} maxval {maxval}")
        return Image(width, height, blob[pos:pos + width * height * 3])

    def to_ppm(self) -> bytes:
        return b"P6\n%d %d\n255\n" % (self.width, self.height) + self.data

    def pixel(self, x: int, y: int) -> Color:
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError(f"pixel ({x}, {y}) outside {self.width}x{self.height}")
        i = (y * self.width + x) * 3
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def crop(self, rect: Rect) -> "Image":
        clipped = rect.intersection(Rect(0, 0, self.width, self.height))
        if clipped != rect:
            raise IndexError(f"{rect} is not inside {self.width}x{self.height}")
        rows = bytearray()
        for y in range(rect.y, rect.bottom):
            start = (y * self.width + rect.x) * 3
            rows += self.data[start:start + rect.width * 3]
        return Image(rect.width, rect.height, rows)

    def row(self, y: int, x: int = 0, width: int | None = None) -> list[Color]:
        width = self.width - x if width is None else width
        start = (y * self.width + x) * 3
        raw = self.data[start:start + width * 3]
        return [(raw[i], raw[i + 1], raw[i + 2]) for i in range(0, len(raw), 3)]

    def save(self, path: str | os.PathLike) -> None:
        Path(path).write_bytes(self.to_ppm())

    def to_png(self) -> bytes:
        """The picture as a PNG, which image viewers and the file tools show directly."""
        def chunk(kind: bytes, body: bytes) -> bytes:
            return (struct.pack(">I", len(body)) + kind + body
                    + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        stride = self.width * 3
        raw = b"".join(b"\0" + self.data[y * stride:(y + 1) * stride]
                       for y in range(self.height))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))

    def save_png(self, path: str | os.PathLike) -> None:
        Path(path).write_bytes(self.to_png())


# The wallpaper: red counts columns, green counts rows, blue numbers the 200 x 200 tile,
# so every pixel of a screen up to 2000 x 1600 has its own colour. No channel drops below
# 40, so dark sprite outlines still stand out against it.
_TILE = 200


def pattern_color(x: int, y: int) -> Color:
    return 40 + x % _TILE, 40 + y % _TILE, 40 + 2 * (8 * (x // _TILE) + y // _TILE)


def pattern_position(color: Color) -> tuple[int, int] | None:
    """Where on the wallpaper a colour comes from, or None if it is not wallpaper."""
    r, g, b = color
    tile, odd = divmod(b - 40, 2)
    if odd or tile < 0 or not (40 <= r < 40 + _TILE and 40 <= g < 40 + _TILE):
        return None
    return (tile // 8) * _TILE + r - 40, (tile % 8) * _TILE + g - 40


def make_pattern(width: int, height: int) -> Image:
    reds = [40 + x % _TILE for x in range(width)]
    data = bytearray(width * height * 3)
    for y in range(height):
        green = 40 + y % _TILE
        row = bytearray(width * 3)
        row[0::3] = bytes(reds)
        row[1::3] = bytes([green]) * width
        row[2::3] = bytes(40 + 2 * (8 * (x // _TILE) + y // _TILE) for x in range(width))
        data[y * width * 3:(y + 1) * width * 3] = row
    return Image(width, height, data)


def differing_pixels(shot: Image, reference: Image, rect: Rect,
                     exclude: Iterable[Rect] = ()) -> list[tuple[int, int, Color, Color]]:
    """(x, y, got, want) for every pixel of `rect` outside `exclude` where the two differ."""
    exclude = list(exclude)
    out = []
    for y in range(rect.y, rect.bottom):
        got_row = shot.row(y, rect.x, rect.width)
        want_row = reference.row(y, rect.x, rect.width)
        if got_row == want_row:
            continue
        for i, (got, want) in enumerate(zip(got_row, want_row)):
            x = rect.x + i
            if got != want and not any(r.contains(x, y) for r in exclude):
                out.append((x, y, got, want))
    return out


def describe_differences(diffs: Sequence[tuple[int, int, Color, Color]], limit: int = 12) -> str:
    lines = [f"{len(diffs)} pixel(s) differ:"]
    for x, y, got, want in diffs[:limit]:
        origin = pattern_position(got)
        hint = f" (wallpaper of {origin[0]},{origin[1]})" if origin else ""
        lines.append(f"  ({x},{y}) got {got}{hint}, want {want}")
    if len(diffs) > limit:
        lines.append(f"  ... and {len(diffs) - limit} more")
    return "\n".join(lines)


# --------------------------------------------------------------------------- waiting

def wait_until(probe: Callable[[], T], timeout: float, what: str,
               interval: float = 0.02) -> T:
    """Polls `probe` until it returns something true and returns that; a TimeoutError
    names `what` and the last value seen."""
    deadline = time.monotonic() + timeout
    last: object = None
    while True:
        last = probe()
        if last:
            return last
        if time.monotonic() >= deadline:
            raise TimeoutError(f"timed out after {timeout:.1f} s waiting for {what}; "
                               f"last seen: {last!r}")
        time.sleep(interval)


# --------------------------------------------------------------------------- processes

def _die_with_parent_hook() -> Callable[[], None] | None:
    """A preexec hook that has the kernel kill the child when this process dies, so even
    a test runner killed with SIGKILL leaves no X server behind."""
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        prctl = libc.prctl
    except (OSError, AttributeError):
        return None
    pr_set_pdeathsig = 1

    def hook() -> None:
        prctl(pr_set_pdeathsig, signal.SIGKILL)

    return hook


_PREEXEC = _die_with_parent_hook()


class Program:
    """A process started on the desktop, in its own process group, its output in files."""

    def __init__(self, argv: Sequence[str], env: dict[str, str], cwd: str | os.PathLike,
                 log_dir: Path, label: str, pass_fds: Sequence[int] = (),
                 stdout_pipe: bool = False):
        self.argv = list(argv)
        self.cwd = Path(cwd)
        self.stdout_path = log_dir / f"{label}.out"
        self.stderr_path = log_dir / f"{label}.err"
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.started = time.monotonic()
            self.popen = subprocess.Popen(
                self.argv, env=env, cwd=str(cwd), stdin=subprocess.DEVNULL,
                stdout=subprocess.PIPE if stdout_pipe else out, stderr=err,
                start_new_session=True, preexec_fn=_PREEXEC, pass_fds=pass_fds)
        self.pid = self.popen.pid

    @property
    def returncode(self) -> int | None:
        return self.popen.poll()

    def running(self) -> bool:
        return self.popen.poll() is None

    def wait(self, timeout: float) -> int:
        try:
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"{self.argv[0]} (pid {self.pid}) still running after "
                               f"{timeout:.1f} s") from None

    def send(self, sig: int) -> None:
        if self.running():
            os.kill(self.pid, sig)

    def stop(self, grace: float = 2.0) -> None:
        """Ends the whole process group: SIGTERM, then SIGKILL after `grace` seconds."""
        for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, 5.0)):
            try:
                os.killpg(self.pid, sig)
            except ProcessLookupError:
                pass
            try:
                self.popen.wait(wait)
                break
            except subprocess.TimeoutExpired:
                continue
        # Stragglers of the group outlive its leader; finish them too.
        try:
            os.killpg(self.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        if self.popen.stdout:
            self.popen.stdout.close()

    def stdout(self) -> str:
        return self.stdout_path.read_text(errors="replace")

    def stderr(self) -> str:
        return self.stderr_path.read_text(errors="replace")

    def cpu_seconds(self) -> float:
        """User plus system CPU time the process (all its threads) has used, from /proc."""
        stat = Path(f"/proc/{self.pid}/stat").read_text()
        # The command name may hold spaces and parentheses; the fields follow the last ')'.
        fields = stat[stat.rindex(")") + 2:].split()
        utime, stime = int(fields[11]), int(fields[12])
        return (utime + stime) / os.sysconf("SC_CLK_TCK")

    def memory_holds(self, texts: Iterable[str]) -> dict[str, bool]:
        """For each text, whether the process's writable memory holds it in UTF-16, the
        form in which Qt keeps every string it shows. X11 offers no way to read the text
        of a Qt message box from outside, so this is how a test learns what one says.
        Needs the right to trace the process (root has it)."""
        needles = {text: text.encode("utf-16-le") for text in texts}
        found = {text: False for text in needles}
        longest = max((len(n) for n in needles.values()), default=0)
        with open(f"/proc/{self.pid}/maps") as maps, \
                open(f"/proc/{self.pid}/mem", "rb", buffering=0) as mem:
            for line in maps:
                span, perms = line.split()[:2]
                if not perms.startswith("rw"):
                    continue
                start, end = (int(v, 16) for v in span.split("-"))
                tail = b""
                for offset in range(start, end, 1 << 24):
                    try:
                        mem.seek(offset)
                        block = tail + mem.read(min(1 << 24, end - offset))
                    except OSError:
                        break  # a guard page or a region that went away
                    for text, needle in needles.items():
                        found[text] = found[text] or needle in block
                    tail = block[-longest:] if longest else b""
        return found

    def rss_kb(self) -> int:
        """Resident memory from /proc, in kB."""
        status = Path(f"/proc/{self.pid}/status").read_text()
        match = re.search(r"^VmRSS:\s+(\d+) kB", status, re.MULTILINE)
        if not match:
            raise RuntimeError(f"no VmRSS for pid {self.pid}")
        return int(match.group(1))


@dataclass(frozen=True)
class WindowEvent:
    time: float  # time.monotonic() when the event arrived here
    kind: str  # MapNotify, UnmapNotify, ConfigureNotify, PropertyNotify, ...
    window: int  # the window the event is about
    text: str  # xev's whole description

    @property
    def parent(self) -> int | None:
        """The new parent, for a ReparentNotify."""
        match = re.search(r"parent (0x[0-9a-f]+)", self.text.split("\n", 1)[-1])
        return int(match.group(1), 16) if match else None

    @property
    def synthetic(self) -> bool:
        return "synthetic YES" in self.text


class RootEvents:
    """Structure events of the root's children (maps, unmaps, moves of top-level windows
    and of window-manager frames) as they happen, timed on arrival. Far finer than polling
    xwininfo: a map costs nothing to notice and an unmap shorter than a poll is not lost."""

    _WINDOW = re.compile(r"(?:^|[ ,])window (0x[0-9a-f]+)")

    def __init__(self, program: Program):
        self._program = program
        self._lock = threading.Lock()
        self._events: list[WindowEvent] = []
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()

    def _read(self) -> None:
        # xev starts each event with a blank line and a header and sends no end mark, so
        # an event is complete when the next one starts or when the pipe falls quiet.
        stream = self._program.popen.stdout
        assert stream is not None
        fd = stream.fileno()
        pending, block, arrived = b"", [], 0.0
        while True:
            try:
                ready, _, _ = select.select([fd], [], [], 0.02)
                chunk = os.read(fd, 65536) if ready else None
            except (OSError, ValueError):
                chunk = b""  # stop() closed the pipe under us: the watch is over
            if chunk is None:
                self._add(block, arrived)
                block = []
                continue
            if not chunk:
                self._add(block, arrived)
                return
            now = time.monotonic()
            pending += chunk
            *lines, pending = pending.split(b"\n")
            for raw in lines:
                line = raw.decode(errors="replace")
                if not line.strip() or " event, serial " in line:
                    self._add(block, arrived)
                    block, arrived = ([line], now) if line.strip() else ([], now)
                elif block:
                    block.append(line)

    def _add(self, lines: list[str], arrived: float) -> None:
        if not lines:
            return
        # The header names the window that listens (the root); a second line that names
        # one names the window the event is about.
        windows = [m.group(1) for line in lines[:2] for m in [self._WINDOW.search(line)] if m]
        if windows:
            with self._lock:
                self._events.append(WindowEvent(arrived, lines[0].split(" ", 1)[0],
                                                int(windows[-1], 16), "\n".join(lines)))

    def events(self, kind: str | None = None, windows: Iterable[int] | None = None,
               since: float = 0.0) -> list[WindowEvent]:
        """Events of one kind about some windows, from `since` (a time.monotonic()) on.
        The server reuses the ids of windows that are gone, so give `since` whenever
        windows come and go."""
        wanted = set(windows) if windows is not None else None
        with self._lock:
            return [e for e in self._events
                    if (kind is None or e.kind == kind) and e.time >= since
                    and (wanted is None or e.window in wanted)]

    def holders(self, client: int, since: float = 0.0) -> set[int]:
        """The client and every frame the window manager put it in (openbox makes a new
        frame each time a window is shown again)."""
        return {client} | {e.parent for e in self.events("ReparentNotify", {client}, since)
                           if e.parent is not None}

    def shown(self, client: int, since: float = 0.0) -> list[float]:
        """When the client became visible: maps of it or of a frame holding it."""
        return [e.time for e in self.events("MapNotify", self.holders(client, since), since)]

    def hidden(self, client: int, since: float = 0.0) -> list[float]:
        """When the client stopped being visible."""
        return [e.time for e in self.events("UnmapNotify", self.holders(client, since), since)
                if not e.synthetic]

    def stop(self) -> None:
        self._program.stop()


# --------------------------------------------------------------------------- direct X access

class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p),
                # create, destroy, get_pixel, put_pixel, sub_image, add_pixel
                ("funcs", ctypes.c_void_p * 6)]


class _XSetWindowAttributes(ctypes.Structure):
    _fields_ = [("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
                ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("cursor", ctypes.c_ulong)]


class XClient:
    """One connection of our own to the X server, through libX11 and libXtst: reading a
    window-sized area takes about a millisecond (import takes over 100) and a button
    event is sent at a known moment (xdotool first has to start), which is what timing
    a redraw to a few milliseconds needs."""

    _Z_PIXMAP = 2
    _ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)

    def __init__(self, display: str):
        x11 = ctypes.CDLL("libX11.so.6")
        xtst = ctypes.CDLL("libXtst.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XGetImage.restype = ctypes.POINTER(_XImage)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                              ctypes.c_ulong]
        xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                              ctypes.c_int, ctypes.c_ulong]
        self._x11, self._xtst = x11, xtst
        self._display = x11.XOpenDisplay(display.encode())
        if not self._display:
            raise RuntimeError(f"cannot open display {display}")
        self._root = x11.XDefaultRootWindow(self._display)

    def grab(self, rect: Rect) -> Image:
        """The screen's pixels in `rect`, which must lie on the screen."""
        ximage = self._x11.XGetImage(self._display, self._root, rect.x, rect.y, rect.width,
                                     rect.height, self._ALL_PLANES, self._Z_PIXMAP)
        if not ximage:
            raise RuntimeError(f"XGetImage of {rect} failed")
        try:
            img = ximage.contents
            if img.bits_per_pixel != 32 or img.byte_order != 0 or img.red_mask != 0xFF0000:
                raise RuntimeError("expected 32-bit little-endian xRGB pixels, got "
                                   f"{img.bits_per_pixel} bpp, order {img.byte_order}")
            raw = ctypes.string_at(img.data, img.bytes_per_line * img.height)
            rgb = bytearray(rect.width * rect.height * 3)
            for y in range(rect.height):
                line = raw[y * img.bytes_per_line:y * img.bytes_per_line + rect.width * 4]
                row = slice(y * rect.width * 3, (y + 1) * rect.width * 3)
                out = bytearray(rect.width * 3)
                out[0::3], out[1::3], out[2::3] = line[2::4], line[1::4], line[0::4]
                rgb[row] = out
            return Image(rect.width, rect.height, rgb)
        finally:
            destroy = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)(ximage.contents.funcs[1])
            destroy(ctypes.cast(ximage, ctypes.c_void_p))

    def move_pointer(self, x: int, y: int) -> None:
        self._xtst.XTestFakeMotionEvent(self._display, -1, x, y, 0)
        self._x11.XSync(self._display, 0)

    def button(self, button: int, pressed: bool) -> None:
        """Presses or releases a button; returns once the server has the event."""
        self._xtst.XTestFakeButtonEvent(self._display, button, 1 if pressed else 0, 0)
        self._x11.XSync(self._display, 0)

    def create_cover(self, rect: Rect, color: Color) -> int:
        """An unmapped window of one colour that the window manager leaves alone: mapping
        and unmapping it covers and uncovers what lies beneath at once, as nothing
        managed can (a managed window gets a new frame and a place of the manager's)."""
        x11 = self._x11
        x11.XCreateSimpleWindow.restype = ctypes.c_ulong
        x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + \
            [ctypes.c_int] * 2 + [ctypes.c_uint] * 2 + [ctypes.c_uint, ctypes.c_ulong,
                                                        ctypes.c_ulong]
        x11.XChangeWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                                ctypes.c_ulong,
                                                ctypes.POINTER(_XSetWindowAttributes)]
        pixel = (color[0] << 16) | (color[1] << 8) | color[2]
        window = x11.XCreateSimpleWindow(self._display, self._root, rect.x, rect.y,
                                         rect.width, rect.height, 0, 0, pixel)
        attributes = _XSetWindowAttributes(override_redirect=1)
        cw_override_redirect = 1 << 9
        x11.XChangeWindowAttributes(self._display, window, cw_override_redirect,
                                    ctypes.byref(attributes))
        x11.XSync(self._display, 0)
        return window

    def map_raised(self, window: int) -> None:
        self._x11.XMapRaised.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self._x11.XMapRaised(self._display, window)
        self._x11.XSync(self._display, 0)

    def unmap(self, window: int) -> None:
        self._x11.XUnmapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self._x11.XUnmapWindow(self._display, window)
        self._x11.XSync(self._display, 0)

    def close(self) -> None:
        if self._display:
            self._x11.XCloseDisplay(self._display)
            self._display = None


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
        self.start_program(["openbox", "--sm-disable"], label="openbox")
        wait_until(lambda: "window id #" in self.tool(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False),
            10, "openbox to manage the screen")

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
        text = self.tool(["xwininfo", "-id", str(window), "-stats", "-tree"])

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

    def activate(self, window: int) -> None:
        self.tool(["xdotool", "windowactivate", "--sync", str(window)])

    def key(self, *keys: str) -> None:
        """Types keys (xdotool names such as Return) into the focused window."""
        self.tool(["xdotool", "key", *keys])
