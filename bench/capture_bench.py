#!/usr/bin/env python3
"""How the real program's background capture does on a real X desktop, measured from
outside: how long each capture keeps the mascot hidden (the flicker the user sees) and
whether what it copied is clean (the scene afterwards shows exactly what lies behind the
window, not the mascot itself nor a stale picture).

Run it by hand after building, from anywhere:

    python3 bench/capture_bench.py                 # 100 captures on an idle machine
    python3 bench/capture_bench.py --load 2        # the same with two busy loops running
    python3 bench/capture_bench.py --captures 30 --binary /path/to/ruvia-mascot
    python3 bench/capture_bench.py --starts 30 --load 2   # starts whose window never shows

It needs what the end-to-end tests need (Xvfb, openbox, xdotool, x11-utils, ImageMagick)
and starts its own private desktop, which it removes at the end. The last line is the
summary, for example:

    capture_bench: captures=100 clean=100 hidden_ms median=9.8 max=14.1 missed=0 lost=0

How it works: another program's window (an xmessage) lies under part of the mascot, and
before each capture it is moved between two places, so that a capture that copies the
mascot itself or an old picture shows the wrong background. The capture is set off by
uncovering the mascot: a window of our own is mapped over part of it and unmapped again,
and the program answers the expose with a capture (hide, read the screen, show). The
root window's events time the hide and the show; the screen is then compared pixel for
pixel with a screenshot taken of that same desktop before the program started.

- hidden_ms: from the mascot's unmap to its map again, as the window manager's events
  arrive here (median and maximum over the captures made);
- clean: captures after which the scene equals the background behind the window exactly,
  outside the pin, the string and the resting character;
- missed: uncoverings after which the program did not capture within 2 s;
- lost: captures after which the mascot was not on the screen again within 2 s.
"""

from __future__ import annotations

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import desktop as dt  # noqa: E402
from geometry import CHAR_REST, DESIGN_POSITION, WINDOW_SIZE  # noqa: E402
from program_case import TITLE  # noqa: E402
from scene import scene_faults  # noqa: E402

# The two places of the window beneath: both under the mascot's lower left part.
BENEATH = (dt.Rect(600, 120, 100, 60), dt.Rect(615, 135, 100, 60))
# The cover: over the mascot's left edge, away from the window beneath.
COVER = dt.Rect(DESIGN_POSITION[0] - 10, DESIGN_POSITION[1] + 10, 40, 30)
# An expose that comes within this time of the program's own show counts as part of it.
SETTLE = 0.2


def parse_args() -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--captures", type=int, default=100)
    parser.add_argument("--binary", type=Path,
                        default=Path(os.environ.get("RUVIA_BINARY")
                                     or REPO / "build" / "ruvia-mascot"))
    parser.add_argument("--load", type=int, default=0,
                        help="busy loops to run meanwhile, to see the capture on a busy machine")
    parser.add_argument("--starts", type=int, default=0,
                        help="instead of captures, start the program this many times and "
                             "count the starts whose window never came on the screen")
    return parser.parse_args()


def move_beneath(desktop: dt.Desktop, client: int, place: dt.Rect) -> None:
    """Moves the other program's window so that its frame starts at place's corner
    (openbox takes xdotool's position as the frame's)."""
    if (desktop.frame_of(client).x, desktop.frame_of(client).y) != (place.x, place.y):
        desktop.tool(["xdotool", "windowmove", "--sync", str(client), str(place.x),
                      str(place.y)])
    dt.wait_until(lambda: (desktop.frame_of(client).x, desktop.frame_of(client).y)
                  == (place.x, place.y), 5, f"the window beneath to reach {place}")


def is_clean(shot: dt.Image, truth: dt.Image) -> bool:
    # After a repaint the scene holds the background and the pin; the character comes
    # back with the next tick, so with her or without her both are right.
    return any(not scene_faults(shot, truth, char)[0] for char in (None, CHAR_REST))


def main() -> int:
    args = parse_args()
    missing = dt.missing_tools()
    if missing:
        print("capture_bench: needs " + ", ".join(missing), file=sys.stderr)
        return 2
    if not args.binary.is_file():
        print(f"capture_bench: no program at {args.binary}: build it first", file=sys.stderr)
        return 2

    busy = [subprocess.Popen([sys.executable, "-c", "while True: pass"])
            for _ in range(args.load)]
    try:
        with dt.Desktop(1024, 768) as desktop:
            return run_starts(desktop, args) if args.starts else run(desktop, args)
    finally:
        for loop in busy:
            loop.kill()
            loop.wait()


def run(desktop: dt.Desktop, args: argparse.Namespace) -> int:
    _, client = desktop.open_window(BENEATH[0])
    truths = []
    for place in BENEATH:
        move_beneath(desktop, client, place)
        desktop.wait_settled(client)
        truths.append(desktop.screenshot())

    place = dt.Rect(*DESIGN_POSITION, *WINDOW_SIZE)
    # Listening from before the start: each show puts the mascot in a new frame, and
    # its hides and shows are known only through the frames seen made.
    watcher = desktop.watch_root()
    cwd = Path(tempfile.mkdtemp(prefix="cwd-", dir=desktop.tmp))
    runtime = Path(tempfile.mkdtemp(prefix="run-", dir=desktop.tmp))
    program = desktop.start_program([str(args.binary)], cwd=cwd, label="mascot",
                                    env=desktop.env(XDG_RUNTIME_DIR=str(runtime)))
    mascot = desktop.wait_window(timeout=30, pid=program.pid, name=TITLE)
    # Let the first swing end: from then on nothing but a capture changes the scene.
    quiet_since, last = time.monotonic(), desktop.grab(place)
    while time.monotonic() - quiet_since < 1.0:
        time.sleep(0.05)
        now = desktop.grab(place)
        if now.data != last.data:
            quiet_since, last = time.monotonic(), now

    xc = desktop.xclient()
    cover = xc.create_cover(COVER, (0, 255, 255))
    hidden_ms: list[float] = []
    clean = missed = lost = 0
    for i in range(args.captures):
        which = (i + 1) % 2
        move_beneath(desktop, client, BENEATH[which])
        truth = truths[which].crop(place)

        start = time.monotonic()
        xc.map_raised(cover)
        time.sleep(0.02)
        xc.unmap(cover)
        deadline = start + 2.0
        unmapped = shown = None
        while time.monotonic() < deadline and shown is None:
            holders = watcher.holders(mascot)
            unmaps = [e.time for e in watcher.events("UnmapNotify", holders, since=start)
                      if not e.synthetic]
            if unmaps:
                unmapped = unmaps[0]
                maps = [t for t in watcher.shown(mascot) if t >= unmapped]
                shown = maps[0] if maps else None
            time.sleep(0.002)
        if unmapped is None:
            missed += 1
            print(f"uncovering {i}: no capture", file=sys.stderr)
            continue
        if shown is None:
            lost += 1
            print(f"capture {i}: the mascot did not come back", file=sys.stderr)
            break
        hidden_ms.append((shown - unmapped) * 1000)
        try:
            dt.wait_until(lambda: is_clean(desktop.grab(place), truth), 1.0,
                          "a clean scene", interval=0.005)
            clean += 1
        except TimeoutError:
            desktop.keep_artifact(desktop.grab(place), f"capture-{i}")
        # Exposes that follow the program's own show belong to it; wait them out.
        time.sleep(max(0.0, shown + SETTLE - time.monotonic()))

    made = len(hidden_ms)
    median = statistics.median(hidden_ms) if hidden_ms else float("nan")
    worst = max(hidden_ms) if hidden_ms else float("nan")
    print(f"capture_bench: captures={made} clean={clean} hidden_ms median={median:.1f} "
          f"max={worst:.1f} missed={missed} lost={lost}"
          + (f" load={args.load}" if args.load else ""))
    return 0 if made and clean == made and not lost else 1


def run_starts(desktop: dt.Desktop, args: argparse.Namespace) -> int:
    """Start-up makes two or three captures in a row, the quickest hide-show-hide-show
    the program does; a window manager that falls behind them must still end with the
    window shown."""
    unseen = 0
    for _ in range(args.starts):
        cwd = Path(tempfile.mkdtemp(prefix="cwd-", dir=desktop.tmp))
        runtime = Path(tempfile.mkdtemp(prefix="run-", dir=desktop.tmp))
        program = desktop.start_program([str(args.binary)], cwd=cwd, label="mascot",
                                        env=desktop.env(XDG_RUNTIME_DIR=str(runtime)))
        try:
            desktop.wait_window(timeout=5, pid=program.pid, name=TITLE)
        except TimeoutError:
            if program.running():
                unseen += 1
        program.stop()
    print(f"capture_bench: starts={args.starts} window_never_shown={unseen}"
          + (f" load={args.load}" if args.load else ""))
    return 0 if unseen == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
