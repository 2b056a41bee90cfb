#!/usr/bin/env python3
# scripts/make_icon.py
#
# Draws Zapfile's icon, a sheet of paper struck by a lightning bolt, and writes it as
# res/zapfile.ico: one 32 x 32 image in the 16 standard colours (4 bits per pixel) with its
# 1-bit transparency mask, the kind of icon every Windows version can show. The icon is
# drawn here rather than by hand in an editor so that it can be remade and reviewed as text.
#
# Usage: python3 scripts/make_icon.py [--out res/zapfile.ico] [--preview FILE.png] [--ascii]
# Only the standard library is used.

import argparse
import os
import struct
import sys
import zlib

SIZE = 32

# The 16 colours of the Windows default palette, in their usual order, as (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, MAROON, GREY, YELLOW, WHITE = 0, 1, 8, 11, 15

# Letters used by the text preview, one per colour index.
PREVIEW_LETTERS = "KMgoNpt:=RlYbfa#"

# The sheet: inclusive pixel bounds.
PAPER_LEFT, PAPER_TOP, PAPER_RIGHT, PAPER_BOTTOM = 4, 3, 22, 28

# The bolt, as a polygon in pixel coordinates (x to the right, y down), drawn clockwise
# from the top left of its upper edge.
BOLT = [(19.0, 0.0), (29.0, 0.0), (22.0, 10.0), (28.0, 10.0),
        (8.0, 31.5), (15.0, 16.0), (10.0, 16.0)]


def inside_polygon(px, py, poly):
    """Even-odd rule: is the point inside the polygon?"""
    inside = False
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        if (y1 > py) != (y2 > py):
            cross_x = x1 + (py - y1) * (x2 - x1) / (y2 - y1)
            if px < cross_x:
                inside = not inside
    return inside


def on_paper(x, y):
    return PAPER_LEFT <= x <= PAPER_RIGHT and PAPER_TOP <= y <= PAPER_BOTTOM


def draw():
    """Returns a SIZE x SIZE grid of colour indices, None where the icon is transparent."""
    grid = [[None] * SIZE for _ in range(SIZE)]

    # A one-pixel grey shadow to the lower right lifts the sheet off the desktop.
    for y in range(SIZE):
        for x in range(SIZE):
            if on_paper(x - 1, y - 1) and not on_paper(x, y):
                grid[y][x] = GREY

    # The sheet with a black edge.
    for y in range(SIZE):
        for x in range(SIZE):
            if not on_paper(x, y):
                continue
            edge = any(not on_paper(x + dx, y + dy)
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            grid[y][x] = BLACK if edge else WHITE

    # Lines of text on the sheet, of uneven length as in a real page.
    lines = [(11, 17), (14, 19), (17, 15), (20, 19), (23, 12)]
    for y, right in lines:
        for x in range(PAPER_LEFT + 3, right + 1):
            grid[y][x] = GREY

    # Scorch marks where the bolt strikes the page.
    for x, y in [(9, 25), (10, 26), (12, 26), (7, 24), (13, 24), (8, 27), (11, 22), (14, 22)]:
        if on_paper(x, y) and grid[y][x] != BLACK:
            grid[y][x] = MAROON

    # The bolt: a yellow body with a dark red rim that keeps it apart from the white page.
    inside = [[inside_polygon(x + 0.5, y + 0.5, BOLT) for x in range(SIZE)] for y in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            if not inside[y][x]:
                continue
            rim = any(not (0 <= x + dx < SIZE and 0 <= y + dy < SIZE and inside[y + dy][x + dx])
                      for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            grid[y][x] = MAROON if rim else YELLOW
    return grid


def ico_bytes(grid):
    """The .ico file: ICONDIR, one ICONDIRENTRY, then the DIB (header, palette, XOR, AND)."""
    xor_stride = ((SIZE * 4 + 31) // 32) * 4
    and_stride = ((SIZE + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # DIB rows are stored bottom-up
        row = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x in range(SIZE):
            index = grid[y][x]
            if index is None:
                # Transparent: the mask keeps the screen, and black in the image leaves it
                # unchanged under the XOR.
                bits[x // 8] |= 0x80 >> (x % 8)
                index = BLACK
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += row
        mask += bits
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII",
                         40,           # biSize
                         SIZE,         # biWidth
                         SIZE * 2,     # biHeight: image and mask together
                         1,            # biPlanes
                         4,            # biBitCount
                         0,            # biCompression: BI_RGB
                         len(xor) + len(mask),
                         0, 0,         # resolution, unused in icons
                         0, 0)         # biClrUsed, biClrImportant: all 16
    image = header + palette + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return icondir + entry + image


def png_bytes(grid, scale):
    """An enlarged RGBA preview, for looking at the drawing without a Windows machine."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    width = SIZE * scale
    raw = bytearray()
    for y in range(SIZE * scale):
        raw.append(0)
        for x in range(width):
            index = grid[y // scale][x // scale]
            if index is None:
                # A checkerboard shows which pixels are transparent.
                shade = 0xE0 if ((x // 8) + (y // 8)) % 2 else 0xA0
                raw += bytes((shade, shade, shade, 0xFF))
            else:
                raw += bytes(PALETTE[index]) + b"\xff"
    ihdr = struct.pack(">IIBBBBB", width, width, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Draw Zapfile's icon.")
    parser.add_argument("--out", default=os.path.join(here, "..", "res", "zapfile.ico"))
    parser.add_argument("--preview", help="also write an enlarged PNG preview to this file")
    parser.add_argument("--ascii", action="store_true", help="print the drawing as text")
    args = parser.parse_args()

    grid = draw()
    with open(args.out, "wb") as f:
        f.write(ico_bytes(grid))
    if args.preview:
        with open(args.preview, "wb") as f:
            f.write(png_bytes(grid, 8))
    if args.ascii:
        for row in grid:
            print("".join("." if i is None else PREVIEW_LETTERS[i] for i in row))
    return 0


if __name__ == "__main__":
    sys.exit(main())
