"""Where things are in the mascot's window, the same for the Linux and the Windows
program. At 96 dpi (15 twips per pixel) the 2256-twip window is 150 pixels high, its
laid-out width 107, and its design place 9588, 996 twips comes out at (639, 66). Its
scene, in scene pixels (the window's own), draws the pin centred at the top and the
character hanging from it by a string; at other scales (`Scene.of`) every scene pixel is
a block of device pixels and the window's figures follow from its size."""

from __future__ import annotations

from dataclasses import dataclass

from screen_pixels import Rect

SCREEN = (1024, 768)
WINDOW_SIZE = (107, 150)
DESIGN_POSITION = (639, 66)
TWIPS_PER_PIXEL = 15

CHAR_SIZE = (32, 56)
PIN_SIZE = 16
# The string runs from under the pin, this far into its picture, to the character's top.
STRING_START_IN_PIN = (6, 12)


@dataclass(frozen=True)
class Scene:
    """The scene of a window `width` x `height` scene pixels large, each a block of
    `factor` x `factor` device pixels."""
    width: int
    height: int
    factor: int = 1

    @classmethod
    def of(cls, window: Rect, factor: int | None = None) -> "Scene":
        """The scene of a window at its device size; the factor is the whole number of
        96-dpi windows across it unless given."""
        k = factor or max(1, window.width // WINDOW_SIZE[0])
        return cls(window.width // k, window.height // k, k)

    @property
    def pin_x(self) -> int:
        return round(self.width / 2)  # ties to even, as the layout rounds

    @property
    def pin(self) -> Rect:
        """The pin's picture and mouse target."""
        return Rect(self.pin_x, 0, PIN_SIZE, PIN_SIZE)

    @property
    def char_at(self) -> tuple[int, int]:
        """Where the character hangs at rest."""
        return self.pin_x - 8, self.height - CHAR_SIZE[1]

    def never_drawn(self) -> tuple[Rect, ...]:
        """Two upper corners that neither the string nor the swinging character ever
        reach, in device pixels of the window."""
        k = self.factor
        return tuple(Rect(r.x * k, r.y * k, r.width * k, r.height * k)
                     for r in (Rect(0, 0, 38, 60), Rect(self.width - 24, 0, 24, 60)))


AT_96_DPI = Scene(*WINDOW_SIZE)
PIN_RECT = AT_96_DPI.pin  # (54, 0) and 16 x 16
CHAR_REST = AT_96_DPI.char_at  # (46, 94)
NEVER_DRAWN = AT_96_DPI.never_drawn()
# Presses on the pin, in scene pixels: one a little off its middle, its middle, and its
# two innermost corners (a drop by those puts the window farthest over an edge).
PIN_GRIP = (61, 7)
PIN_MIDDLE = (PIN_RECT.x + PIN_SIZE // 2, PIN_RECT.y + PIN_SIZE // 2)
PIN_TOP_LEFT = (PIN_RECT.x + 1, 1)
PIN_BOTTOM_RIGHT = (PIN_RECT.right - 2, PIN_RECT.bottom - 2)
ON_CHARACTER = (62, 120)  # a point of the character at rest
SCENE_SPOT = (20, 40)  # a spot of bare scene: no pin, string or character ever comes here
# The columns the character and the string take at rest.
REST_BAND = (44, 80)
# Scene pixels that only ever show the background, whatever the swing does: the rows
# above the string's start beside the pin, and the columns left of the character's
# farthest swing (the string's end never comes left of column 28).
BACKGROUND_ONLY = (Rect(0, 0, 54, 12), Rect(70, 0, 37, 12), Rect(0, 12, 14, 138))

# The menu's inner size at 96 dpi, and points of its two items in inner pixels: the
# captions end well left of x 200, so there a pixel shows the item's background.
MENU_SIZE = (210, 122)
MENU_ITEM_ALWAYS_ON_TOP = (200, 85)
MENU_ITEM_EXIT = (200, 110)


def window_at(x: int, y: int) -> Rect:
    """The 96-dpi window with its corner at (x, y)."""
    return Rect(x, y, *WINDOW_SIZE)


def grip(window: Rect, at: tuple[int, int] = PIN_GRIP) -> tuple[int, int]:
    """The screen point of the scene pixel `at` of a window at `window`, at the
    window's factor: where a press there goes."""
    k = Scene.of(window).factor
    return window.x + at[0] * k, window.y + at[1] * k
