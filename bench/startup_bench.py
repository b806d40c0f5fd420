#!/usr/bin/env python3
"""What a start of the real program and a drop of the mascot take, measured from outside
on a private Xvfb desktop with openbox, through the end-to-end tests' own harness.

Run it by hand after building, from anywhere:

    python3 bench/startup_bench.py                      # 10 starts, 5 drops
    python3 bench/startup_bench.py --starts 30 --drops 20

It needs what the end-to-end tests need (Xvfb, openbox, xdotool, x11-utils, ImageMagick)
and the program built (build/ruvia-mascot, or RUVIA_BINARY). The last line is the
summary, for example (one line, wrapped here; a run on this project's build machine):

    startup_bench: starts=10 startup_ms median=49 max=84 rss_kb median=26110;
    drops=5 drag_to_redraw_ms median=19.9 max=20.3 release_to_map_ms median=13.9

- startup_ms: from the program's start to its window's map, as the root's events tell
  it; rss_kb: its resident memory once the window has settled at its design place;
- drag_to_redraw_ms: from the button's release after a drag by the pin to the window
  showing, at its new place, the new background and the pin (what the user waits for
  after a drop); release_to_map_ms: to the window's map after the drop's capture.
"""

from __future__ import annotations

import argparse
import statistics
import sys
import time
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import desktop as dt  # noqa: E402
from geometry import DESIGN_POSITION, PIN_RECT, grip, window_at  # noqa: E402
from mascot_case import MascotCase  # noqa: E402
from scene import PIN, background_only_matches, composite  # noqa: E402

# The pin's rows above the string's start: there only the pin is drawn.
PIN_ABOVE_STRING = dt.Rect(PIN_RECT.x, 0, PIN_RECT.width, 12)
# Another program's window where the drops land, so the new background is not the
# wallpaper alone.
BENEATH = dt.Rect(260, 340, 150, 70)


class Bench(MascotCase):
    """The tests' case, driven by this script instead of by unittest."""


def parse_args() -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--starts", type=int, default=10)
    parser.add_argument("--drops", type=int, default=5)
    return parser.parse_args()


def starts(case: Bench, count: int) -> tuple[list[float], list[int]]:
    """Start times (ms) and resident memory (kB) of `count` starts, one after another."""
    watcher = case.desktop.watch_root()
    startup_ms, rss_kb = [], []
    try:
        for _ in range(count):
            program, window, rect = case.started()
            shown = dt.wait_until(lambda: watcher.shown(window, since=program.started), 5,
                                  "the map to be heard")
            startup_ms.append((shown[0] - program.started) * 1000)
            case.assertEqual(rect, window_at(*DESIGN_POSITION), "a start came up elsewhere")
            rss_kb.append(program.rss_kb())
            program.stop()
    finally:
        watcher.stop()
    return startup_ms, rss_kb


def drops(case: Bench, count: int) -> tuple[list[float], list[float]]:
    """Release-to-redraw and release-to-map times (ms) of `count` drops by the pin, to
    and fro over another program's window."""
    case.desktop.open_window(BENEATH)
    truth = case.desktop.screenshot()
    _, window, rect = case.started(find=case.mascot_after_startup)
    watcher = case.desktop.watch_root()
    xc = case.desktop.xclient()
    to_frame_ms, to_map_ms = [], []
    try:
        for i in range(count):
            new = window_at((200, 480)[i % 2], 250)
            behind = truth.crop(new)
            pinned = composite(behind, PIN, PIN_RECT.x, PIN_RECT.y).crop(PIN_ABOVE_STRING)

            def redrawn() -> bool:
                shot = case.desktop.grab(new)
                return shot.crop(PIN_ABOVE_STRING).data == pinned.data and \
                    background_only_matches(shot, behind)

            start, end = grip(rect), grip(new)
            xc.move_pointer(*start)
            xc.button(1, True)
            for step in range(1, 9):
                xc.move_pointer(start[0] + (end[0] - start[0]) * step // 8,
                                start[1] + (end[1] - start[1]) * step // 8)
                time.sleep(0.01)
            xc.button(1, False)
            released = time.monotonic()
            dt.wait_until(redrawn, 3, f"the redrawn scene at {new}", interval=0.001)
            to_frame_ms.append((time.monotonic() - released) * 1000)
            maps = dt.wait_until(lambda: watcher.shown(window, since=released), 3,
                                 "the window to be shown again after the drop")
            to_map_ms.append((maps[0] - released) * 1000)
            rect = case.settled_rect(window)
            case.assertEqual(rect, new, "a drop landed elsewhere")
    finally:
        watcher.stop()
    return to_frame_ms, to_map_ms


def main() -> int:
    args = parse_args()
    try:
        Bench.setUpClass()
    except (unittest.SkipTest, RuntimeError) as reason:
        print(f"startup_bench: {reason}", file=sys.stderr)
        Bench.doClassCleanups()
        return 2
    case = Bench()
    try:
        startup_ms, rss_kb = starts(case, args.starts)
        to_frame_ms, to_map_ms = drops(case, args.drops)
    finally:
        case.doCleanups()
        Bench.doClassCleanups()
    print(f"startup_bench: starts={len(startup_ms)} "
          f"startup_ms median={statistics.median(startup_ms):.0f} max={max(startup_ms):.0f} "
          f"rss_kb median={statistics.median(rss_kb):.0f}; drops={len(to_frame_ms)} "
          f"drag_to_redraw_ms median={statistics.median(to_frame_ms):.1f} "
          f"max={max(to_frame_ms):.1f} "
          f"release_to_map_ms median={statistics.median(to_map_ms):.1f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
