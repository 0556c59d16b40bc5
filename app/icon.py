#!/usr/bin/env python3
"""Draws the program's icon, a database with a download badge, and writes it as a .ico file with
16, 32 and 48 pixel images (32-bit colour with alpha, each with its AND mask).

    icon.py OUTPUT.ico
"""
import math
import struct
import sys

SIZES = (16, 32, 48)
SAMPLES = 4  # per pixel and axis, for smooth edges

CX, RX, RY = 0.42, 0.31, 0.10  # the cylinder's axis and its ellipses' radii
TOP, BOTTOM = 0.20, 0.74  # the ellipses' centres
BANDS = (0.38, 0.56)
BX, BY, BR = 0.72, 0.72, 0.25  # the badge


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def in_ellipse(x, y, cy):
    return ((x - CX) / RX) ** 2 + ((y - cy) / RY) ** 2 <= 1


def ellipse_lower_edge(x, cy):
    d = 1 - ((x - CX) / RX) ** 2
    return cy + RY * math.sqrt(d) if d >= 0 else None


def colour_at(x, y):
    """The colour (r, g, b) at a point of the unit square, or None where the icon is clear."""
    colour = None
    inside = abs(x - CX) <= RX
    if inside and (TOP <= y <= BOTTOM or in_ellipse(x, y, BOTTOM)):
        # Lit from the left: darker towards the right-hand edge.
        colour = mix((70, 130, 200), (25, 60, 120), (x - CX + RX) / (2 * RX))
        for band in BANDS:
            edge = ellipse_lower_edge(x, band)
            if edge is not None and abs(y - edge) <= 0.022:
                colour = (20, 45, 95)
    if in_ellipse(x, y, TOP):
        colour = (150, 195, 240)
    d = math.hypot(x - BX, y - BY)
    if d <= BR:
        colour = (255, 255, 255) if d > BR - 0.035 else (40, 150, 75)
        shaft = abs(x - BX) <= 0.045 and BY - 0.14 <= y <= BY + 0.01
        head = BY <= y <= BY + 0.13 and abs(x - BX) <= (BY + 0.13 - y) * 0.95
        if shaft or head:
            colour = (255, 255, 255)
    return colour


def render(size):
    """Rows from the bottom, as a .ico stores them: BGRA bytes and the AND mask."""
    rows = []
    for row in range(size - 1, -1, -1):
        pixels = bytearray()
        for col in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((col + (sx + 0.5) / SAMPLES) / size, (row + (sy + 0.5) / SAMPLES) / size)
                    if c:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            n = SAMPLES * SAMPLES
            pixels += bytes((b // a, g // a, r // a, 255 * a // n)) if a else bytes(4)
        rows.append(bytes(pixels))
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for pixels in rows:
        bits = bytearray(mask_stride)
        for col in range(size):
            if pixels[col * 4 + 3] == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return b"".join(rows), bytes(mask)


def image(size):
    colour, mask = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def main():
    images = [image(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main()
