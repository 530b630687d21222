#!/usr/bin/env python3
"""Draws the ribbon's image strips into res/ribbon/: the application button, the category and application menu
buttons at 16 and 32 pixels, and the panel icons; each also at 150 % and 200 % of that size for scaled displays.

Every file is a 32-bit bottom-up BMP with straight (not premultiplied) alpha whose images sit side by side in one
horizontal strip. The pictures are described as shapes in a 16 x 16 design grid and rasterised at each size with
4 x 4 samples per pixel, so the large images carry the detail of their own size rather than enlarged pixels.
Only the standard library is used and the output is byte-for-byte reproducible, so the .bmp files are committed
and this script is run again only when the artwork changes; it is not part of the build:

    python3 scripts/make_ribbon_images.py [output-folder]    # writes the strips and build/ribbon-preview.png
    python3 scripts/make_ribbon_images.py --check            # the committed strips are sound and up to date

The preview shows every strip enlarged three times over a light and a dark ribbon background.
"""
import math
import os
import struct
import sys
import zlib

sys.dont_write_bytecode = True  # the colours and letters are shared with the icon script, without leaving a cache
from make_icons import GLYPHS, ICONS  # noqa: E402

SUPERSAMPLE = 4
DESIGN = 16.0

PROGRAM_COLOUR = (0x8E, 0x24, 0x2B)
VERSION_COLOURS = {label: colour for _, label, colour in ICONS}

WHITE = (255, 255, 255)
NAV = (0x16, 0x8A, 0xA0)
GREEN = (0x2F, 0x9E, 0x3A)
RED = (0xD8, 0x2C, 0x20)
GOLD = (0xF7, 0xC2, 0x1E)
GOLD_EDGE = (0xA8, 0x6A, 0x00)
SKY = (0x2C, 0x7C, 0xD6)
STEEL = (0x8C, 0x98, 0xAA)
PAPER_EDGE = (0x6E, 0x78, 0x86)
INK = (0x1F, 0x5F, 0xC4)

# 3 x 5 block glyphs for labels that must fit a 16-pixel picture; '#' is ink.
SMALL_GLYPHS = {
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["###", "..#", "###", "#..", "###"],
    "3": ["###", "..#", ".##", "..#", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"],
    "5": ["###", "#..", "###", "..#", "###"],
    "6": ["###", "#..", "###", "#.#", "###"],
    "7": ["###", "..#", ".#.", ".#.", ".#."],
    "8": ["###", "#.#", "###", "#.#", "###"],
    "9": ["###", "#.#", "###", "..#", "###"],
    "D": ["##.", "#.#", "#.#", "#.#", "##."],
    ".": [".", ".", ".", ".", "#"],
}


# ---------------------------------------------------------------------------------------------------------------
# Colours


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a[:3], b[:3]))


def shade(colour, factor):
    return tuple(round(x * factor) for x in colour[:3])


def edge(colour):
    """The outline that goes with a fill: dark enough to hold the shape on a light ribbon."""
    return shade(colour, 0.55)


# ---------------------------------------------------------------------------------------------------------------
# Shapes: signed distance functions in design units (negative inside) with a bounding box.


class Shape:
    def __init__(self, dist, box):
        self.dist = dist
        self.box = box

    def __or__(self, other):
        a, b = self.dist, other.dist
        return Shape(lambda x, y: min(a(x, y), b(x, y)), _union_box(self.box, other.box))

    def __and__(self, other):
        a, b = self.dist, other.dist
        return Shape(lambda x, y: max(a(x, y), b(x, y)), _meet_box(self.box, other.box))

    def __sub__(self, other):
        a, b = self.dist, other.dist
        return Shape(lambda x, y: max(a(x, y), -b(x, y)), self.box)

    def grow(self, amount):
        a = self.dist
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: a(x, y) - amount, (x0 - amount, y0 - amount, x1 + amount, y1 + amount))

    def mirror(self, cx=DESIGN / 2):
        a = self.dist
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: a(2 * cx - x, y), (2 * cx - x1, y0, 2 * cx - x0, y1))


def _union_box(a, b):
    return (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3]))


def _meet_box(a, b):
    return (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    m = min(rx, ry)
    return Shape(lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1) * m, (cx - rx, cy - ry, cx + rx, cy + ry))


def rect(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def dist(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r

    return Shape(dist, (x0, y0, x1, y1))


def polygon(points):
    edges = []
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        ex, ey = bx - ax, by - ay
        edges.append((ax, ay, by, ex, ey, ex * ex + ey * ey))

    def dist(x, y):
        best = math.inf
        inside = False
        for ax, ay, by, ex, ey, ee in edges:
            wx, wy = x - ax, y - ay
            t = min(max((wx * ex + wy * ey) / ee, 0.0), 1.0)
            dx, dy = wx - ex * t, wy - ey * t
            best = min(best, dx * dx + dy * dy)
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        d = math.sqrt(best)
        return -d if inside else d

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(dist, (min(xs), min(ys), max(xs), max(ys)))


def stroke(points, width):
    """A line through the points with round ends and joins."""
    half = width / 2
    segments = []
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        ex, ey = bx - ax, by - ay
        segments.append((ax, ay, ex, ey, ex * ex + ey * ey or 1e-12))

    def dist(x, y):
        best = math.inf
        for ax, ay, ex, ey, ee in segments:
            wx, wy = x - ax, y - ay
            t = min(max((wx * ex + wy * ey) / ee, 0.0), 1.0)
            dx, dy = wx - ex * t, wy - ey * t
            best = min(best, dx * dx + dy * dy)
        return math.sqrt(best) - half

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(dist, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half))


def point_at(cx, cy, r, degrees):
    """Angles count anticlockwise on screen from the positive x axis."""
    return (cx + r * math.cos(math.radians(degrees)), cy - r * math.sin(math.radians(degrees)))


def arc(cx, cy, r, width, start, end):
    """A band of the given width along the circle from angle start to angle end (start < end), butt ends."""
    ring = Shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2,
                 (cx - r - width, cy - r - width, cx + r + width, cy + r + width))
    steps = max(2, int((end - start) / 20) + 1)
    fan = [(cx, cy)] + [point_at(cx, cy, 3 * r, start + (end - start) * i / steps) for i in range(steps + 1)]
    return ring & polygon(fan)


def regular(cx, cy, r, count, turn=0.0):
    return polygon([point_at(cx, cy, r, turn + 360.0 * i / count) for i in range(count)])


def star(cx, cy, outer, inner, points=5):
    corners = []
    for i in range(points * 2):
        corners.append(point_at(cx, cy, outer if i % 2 == 0 else inner, 90 + 180.0 * i / points))
    return polygon(corners)


def gear(cx, cy, outer, root, teeth, hole):
    corners = []
    step = 360.0 / teeth
    for i in range(teeth):
        a = 90 + i * step
        corners.append(point_at(cx, cy, root, a - step * 0.5))
        corners.append(point_at(cx, cy, root, a - step * 0.30))
        corners.append(point_at(cx, cy, outer, a - step * 0.17))
        corners.append(point_at(cx, cy, outer, a + step * 0.17))
        corners.append(point_at(cx, cy, root, a + step * 0.30))
    return polygon(corners) - circle(cx, cy, hole)


def cells(pixels, k):
    """Whole pixels of the image (x, y) as a shape; crisp at any size because it follows the pixel grid."""
    inside = set(pixels)
    if not inside:
        return Shape(lambda x, y: 1.0, (0, 0, 0, 0))
    xs = [p[0] for p in inside]
    ys = [p[1] for p in inside]
    return Shape(lambda x, y: -1.0 if (math.floor(x * k), math.floor(y * k)) in inside else 1.0,
                 (min(xs) / k, min(ys) / k, (max(xs) + 1) / k, (max(ys) + 1) / k))


# ---------------------------------------------------------------------------------------------------------------
# Paints


def vertical(top, bottom, y0, y1):
    span = max(y1 - y0, 1e-6)

    def paint(x, y):
        t = min(max((y - y0) / span, 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))

    return paint


def lit(colour, shape):
    """The house lighting: light from above, so a fill runs from a lighter top to a slightly darker bottom."""
    return vertical(mix(colour, WHITE, 0.38), shade(colour, 0.88), shape.box[1], shape.box[3])


# ---------------------------------------------------------------------------------------------------------------
# Canvas: premultiplied samples, averaged into straight-alpha pixels at the end.


class Canvas:
    def __init__(self, size):
        self.size = size
        self.k = size / DESIGN
        self.px = DESIGN / size
        self.small = size < 24
        self.n = size * SUPERSAMPLE
        count = self.n * self.n
        self.r = [0.0] * count
        self.g = [0.0] * count
        self.b = [0.0] * count
        self.a = [0.0] * count

    def fill(self, shape, paint, opacity=1.0):
        self.draw(shape, paint, None, opacity)

    def draw(self, shape, paint, outline=None, opacity=1.0, width=None):
        """Fills the shape; with an outline colour, its rim (one pixel unless told) takes that colour."""
        rim = (width if width is not None else 1.0) * self.px
        step = DESIGN / self.n
        x0, y0, x1, y1 = shape.box
        i0, i1 = max(0, math.floor(x0 / step)), min(self.n, math.ceil(x1 / step) + 1)
        j0, j1 = max(0, math.floor(y0 / step)), min(self.n, math.ceil(y1 / step) + 1)
        dist = shape.dist
        for j in range(j0, j1):
            y = (j + 0.5) * step
            row = j * self.n
            for i in range(i0, i1):
                x = (i + 0.5) * step
                d = dist(x, y)
                if d > 0:
                    continue
                if outline is not None and d > -rim:
                    colour = outline
                else:
                    colour = paint(x, y) if callable(paint) else paint
                alpha = opacity * (colour[3] if len(colour) > 3 else 1.0)
                if alpha <= 0:
                    continue
                p = row + i
                keep = 1.0 - alpha
                self.r[p] = colour[0] / 255.0 * alpha + self.r[p] * keep
                self.g[p] = colour[1] / 255.0 * alpha + self.g[p] * keep
                self.b[p] = colour[2] / 255.0 * alpha + self.b[p] * keep
                self.a[p] = alpha + self.a[p] * keep

    def body(self, shape, colour, outline=None):
        """A solid part of a picture in the house style: lit fill and a darker rim."""
        self.draw(shape, lit(colour, shape), outline or edge(colour))

    def pixels(self):
        """(r, g, b, a) per pixel, rows top first, straight alpha; fully transparent pixels are all zero."""
        n, s, share = self.n, self.size, 1.0 / (SUPERSAMPLE * SUPERSAMPLE)
        rows = []
        for y in range(s):
            row = []
            for x in range(s):
                r = g = b = a = 0.0
                for j in range(y * SUPERSAMPLE, (y + 1) * SUPERSAMPLE):
                    for i in range(x * SUPERSAMPLE, (x + 1) * SUPERSAMPLE):
                        p = j * n + i
                        r += self.r[p]
                        g += self.g[p]
                        b += self.b[p]
                        a += self.a[p]
                alpha = round(a * share * 255)
                if alpha == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append(tuple(min(255, round(v / a * 255)) for v in (r, g, b)) + (alpha,))
            rows.append(row)
        return rows


# ---------------------------------------------------------------------------------------------------------------
# Parts shared by several pictures


def label_cells(c, text, left, top):
    """Pixels of a block-letter label whose top-left pixel is (left, top): 3 x 5 letters when small, else
    5 x 7 letters made bold by doubling every stroke sideways."""
    glyphs = SMALL_GLYPHS if c.small else GLYPHS
    bold = 0 if c.small else 1
    out = set()
    x = left
    for ch in text:
        rows = glyphs[ch]
        for gy, row in enumerate(rows):
            for gx, cell in enumerate(row):
                if cell == "#":
                    for dx in range(bold + 1):
                        out.add((x + gx + dx, top + gy))
        x += len(rows[0]) + bold + 1
    return sorted(out)


def label_width(c, text):
    glyphs = SMALL_GLYPHS if c.small else GLYPHS
    bold = 0 if c.small else 1
    return sum(len(glyphs[ch][0]) + bold for ch in text) + len(text) - 1


def page_outline(x0, y0, x1, y1, fold):
    return polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])


def page(c, x0=2, y0=0, x1=14, y1=16, fold=None, lines=0):
    """A sheet of paper with its top right corner folded over; lines of grey text when asked."""
    if fold is None:
        fold = 4 if c.small else 3.5
    sheet = page_outline(x0, y0, x1, y1, fold)
    c.draw(sheet, vertical((255, 255, 255), (0xE6, 0xEA, 0xF0), y0, y1), PAPER_EDGE)
    c.draw(polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]),
           vertical((0xF4, 0xF6, 0xFA), (0xC6, 0xCE, 0xDA), y0, y0 + fold), PAPER_EDGE)
    p = c.px
    y = y0 + fold + 2 * p if c.small else y0 + fold + 3 * p
    gap = 2 * p if c.small else 3 * p
    for i in range(lines):
        right = x1 - 2 * p - (3 * p if i % 3 == 2 else 0)
        c.fill(rect(x0 + 2 * p, y, right, y + p), (0xA8, 0xB2, 0xC0))
        y += gap


def version_tag(c, label, colour):
    """The version's coloured label, run across the lower half of a sheet and a little past its edges."""
    p = c.px
    top, height = (8, 7) if c.small else (16, 11)
    tag = rect(1.0 if c.small else 1.5, top * p, 15.0 if c.small else 14.5, (top + height) * p, p)
    c.draw(tag, vertical(mix(colour, WHITE, 0.2), shade(colour, 0.9), tag.box[1], tag.box[3]), edge(colour))
    width = label_width(c, label)
    left = (c.size - width) // 2
    glyph_height = 5 if c.small else 7
    c.fill(cells(label_cells(c, label, left, top + (height - glyph_height) // 2), c.k), WHITE)


def version_page(c, label, colour):
    page(c)
    version_tag(c, label, colour)


def round_button(c, colour, cx=8, cy=8, r=7.5):
    disc = circle(cx, cy, r)
    c.body(disc, colour)
    gloss(c, disc, cx, cy, r)
    return disc


def gloss(c, shape, cx, cy, r, strength=0.55):
    """A soft highlight over the upper part of a round shape, fading out towards its middle."""
    top = cy - r
    shine = ellipse(cx, cy - r * 0.45, r * 0.72, r * 0.5) & shape.grow(-1.5 * c.px)
    c.fill(shine, vertical((255, 255, 255, strength), (255, 255, 255, 0.0), top, cy + r * 0.05))


def arrow(tip_x, y, length, shaft, head, head_length):
    """A left-pointing arrow whose tip is at (tip_x, y)."""
    hx = tip_x + head_length
    return polygon([(tip_x, y), (hx, y - head / 2), (hx, y - shaft / 2), (tip_x + length, y - shaft / 2),
                    (tip_x + length, y + shaft / 2), (hx, y + shaft / 2), (hx, y + head / 2)])


def white_mark(c, shape, colour):
    """A white sign on a coloured ground, held apart from the ground by a thin dark halo."""
    c.fill(shape.grow(0.75 * c.px), edge(colour) + (0.6,))
    c.fill(shape, WHITE)


# A cross for 16 pixels, seven pixels square; smooth diagonals this small blur into a red blot.
PIXEL_X = ["##...##", "###.###", ".#####.", "..###..", ".#####.", "###.###", "##...##"]


def red_x(c, cx, cy, half, width):
    """A red cross centred on (cx, cy); at 16 pixels the drawn cross replaces the given size and width."""
    if c.small:
        left, top = math.floor(cx * c.k) - 3, math.floor(cy * c.k) - 3
        ink = {(left + x, top + y) for y, row in enumerate(PIXEL_X) for x, cell in enumerate(row) if cell == "#"}
        rim = {(x + dx, y + dy) for x, y in ink for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))} - ink
        c.fill(cells(rim, c.k), edge(RED))
        c.fill(cells(ink, c.k), vertical(mix(RED, WHITE, 0.25), shade(RED, 0.9), top * c.px, (top + 7) * c.px))
        return
    cross = stroke([(cx - half, cy - half), (cx + half, cy + half)], width) | \
        stroke([(cx - half, cy + half), (cx + half, cy - half)], width)
    c.body(cross.grow(c.px), RED)


def globe(c, cx, cy, r):
    disc = circle(cx, cy, r)
    c.body(disc, SKY)
    inner = disc.grow(-c.px)
    land = (ellipse(cx - r * 0.35, cy - r * 0.25, r * 0.42, r * 0.5) |
            ellipse(cx + r * 0.45, cy + r * 0.35, r * 0.38, r * 0.45) |
            ellipse(cx + r * 0.3, cy - r * 0.62, r * 0.3, r * 0.18))
    c.fill(land & inner, vertical((0x7C, 0xCC, 0x5A), (0x3C, 0x92, 0x32), cy - r, cy + r))
    line = 0.8 * c.px if c.small else 0.9 * c.px
    grid = Shape(lambda x, y: abs(math.hypot((x - cx) / (r * 0.45), (y - cy) / r) - 1) * r * 0.45 - line / 2,
                 disc.box) | rect(cx - line / 2, cy - r, cx + line / 2, cy + r) | \
        rect(cx - r, cy - line / 2, cx + r, cy + line / 2)
    if not c.small:
        for lat in (-0.5, 0.5):
            y = cy + lat * r
            grid = grid | rect(cx - r, y - line / 2, cx + r, y + line / 2)
    c.fill(grid & inner, (255, 255, 255, 0.5))
    gloss(c, disc, cx, cy, r, 0.45)


def letter_a(c, cx, base, height, weight, colour):
    half = height * 0.42
    top = base - height
    w = weight
    outer = polygon([(cx - half - w * 0.1, base), (cx - w * 0.55, top), (cx + w * 0.55, top),
                     (cx + half + w * 0.1, base), (cx + half + w * 0.1 - w, base), (cx, top + w * 1.25),
                     (cx - half - w * 0.1 + w, base)])
    bar_y = base - height * 0.36
    bar = rect(cx - half * 0.62, bar_y - w * 0.4, cx + half * 0.62, bar_y + w * 0.4)
    c.body(outer | bar, colour)


def program_mark(c):
    disc = circle(8, 8, 7.6)
    c.body(disc, PROGRAM_COLOUR)
    if c.small:
        # Stems on whole pixels so the letter stays sharp at 16.
        m = polygon([(3, 12), (3, 4), (5.6, 4), (8, 7.4), (10.4, 4), (13, 4), (13, 12), (11, 12), (11, 7.6),
                     (8.7, 10.6), (7.3, 10.6), (5, 7.6), (5, 12)])
    else:
        m = polygon([(3.5, 11.75), (3.5, 4.25), (5.8, 4.25), (8, 7.6), (10.2, 4.25), (12.5, 4.25), (12.5, 11.75),
                     (10.6, 11.75), (10.6, 7.4), (8.65, 10.2), (7.35, 10.2), (5.4, 7.4), (5.4, 11.75)])
    # The large mark is glazed over its letter too; at 16 pixels a glaze there would wash out the letter's top.
    glaze_letter = not c.small
    if not glaze_letter:
        gloss(c, disc, 8, 8, 7.6, 0.4)
    c.fill(m.grow(0.6 * c.px), shade(PROGRAM_COLOUR, 0.5) + (0.7,))
    c.fill(m, WHITE)
    if glaze_letter:
        gloss(c, disc, 8, 8, 7.6, 0.4)


# ---------------------------------------------------------------------------------------------------------------
# Pictures


def previous(c):
    round_button(c, NAV)
    white_mark(c, arrow(3.5, 8, 9.5, 3.2, 7.6, 4.2), NAV)


def next_(c):
    round_button(c, NAV)
    white_mark(c, arrow(3.5, 8, 9.5, 3.2, 7.6, 4.2).mirror(8), NAV)


def refresh(c):
    width = 2.4 if c.small else 2.2
    r = 5.2
    shapes = None
    for turn in (0, 180):
        band = arc(8, 8, r, width, 25 + turn, 160 + turn)
        end = 25 + turn
        ex, ey = point_at(8, 8, r, end)
        # Arrowheads point clockwise, the way the band runs.
        tx, ty = math.sin(math.radians(end)), math.cos(math.radians(end))
        nx, ny = math.cos(math.radians(end)), -math.sin(math.radians(end))
        head_half, head_len = 3.1, 3.3
        head = polygon([(ex + nx * head_half, ey + ny * head_half), (ex + tx * head_len, ey + ty * head_len),
                        (ex - nx * head_half, ey - ny * head_half)])
        shapes = band | head if shapes is None else shapes | band | head
    c.body(shapes, GREEN)


def stop(c):
    octagon = regular(8, 8, 8.0, 8, 22.5)
    c.body(octagon, RED)
    gloss(c, octagon, 8, 8, 7.6, 0.35)
    width = 2.2 if c.small else 2.0
    cross = stroke([(5.2, 5.2), (10.8, 10.8)], width) | stroke([(5.2, 10.8), (10.8, 5.2)], width)
    white_mark(c, cross, RED)


def home(c):
    walls = polygon([(3, 8), (8, 3), (13, 8), (13, 16), (3, 16)])
    c.body(walls, (0xF2, 0xE2, 0xC0), (0x8A, 0x6A, 0x3C))
    chimney = rect(10.5, 1.5, 12.5, 6)
    c.body(chimney, (0xB0, 0x4A, 0x2C))
    roof = polygon([(8, 1.0), (15.5, 8.5), (0.5, 8.5)]) - polygon([(3, 9.2), (8, 4.2), (13, 9.2)])
    c.body(roof, (0xD0, 0x48, 0x2A))
    door = rect(6, 10, 10, 16) if c.small else rect(6.5, 10, 9.5, 16)
    c.body(door, (0x9A, 0x5C, 0x2C))
    if not c.small:
        window = rect(10.25, 10, 12, 11.75)
        c.body(window, (0x9C, 0xCC, 0xF0), (0x5A, 0x6C, 0x84))


def favourites_star(c):
    shape = star(8, 8.8, 8.0, 3.4)
    c.body(shape, GOLD, GOLD_EDGE)
    gloss(c, shape, 8, 8.5, 6.5, 0.35)


def about(c):
    round_button(c, SKY)
    if c.small:
        # Square dot and a clear row above the stem, or the two run together into a bar.
        mark = rect(7, 3, 9, 5, 0.3) | rect(7, 6, 9, 13)
    else:
        mark = circle(8, 4.25, 1.25) | rect(7.0, 6.5, 9.0, 12.0) | rect(6.0, 6.5, 9.0, 7.5) | \
            rect(6.0, 11.0, 10.0, 12.0)
    white_mark(c, mark, SKY)


def check_version(c):
    globe(c, 7, 7, 6.5)
    mark = stroke([(8.6, 11.4), (10.8, 13.6), (14.6, 8.4)], 2.4 if c.small else 2.0)
    c.draw(mark.grow(c.px), GREEN, edge(GREEN))


def internet_options(c):
    globe(c, 7, 7, 6.5)
    g = gear(11.6, 11.6, 4.3, 3.1, 7, 1.2)
    c.body(g, STEEL, (0x3E, 0x46, 0x52))


def configure(c):
    g = gear(8, 8, 7.8, 5.7, 8, 2.2)
    c.body(g, STEEL, (0x3E, 0x46, 0x52))
    c.fill(circle(8, 8, 2.2).grow(c.px) - circle(8, 8, 2.2), (0x3E, 0x46, 0x52, 0.6))


def printer(c):
    paper = rect(4, 0.5, 12, 7)
    c.draw(paper, vertical((255, 255, 255), (0xE4, 0xE8, 0xEE), 0.5, 7), PAPER_EDGE)
    body = rect(0.5, 5.5, 15.5, 12.5, 1.5)
    c.body(body, (0x9A, 0xA4, 0xB2), (0x44, 0x4C, 0x58))
    slot = rect(3, 10, 13, 11.5)
    c.fill(slot, (0x3A, 0x40, 0x4A))
    out = rect(4, 10.5, 12, 15.5)
    c.draw(out, vertical((255, 255, 255), (0xE4, 0xE8, 0xEE), 10.5, 15.5), PAPER_EDGE)
    p = c.px
    for i in range(2 if c.small else 3):
        y = 12 + i * 2 * p + (0 if c.small else p)
        c.fill(rect(4 + 2 * p, y, 12 - 2 * p, y + p), (0xA8, 0xB2, 0xC0))
    c.draw(circle(13, 7.8, 1.0), (0x5C, 0xE0, 0x4A), (0x2A, 0x70, 0x20))


def print_preview(c):
    page(c, 1, 0, 11, 15, 3, lines=4 if c.small else 6)
    handle = stroke([(12.0, 12.0), (14.6, 14.6)], 2.6 if c.small else 2.4)
    c.body(handle, (0x6A, 0x4A, 0x2C), (0x30, 0x20, 0x10))
    lens = circle(9.5, 9.5, 3.9)
    c.draw(lens, (0x3A, 0x44, 0x52), None)
    glass = lens.grow(-1.3 * c.px if c.small else -1.6 * c.px)
    c.fill(glass, vertical((0xD8, 0xEC, 0xFF, 0.92), (0x90, 0xC4, 0xF0, 0.92), 5.6, 13.4))
    c.fill(ellipse(8.7, 8.3, 1.6, 1.0) & glass, (255, 255, 255, 0.8))


def version_picture(label):
    def draw(c):
        version_page(c, label, VERSION_COLOURS[label])
    return draw


def all_versions(c):
    # Back sheets first, the middle one raised in front of them like a hand of cards.
    sheets = [(0, 3, 8, 16, "5.5"), (8, 3, 16, 16, "8"), (4, 0, 12, 16, "7")]
    fold = 2.5
    for x0, y0, x1, y1, label in sheets:
        colour = VERSION_COLOURS[label]
        sheet = page_outline(x0, y0, x1, y1, fold)
        corner = polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)])
        band = rect(x0, 9, x1, 13) & sheet.grow(-c.px)
        c.draw(sheet, vertical((255, 255, 255), (0xE6, 0xEA, 0xF0), 0, 16), PAPER_EDGE)
        c.draw(corner, (0xD4, 0xDA, 0xE4), PAPER_EDGE)
        c.fill(band, vertical(mix(colour, WHITE, 0.2), shade(colour, 0.9), 9, 13))


def developer_panel(c):
    frame = rect(0.5, 1.0, 15.5, 15.0, 1.0)
    c.draw(frame, (255, 255, 255), (0x3C, 0x4C, 0x66))
    inner = frame.grow(-c.px)
    bar = rect(0, 0, 16, 4.0) & inner
    c.fill(bar, vertical((0x7A, 0xB4, 0xF0), (0x2A, 0x6C, 0xC4), 1, 4))
    pane = rect(0, 9.0, 16, 16) & inner
    c.fill(pane, vertical((0xFF, 0xD8, 0x9A), (0xF0, 0xA8, 0x48), 9, 15))
    c.fill(rect(0.5, 9.0 - c.px, 15.5, 9.0) & inner, (0x3C, 0x4C, 0x66))
    p = c.px
    lines = [(2, 11, 9), (3, 13, 12)] if c.small else [(2, 10.5, 8), (3, 12, 12), (3, 13.5, 10)]
    for left, y, right in lines:
        c.fill(rect(left, y, right, y + p), (0x8A, 0x52, 0x10))
    page_lines = [(2, 5.5, 12), (2, 7, 9)] if c.small else [(2, 5.5, 12), (2, 6.75, 9.5)]
    for left, y, right in page_lines:
        c.fill(rect(left, y, right, y + p), (0xA8, 0xB2, 0xC0))


TAB_FILL = (0xB4, 0xCC, 0xEE)
TAB_EDGE = (0x50, 0x60, 0x78)
TAB_ACTIVE = (0xFF, 0xD0, 0x5A)


def tab(c, x0, x1, y0, y1, colour, outline=TAB_EDGE):
    """A tab of a tab row: rounded at the top, square where it meets the row."""
    shape = rect(x0, y0, x1, y1 + 2, 1.5) & rect(x0, y0, x1, y1)
    c.draw(shape, vertical(mix(colour, WHITE, 0.65), colour, y0, y1), outline)


def close_all_tabs(c):
    for x0, x1 in [(10, 16), (5, 11), (0, 6)]:
        tab(c, x0, x1, 1, 10, TAB_FILL)
    red_x(c, 11.5, 11.5, 2.5, 1.6 if c.small else 1.5)


SMALL_X = [(0, 0), (3, 0), (1, 1), (2, 1), (1, 2), (2, 2), (0, 3), (3, 3)]


def close_others(c):
    # The active tab stands in front of its neighbours; each neighbour is marked for closing.
    for x0, x1 in [(0, 6), (10, 16)]:
        tab(c, x0, x1, 2, 10, TAB_FILL)
        if c.small:
            # Four pixels square: anything drawn smoother at this size reads as a red dot.
            left = round((x0 + x1) / 2) - 2
            c.fill(cells([(left + x, 12 + y) for x, y in SMALL_X], c.k), RED)
        else:
            red_x(c, (x0 + x1) / 2, 13.0, 1.4, 1.1)
    tab(c, 4, 12, 0, 10, TAB_ACTIVE, (0x9A, 0x6A, 0x10))


# "</>" drawn pixel by pixel for 16 pixels, where strokes of any other width would blur into each other.
SOURCE_MARK = [
    "......#....",
    "..#...#.#..",
    ".#...#...#.",
    "#....#....#",
    ".#...#...#.",
    "..#.#...#..",
    "....#......",
]


def view_source(c):
    page(c, 1, 0, 15, 16)
    if c.small:
        ink = cells([(2 + x, 5 + y) for y, row in enumerate(SOURCE_MARK) for x, cell in enumerate(row)
                     if cell == "#"], c.k)
    else:
        w = 1.1
        ink = stroke([(5.4, 6.0), (3.4, 8.5), (5.4, 11.0)], w) | stroke([(9.0, 5.5), (7.0, 11.5)], w) | \
            stroke([(10.6, 6.0), (12.6, 8.5), (10.6, 11.0)], w)
    c.fill(ink, INK)


def text_size(c):
    letter_a(c, 5.4, 15.0, 13.5, 3.0 if c.small else 2.6, SKY)
    letter_a(c, 12.6, 15.0, 7.5, 2.0 if c.small else 1.8, SKY)


def close_page(c):
    page(c, lines=5 if c.small else 8)
    red_x(c, 11.5, 11.5, 2.5, 1.6 if c.small else 1.5)


def exit_door(c):
    frame = rect(1, 0, 10, 16)
    c.draw(frame, (0x2A, 0x30, 0x3C), (0x5A, 0x3A, 0x1E), width=1.0 if c.small else 1.5)
    leaf = polygon([(1, 0), (6, 2), (6, 16), (1, 16)])
    c.body(leaf, (0xB8, 0x74, 0x38), (0x5A, 0x3A, 0x1E))
    c.fill(circle(4.75, 9.0, 0.7), (0xF4, 0xD0, 0x60))
    leave = arrow(7, 8.5, 9.0, 3.0, 7.0, 3.8).mirror((7 + 16) / 2)
    c.body(leave, GREEN)


def arrow_pair(c):
    c.body(arrow(0, 4.5, 14.0, 3.0, 7.0, 4.0), NAV)
    c.body(arrow(0, 11.5, 14.0, 3.0, 7.0, 4.0).mirror(9.0), NAV)


def new_page(c):
    page(c, 1, 0, 12, 15, 3, lines=4 if c.small else 6)
    plus = rect(9, 11, 16, 14) | rect(11, 9, 14, 16)
    c.body(plus, GREEN)


CATEGORY = {
    3: previous, 4: next_, 5: refresh, 6: stop, 7: home, 8: favourites_star, 9: about, 10: check_version,
    11: internet_options, 12: configure, 13: printer, 14: print_preview, 15: version_picture("5.5"),
    16: version_picture("6"), 17: version_picture("7"), 18: version_picture("8"), 19: all_versions,
    20: version_picture("D"), 21: developer_panel, 22: close_all_tabs, 23: close_others, 24: view_source,
    25: text_size,
}
APPLICATION_MENU = {9: close_page, 15: exit_door}
PANEL = {0: program_mark, 28: favourites_star, 29: arrow_pair, 30: new_page}

# (file name, image size, image count, pictures by index). The comments give the bitmap resource ids.
DESIGN_STRIPS = [
    ("app_button", 32, 1, {0: program_mark}),  # 112
    ("category_small", 16, 26, CATEGORY),  # 110
    ("category_large", 32, 26, CATEGORY),  # 111
    ("appmenu_small", 16, 16, APPLICATION_MENU),  # 115
    ("appmenu_large", 32, 16, APPLICATION_MENU),  # 114
    ("panel_images", 16, 47, PANEL),  # 113
]

# Every strip at 100 %, and for displays scaled by 150 % and 200 % (the program picks the nearest and never
# stretches a picture by a fraction): "name.bmp", "name_150.bmp", "name_200.bmp".
SCALES = [("", 2), ("_150", 3), ("_200", 4)]  # suffix, size in halves of the design size

STRIPS = [
    (f"{name}{suffix}.bmp", size * halves // 2, count, pictures)
    for name, size, count, pictures in DESIGN_STRIPS
    for suffix, halves in SCALES
]


# ---------------------------------------------------------------------------------------------------------------
# Files


def render_strip(size, count, pictures):
    """The strip as rows (top first) of (r, g, b, a) pixels."""
    rows = [[(0, 0, 0, 0)] * (size * count) for _ in range(size)]
    for index, picture in pictures.items():
        canvas = Canvas(size)
        picture(canvas)
        for y, row in enumerate(canvas.pixels()):
            rows[y][index * size:(index + 1) * size] = row
    return rows


def bmp_bytes(rows):
    height, width = len(rows), len(rows[0])
    pixels = b"".join(bytes(v for r, g, b, a in row for v in (b, g, r, a)) for row in reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def read_bmp(data):
    """Rows (top first) of (r, g, b, a) from a BMP in the strips' own format; ValueError for anything else."""
    if len(data) < 54 or data[:2] != b"BM":
        raise ValueError("not a bitmap")
    size, offset = struct.unpack_from("<I4xI", data, 2)
    info_size, width, height, planes, bits, compression, image_size = struct.unpack_from("<IiiHHII", data, 14)
    if size != len(data) or info_size != 40 or offset != 54 or planes != 1 or bits != 32 or compression != 0:
        raise ValueError("not a 32-bit uncompressed bitmap with a plain info header")
    if width <= 0 or height <= 0 or image_size != width * height * 4 or len(data) != offset + image_size:
        raise ValueError("bitmap must be bottom-up and exactly as large as its pixels")
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * width * 4
        line = data[start:start + width * 4]
        rows.append([(line[i + 2], line[i + 1], line[i], line[i + 3]) for i in range(0, len(line), 4)])
    return rows


def png_bytes(rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


LIGHT_RIBBON = (0xDB, 0xE6, 0xF4)
DARK_RIBBON = (0x1E, 0x1F, 0x22)


def preview(strips, scale=3):
    """An RGB picture of every drawn image, enlarged, over a light and a dark ribbon, its index underneath."""
    gap = 6
    lines = []
    for name, size, count, pictures, rows in strips:
        for background in (LIGHT_RIBBON, DARK_RIBBON):
            lines.append((size, sorted(pictures), rows, background))
    width = gap + max(len(indices) * (size * scale + gap) for size, indices, _, _ in lines)
    canvas = []
    for size, indices, rows, background in lines:
        slot_width = size * scale + gap
        label_top = gap + size * scale + gap
        block = [[background] * width for _ in range(label_top + 5 * 2 + gap)]
        ink = (0x60, 0x60, 0x60) if background == LIGHT_RIBBON else (0xA0, 0xA0, 0xA0)
        for slot, index in enumerate(indices):
            left = gap + slot * slot_width
            for y in range(size * scale):
                line = block[gap + y]
                for x in range(size * scale):
                    r, g, b, a = rows[y // scale][index * size + x // scale]
                    t = a / 255.0
                    line[left + x] = tuple(round(v * t + w * (1 - t)) for v, w in zip((r, g, b), background))
            x = left
            for ch in str(index):
                for gy, row in enumerate(SMALL_GLYPHS[ch]):
                    for gx, cell in enumerate(row):
                        if cell == "#":
                            for dy in range(2):
                                for dx in range(2):
                                    block[label_top + gy * 2 + dy][x + gx * 2 + dx] = ink
                x += 8
        canvas.extend(block)
    return canvas


def encoding_faults():
    """Faults in how pixels become files, which the strips' readers would not forgive."""
    problems = []
    canvas = Canvas(16)
    canvas.fill(rect(0, 0, 0.5, 1), WHITE)
    canvas.fill(rect(1, 0, 2, 1), (0, 0, 255, 0.5))
    canvas.fill(rect(1, 0, 1.5, 1), (255, 0, 0))
    top = canvas.pixels()[0]
    # Straight alpha: a half-covered white pixel stays white, and colours mix only where they overlap.
    if top[0] != (255, 255, 255, 128):
        problems.append(f"half-covered white pixel comes out as {top[0]}, not (255, 255, 255, 128)")
    if top[1] != (170, 0, 85, 191):
        problems.append(f"red half over a half-transparent blue pixel comes out as {top[1]}, not (170, 0, 85, 191)")
    if top[2] != (0, 0, 0, 0):
        problems.append(f"an untouched pixel comes out as {top[2]}")
    rows = [[(1, 2, 3, 4), (5, 6, 7, 8)], [(9, 10, 11, 12), (13, 14, 15, 16)]]
    data = bmp_bytes(rows)
    if data[54:58] != bytes((11, 10, 9, 12)):
        problems.append("a bitmap must store its bottom row first, each pixel as blue, green, red, alpha")
    if read_bmp(data) != rows:
        problems.append("a bitmap does not read back as written")
    return problems


def check(folder):
    """The committed strips: right format, drawn where a picture belongs and empty elsewhere, and current."""
    problems = encoding_faults()
    for name, size, count, pictures in STRIPS:
        path = os.path.join(folder, name)
        try:
            with open(path, "rb") as f:
                data = f.read()
            rows = read_bmp(data)
        except (OSError, ValueError) as error:
            problems.append(f"{name}: {error}")
            continue
        if len(rows) != size or len(rows[0]) != size * count:
            problems.append(f"{name}: {len(rows[0])} x {len(rows)}, expected {size * count} x {size}")
            continue
        if any(a == 0 and (r, g, b) != (0, 0, 0) for row in rows for r, g, b, a in row):
            problems.append(f"{name}: transparent pixels carry colour")
        for index in range(count):
            drawn = sum(1 for row in rows for r, g, b, a in row[index * size:(index + 1) * size] if a)
            if index in pictures and drawn < size * size // 8:
                problems.append(f"{name}: image {index} is (nearly) empty")
            if index not in pictures and drawn:
                problems.append(f"{name}: image {index} should be empty")
        if data != bmp_bytes(render_strip(size, count, pictures)):
            problems.append(f"{name}: out of date, run the script again")
    return problems


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.join(here, "..")
    args = sys.argv[1:]
    if args and args[0] == "--check":
        folder = args[1] if len(args) > 1 else os.path.join(root, "res", "ribbon")
        problems = check(folder)
        for problem in problems:
            print(problem, file=sys.stderr)
        sys.exit(1 if problems else 0)
    folder = args[0] if args else os.path.join(root, "res", "ribbon")
    os.makedirs(folder, exist_ok=True)
    drawn = []
    for name, size, count, pictures in STRIPS:
        rows = render_strip(size, count, pictures)
        with open(os.path.join(folder, name), "wb") as out:
            out.write(bmp_bytes(rows))
        drawn.append((name, size, count, pictures, rows))
    build = os.path.join(root, "build")
    os.makedirs(build, exist_ok=True)
    with open(os.path.join(build, "ribbon-preview.png"), "wb") as out:
        out.write(png_bytes(preview(drawn)))


if __name__ == "__main__":
    main()
