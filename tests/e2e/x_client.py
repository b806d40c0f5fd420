"""Direct access to the X server through Xlib, for the few things the command-line tools
do too slowly: reading the screen in about a millisecond, clicks timed to the
millisecond, and a window the window manager leaves alone."""

from __future__ import annotations

import ctypes

from screen_pixels import Color, Image, Rect

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
        return self._get(self._root, rect)[0]

    def grab_window(self, window: int, width: int, height: int) -> tuple[Image, bytes]:
        """A window's own pixels from its corner, and their alpha (the top byte, which
        only a window of depth 32 has)."""
        return self._get(window, Rect(0, 0, width, height))

    def _get(self, drawable: int, rect: Rect) -> tuple[Image, bytes]:
        ximage = self._x11.XGetImage(self._display, drawable, rect.x, rect.y, rect.width,
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
            alpha = bytearray(rect.width * rect.height)
            for y in range(rect.height):
                line = raw[y * img.bytes_per_line:y * img.bytes_per_line + rect.width * 4]
                row = slice(y * rect.width * 3, (y + 1) * rect.width * 3)
                out = bytearray(rect.width * 3)
                out[0::3], out[1::3], out[2::3] = line[2::4], line[1::4], line[0::4]
                rgb[row] = out
                alpha[y * rect.width:(y + 1) * rect.width] = line[3::4]
            return Image(rect.width, rect.height, rgb), bytes(alpha)
        finally:
            destroy = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)(ximage.contents.funcs[1])
            destroy(ctypes.cast(ximage, ctypes.c_void_p))

    def publish_root_pixmap(self, image: Image) -> None:
        """Makes `image` the root's background pixmap and publishes it as _XROOTPMAP_ID,
        where compositors look for the desktop's background (they do not paint a root
        background of their own). The pixmap lives as long as this connection."""
        x11, d = self._x11, self._display
        pixmap = self._pixmap(image)
        value = ctypes.c_ulong(pixmap)
        xa_pixmap = 20
        x11.XChangeProperty(d, self._root, self._atom("_XROOTPMAP_ID"), xa_pixmap,
                            32, 0, ctypes.byref(value), 1)
        x11.XSetWindowBackgroundPixmap(d, self._root, pixmap)
        x11.XClearWindow(d, self._root)
        x11.XSync(d, 0)

    def show_desktop_picture(self, image: Image) -> int:
        """Maps a window of the desktop type showing `image` from the screen's corner:
        every window manager keeps such a window undecorated and below all others, so it
        is the wallpaper even where the compositor paints nothing of the root (KWin,
        mutter, GNOME Shell, XWayland). Returns the window."""
        x11, d = self._x11, self._display
        self._declare_window_calls()
        window = x11.XCreateSimpleWindow(d, self._root, 0, 0, image.width, image.height,
                                         0, 0, 0)
        xa_atom = 4
        kind = ctypes.c_ulong(self._atom("_NET_WM_WINDOW_TYPE_DESKTOP"))
        x11.XChangeProperty(d, window, self._atom("_NET_WM_WINDOW_TYPE"), xa_atom, 32, 0,
                            ctypes.byref(kind), 1)
        x11.XSetWindowBackgroundPixmap(d, window, self._pixmap(image))
        x11.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XMapWindow(d, window)
        x11.XSync(d, 0)
        return window

    def _atom(self, name: str) -> int:
        self._x11.XInternAtom.restype = ctypes.c_ulong
        self._x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        return self._x11.XInternAtom(self._display, name.encode(), 0)

    def _declare_window_calls(self) -> None:
        x11 = self._x11
        x11.XCreateSimpleWindow.restype = ctypes.c_ulong
        x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + \
            [ctypes.c_int] * 2 + [ctypes.c_uint] * 2 + [ctypes.c_uint, ctypes.c_ulong,
                                                        ctypes.c_ulong]
        x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                        ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                        ctypes.c_void_p, ctypes.c_int]
        x11.XSetWindowBackgroundPixmap.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                                   ctypes.c_ulong]
        x11.XClearWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]

    def _pixmap(self, image: Image) -> int:
        """A pixmap of the screen's depth holding `image`; it lives as long as this
        connection."""
        x11, d = self._x11, self._display
        self._declare_window_calls()
        x11.XDefaultScreen.argtypes = [ctypes.c_void_p]
        screen = x11.XDefaultScreen(d)
        x11.XDefaultVisual.restype = ctypes.c_void_p
        x11.XDefaultVisual.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XCreatePixmap.restype = ctypes.c_ulong
        x11.XCreatePixmap.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint,
                                      ctypes.c_uint, ctypes.c_uint]
        x11.XCreateGC.restype = ctypes.c_void_p
        x11.XCreateGC.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                  ctypes.c_void_p]
        x11.XCreateImage.restype = ctypes.POINTER(_XImage)
        x11.XCreateImage.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_uint,
                                     ctypes.c_int, ctypes.c_int, ctypes.c_char_p,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_int]
        x11.XPutImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p,
                                  ctypes.POINTER(_XImage)] + [ctypes.c_int] * 4 + \
            [ctypes.c_uint] * 2
        x11.XFreeGC.argtypes = [ctypes.c_void_p, ctypes.c_void_p]

        pixmap = x11.XCreatePixmap(d, self._root, image.width, image.height, 24)
        bgrx = bytearray(image.width * image.height * 4)
        bgrx[0::4], bgrx[1::4], bgrx[2::4] = image.data[2::3], image.data[1::3], image.data[0::3]
        pixels = ctypes.create_string_buffer(bytes(bgrx))  # the XImage points into it
        ximage = x11.XCreateImage(d, x11.XDefaultVisual(d, screen), 24, self._Z_PIXMAP, 0,
                                  pixels, image.width, image.height, 32, 0)
        gc = x11.XCreateGC(d, pixmap, 0, None)
        x11.XPutImage(d, pixmap, gc, ximage, 0, 0, 0, 0, image.width, image.height)
        x11.XFreeGC(d, gc)
        x11.XSync(d, 0)
        return pixmap

    def selection_owned(self, name: str) -> bool:
        """Whether some client owns the selection `name` (a compositor owns _NET_WM_CM_S0)."""
        x11 = self._x11
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XGetSelectionOwner.restype = ctypes.c_ulong
        x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        return x11.XGetSelectionOwner(self._display,
                                      x11.XInternAtom(self._display, name.encode(), 0)) != 0

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

    def lower(self, window: int) -> None:
        """Puts a window below all others, just above the root."""
        self._x11.XLowerWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self._x11.XLowerWindow(self._display, window)
        self._x11.XSync(self._display, 0)

    def move(self, window: int, x: int, y: int) -> None:
        self._x11.XMoveWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                          ctypes.c_int]
        self._x11.XMoveWindow(self._display, window, x, y)
        self._x11.XSync(self._display, 0)

    def unmap(self, window: int) -> None:
        self._x11.XUnmapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self._x11.XUnmapWindow(self._display, window)
        self._x11.XSync(self._display, 0)

    def top_level_at(self, x: int, y: int) -> int:
        """The child of the root that the screen point lies in (a window manager's frame,
        an unmanaged window), the one a press there would go to; 0 for the root itself."""
        x11 = self._x11
        x11.XTranslateCoordinates.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                              ctypes.c_int, ctypes.c_int,
                                              ctypes.POINTER(ctypes.c_int),
                                              ctypes.POINTER(ctypes.c_int),
                                              ctypes.POINTER(ctypes.c_ulong)]
        dx, dy, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        x11.XTranslateCoordinates(self._display, self._root, self._root, x, y,
                                  ctypes.byref(dx), ctypes.byref(dy), ctypes.byref(child))
        return child.value

    _BUTTON_PRESS_MASK = 1 << 2

    def count_presses(self, window: int) -> None:
        """Has the server report the button presses on `window` (one of ours) to
        presses()."""
        self._x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self._x11.XSelectInput(self._display, window, self._BUTTON_PRESS_MASK)
        self._x11.XSync(self._display, 0)

    def presses(self, window: int) -> int:
        """How many presses `window` got since the last call (see count_presses)."""
        x11 = self._x11
        x11.XCheckWindowEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long,
                                          ctypes.c_void_p]
        x11.XSync(self._display, 0)
        event = ctypes.create_string_buffer(192)  # an XEvent: 24 longs
        count = 0
        while x11.XCheckWindowEvent(self._display, window, self._BUTTON_PRESS_MASK, event):
            count += 1
        return count

    def close(self) -> None:
        if self._display:
            self._x11.XCloseDisplay(self._display)
            self._display = None
