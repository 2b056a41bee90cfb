#!/usr/bin/env python3
# scripts/make_icon.py
#
# Draws Zapfile's icon, a sheet of paper struck by a lightning bolt, and writes it as
# res/zapfile.ico and res/zapfile.svg. The .ico holds the picture at 16, 24, 32, 48, 64, 128
# and 256 pixels in 32-bit colour with alpha, each drawn anew at its size: the sheet's edges
# and the lines of text fall on whole pixels, outlines stay one pixel wide where the picture
# is small, and the smallest sizes leave out what they cannot show. The images up to 128
# pixels are bitmaps with a mask, which every Windows shows; the 256-pixel one is PNG, as
# Windows keeps its large icons. The SVG is the same drawing, unhinted, for the desktop's
# scalable icon. The icon is drawn here rather than in an editor so that it can be remade and
# reviewed as text.
#
# Usage: python3 scripts/make_icon.py [--out res/zapfile.ico] [--svg res/zapfile.svg]
#                                     [--preview FILE.png]
# Only the standard library is used.

import argparse
import os
import struct
import sys
import zlib

SIDES = (16, 24, 32, 48, 64, 128, 256)
PNG_FROM = 256  # sides from which the image is stored as PNG

# The drawing, in units of a 32 x 32 grid (x to the right, y down).
PAPER = (4.0, 3.0, 23.0, 29.0)  # left, top, right, bottom
TEXT_TOP, TEXT_BOTTOM, TEXT_LEFT = 11.0, 23.0, 7.0
# The right ends of the lines of text, of uneven length as on a real page, by their number.
LINE_ENDS = {3: (18.0, 20.0, 13.0), 4: (18.0, 20.0, 16.0, 13.0),
             5: (18.0, 20.0, 16.0, 20.0, 13.0)}
# Scorch marks where the bolt strikes the page: their centres.
SCORCH = [(9.5, 25.5), (10.5, 26.5), (12.5, 26.5), (7.5, 24.5), (13.5, 24.5), (8.5, 27.5),
          (11.5, 22.5), (14.5, 22.5)]
# The bolt, clockwise from the top left of its upper edge.
BOLT = [(19.0, 0.0), (29.0, 0.0), (22.0, 10.0), (28.0, 10.0), (8.0, 31.5), (15.0, 16.0),
        (10.0, 16.0)]

WHITE = (255, 255, 255, 255)
EDGE = (0, 0, 0, 255)
SHADOW = (0, 0, 0, 110)
TEXT = (128, 128, 128, 255)
MAROON = (128, 0, 0, 255)
YELLOW = (255, 255, 0, 255)


def inset(poly, d):
    """The polygon with every edge moved d inward (clockwise on screen: inward is right)."""
    lines = []
    n = len(poly)
    for i in range(n):
        (x1, y1), (x2, y2) = poly[i], poly[(i + 1) % n]
        length = ((x2 - x1) ** 2 + (y2 - y1) ** 2) ** 0.5
        nx, ny = -(y2 - y1) / length, (x2 - x1) / length  # the inner normal
        lines.append(((x1 + nx * d, y1 + ny * d), (x2 + nx * d, y2 + ny * d)))
    out = []
    for i in range(n):
        (a1, a2), (b1, b2) = lines[i - 1], lines[i]
        dax, day = a2[0] - a1[0], a2[1] - a1[1]
        dbx, dby = b2[0] - b1[0], b2[1] - b1[1]
        t = ((b1[0] - a1[0]) * dby - (b1[1] - a1[1]) * dbx) / (dax * dby - day * dbx)
        out.append((a1[0] + t * dax, a1[1] + t * day))
    return out


def shapes(side):
    """The drawing at one size: (colour, kind, geometry) in pixels, back to front."""
    k = side / 32.0
    snap = lambda v: float(round(v * k))
    edge = max(1, round(side / 40))      # the sheet's outline
    rim = max(1, round(side / 36))       # the bolt's dark rim
    line = max(1, round(k))              # a line of text
    left, top, right, bottom = (snap(v) for v in PAPER)
    drop = max(1.0, snap(1))
    out = [
        (SHADOW, "rect", (left + drop, top + drop, right + drop, bottom + drop)),
        (EDGE, "rect", (left, top, right, bottom)),
        (WHITE, "rect", (left + edge, top + edge, right - edge, bottom - edge)),
    ]
    count = 3 if side < 24 else 4 if side < 32 else 5
    first, last = snap(TEXT_TOP), snap(TEXT_BOTTOM)
    for i, end in enumerate(LINE_ENDS[count]):
        y = first + round((last - first) * i / (count - 1))
        out.append((TEXT, "rect", (snap(TEXT_LEFT), y, snap(end), y + line)))
    if side >= 24:  # too small to tell from the rim below that
        r = max(0.5, 0.55 * k)
        for x, y in SCORCH:
            out.append((MAROON, "circle", (x * k, y * k, r)))
    bolt = [(x * k, y * k) for x, y in BOLT]
    out.append((MAROON, "polygon", bolt))
    out.append((YELLOW, "polygon", inset(bolt, rim)))
    return out


def spans(kind, geometry, y):
    """The runs [x0, x1) that a shape covers along the line at height y."""
    if kind == "rect":
        x0, y0, x1, y1 = geometry
        return [(x0, x1)] if y0 <= y < y1 else []
    if kind == "circle":
        cx, cy, r = geometry
        h = r * r - (y - cy) ** 2
        return [(cx - h ** 0.5, cx + h ** 0.5)] if h > 0 else []
    xs = []  # a polygon, by the even-odd rule
    n = len(geometry)
    for i in range(n):
        (x1, y1), (x2, y2) = geometry[i], geometry[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            xs.append(x1 + (y - y1) * (x2 - x1) / (y2 - y1))
    xs.sort()
    return list(zip(xs[0::2], xs[1::2]))


def render(side, rows_per_pixel=8):
    """RGBA rows, top first: each shape's coverage of each pixel, exact across and sampled
    on rows_per_pixel lines down, laid over the ones behind it."""
    image = [[0.0] * (side * 4) for _ in range(side)]  # premultiplied
    for colour, kind, geometry in shapes(side):
        r, g, b, a = (c / 255.0 for c in colour)
        for py in range(side):
            cover = [0.0] * side
            for sub in range(rows_per_pixel):
                y = py + (sub + 0.5) / rows_per_pixel
                for x0, x1 in spans(kind, geometry, y):
                    x0, x1 = max(x0, 0.0), min(x1, float(side))
                    for px in range(int(x0), min(side, int(x1) + 1)):
                        overlap = min(x1, px + 1.0) - max(x0, float(px))
                        if overlap > 0:
                            cover[px] += overlap / rows_per_pixel
            row = image[py]
            for px, c in enumerate(cover):
                if c <= 0:
                    continue
                alpha = min(c, 1.0) * a
                for i, v in enumerate((r * alpha, g * alpha, b * alpha, alpha)):
                    row[px * 4 + i] = v + row[px * 4 + i] * (1.0 - alpha)
    out = []
    for row in image:
        pixels = bytearray()
        for px in range(side):
            pr, pg, pb, pa = row[px * 4:px * 4 + 4]
            alpha = round(pa * 255)
            unpremultiply = 1.0 / pa if pa > 0 else 0.0
            pixels += bytes((round(min(pr * unpremultiply, 1.0) * 255) if alpha else 0,
                             round(min(pg * unpremultiply, 1.0) * 255) if alpha else 0,
                             round(min(pb * unpremultiply, 1.0) * 255) if alpha else 0, alpha))
        out.append(bytes(pixels))
    return out


def png_bytes(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(b"\0" + row for row in rows)
    ihdr = struct.pack(">IIBBBBB", len(rows[0]) // 4, len(rows), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib_bytes(rows):
    """A 32-bit icon image: BITMAPINFOHEADER, the BGRA rows and the AND mask, bottom-up. The
    mask lets the background through where the picture is wholly transparent, for the
    programs that do not read alpha."""
    side = len(rows)
    mask_stride = ((side + 31) // 32) * 4
    colour, mask = bytearray(), bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(side):
            r, g, b, a = row[x * 4:x * 4 + 4]
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, side, side * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def ico_bytes(images):
    """ICONDIR, an ICONDIRENTRY for each image (a side of 256 is written as 0), the images."""
    entries, data = b"", b""
    offset = 6 + 16 * len(images)
    for side, image in images:
        entries += struct.pack("<BBBBHHII", side % 256, side % 256, 0, 0, 1, 32, len(image),
                               offset + len(data))
        data += image
    return struct.pack("<HHH", 0, 1, len(images)) + entries + data


def svg_text():
    """The drawing as it stands on the 32-unit grid, for any size."""
    def rect(colour, x0, y0, x1, y1):
        return (f'  <rect x="{x0:g}" y="{y0:g}" width="{x1 - x0:g}" height="{y1 - y0:g}" '
                f'fill="{fill(colour)}"/>')

    def fill(colour):
        r, g, b, a = colour
        return f"#{r:02x}{g:02x}{b:02x}" + (f'" fill-opacity="{a / 255:.2f}' if a < 255 else "")

    def points(poly):
        return " ".join(f"{round(x, 3):g},{round(y, 3):g}" for x, y in poly)

    left, top, right, bottom = PAPER
    edge = 0.8
    parts = [rect(SHADOW, left + 1, top + 1, right + 1, bottom + 1),
             rect(EDGE, left, top, right, bottom),
             rect(WHITE, left + edge, top + edge, right - edge, bottom - edge)]
    ends = LINE_ENDS[5]
    for i, end in enumerate(ends):
        y = TEXT_TOP + (TEXT_BOTTOM - TEXT_TOP) * i / (len(ends) - 1)
        parts.append(rect(TEXT, TEXT_LEFT, y, end, y + 1))
    for x, y in SCORCH:
        parts.append(f'  <circle cx="{x:g}" cy="{y:g}" r="0.55" fill="{fill(MAROON)}"/>')
    parts.append(f'  <polygon points="{points(BOLT)}" fill="{fill(MAROON)}"/>')
    parts.append(f'  <polygon points="{points(inset(BOLT, 0.8))}" fill="{fill(YELLOW)}"/>')
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
            'viewBox="0 0 32 32">\n  <title>Zapfile</title>\n' + "\n".join(parts) + "\n</svg>\n")


def preview_rows(drawn):
    """Every size side by side on a checkerboard that shows what is transparent."""
    gap = 8
    width = sum(side for side, _ in drawn) + gap * (len(drawn) + 1)
    height = max(side for side, _ in drawn) + 2 * gap
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            shade = 0xE0 if ((x // 8) + (y // 8)) % 2 else 0xA0
            row += bytes((shade, shade, shade, 255))
        rows.append(row)
    x0 = gap
    for side, image in drawn:
        for y in range(side):
            for x in range(side):
                r, g, b, a = image[y][x * 4:x * 4 + 4]
                at = (x0 + x) * 4
                dst = rows[gap + y]
                for i, v in enumerate((r, g, b)):
                    dst[at + i] = round(v * a / 255 + dst[at + i] * (255 - a) / 255)
        x0 += side + gap
    return [bytes(r) for r in rows]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Draw Zapfile's icon.")
    parser.add_argument("--out", default=os.path.join(here, "..", "res", "zapfile.ico"))
    parser.add_argument("--svg", default=os.path.join(here, "..", "res", "zapfile.svg"))
    parser.add_argument("--preview", help="also write every size side by side to this PNG")
    args = parser.parse_args()

    drawn = [(side, render(side)) for side in SIDES]
    images = [(side, png_bytes(rows) if side >= PNG_FROM else dib_bytes(rows))
              for side, rows in drawn]
    with open(args.out, "wb") as f:
        f.write(ico_bytes(images))
    with open(args.svg, "w", encoding="utf-8") as f:
        f.write(svg_text())
    if args.preview:
        with open(args.preview, "wb") as f:
            f.write(png_bytes(preview_rows(drawn)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
