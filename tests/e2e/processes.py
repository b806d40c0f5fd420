"""Programs that the end-to-end tests start, each in its own process group and dying with
the test process, and a watcher that timestamps the root window's map and unmap events."""

from __future__ import annotations

import ctypes
import os
import re
import select
import signal
import subprocess
import threading
import time
from dataclasses import dataclass
from pathlib import Path
from typing import Callable, Iterable, Sequence, TypeVar

T = TypeVar("T")

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
        with open(f"/proc/{self.pid}/mem", "rb", buffering=0) as mem:
            for start, end in self._heap_spans():
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

    # No heap of this program comes near it; a sanitizer's shadow memory is terabytes.
    _LARGEST_HEAP_SPAN = 1 << 30

    def _heap_spans(self) -> list[tuple[int, int]]:
        """The writable, resident, unnamed (or [heap]) mappings: where the program's own
        allocations live. Files, stacks and huge reserved regions are left out."""
        spans: list[tuple[int, int]] = []
        span = None
        for line in Path(f"/proc/{self.pid}/smaps").read_text().splitlines():
            fields = line.split()
            if re.match(r"^[0-9a-f]+-[0-9a-f]+ ", line):
                start, end = (int(v, 16) for v in fields[0].split("-"))
                name = fields[5] if len(fields) > 5 else ""
                wanted = (fields[1].startswith("rw") and name in ("", "[heap]")
                          and end - start <= self._LARGEST_HEAP_SPAN)
                span = (start, end) if wanted else None
            elif span and fields[0] == "Rss:" and int(fields[1]) > 0:
                spans.append(span)
                span = None
        return spans

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
