#!/usr/bin/env python3
"""Writes the views' toolbox bitmaps: 16x16, 16 colours, stored as Windows
stores a bitmap resource (BITMAPINFOHEADER, palette, bottom-up rows, no file
header). The picture: an upward arrow, for "address update", on a disc in
the provider's own colour. Run from this folder; the output is committed."""
import struct

# The 16-colour VGA palette, as RGBQUAD (blue, green, red, reserved).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
WHITE, GREY = 15, 7

# Toolbox bitmap id -> palette index (red, green, blue as listed above).
VIEWS = {102: 1, 106: 2, 111: 3, 115: 4, 119: 5, 124: 6, 128: 8, 134: 9, 138: 12}

ARROW = ["                ",
         "                ",
         "       ##       ",
         "      ####      ",
         "     ######     ",
         "    ########    ",
         "   ##########   ",
         "      ####      ",
         "      ####      ",
         "      ####      ",
         "      ####      ",
         "      ####      ",
         "      ####      ",
         "                ",
         "                ",
         "                "]


def pixel(x, y, colour):
    if ARROW[y][x] == "#":
        return WHITE
    dx, dy = x - 7.5, y - 7.5
    return colour if dx * dx + dy * dy <= 56 else GREY


def bitmap(colour):
    header = struct.pack("<IiiHHIIiiII", 40, 16, 16, 1, 4, 0, 128, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    rows = b""
    for y in reversed(range(16)):  # bottom-up
        row = [pixel(x, y, colour) for x in range(16)]
        rows += bytes((row[i] << 4) | row[i + 1] for i in range(0, 16, 2))
    return header + palette + rows


for bitmap_id, colour in VIEWS.items():
    with open("toolbox_%d.bmp" % bitmap_id, "wb") as out:
        out.write(bitmap(colour))
