"""A private sway desktop for end-to-end tests: sway headless (pixman) with XWayland, the
position-coded wallpaper, wayvnc's pointer (driven by VNC pointer events of our own,
which sway takes as a real pointer's), screenshots by grim. X tools (xdotool, xwininfo,
xprop) still find the windows on XWayland, so the rest of the harness works unchanged.

sway refuses to run as root: under root it runs as nobody, in a folder of its own that
nobody may use, and root is let into its XWayland. Everything it starts dies with it,
and it dies with the desktop or with the test process."""

from __future__ import annotations

import json
import os
import pwd
import shutil
import socket
import stat
import struct
import subprocess
import time
from pathlib import Path
from typing import Sequence

import desktop as dt
from processes import wait_until

TOOLS = ("sway", "swaybg", "swaymsg", "wayvnc", "grim", "Xwayland", "xhost", "setpriv",
         "xdotool", "xwininfo", "xprop", "weston-terminal")
X11_SOCKETS = Path("/tmp/.X11-unix")
START_TIMEOUT = 20.0
# sway draws its cursor into what grim reads: hidden once the pointer has rested this long.
HIDE_CURSOR_MS = 300
# Time for a burst of input to pass wayvnc and sway and reach the program.
INPUT_SETTLE = 0.03


def missing_tools() -> list[str]:
    return [tool for tool in TOOLS if shutil.which(tool) is None]


def free_port() -> int:
    """A TCP port on the loopback that nobody listens on now."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def ensure_x11_socket_dir() -> None:
    """XWayland started by an unprivileged sway would make the X sockets' folder as its
    own, 0755, and then no other user could start an X server; as root, make it as the
    X servers expect it: root's, world-writable and sticky."""
    if os.geteuid() != 0:
        return
    X11_SOCKETS.mkdir(exist_ok=True)
    st = X11_SOCKETS.stat()
    if st.st_uid != 0 or stat.S_IMODE(st.st_mode) != 0o1777:
        os.chown(X11_SOCKETS, 0, 0)
        os.chmod(X11_SOCKETS, 0o1777)


class SwayDesktop(dt.Desktop):
    """sway with XWayland on a 1024 x 768 headless output; use as a context manager."""

    def __init__(self, width: int = 1024, height: int = 768):
        super().__init__(width, height, window_manager=False)
        self.home = self.tmp / "sway"
        self.sway_runtime = self.home / "run"
        self.wayland_socket = self.sway_runtime / "wayland-1"
        self.sway_socket = ""
        self.pointer = (0, 0)
        self._last_input = 0.0  # time.monotonic() of the last pointer command
        self._buttons = 0  # the buttons held, as VNC's bits
        self._vnc: VncPointer | None = None
        self._user = pwd.getpwnam("nobody") if os.geteuid() == 0 else None

    # ---- lifetime

    def start(self) -> None:
        ensure_x11_socket_dir()
        self._make_home()
        self._start_sway()
        self._start_pointer()
        self._let_root_in()
        try:
            wait_until(lambda: self.screenshot().data == self.wallpaper.data, 10,
                       "swaybg to show the wallpaper", interval=0.2)
        except TimeoutError:
            self._check_wallpaper()  # says where it differs
            raise

    def _make_home(self) -> None:
        # nobody must reach its folder through ours, read its config and wallpaper, and
        # own its runtime folder (sway wants it private).
        os.chmod(self.tmp, 0o711)
        self.home.mkdir(mode=0o755)
        self.sway_runtime.mkdir(mode=0o700)
        if self._user:
            os.chown(self.sway_runtime, self._user.pw_uid, self._user.pw_gid)
        self.wallpaper.save_png(self.home / "wallpaper.png")
        (self.home / "config").write_text(
            "xwayland force\n"
            f"output HEADLESS-1 resolution {self.width}x{self.height} position 0 0\n"
            f"output * bg {self.home / 'wallpaper.png'} center\n"
            "default_border none\n"
            "focus_follows_mouse no\n"
            f"seat * hide_cursor {HIDE_CURSOR_MS}\n")

    def _as_sway_user(self, argv: Sequence[str]) -> list[str]:
        if not self._user:
            return list(argv)
        return ["setpriv", f"--reuid={self._user.pw_uid}", f"--regid={self._user.pw_gid}",
                "--clear-groups", "--pdeathsig", "KILL", *argv]

    def _sway_env(self) -> dict[str, str]:
        return {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LANG": "C.UTF-8",
                "HOME": str(self.sway_runtime), "XDG_RUNTIME_DIR": str(self.sway_runtime),
                "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman",
                "WLR_LIBINPUT_NO_DEVICES": "1"}

    def _start_sway(self) -> None:
        argv = self._as_sway_user(["sway", "-c", str(self.home / "config")])
        self._server = self._spawn(argv, env=self._sway_env(), cwd=self.home, label="sway")

        def ready() -> list[Path]:
            if not self._server.running():
                raise RuntimeError("sway ended at its start:\n" + self._server.stderr()[-2000:])
            return list(self.sway_runtime.glob("sway-ipc.*.sock")) if \
                self.wayland_socket.exists() else []

        self.sway_socket = str(wait_until(ready, START_TIMEOUT, "sway's sockets")[0])
        # sway knows its XWayland's display from the start; its children inherit it.
        said = self.sway_runtime / "display"
        self.swaymsg("--", f"exec printenv DISPLAY > {said}")
        self.display = wait_until(lambda: said.exists() and said.read_text().strip(),
                                  START_TIMEOUT, "sway to name its X display")

    def _start_pointer(self) -> None:
        # The headless seat has no pointer until a VNC server adds a virtual one.
        port = free_port()
        self.start_program(["wayvnc", "127.0.0.1", str(port)], env=self.env(), label="wayvnc")
        wait_until(lambda: any(seat["capabilities"] & 1 for seat in
                               json.loads(self.swaymsg("-t", "get_seats"))),
                   START_TIMEOUT, "wayvnc's pointer on sway's seat")
        self._vnc = VncPointer(port)

    def stop(self) -> None:
        if self._vnc:
            self._vnc.close()
            self._vnc = None
        super().stop()

    def _let_root_in(self) -> None:
        if not self._user:
            return
        command = self._as_sway_user(["xhost", "+si:localuser:root"])
        env = dict(self._sway_env(), DISPLAY=self.display)
        wait_until(lambda: subprocess.run(command, env=env, capture_output=True,
                                          timeout=dt.TOOL_TIMEOUT).returncode == 0,
                   START_TIMEOUT, "XWayland to let root in", interval=0.2)

    # ---- what a program on this desktop sees

    def env(self, **extra: str | None) -> dict[str, str]:
        session = dict(WAYLAND_DISPLAY=str(self.wayland_socket), SWAYSOCK=self.sway_socket,
                       XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP="sway")
        return super().env(**{**session, **extra})

    # ---- sway itself

    def swaymsg(self, *argv: str) -> str:
        result = subprocess.run(["swaymsg", "-s", self.sway_socket, *argv],
                                capture_output=True, timeout=dt.TOOL_TIMEOUT, text=True)
        if result.returncode != 0:
            raise RuntimeError(f"swaymsg {' '.join(argv)} failed ({result.returncode}): "
                               f"{(result.stdout + result.stderr).strip()}")
        return result.stdout

    def tree_nodes(self) -> list[dict]:
        """Every node of sway's tree, tiled and floating, depth first."""
        found: list[dict] = []

        def walk(node: dict) -> None:
            found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)

        walk(json.loads(self.swaymsg("-t", "get_tree")))
        return found

    def node_of(self, pid: int) -> dict | None:
        """sway's container of a program's window, if it has one."""
        return next((n for n in self.tree_nodes() if n.get("pid") == pid), None)

    # ---- pixels

    def screenshot(self) -> dt.Image:
        return self.grab(dt.Rect(0, 0, self.width, self.height))

    def grab(self, rect: dt.Rect) -> dt.Image:
        """The screen in `rect`, once sway has hidden its cursor after the last input."""
        hidden = self._last_input + HIDE_CURSOR_MS / 1000 + 0.15
        time.sleep(max(0.0, hidden - time.monotonic()))
        argv = ["grim", "-t", "ppm", "-"]
        if rect != dt.Rect(0, 0, self.width, self.height):
            argv[1:1] = ["-g", f"{rect.x},{rect.y} {rect.width}x{rect.height}"]
        blob = subprocess.run(argv, env=self.env(), capture_output=True, check=True,
                              timeout=dt.TOOL_TIMEOUT).stdout
        shot = dt.Image.from_ppm(blob)
        if (shot.width, shot.height) != (rect.width, rect.height):
            raise RuntimeError(f"grim gave {shot.width}x{shot.height} for {rect}")
        return shot

    # ---- input, through the VNC viewer's pointer

    def _send(self, *events: tuple[int, int, int]) -> None:
        """Pointer events (x, y, buttons held), in one burst; then a moment for sway and
        the program under it to take them."""
        for x, y, buttons in events:
            self._vnc.point(x, y, buttons)
            self.pointer, self._buttons = (x, y), buttons
        self._last_input = time.monotonic()
        time.sleep(INPUT_SETTLE)

    def _with(self, button: int) -> int:
        return self._buttons | VncPointer.BUTTON_BITS[button]

    def _without(self, button: int) -> int:
        return self._buttons & ~VncPointer.BUTTON_BITS[button]

    def mouse_location(self) -> tuple[int, int]:
        return self.pointer

    def mouse_move(self, x: int, y: int) -> None:
        self._send((x, y, self._buttons))

    def mouse_down(self, button: int = 1) -> None:
        self._send((*self.pointer, self._with(button)))

    def mouse_up(self, button: int = 1) -> None:
        self._send((*self.pointer, self._without(button)))

    def click(self, x: int, y: int, button: int = 1) -> None:
        self._send((x, y, self._buttons), (x, y, self._with(button)),
                   (x, y, self._buttons))

    def flick(self, start: tuple[int, int], end: tuple[int, int], then: tuple[int, int],
              button: int = 1) -> None:
        mid = ((start[0] + end[0]) // 2, (start[1] + end[1]) // 2)
        up, down = self._buttons, self._with(button)
        self._send((*start, up), (*start, down), (*mid, down), (*end, down), (*end, up),
                   (*then, up))

    def drag_and_go_on(self, start: tuple[int, int], end: tuple[int, int],
                       then: Sequence[tuple[int, int]], steps: int = 8,
                       step_delay: float = 0.03) -> None:
        """Presses at `start`, moves in `steps` steps to `end`, and releases there with
        the motion through `then` in the same burst, as a hand that lets go on the way."""
        self.mouse_move(*start)
        self.mouse_down()
        for i in range(1, steps):
            self.mouse_move(start[0] + (end[0] - start[0]) * i // steps,
                            start[1] + (end[1] - start[1]) * i // steps)
            time.sleep(step_delay)
        held, up = self._buttons, self._without(1)
        self._send((*end, held), (*end, up), *((x, y, up) for x, y in then))


class VncPointer:
    """A VNC viewer's pointer on wayvnc, which gives it to sway as a pointer device's
    motions and buttons. (sway's own `seat - cursor` commands warp the cursor without
    a motion: a client that holds the pointer with a button down never sees it move.)
    Only the handshake and pointer events of RFB 3.8; no picture is ever asked for."""

    BUTTON_BITS = {1: 1, 2: 2, 3: 4}
    _NO_AUTHENTICATION = 1
    _POINTER_EVENT = 5

    def __init__(self, port: int, timeout: float = START_TIMEOUT):
        self._socket = wait_until(lambda: self._connect(port), timeout,
                                  f"wayvnc to listen on port {port}", interval=0.1)
        self._socket.settimeout(dt.TOOL_TIMEOUT)
        if not self._read(12).startswith(b"RFB "):
            raise RuntimeError("wayvnc did not greet as a VNC server")
        self._socket.sendall(b"RFB 003.008\n")
        offered = self._read(self._read(1)[0])
        if self._NO_AUTHENTICATION not in offered:
            raise RuntimeError(f"wayvnc wants authentication (offers {list(offered)})")
        self._socket.sendall(bytes([self._NO_AUTHENTICATION]))
        if struct.unpack(">I", self._read(4))[0] != 0:
            raise RuntimeError("wayvnc refused the viewer")
        self._socket.sendall(b"\x01")  # shared: other viewers may stay
        self._read(20)  # the framebuffer's size and pixel format
        self._read(struct.unpack(">I", self._read(4))[0])  # the desktop's name

    @staticmethod
    def _connect(port: int) -> socket.socket | None:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=1)
        except OSError:
            return None

    def _read(self, count: int) -> bytes:
        data = b""
        while len(data) < count:
            chunk = self._socket.recv(count - len(data))
            if not chunk:
                raise RuntimeError("wayvnc closed the connection")
            data += chunk
        return data

    def point(self, x: int, y: int, buttons: int) -> None:
        self._socket.sendall(struct.pack(">BBHH", self._POINTER_EVENT, buttons, x, y))

    def close(self) -> None:
        self._socket.close()


__all__ = ["SwayDesktop", "VncPointer", "missing_tools"]
