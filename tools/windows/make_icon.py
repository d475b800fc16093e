#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Turns the program's drawing (packaging/tunewell.svg) into a Windows icon.

The drawing is made of filled circles, ellipses and rectangles only, so this
renders exactly those shapes (4 x 4 samples a pixel for smooth edges) and
writes an .ico holding 16, 24, 32, 48 and 256-pixel images: 32-bit bitmaps
for the small ones, PNG for the 256-pixel one, as Windows expects. Any other
element in the drawing is an error rather than a silently wrong icon.

Only the Python standard library is used:
    python3 tools/windows/make_icon.py packaging/tunewell.svg out.ico
"""

import struct
import sys
import xml.etree.ElementTree as ET
import zlib

SIZES = (16, 24, 32, 48, 256)
SAMPLES = 4
SVG = "{http://www.w3.org/2000/svg}"


def parse_colour(text):
    text = text.strip()
    if not (text.startswith("#") and len(text) == 7):
        raise ValueError("unsupported fill colour: " + text)
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def read_shapes(path):
    """Returns (view box, shapes); each shape is (kind, numbers, colour)."""
    root = ET.parse(path).getroot()
    box = [float(v) for v in root.get("viewBox").split()]
    shapes = []
    for element in root:
        kind = element.tag.replace(SVG, "")
        get = lambda name: float(element.get(name, "0"))
        colour = parse_colour(element.get("fill", "#000000"))
        if kind == "circle":
            shapes.append(("ellipse", (get("cx"), get("cy"), get("r"), get("r")), colour))
        elif kind == "ellipse":
            shapes.append(("ellipse", (get("cx"), get("cy"), get("rx"), get("ry")), colour))
        elif kind == "rect":
            shapes.append(("rect", (get("x"), get("y"), get("width"), get("height")), colour))
        else:
            raise ValueError("unsupported element: " + kind)
    return box, shapes


def inside(shape, x, y):
    kind, n, _ = shape
    if kind == "ellipse":
        cx, cy, rx, ry = n
        return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0
    left, top, width, height = n
    return left <= x < left + width and top <= y < top + height


def render(box, shapes, size):
    """RGBA rows, top first, painted in document order."""
    bx, by, bw, bh = box
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = bx + (px + (sx + 0.5) / SAMPLES) * bw / size
                    y = by + (py + (sy + 0.5) / SAMPLES) * bh / size
                    colour = None
                    for shape in shapes:
                        if inside(shape, x, y):
                            colour = shape[2]
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            if a:
                row.append((round(r / a), round(g / a), round(b / a),
                            round(255 * a / SAMPLES ** 2)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bitmap(rows):
    """The icon's DIB: header with doubled height, BGRA rows bottom first,
    then the 1-bit AND mask (all clear: the alpha channel decides)."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask_row = ((size + 31) // 32) * 4
    return header + pixels + b"\0" * (mask_row * size)


def icon(images):
    """ICO container for (size, data) pairs."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        side = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: make_icon.py drawing.svg out.ico\n")
        return 2
    box, shapes = read_shapes(argv[1])
    images = []
    for size in SIZES:
        rows = render(box, shapes, size)
        images.append((size, png(rows) if size >= 256 else bitmap(rows)))
    with open(argv[2], "wb") as f:
        f.write(icon(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
