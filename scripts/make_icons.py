#!/usr/bin/env python3
"""Draws the program's icons into res/icons/: the application icon and one icon per engine version.

Each icon is a rounded square in the version's colour with its label in white block letters, at 16, 24, 32
and 48 pixels, 32-bit with alpha. Only the standard library is used and the output is byte-for-byte
reproducible, so the .ico files are committed and this script is run again only when the artwork changes:

    python3 scripts/make_icons.py [output-folder]
"""
import os
import struct
import sys

# 5 x 7 block glyphs; '#' is ink.
GLYPHS = {
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    ".": [".", ".", ".", ".", ".", ".", "#"],
}
GLYPH_HEIGHT = 7

# (file name, label, colour as (r, g, b)). The numbers are the resource ids that use each file.
ICONS = [
    ("movalent.ico", "M", (0x8E, 0x24, 0x2B)),  # 128, the program
    ("ie4.ico", "4", (0x6B, 0x6B, 0x6B)),  # 312
    ("ie5.ico", "5", (0x8A, 0x5A, 0x2B)),  # 313
    ("ie6.ico", "6", (0x2E, 0x8B, 0x3E)),  # 314
    ("ie55.ico", "5.5", (0xD9, 0x75, 0x1A)),  # 315
    ("iedefault.ico", "D", (0x1B, 0x7F, 0x8C)),  # 316
    ("ie7.ico", "7", (0x1F, 0x5F, 0xC4)),  # 317
    ("ie8.ico", "8", (0x7A, 0x3D, 0xB8)),  # 319
]
SIZES = [16, 24, 32, 48]
SUPERSAMPLE = 4


def text_width(label):
    widths = [len(GLYPHS[c][0]) for c in label]
    return sum(widths) + len(widths) - 1


def rounded_square_coverage(size, x, y):
    """Share of pixel (x, y) inside the rounded square that fills the icon, from 4 x 4 samples."""
    radius = max(2.0, size / 5.0)
    inside = 0
    for sy in range(SUPERSAMPLE):
        for sx in range(SUPERSAMPLE):
            px = x + (sx + 0.5) / SUPERSAMPLE
            py = y + (sy + 0.5) / SUPERSAMPLE
            cx = min(max(px, radius), size - radius)
            cy = min(max(py, radius), size - radius)
            if (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius:
                inside += 1
    return inside / (SUPERSAMPLE * SUPERSAMPLE)


def ink_mask(label, size):
    """Pixels covered by the label at the largest whole scale that fits with a margin."""
    margin = max(1, size // 10)
    room = size - 2 * margin
    width = text_width(label)
    scale = max(1, min(room // width, room // GLYPH_HEIGHT))
    left = (size - width * scale) // 2
    top = (size - GLYPH_HEIGHT * scale) // 2
    ink = set()
    x = left
    for c in label:
        rows = GLYPHS[c]
        for gy, row in enumerate(rows):
            for gx, cell in enumerate(row):
                if cell == "#":
                    for dy in range(scale):
                        for dx in range(scale):
                            ink.add((x + gx * scale + dx, top + gy * scale + dy))
        x += (len(rows[0]) + 1) * scale
    return ink


def render(label, colour, size):
    """BGRA rows, top row first."""
    ink = ink_mask(label, size)
    r, g, b = colour
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            alpha = round(255 * rounded_square_coverage(size, x, y))
            if alpha == 0:
                row += bytes((0, 0, 0, 0))
            elif (x, y) in ink:
                row += bytes((255, 255, 255, alpha))
            else:
                # A slightly lighter top half gives the square some depth.
                lift = 24 if y < size // 2 else 0
                row += bytes((min(b + lift, 255), min(g + lift, 255), min(r + lift, 255), alpha))
        rows.append(bytes(row))
    return rows


def icon_image(rows, size):
    """One image of an .ico file: a BITMAPINFOHEADER, the pixels bottom-up, and an empty AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(reversed(rows))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    return header + pixels + mask


def write_icon(path, label, colour):
    images = [(size, icon_image(render(label, colour, size), size)) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory + entries + b"".join(data for _, data in images))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res", "icons")
    os.makedirs(folder, exist_ok=True)
    for name, label, colour in ICONS:
        write_icon(os.path.join(folder, name), label, colour)


if __name__ == "__main__":
    main()
