#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the window frame artwork into src/chrome/art/ as PNG files.

Images written (sizes in pixels):
  frame.png    256 x 159  the frame bitmap the skinned frame cuts into eleven
                          slices: 27-pixel title bar, 4-pixel side borders,
                          5-pixel bottom border and a 21-pixel bottom strip
                          whose last 18 pixels carry a grip
  close.png    129 x 17   close button, states 1..3 side by side (43 each)
  min.png       84 x 17   minimise button, states 1..3 (28 each)
  max.png      156 x 17   maximise states 1..3 then restore states 4..6 (26 each)
  pointer.png   32 x 32   the hand pointer shared by the buttons; hot spot (6, 1)

States run normal, hover, pressed. Magenta (255, 0, 255) is the window's key
colour: those pixels become see-through, so the frame uses it only for the
outermost corner pixels that round the window.

Only the Python standard library is used; run it from anywhere:
    python3 tools/make_chrome_art.py [output folder]
"""

import math
import os
import struct
import sys
import zlib

KEY = (255, 0, 255)

# Palette: dark slate title bar and borders, light client area.
TITLE_TOP = (0x3C, 0x48, 0x59)
TITLE_BOTTOM = (0x25, 0x2D, 0x38)
TITLE_HIGHLIGHT = (0x55, 0x63, 0x76)
BORDER = (0x25, 0x2D, 0x38)
BORDER_OUTER = (0x14, 0x19, 0x20)
BORDER_INNER = (0x1C, 0x22, 0x2B)
CLIENT = (0xF4, 0xF4, 0xF4)
STRIP_LINE = (0xD4, 0xD9, 0xDF)
STRIP_TOP = (0xEE, 0xF0, 0xF3)
STRIP_BOTTOM = (0xE3, 0xE6, 0xEA)
GRIP = (0xA9, 0xB1, 0xBC)
GLYPH = (0xE2, 0xE7, 0xEE)
WHITE = (0xFF, 0xFF, 0xFF)

FRAME_W, FRAME_H = 256, 159
TITLE_H = 27
SIDE_W = 4
BOTTOM_H = 5
STRIP_H = 21
BUTTON_H = 17
BUTTON_TOP = 1  # the buttons hang one pixel below the window's top edge


class Canvas:
    """An RGBA image with coverage-based (anti-aliased) shape filling."""

    def __init__(self, width, height, colour=(0, 0, 0), alpha=255):
        self.width = width
        self.height = height
        self.pixels = [[list(colour) + [alpha] for _ in range(width)] for _ in range(height)]

    def put(self, x, y, colour, coverage=1.0):
        if not (0 <= x < self.width and 0 <= y < self.height) or coverage <= 0:
            return
        p = self.pixels[y][x]
        for i in range(3):
            p[i] = round(p[i] * (1 - coverage) + colour[i] * coverage)
        p[3] = 255

    def fill_rect(self, x, y, w, h, colour):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.put(xx, yy, colour)

    def fill_shape(self, inside, colour, box=None, samples=4):
        """Paints every pixel by the share of its sub-samples where inside(x, y)."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        step = 1.0 / samples
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                self.put(x, y, colour, hits / (samples * samples))

    def blit(self, other, dx, dy):
        for y in range(other.height):
            for x in range(other.width):
                self.pixels[dy + y][dx + x] = list(other.pixels[y][x])

    def png(self):
        raw = bytearray()
        for row in self.pixels:
            raw.append(0)
            for p in row:
                raw.extend(p)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def title_colour(row):
    """The title bar's colour on pixel row `row` (0 = the window's top edge)."""
    if row == 0:
        return TITLE_HIGHLIGHT
    return mix(TITLE_TOP, TITLE_BOTTOM, (row - 1) / (TITLE_H - 2))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def stroke(ax, ay, bx, by, width):
    return lambda x, y: segment_distance(x, y, ax, ay, bx, by) <= width / 2


def rect_outline(x, y, w, h, width):
    """Inside-test of a rectangle's outline drawn `width` thick inside (x, y, w, h)."""
    def inside(px, py):
        if not (x <= px < x + w and y <= py < y + h):
            return False
        return px < x + width or px >= x + w - width or py < y + width or py >= y + h - width
    return inside


def rounded_bottom(w, h, radius):
    """Inside-test of a w x h box whose two bottom corners are rounded."""
    def inside(px, py):
        if not (0 <= px < w and 0 <= py < h):
            return False
        cy = h - radius
        if py < cy:
            return True
        if px < radius:
            return math.hypot(px - radius, py - cy) <= radius
        if px > w - radius:
            return math.hypot(px - (w - radius), py - cy) <= radius
        return True
    return inside


# ---------------------------------------------------------------- frame ----

def draw_frame():
    c = Canvas(FRAME_W, FRAME_H, CLIENT)
    strip_top = FRAME_H - BOTTOM_H - STRIP_H
    for y in range(FRAME_H):
        if y < TITLE_H:
            row = [title_colour(y)] * FRAME_W
        else:
            row = [CLIENT] * FRAME_W
            if y >= FRAME_H - BOTTOM_H:
                row = [BORDER] * FRAME_W
            elif y >= strip_top:
                t = (y - strip_top) / (STRIP_H - 1)
                strip = STRIP_LINE if y == strip_top else mix(STRIP_TOP, STRIP_BOTTOM, t)
                row = [strip] * FRAME_W
            # Side borders: outer dark line, border body, inner dark line.
            for x, colour in ((0, BORDER_OUTER), (1, BORDER), (2, BORDER), (3, BORDER_INNER)):
                row[x] = colour
                row[FRAME_W - 1 - x] = colour
        for x, colour in enumerate(row):
            c.put(x, y, colour)
    # The title bar's first row is a highlight inside the outer line.
    for y in range(TITLE_H):
        c.put(0, y, BORDER_OUTER)
        c.put(FRAME_W - 1, y, BORDER_OUTER)
    # Bottom border: inner dark line on top, outer line at the bottom.
    for x in range(SIDE_W - 1, FRAME_W - SIDE_W + 1):
        c.put(x, FRAME_H - BOTTOM_H, BORDER_INNER)
    for x in range(FRAME_W):
        c.put(x, FRAME_H - 1, BORDER_OUTER)
    draw_grip(c, FRAME_W - SIDE_W - 18, strip_top)
    round_corners(c)
    return c


def draw_grip(c, left, top):
    """Six dots in a falling staircase at the strip's right end (18 x 21 piece)."""
    for row in range(3):
        for col in range(row + 1):
            x = left + 13 - 4 * col
            y = top + 8 + 4 * row
            c.put(x, y, GRIP)
            c.put(x + 1, y, GRIP, 0.6)
            c.put(x, y + 1, GRIP, 0.6)
            c.put(x + 1, y + 1, WHITE)


def round_corners(c):
    """Marks the outermost corner pixels with the key colour."""
    w, h = c.width, c.height
    for x, y in ((0, 0), (1, 0), (0, 1)):
        for cx, cy in ((x, y), (w - 1 - x, y), (x, h - 1 - y), (w - 1 - x, h - 1 - y)):
            c.put(cx, cy, KEY)
    for cx, cy in ((1, 1), (w - 2, 1)):
        c.put(cx, cy, BORDER_OUTER)
    for cx, cy in ((1, h - 2), (w - 2, h - 2)):
        c.put(cx, cy, BORDER_OUTER)


# -------------------------------------------------------------- buttons ----

def button_background(w):
    c = Canvas(w, BUTTON_H)
    for y in range(BUTTON_H):
        for x in range(w):
            c.put(x, y, title_colour(BUTTON_TOP + y))
    return c


def button_face(w, fill):
    """A button state: title bar background with an optional hanging tab."""
    c = button_background(w)
    if fill is not None:
        c.fill_shape(rounded_bottom(w, BUTTON_H, 3), fill)
    return c


def close_glyph(w):
    cx, cy, r = w / 2, BUTTON_H / 2, 3.6
    first = stroke(cx - r, cy - r, cx + r, cy + r, 1.5)
    second = stroke(cx - r, cy + r, cx + r, cy - r, 1.5)
    return lambda x, y: first(x, y) or second(x, y)


def min_glyph(w):
    x0 = round(w / 2) - 4
    return lambda x, y: x0 <= x < x0 + 8 and 8 <= y < 9.5


def max_glyph(w):
    x0 = round(w / 2) - 4
    return rect_outline(x0, 4, 8, 8, 1.25)


def restore_glyph(w):
    x0 = round(w / 2) - 4
    back = rect_outline(x0 + 2, 3, 7, 7, 1.1)
    front = rect_outline(x0, 6, 7, 7, 1.25)
    front_box = lambda x, y: x0 <= x < x0 + 7 and 6 <= y < 13
    return lambda x, y: front(x, y) or (back(x, y) and not front_box(x, y))


def button_strip(w, glyphs, fills):
    """One image with a state per glyph-and-fill pair, side by side."""
    strip = Canvas(w * len(glyphs), BUTTON_H)
    for i, (glyph, (fill, ink)) in enumerate(zip(glyphs, fills)):
        face = button_face(w, fill)
        face.fill_shape(glyph(w), ink)
        strip.blit(face, i * w, 0)
    return strip


CLOSE_STATES = [(None, GLYPH), ((0xE0, 0x43, 0x3A), WHITE), ((0xA8, 0x2B, 0x24), WHITE)]
PLAIN_STATES = [(None, GLYPH), ((0x4C, 0x5A, 0x6D), WHITE), ((0x18, 0x1E, 0x26), WHITE)]

# ------------------------------------------------------------- pointer ----

POINTER = [
    "     ##           ",
    "    #..#          ",
    "    #..#          ",
    "    #..#          ",
    "    #..#          ",
    "    #..###        ",
    "    #..#..###     ",
    "    #..#..#..##   ",
    "### #..#..#..#.#  ",
    "#..##........#..# ",
    "#...#...........# ",
    " #..............# ",
    "  #.............# ",
    "  #.............# ",
    "   #............# ",
    "   #...........#  ",
    "    #..........#  ",
    "    #..........#  ",
    "     #........#   ",
    "     #........#   ",
    "     ##########   ",
]


def draw_pointer():
    c = Canvas(32, 32, (0, 0, 0), alpha=0)
    for y, line in enumerate(POINTER):
        for x, ch in enumerate(line):
            if ch == "#":
                c.pixels[y + 1][x + 1] = [0, 0, 0, 255]
            elif ch == ".":
                c.pixels[y + 1][x + 1] = [255, 255, 255, 255]
    return c


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "src", "chrome", "art")
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else default)
    os.makedirs(out, exist_ok=True)
    images = {
        "frame.png": draw_frame(),
        "close.png": button_strip(43, [close_glyph] * 3, CLOSE_STATES),
        "min.png": button_strip(28, [min_glyph] * 3, PLAIN_STATES),
        "max.png": button_strip(26, [max_glyph] * 3 + [restore_glyph] * 3, PLAIN_STATES * 2),
        "pointer.png": draw_pointer(),
    }
    for name, canvas in images.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(canvas.png())
        print(f"{name}: {canvas.width} x {canvas.height}")


if __name__ == "__main__":
    main()
