#!/usr/bin/env python3
"""The real program beside its peers on one private X desktop (Xvfb + openbox), measured
from outside: how fast a window comes up, how much memory it holds, what one swing costs
in CPU (its own and the X server's), context switches and system calls per frame, and
what it costs at rest. The peers are a minimal frameless Qt 6 window built with the
benchmarks (bench/qt_floor_window: a picture, and after a click 79 repaints 50 ms apart,
like one swing), and the X toys oneko and xteddy where they are installed.

Run it by hand after building (it is no test: timings on a busy machine vary):

    python3 bench/peers_bench.py                  # 3 interleaved rounds, medians
    python3 bench/peers_bench.py --rounds 5 --rest 20
    python3 bench/peers_bench.py --only ruvia,qt  # just the program and the Qt floor
    python3 bench/peers_bench.py --env QT_XCB_NO_MITSHM=1   # try a setting on every subject

It needs what the end-to-end tests need (Xvfb, openbox, xdotool, x11-utils, ImageMagick),
strace for the system-call counts (left out without it), and root or ptrace rights to
attach strace. Figures:

- start → mapped: from the start of the process to the first map of a window on the
  root (the window manager's frame), as the root's events arrive here;
- maps at start / → stays up: the maps in the first 2 s, and when the last of them came
  (the program shows its window three times at start, once per capture);
- resident / private dirty: VmRSS and Private_Dirty from /proc once the start is over;
- CPU per swing: CPU time of all the process's threads (schedstat) from a click on the
  scene until the 79 ticks are over, and the X server's over the same time; per frame
  divides by the frames drawn (79; oneko: one per 50 ms interval while it chases);
- context switches per frame: voluntary and involuntary, all threads;
- syscalls per frame: strace -c -f over a second swing, divided by the frames;
- at rest: CPU time and system calls over --rest seconds with nothing happening.
"""

from __future__ import annotations

import argparse
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import desktop as dt  # noqa: E402
from geometry import SCENE_SPOT  # noqa: E402
from program_case import TITLE  # noqa: E402

TICKS_PER_SWING = 79
TICK_SECONDS = 0.05
SWING_SECONDS = TICKS_PER_SWING * TICK_SECONDS + 0.5  # the swing and a margin for the last tick
START_SECONDS = 2.0  # maps within this time of the start belong to the start
SETTLE_SECONDS = 5.0  # the mascot's first swing is over by then
FLOOR_TITLE = "RuviaQtFloor"


def find_program(name: str) -> str | None:
    """Debian puts the X toys in /usr/games, which is not always on PATH."""
    return shutil.which(name) or shutil.which(name, path="/usr/games")


# --------------------------------------------------------------------------- /proc

def tasks(pid: int) -> list[Path]:
    try:
        return list(Path(f"/proc/{pid}/task").iterdir())
    except FileNotFoundError:
        return []


def cpu_ns(pid: int) -> int:
    """Time on a CPU of every thread of the process, in ns (schedstat's first field)."""
    total = 0
    for task in tasks(pid):
        try:
            total += int((task / "schedstat").read_text().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that ended meanwhile
    return total


def context_switches(pid: int) -> int:
    total = 0
    for task in tasks(pid):
        try:
            status = (task / "status").read_text()
        except (FileNotFoundError, ProcessLookupError):
            continue
        total += sum(int(v) for v in re.findall(r"ctxt_switches:\s+(\d+)", status))
    return total


def memory_kb(pid: int) -> tuple[int, int]:
    """Resident and private dirty memory in kB."""
    rollup = Path(f"/proc/{pid}/smaps_rollup").read_text()

    def field_kb(name: str) -> int:
        match = re.search(rf"^{name}:\s+(\d+) kB", rollup, re.MULTILINE)
        return int(match.group(1)) if match else 0

    return field_kb("Rss"), field_kb("Private_Dirty")


class Strace:
    """strace -c -f attached to a running process; stop() returns the calls it counted."""

    def __init__(self, pid: int, out: Path):
        self.out = out
        self.proc = subprocess.Popen(["strace", "-c", "-f", "-p", str(pid), "-o", str(out)],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        time.sleep(0.3)  # attaching to every thread takes a moment

    def stop(self) -> dict[str, int]:
        self.proc.send_signal(signal.SIGINT)
        self.proc.wait(10)
        calls: dict[str, int] = {}
        if not self.out.is_file():
            raise RuntimeError("strace could not attach; run as root or allow ptrace")
        for line in self.out.read_text().splitlines():
            parts = line.split()
            # % time, seconds, usecs/call, calls, [errors,] syscall
            if len(parts) >= 5 and parts[3].isdigit() and parts[-1] != "total":
                calls[parts[-1]] = int(parts[3])
        return calls


# --------------------------------------------------------------------------- subjects

@dataclass
class Subject:
    key: str
    name: str
    argv: list[str]
    # Sets the animation going; returns the frames it will draw in SWING_SECONDS.
    trigger: Callable[[dt.Desktop, dt.Program], int] | None = None
    title: str | None = None  # the window to click, for triggers that click


def click_scene(desktop: dt.Desktop, program: dt.Program, title: str) -> None:
    window = desktop.wait_window(pid=program.pid, name=title)
    info = desktop.window_info(window)
    desktop.click(info.x + SCENE_SPOT[0], info.y + SCENE_SPOT[1])


def swing_by_click(title: str) -> Callable[[dt.Desktop, dt.Program], int]:
    def trigger(desktop: dt.Desktop, program: dt.Program) -> int:
        click_scene(desktop, program, title)
        return TICKS_PER_SWING
    return trigger


def chase(desktop: dt.Desktop, program: dt.Program) -> int:
    """oneko runs after the pointer: keep it moving from corner to corner."""
    corners = [(50, 50), (950, 700)]

    def run() -> None:
        end = time.monotonic() + SWING_SECONDS
        i = 0
        while time.monotonic() < end:
            desktop.mouse_move(*corners[i % 2])
            i += 1
            time.sleep(0.7)

    threading.Thread(target=run, daemon=True).start()
    return round(SWING_SECONDS / TICK_SECONDS)


def subjects(args: argparse.Namespace) -> list[Subject]:
    found = [Subject("ruvia", "RuviaMascot", [str(args.binary)], swing_by_click(TITLE), TITLE)]
    if args.floor.is_file():
        found.append(Subject("qt", "Qt floor window", [str(args.floor)],
                             swing_by_click(FLOOR_TITLE), FLOOR_TITLE))
    else:
        print(f"peers_bench: no Qt floor window at {args.floor}; build the benchmarks",
              file=sys.stderr)
    oneko = find_program("oneko")
    if oneko:
        # One frame every 50 ms, the mascot's tick.
        found.append(Subject("oneko", "oneko", [oneko, "-time", str(int(TICK_SECONDS * 1e6))],
                             chase))
    xteddy = find_program("xteddy")
    if xteddy:
        found.append(Subject("xteddy", "xteddy", [xteddy]))
    wanted = set(args.only.split(",")) if args.only else None
    return [s for s in found if wanted is None or s.key in wanted]


# --------------------------------------------------------------------------- one round

def measure(desktop: dt.Desktop, subject: Subject, args: argparse.Namespace,
            use_strace: bool) -> tuple[dict[str, float], str]:
    """One start of one subject: its figures, and its commonest system calls per frame."""
    figures: dict[str, float] = {}
    commonest = ""
    cwd = Path(tempfile.mkdtemp(prefix="cwd-", dir=desktop.tmp))
    runtime = Path(tempfile.mkdtemp(prefix="run-", dir=desktop.tmp))
    watcher = desktop.watch_root()
    begin = time.monotonic()
    program = desktop.start_program(subject.argv, cwd=cwd, label=subject.key,
                                    env=desktop.env(XDG_RUNTIME_DIR=str(runtime), **args.env))
    try:
        dt.wait_until(lambda: watcher.events("MapNotify", since=begin), 30,
                      f"{subject.name} to map a window")
        time.sleep(START_SECONDS)
        maps = [e.time for e in watcher.events("MapNotify", since=begin)
                if e.time - program.started <= START_SECONDS]
        figures["start_ms"] = (maps[0] - program.started) * 1e3
        figures["up_ms"] = (maps[-1] - program.started) * 1e3
        figures["maps"] = len(maps)
        watcher.stop()  # xev would add to the X server's figures
        time.sleep(max(0.0, SETTLE_SECONDS - (time.monotonic() - begin)))
        if not program.running():
            raise RuntimeError(f"{subject.name} ended: {program.stderr()}")
        rss, dirty = memory_kb(program.pid)
        figures["rss_mb"] = rss / 1024
        figures["dirty_mb"] = dirty / 1024

        # At rest: nothing happens on the desktop.
        tracer = Strace(program.pid, desktop.tmp / f"rest-{subject.key}.txt") if use_strace else None
        cpu0 = cpu_ns(program.pid)
        time.sleep(args.rest)
        figures["rest_cpu_ms"] = (cpu_ns(program.pid) - cpu0) / 1e6
        if tracer:
            figures["rest_syscalls"] = sum(tracer.stop().values())

        if subject.trigger:
            server = desktop.server_pid
            cpu0, xcpu0, cs0 = cpu_ns(program.pid), cpu_ns(server), context_switches(program.pid)
            frames = subject.trigger(desktop, program)
            time.sleep(SWING_SECONDS)
            figures["swing_cpu_ms"] = (cpu_ns(program.pid) - cpu0) / 1e6
            figures["swing_x_ms"] = (cpu_ns(server) - xcpu0) / 1e6
            figures["frame_cpu_ms"] = figures["swing_cpu_ms"] / frames
            figures["frame_x_ms"] = figures["swing_x_ms"] / frames
            figures["frame_cs"] = (context_switches(program.pid) - cs0) / frames
            time.sleep(1.0)
            if use_strace:
                tracer = Strace(program.pid, desktop.tmp / f"swing-{subject.key}.txt")
                frames = subject.trigger(desktop, program)
                time.sleep(SWING_SECONDS)
                calls = tracer.stop()
                figures["frame_syscalls"] = sum(calls.values()) / frames
                top = sorted(calls.items(), key=lambda kv: -kv[1])[:6]
                commonest = ", ".join(f"{name} {count / frames:.1f}" for name, count in top)
        return figures, commonest
    finally:
        watcher.stop()
        program.stop()


ROWS = [
    ("start → mapped (ms)", "start_ms", "{:.0f}"),
    ("maps at start", "maps", "{:.0f}"),
    ("start → stays up (ms)", "up_ms", "{:.0f}"),
    ("resident memory (MB)", "rss_mb", "{:.1f}"),
    ("private dirty (MB)", "dirty_mb", "{:.1f}"),
    ("CPU per swing (ms)", "swing_cpu_ms", "{:.1f}"),
    ("X server CPU per swing (ms)", "swing_x_ms", "{:.1f}"),
    ("CPU per frame (ms)", "frame_cpu_ms", "{:.3f}"),
    ("X server CPU per frame (ms)", "frame_x_ms", "{:.3f}"),
    ("context switches per frame", "frame_cs", "{:.1f}"),
    ("syscalls per frame", "frame_syscalls", "{:.1f}"),
    ("CPU at rest (ms per {rest} s)", "rest_cpu_ms", "{:.1f}"),
    ("syscalls at rest (per {rest} s)", "rest_syscalls", "{:.0f}"),
]


def report(results: dict[str, list[dict[str, float]]], names: dict[str, str],
           commonest: dict[str, str], args: argparse.Namespace) -> None:
    keys = list(results)
    medians = {k: {f: statistics.median([r[f] for r in runs if f in r])
                   for f in {f for r in runs for f in r}}
               for k, runs in results.items()}
    header = ["figure"] + [names[k] for k in keys]
    if "ruvia" in keys and "qt" in keys:
        header.append("RuviaMascot / Qt floor")
    rows = [header]
    for label, figure, fmt in ROWS:
        cells = [label.format(rest=args.rest)]
        for k in keys:
            value = medians[k].get(figure)
            cells.append(fmt.format(value) if value is not None else "—")
        if len(header) > len(keys) + 1:
            a, b = medians["ruvia"].get(figure), medians["qt"].get(figure)
            cells.append(f"{a / b:.2f}x" if a is not None and b else "—")
        rows.append(cells)
    widths = [max(len(row[i]) for row in rows) for i in range(len(header))]
    rounds = max(len(runs) for runs in results.values())
    print(f"\npeers_bench: medians of {rounds} interleaved round(s) on one Xvfb + openbox")
    for i, row in enumerate(rows):
        print("  ".join(cell.ljust(w) if j == 0 else cell.rjust(w)
                        for j, (cell, w) in enumerate(zip(row, widths))))
        if i == 0:
            print("  ".join("-" * w for w in widths))
    for key, calls in commonest.items():
        if calls:
            print(f"syscalls per frame, {names[key]} (last round): {calls}")


def parse_args() -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--rest", type=float, default=10.0,
                        help="seconds of rest to measure (default 10)")
    parser.add_argument("--only", default="",
                        help="comma-separated subjects: ruvia, qt, oneko, xteddy")
    parser.add_argument("--binary", type=Path,
                        default=Path(os.environ.get("RUVIA_BINARY")
                                     or REPO / "build" / "ruvia-mascot"))
    parser.add_argument("--floor", type=Path, default=REPO / "build" / "bench" / "qt_floor_window")
    parser.add_argument("--env", action="append", default=[], metavar="NAME=VALUE",
                        help="set in every subject's environment, to try a setting "
                             "(for example QT_XCB_NO_MITSHM=1)")
    args = parser.parse_args()
    args.env = dict(item.split("=", 1) for item in args.env)
    return args


def main() -> int:
    args = parse_args()
    missing = dt.missing_tools()
    if missing:
        print("peers_bench: needs " + ", ".join(missing), file=sys.stderr)
        return 2
    if not args.binary.is_file():
        print(f"peers_bench: no program at {args.binary}: build it first", file=sys.stderr)
        return 2
    use_strace = shutil.which("strace") is not None
    if not use_strace:
        print("peers_bench: no strace, so no system-call counts", file=sys.stderr)
    chosen = subjects(args)
    names = {s.key: s.name for s in chosen}
    results: dict[str, list[dict[str, float]]] = {s.key: [] for s in chosen}
    commonest: dict[str, str] = {}
    with dt.Desktop(1024, 768) as desktop:
        for round_no in range(1, args.rounds + 1):
            for subject in chosen:
                print(f"round {round_no}/{args.rounds}: {subject.name}", file=sys.stderr,
                      flush=True)
                figures, commonest[subject.key] = measure(desktop, subject, args, use_strace)
                results[subject.key].append(figures)
    report(results, names, commonest, args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
