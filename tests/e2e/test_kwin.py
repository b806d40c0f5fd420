"""The real program under KWin on X11, compositing switched off so that every capture
hides and shows her: KWin marks a window that comes up without taking the focus as one
that demands attention (its task bar entry flashes); hers never keeps the mark, her
start and captures leave the focus with the user's window, and she comes up at her
place and size."""

from __future__ import annotations

import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import desktop as dt  # noqa: E402
from geometry import DESIGN_POSITION, window_at  # noqa: E402
from mascot_case import MascotCase  # noqa: E402

ATTENTION = "_NET_WM_STATE_DEMANDS_ATTENTION"
SKIPPED = 77


class KWinTest(MascotCase):

    window_manager = False

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        # A session bus of its own; KWIN_COMPOSE=N: no compositing, so she captures.
        cls.desktop.start_window_manager(["dbus-run-session", "kwin_x11", "--replace"],
                                         label="KWin", env=cls.desktop.env(KWIN_COMPOSE="N"),
                                         timeout=60)

    def active_window(self) -> str:
        return self.desktop.tool(["xprop", "-root", "_NET_ACTIVE_WINDOW"]).split("#")[-1].strip()

    def test_her_window_never_keeps_the_attention_mark_nor_takes_the_focus(self):
        _, other = self.desktop.open_window(dt.Rect(40, 500, 200, 100))
        self.desktop.activate(other)
        active = self.active_window()
        self.assertIn(f"{other:#x}", active)

        _, window, place = self.started()
        marked = []  # the times the mark was seen, in samples about 20 ms apart

        def watch(seconds: float) -> None:
            end = time.monotonic() + seconds
            while time.monotonic() < end:
                marked.append(ATTENTION in self.desktop.wm_state(window))
                time.sleep(0.02)

        self.assertEqual(place, window_at(*DESIGN_POSITION))
        watch(1.0)
        # Three uncovers, three captures: each a map that KWin would mark again.
        xc = self.desktop.xclient()
        cover = xc.create_cover(dt.Rect(place.x + 60, place.y + 40, 40, 40), (0, 0, 0))
        for _ in range(3):
            xc.map_raised(cover)
            time.sleep(0.2)
            xc.unmap(cover)
            watch(0.6)
        print(f"\nKWin: the attention mark seen in {sum(marked)} of {len(marked)} samples",
              file=sys.stderr)
        self.assertNotIn(ATTENTION, self.desktop.wm_state(window))
        self.assertLessEqual(sum(marked), 2, "the mark stayed on her window")
        self.assertEqual(self.active_window(), active, "she took the focus")
        self.assertEqual(self.settled_rect(window), place)


if __name__ == "__main__":
    if shutil.which("kwin_x11") is None or shutil.which("dbus-run-session") is None:
        print("skipped: the KWin test needs kwin_x11 and dbus-run-session "
              "(bash scripts/install-kwin.sh installs them)", file=sys.stderr)
        sys.exit(SKIPPED)
    dt.main()
