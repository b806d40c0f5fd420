"""A minimal reparenting window manager that, like some real ones (weston's X window
manager among them), never hands a withdrawn window back to the root: it only unmaps
the frame. Run it on a desktop started without a window manager:

    python3 frame_keeping_wm.py            # on $DISPLAY, until killed
"""

from __future__ import annotations

import ctypes
import sys

MAP_REQUEST, CONFIGURE_REQUEST, UNMAP_NOTIFY, DESTROY_NOTIFY = 20, 23, 18, 17
CONFIGURE_NOTIFY = 22
SUBSTRUCTURE_NOTIFY, SUBSTRUCTURE_REDIRECT, STRUCTURE_NOTIFY = 1 << 19, 1 << 20, 1 << 17
CW_X, CW_Y, CW_WIDTH, CW_HEIGHT = 1, 2, 4, 8


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("pad", ctypes.c_long * 24)]

    def field(self, offset: int, kind=ctypes.c_ulong) -> int:
        return kind.from_buffer(self, offset).value


class WindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("rest", ctypes.c_byte * 256)]


def main() -> int:
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XCreateSimpleWindow.restype = ctypes.c_ulong
    x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
        [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
    for name in ("XMapWindow", "XUnmapWindow", "XDestroyWindow", "XAddToSaveSet"):
        getattr(x11, name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x11.XReparentWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                    ctypes.c_int, ctypes.c_int]
    x11.XMoveResizeWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                      ctypes.c_int, ctypes.c_uint, ctypes.c_uint]
    x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                         ctypes.POINTER(WindowAttributes)]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(Event)]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]

    display = x11.XOpenDisplay(None)
    if not display:
        print("frame_keeping_wm: cannot open the display", file=sys.stderr)
        return 1
    root = x11.XDefaultRootWindow(display)
    x11.XSelectInput(display, root, SUBSTRUCTURE_REDIRECT | SUBSTRUCTURE_NOTIFY)
    frames: dict[int, list[int]] = {}  # client -> [frame, x, y, width, height]

    def tell_client(client: int) -> None:
        # ICCCM: a framed client learns its place from a synthetic ConfigureNotify.
        frame, x, y, w, h = frames[client]
        e = Event()
        e.type = CONFIGURE_NOTIFY
        for offset, value, kind in ((32, client, ctypes.c_ulong), (40, client, ctypes.c_ulong),
                                    (48, x, ctypes.c_int), (52, y, ctypes.c_int),
                                    (56, w, ctypes.c_int), (60, h, ctypes.c_int)):
            kind.from_buffer(e, offset).value = value
        x11.XSendEvent(display, client, 0, STRUCTURE_NOTIFY, ctypes.byref(e))

    event = Event()
    while True:
        x11.XNextEvent(display, ctypes.byref(event))
        kind = event.type
        if kind == MAP_REQUEST:
            client = event.field(40)
            if client not in frames:
                a = WindowAttributes()
                x11.XGetWindowAttributes(display, client, ctypes.byref(a))
                frame = x11.XCreateSimpleWindow(display, root, a.x, a.y, max(a.width, 1),
                                                max(a.height, 1), 0, 0, 0)
                x11.XSelectInput(display, frame, SUBSTRUCTURE_REDIRECT | SUBSTRUCTURE_NOTIFY)
                x11.XAddToSaveSet(display, client)
                x11.XReparentWindow(display, client, frame, 0, 0)
                frames[client] = [frame, a.x, a.y, a.width, a.height]
            x11.XMapWindow(display, client)
            x11.XMapWindow(display, frames[client][0])
            tell_client(client)
        elif kind == CONFIGURE_REQUEST:
            client, mask = event.field(40), event.field(88)
            place = frames.get(client)
            if place is None:
                a = WindowAttributes()
                x11.XGetWindowAttributes(display, client, ctypes.byref(a))
                place = [0, a.x, a.y, a.width, a.height]
            for bit, index, offset in ((CW_X, 1, 48), (CW_Y, 2, 52), (CW_WIDTH, 3, 56),
                                       (CW_HEIGHT, 4, 60)):
                if mask & bit:
                    place[index] = event.field(offset, ctypes.c_int)
            _, x, y, w, h = place
            if client in frames:
                x11.XMoveResizeWindow(display, place[0], x, y, max(w, 1), max(h, 1))
                x11.XMoveResizeWindow(display, client, 0, 0, max(w, 1), max(h, 1))
                tell_client(client)
            else:
                x11.XMoveResizeWindow(display, client, x, y, max(w, 1), max(h, 1))
        elif kind == UNMAP_NOTIFY:
            client = event.field(40)
            if client in frames:
                # The frame goes; the window stays in it.
                x11.XUnmapWindow(display, frames[client][0])
        elif kind == DESTROY_NOTIFY:
            client = event.field(40)
            if client in frames:
                x11.XDestroyWindow(display, frames.pop(client)[0])
        x11.XFlush(display)


if __name__ == "__main__":
    sys.exit(main())
