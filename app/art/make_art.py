#!/usr/bin/env python3
"""Draws Brindle's pictures and synthesises its completion sound.

Usage: make_art.py OUTDIR

Everything is drawn from code with the standard library only, so the build needs
nothing but python3 and the output is identical from run to run (no randomness,
no time stamps).  Pictures are painted in RGB on a small canvas and written as
classic Windows BMP and ICO files; 16-colour files use the standard Windows
palette so they look right on a 16-colour display.
"""
import math
import os
import struct
import sys
import wave

# ----------------------------------------------------------------------------
# Colours

BLACK = (0, 0, 0)
MAROON = (128, 0, 0)
DKGREEN = (0, 128, 0)
OLIVE = (128, 128, 0)
NAVY = (0, 0, 128)
PURPLE = (128, 0, 128)
TEAL = (0, 128, 128)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
RED = (255, 0, 0)
GREEN = (0, 255, 0)
YELLOW = (255, 255, 0)
BLUE = (0, 0, 255)
MAGENTA = (255, 0, 255)
CYAN = (0, 255, 255)
WHITE = (255, 255, 255)

# The 16 colours of a standard VGA display, in the order Windows expects them.
PALETTE16 = [BLACK, MAROON, DKGREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
             GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE]


def make_palette256():
    """The 16 standard colours, a 6x6x6 colour cube and a grey ramp: enough for
    small icons with soft shading, and the 16 standard colours stay exact."""
    palette = list(PALETTE16)
    levels = (0, 51, 102, 153, 204, 255)
    for r in levels:
        for g in levels:
            for b in levels:
                palette.append((r, g, b))
    step = 256 // 25
    for i in range(1, 25):
        v = i * step
        palette.append((v, v, v))
    assert len(palette) == 256
    return palette


PALETTE256 = make_palette256()


class PaletteMapper:
    """Maps RGB colours to the nearest palette index, remembering answers."""

    def __init__(self, palette):
        self.palette = palette
        self.cache = {}

    def index(self, rgb):
        found = self.cache.get(rgb)
        if found is None:
            best = None
            for i, p in enumerate(self.palette):
                d = (p[0] - rgb[0]) ** 2 + (p[1] - rgb[1]) ** 2 + (p[2] - rgb[2]) ** 2
                if best is None or d < best[0]:
                    best = (d, i)
            found = best[1]
            self.cache[rgb] = found
        return found


BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def dither(x, y, c0, c1, t):
    """Ordered dither between two palette colours: the period look of a
    gradient on a 16-colour screen."""
    return c1 if BAYER4[y & 3][x & 3] < t * 16 else c0


# ----------------------------------------------------------------------------
# Canvas: a grid of RGB tuples, None meaning transparent.

class Canvas:
    def __init__(self, width, height, fill=None):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def inside(self, x, y):
        return 0 <= x < self.width and 0 <= y < self.height

    def set(self, x, y, colour):
        if self.inside(x, y):
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x] if self.inside(x, y) else None

    def paint(self, x, y, colour):
        """colour may be a callable (x, y) -> colour, for patterns."""
        self.set(x, y, colour(x, y) if callable(colour) else colour)

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.paint(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.hline(x0, x1, y0, colour)
        self.hline(x0, x1, y1, colour)
        self.vline(x0, y0, y1, colour)
        self.vline(x1, y0, y1, colour)

    def hline(self, x0, x1, y, colour):
        for x in range(min(x0, x1), max(x0, x1) + 1):
            self.paint(x, y, colour)

    def vline(self, x, y0, y1, colour):
        for y in range(min(y0, y1), max(y0, y1) + 1):
            self.paint(x, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        while True:
            self.paint(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polygon(self, points, fill=None, outline=None):
        """Fills the pixels whose centres lie inside the polygon, then traces
        its edges, so adjoining faces share a crisp outline."""
        if fill is not None:
            ys = [p[1] for p in points]
            for y in range(int(math.floor(min(ys))), int(math.ceil(max(ys))) + 1):
                cy = y + 0.5
                crossings = []
                n = len(points)
                for i in range(n):
                    (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
                    if (ya <= cy < yb) or (yb <= cy < ya):
                        crossings.append(xa + (cy - ya) * (xb - xa) / (yb - ya))
                crossings.sort()
                for a, b in zip(crossings[0::2], crossings[1::2]):
                    for x in range(int(math.ceil(a - 0.5)), int(math.floor(b - 0.5)) + 1):
                        self.paint(x, y, fill)
        if outline is not None:
            n = len(points)
            for i in range(n):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
                self.line(int(round(xa)), int(round(ya)), int(round(xb)), int(round(yb)), outline)

    def ellipse(self, cx, cy, rx, ry, fill=None, outline=None, thickness=1):
        """Centre may be fractional; a pixel belongs if its centre is inside."""
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                px, py = x + 0.5 - cx, y + 0.5 - cy
                d = (px / rx) ** 2 + (py / ry) ** 2
                if d > 1.0:
                    continue
                if outline is not None:
                    ix, iy = rx - thickness, ry - thickness
                    if ix <= 0 or iy <= 0 or (px / ix) ** 2 + (py / iy) ** 2 > 1.0:
                        self.paint(x, y, outline)
                        continue
                if fill is not None:
                    self.paint(x, y, fill)

    def blit(self, other, ox, oy):
        for y in range(other.height):
            for x in range(other.width):
                c = other.pixels[y][x]
                if c is not None:
                    self.set(ox + x, oy + y, c)

    def outline_shape(self, colour):
        """Rings every drawn pixel with a one-pixel border: the dark edge that
        keeps a shape readable when the toolbar embosses it."""
        around = [(1, 0), (-1, 0), (0, 1), (0, -1)]
        add = []
        for y in range(self.height):
            for x in range(self.width):
                if self.pixels[y][x] is None:
                    for dx, dy in around:
                        if self.get(x + dx, y + dy) not in (None, colour):
                            add.append((x, y))
                            break
        for x, y in add:
            self.pixels[y][x] = colour

    def mask_text(self, mask, ox, oy, colour):
        for y, row in enumerate(mask):
            for x, on in enumerate(row):
                if on:
                    self.paint(ox + x, oy + y, colour)


# ----------------------------------------------------------------------------
# A small proportional pixel font: capitals 7 pixels high, lower case with
# two rows of descender.  Blank rows are written as "".

FONT = {
    'A': [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    'B': ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    'C': [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    'D': ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    'E': ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    'F': ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    'G': [" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"],
    'H': ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    'I': ["###", " # ", " # ", " # ", " # ", " # ", "###"],
    'J': ["  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "],
    'K': ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    'L': ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    'M': ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    'N': ["#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"],
    'O': [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    'P': ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    'Q': [" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"],
    'R': ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    'S': [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    'T': ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    'U': ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    'V': ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    'W': ["#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "],
    'X': ["#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"],
    'Y': ["#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "],
    'Z': ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
    'a': ["", "", " ### ", "    #", " ####", "#   #", " ####"],
    'b': ["#    ", "#    ", "#### ", "#   #", "#   #", "#   #", "#### "],
    'c': ["", "", " ### ", "#    ", "#    ", "#    ", " ### "],
    'd': ["    #", "    #", " ####", "#   #", "#   #", "#   #", " ####"],
    'e': ["", "", " ### ", "#   #", "#####", "#    ", " ### "],
    'f': ["  ##", " #  ", "### ", " #  ", " #  ", " #  ", " #  "],
    'g': ["", "", " ####", "#   #", "#   #", "#   #", " ####", "    #", " ### "],
    'h': ["#    ", "#    ", "#### ", "#   #", "#   #", "#   #", "#   #"],
    'i': ["#", "", "#", "#", "#", "#", "#"],
    'j': ["  #", "", "  #", "  #", "  #", "  #", "  #", "# #", " # "],
    'k': ["#   ", "#   ", "#  #", "# # ", "##  ", "# # ", "#  #"],
    'l': ["#", "#", "#", "#", "#", "#", "#"],
    'm': ["", "", "## # ", "# # #", "# # #", "# # #", "# # #"],
    'n': ["", "", "#### ", "#   #", "#   #", "#   #", "#   #"],
    'o': ["", "", " ### ", "#   #", "#   #", "#   #", " ### "],
    'p': ["", "", "#### ", "#   #", "#   #", "#   #", "#### ", "#    ", "#    "],
    'q': ["", "", " ####", "#   #", "#   #", "#   #", " ####", "    #", "    #"],
    'r': ["", "", "# ##", "##  ", "#   ", "#   ", "#   "],
    's': ["", "", " ####", "#    ", " ### ", "    #", "#### "],
    't': [" #  ", " #  ", "####", " #  ", " #  ", " #  ", "  ##"],
    'u': ["", "", "#   #", "#   #", "#   #", "#   #", " ####"],
    'v': ["", "", "#   #", "#   #", "#   #", " # # ", "  #  "],
    'w': ["", "", "#   #", "#   #", "# # #", "# # #", " # # "],
    'x': ["", "", "#   #", " # # ", "  #  ", " # # ", "#   #"],
    'y': ["", "", "#   #", "#   #", "#   #", "#   #", " ####", "    #", " ### "],
    'z': ["", "", "#####", "   # ", "  #  ", " #   ", "#####"],
    '0': [" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "],
    '1': [" # ", "## ", " # ", " # ", " # ", " # ", "###"],
    '2': [" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"],
    '3': ["#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "],
    '4': ["   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "],
    '5': ["#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "],
    '6': ["  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "],
    '7': ["#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "],
    '8': [" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "],
    '9': [" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "],
    '.': ["", "", "", "", "", "", "#"],
    ',': ["", "", "", "", "", " #", " #", "# "],
    ':': ["", "", "#", "", "", "", "#"],
    '-': ["", "", "", "####", "", "", ""],
    '!': ["#", "#", "#", "#", "#", "", "#"],
    '?': [" ### ", "#   #", "    #", "   # ", "  #  ", "", "  #  "],
    "'": ["#", "#"],
    '(': ["  #", " # ", "#  ", "#  ", "#  ", " # ", "  #"],
    ')': ["#  ", " # ", "  #", "  #", "  #", " # ", "#  "],
    '/': ["    #", "   # ", "   # ", "  #  ", " #   ", " #   ", "#    "],
    '&': [" #   ", "# #  ", "# #  ", " #   ", "# # #", "#  # ", " ## #"],
    '+': ["", "  #  ", "  #  ", "#####", "  #  ", "  #  ", ""],
    ' ': ["   "],
}
FONT_HEIGHT = 9      # seven rows above the baseline, two below


def text_mask(text, spacing=1):
    """Renders a line of text into rows of booleans, FONT_HEIGHT high."""
    glyphs = [FONT[ch] for ch in text]
    widths = [max(len(r) for r in g) for g in glyphs]
    total = sum(widths) + spacing * (len(glyphs) - 1)
    rows = [[False] * total for _ in range(FONT_HEIGHT)]
    x = 0
    for g, w in zip(glyphs, widths):
        for y, row in enumerate(g):
            for i, ch in enumerate(row):
                if ch == '#':
                    rows[y][x + i] = True
        x += w + spacing
    return rows


def scale_nearest(mask, factor):
    out = []
    for row in mask:
        wide = [v for v in row for _ in range(factor)]
        for _ in range(factor):
            out.append(list(wide))
    return out


def scale2x(mask):
    """Doubles a bitmap, rounding off stair steps on diagonals, so large
    lettering made from the small font does not look blocky."""
    h, w = len(mask), len(mask[0])

    def at(x, y):
        return mask[y][x] if 0 <= x < w and 0 <= y < h else False

    out = [[False] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            p = at(x, y)
            a, b, c, d = at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            e0 = e1 = e2 = e3 = p
            if b != c and a != d:
                e0 = a if c == a else p
                e1 = b if a == b else p
                e2 = c if d == c else p
                e3 = b if b == d else p
            out[2 * y][2 * x] = e0
            out[2 * y][2 * x + 1] = e1
            out[2 * y + 1][2 * x] = e2
            out[2 * y + 1][2 * x + 1] = e3
    return out


def embolden(mask):
    """Widens every stroke by one pixel to the right."""
    return [[v or (x > 0 and row[x - 1]) for x, v in enumerate(row)] + [row[-1]]
            for row in mask]


# ----------------------------------------------------------------------------
# Shared motifs

def brindle_stripes(base, stripe, period=5.0, width=2.0, slant=0.55, wobble=1.4):
    """A colour function painting irregular diagonal stripes, the brindle coat
    that gives the product its name."""
    def colour(x, y):
        u = x + y * slant + wobble * math.sin(y * 0.9 + x * 0.3)
        return stripe if (u % period) < width else base
    return colour


def draw_archive_box(c, x, y, w, h, depth, front, side, top, band_base, band_stripe,
                     outline=BLACK, band_width=None, stripe_period=5.0, stripe_width=2.0,
                     highlight=None):
    """A closed carton seen slightly from above and to the right, tied with a
    brindle-striped band: the archive.  (x, y) is the front face's top-left.
    With a highlight colour each face gets a light inner edge, which keeps the
    faces apart when the toolbar reduces the picture to an embossed outline."""
    d = depth
    front_pts = [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]
    top_pts = [(x, y), (x + d, y - d), (x + w + d, y - d), (x + w, y)]
    side_pts = [(x + w, y), (x + w + d, y - d), (x + w + d, y + h - d), (x + w, y + h)]
    c.polygon(front_pts, fill=front)
    c.polygon(top_pts, fill=top)
    c.polygon(side_pts, fill=side)
    bw = band_width if band_width is not None else max(3, w // 3)
    bx = x + (w - bw) // 2
    if highlight is not None:
        c.hline(x + 1, x + w - 1, y + 1, highlight)
        c.vline(x + 1, y + 1, y + h - 1, highlight)
        c.hline(x + d + 1, x + w + d - 1, y - d + 1, highlight)
        c.line(x + w + 1, y, x + w + d - 1, y - d + 2, highlight)
    # The band runs over the top and down the front.
    stripes = brindle_stripes(band_base, band_stripe, stripe_period, stripe_width)
    band_front = [(bx, y), (bx + bw, y), (bx + bw, y + h), (bx, y + h)]
    band_top = [(bx, y), (bx + d, y - d), (bx + bw + d, y - d), (bx + bw, y)]
    c.polygon(band_front, fill=stripes)
    c.polygon(band_top, fill=stripes)
    if highlight is not None:
        c.vline(bx + bw + 1, y + 1, y + h - 1, highlight)
    c.polygon(band_front, outline=outline)
    c.polygon(band_top, outline=outline)
    c.polygon(front_pts, outline=outline)
    c.polygon(top_pts, outline=outline)
    c.polygon(side_pts, outline=outline)


def stamp(c, layer, gap=True):
    """Lays a drawn layer over the canvas, first clearing a one-pixel ring
    around it so that it stays a separate shape, even once embossed."""
    if gap:
        for y in range(layer.height):
            for x in range(layer.width):
                if layer.pixels[y][x] is None:
                    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                        if layer.get(x + dx, y + dy) is not None:
                            c.set(x, y, None)
                            break
    c.blit(layer, 0, 0)


def draw_page(c, x, y, w, h, fold, paper=WHITE, outline=BLACK, fold_colour=SILVER):
    """A sheet of paper with its top-right corner folded down."""
    pts = [(x, y), (x + w - fold, y), (x + w, y + fold), (x + w, y + h), (x, y + h)]
    c.polygon(pts, fill=paper)
    c.polygon([(x + w - fold, y), (x + w - fold, y + fold), (x + w, y + fold)], fill=fold_colour)
    c.polygon(pts, outline=outline)
    c.line(x + w - fold, y, x + w - fold, y + fold, outline)
    c.line(x + w - fold, y + fold, x + w, y + fold, outline)


def page_lines(c, x0, x1, y0, y1, step, colour, ragged=()):
    for i, y in enumerate(range(y0, y1 + 1, step)):
        cut = ragged[i % len(ragged)] if ragged else 0
        c.hline(x0, x1 - cut, y, colour)


def arrow_down(x, y, shaft_w, shaft_h, head_w, head_h):
    """Points of an arrow pointing down whose shaft's top-centre is (x, y)."""
    s = shaft_w / 2.0
    hw = head_w / 2.0
    return [(x - s, y), (x + s, y), (x + s, y + shaft_h), (x + hw, y + shaft_h),
            (x, y + shaft_h + head_h), (x - hw, y + shaft_h), (x - s, y + shaft_h)]


def arrow_up(x, y, shaft_w, shaft_h, head_w, head_h):
    """Arrow pointing up whose tip is at (x, y)."""
    s = shaft_w / 2.0
    hw = head_w / 2.0
    return [(x, y), (x + hw, y + head_h), (x + s, y + head_h), (x + s, y + head_h + shaft_h),
            (x - s, y + head_h + shaft_h), (x - s, y + head_h), (x - hw, y + head_h)]


def star_points(cx, cy, r_out, r_in, n=5, turn=-math.pi / 2):
    pts = []
    for i in range(2 * n):
        r = r_out if i % 2 == 0 else r_in
        a = turn + i * math.pi / n
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def draw_gear(c, cx, cy, r_out, r_in, teeth, body, hole_r, outline=BLACK, hole=None):
    pts = []
    steps = teeth * 4
    for i in range(steps):
        a = 2 * math.pi * i / steps
        r = r_out if (i % 4) in (0, 1) else r_in
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    c.polygon(pts, fill=body, outline=outline)
    if hole_r > 0:
        c.ellipse(cx, cy, hole_r, hole_r, fill=hole, outline=outline)


def draw_magnifier(c, cx, cy, r, glass, rim=BLACK, handle=MAROON, handle_len=9, handle_w=3):
    # The handle first, so the rim overlaps its end.
    a = math.pi / 4
    hx0, hy0 = cx + r * math.cos(a), cy + r * math.sin(a)
    hx1, hy1 = hx0 + handle_len * math.cos(a), hy0 + handle_len * math.sin(a)
    nx, ny = -math.sin(a) * handle_w / 2.0, math.cos(a) * handle_w / 2.0
    c.polygon([(hx0 + nx, hy0 + ny), (hx1 + nx, hy1 + ny), (hx1 - nx, hy1 - ny),
               (hx0 - nx, hy0 - ny)], fill=handle, outline=BLACK)
    c.ellipse(cx, cy, r, r, fill=glass, outline=rim, thickness=2)


# ----------------------------------------------------------------------------
# Start-up picture

def draw_open_carton(c, x, y, w, h, d):
    """The start-up emblem: an open carton, flaps up, with papers on their way
    in and a brindle band round it.  (x, y) is the front face's top-left."""
    layer = Canvas(c.width, c.height)
    back_l, back_r = (x + d, y - d), (x + w + d, y - d)
    # Flaps standing open: the back one behind, then left and right.
    layer.polygon([back_l, back_r, (back_r[0] + 4, back_r[1] - 20),
                   (back_l[0] + 4, back_l[1] - 20)],
                  fill=OLIVE, outline=BLACK)
    layer.hline(back_l[0] + 5, back_r[0] + 2, back_l[1] - 19, YELLOW)
    layer.polygon([(x, y), back_l, (back_l[0] - 20, back_l[1] - 4), (x - 20, y - 4)],
                  fill=YELLOW, outline=BLACK)
    layer.polygon([(x + w, y), back_r, (back_r[0] + 18, back_r[1] + 2), (x + w + 18, y + 2)],
                  fill=OLIVE, outline=BLACK)
    # The opening: dark, with the inside of the back wall catching some light.
    layer.polygon([(x, y), back_l, back_r, (x + w, y)], fill=BLACK)
    layer.polygon([(x + d - 1, y - d + 1), (x + w + d - 1, y - d + 1),
                   (x + w + d - 10, y - d + 10), (x + d - 10, y - d + 10)], fill=OLIVE)
    # Papers going in: drawn whole, the front face then hides their lower part.
    draw_page(layer, x + 12, y - 42, 30, 40, 8)
    page_lines(layer, x + 16, x + 36, y - 29, y - 6, 4, GREY, ragged=(0, 4, 2, 7, 3, 0))
    draw_page(layer, x + 32, y - 52, 30, 40, 8)
    page_lines(layer, x + 36, x + 56, y - 39, y - 16, 4, GREY, ragged=(3, 0, 6, 1, 4, 2))
    # Front and side faces, the front lit, the side in shadow.
    front = [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]
    side = [(x + w, y), back_r, (x + w + d, y + h - d), (x + w, y + h)]
    layer.polygon(front, fill=YELLOW)
    layer.polygon(side, fill=OLIVE)
    layer.hline(x + 1, x + w - 1, y + 1, WHITE)
    layer.vline(x + 1, y + 1, y + h - 1, WHITE)
    # The brindle band round the middle.
    by = y + h // 2 - 7
    stripes = brindle_stripes(OLIVE, BLACK, 7.0, 3.0)
    band = [(x, by), (x + w, by), (x + w, by + 15), (x, by + 15)]
    band_side = [(x + w, by), (x + w + d, by - d), (x + w + d, by - d + 15), (x + w, by + 15)]
    layer.polygon(band, fill=stripes, outline=BLACK)
    layer.polygon(band_side, fill=brindle_stripes(BLACK, OLIVE, 7.0, 3.0), outline=BLACK)
    layer.polygon(front, outline=BLACK)
    layer.polygon(side, outline=BLACK)
    c.blit(layer, 0, 0)


def draw_startup():
    W, H = 401, 237
    c = Canvas(W, H, SILVER)
    panel_w = 148

    # Left panel: a dithered deep-blue gradient behind the emblem.
    for y in range(H):
        for x in range(panel_w):
            t = (y / (H - 1)) * 0.85 + (x / panel_w) * 0.15
            c.set(x, y, dither(x, y, BLUE, NAVY, t))
    # A soft light pool behind the box.
    for y in range(H):
        for x in range(panel_w):
            d = math.hypot((x - 74) / 70.0, (y - 112) / 80.0)
            if d < 1.0:
                c.set(x, y, dither(x, y, c.get(x, y), TEAL, (1.0 - d) * 0.9))

    draw_open_carton(c, 30, 112, 72, 54, 20)
    # Floor shadow under the box.
    for x in range(22, 126):
        for y in (170, 171):
            if (x + y) % 2 == 0:
                c.set(x, y, BLACK)

    # Right side: name, version and tagline.
    tx = panel_w + 22
    title = scale2x(scale2x(embolden(text_mask("Brindle", spacing=2))))
    # A drop shadow and a light edge, then the letters, navy lightening to
    # blue towards their foot.
    c.mask_text(title, tx + 3, 45 + 3, GREY)
    c.mask_text(title, tx - 1, 45 - 1, WHITE)
    for y, row in enumerate(title):
        for x, on in enumerate(row):
            if on:
                colour = NAVY if y < 14 else (dither(tx + x, 45 + y, NAVY, BLUE, (y - 14) / 16.0))
                c.set(tx + x, 45 + y, colour)

    # A brindle rule under the name.
    rule_y = 90
    stripes = brindle_stripes(OLIVE, BLACK, 6.0, 2.5)
    c.rect(tx, rule_y, W - 24, rule_y + 4, stripes)
    c.frame(tx - 1, rule_y - 1, W - 23, rule_y + 5, BLACK)

    version = scale_nearest(text_mask("Version 3.0"), 2)
    c.mask_text(version, tx, 104, BLACK)

    tag = text_mask("Zip and ARJ archives, the easy way")
    c.mask_text(tag, tx, 138, MAROON)

    # An etched rule setting the small print apart.
    c.hline(tx, W - 24, 182, GREY)
    c.hline(tx + 1, W - 23, 183, WHITE)

    foot1 = text_mask("Copyright (C) Quillmark")
    foot2 = text_mask("Free to use and to share")
    c.mask_text(foot1, tx, 192, GREY)
    c.mask_text(foot2, tx, 204, GREY)

    # Raised window edge, as the system draws a dialog frame.
    c.frame(0, 0, W - 1, H - 1, BLACK)
    c.hline(1, W - 2, 1, WHITE)
    c.vline(1, 1, H - 2, WHITE)
    c.hline(1, W - 2, H - 2, GREY)
    c.vline(W - 2, 1, H - 2, GREY)
    c.vline(panel_w, 2, H - 3, BLACK)
    c.vline(panel_w + 1, 2, H - 3, WHITE)
    return c


# ----------------------------------------------------------------------------
# Toolbar: seven 46x41 button images on the button-face grey.

BUTTON_W, BUTTON_H = 46, 41


def toolbar_box(c, x, y, w, h, d):
    draw_archive_box(c, x, y, w, h, d, YELLOW, OLIVE, YELLOW, OLIVE, BLACK,
                     band_width=8, stripe_period=5.0, stripe_width=2.0, highlight=WHITE)


def text_page(c, x, y, w, h, fold, ragged=(0, 5, 2, 8, 1, 4, 6)):
    draw_page(c, x, y, w, h, fold)
    page_lines(c, x + 3, x + w - 4, y + fold + 3, y + h - 3, 3, GREY, ragged=ragged)


def button_new():
    c = Canvas(BUTTON_W, BUTTON_H)
    toolbar_box(c, 6, 17, 25, 18, 8)
    star = Canvas(BUTTON_W, BUTTON_H)
    star.polygon(star_points(34, 10, 9.5, 4.2), fill=YELLOW, outline=BLACK)
    star.set(34, 10, WHITE)
    star.set(33, 9, WHITE)
    stamp(c, star)
    return c


def button_open():
    c = Canvas(BUTTON_W, BUTTON_H)
    # Back of the folder with its tab, a sheet inside, the front swinging open.
    c.polygon([(5, 8), (15, 8), (18, 11), (35, 11), (35, 35), (5, 35)], fill=OLIVE, outline=BLACK)
    c.hline(6, 14, 9, YELLOW)
    c.polygon([(10, 14), (32, 14), (32, 30), (10, 30)], fill=WHITE, outline=BLACK)
    page_lines(c, 13, 29, 17, 27, 3, GREY, ragged=(0, 5, 2, 7))
    flap = Canvas(BUTTON_W, BUTTON_H)
    flap.polygon([(5, 35), (12, 20), (43, 20), (36, 35)], fill=YELLOW, outline=BLACK)
    flap.line(13, 21, 41, 21, WHITE)
    flap.line(12, 22, 7, 33, WHITE)
    stamp(c, flap)
    return c


def button_error_log():
    c = Canvas(BUTTON_W, BUTTON_H)
    # A notepad with its binding rings along the top.
    c.polygon([(6, 7), (30, 7), (30, 37), (6, 37)], fill=WHITE, outline=BLACK)
    c.rect(7, 8, 29, 10, TEAL)
    c.hline(7, 29, 11, BLACK)
    for x in range(9, 29, 5):
        c.rect(x, 3, x + 1, 9, BLACK)
    page_lines(c, 9, 27, 15, 34, 3, BLUE, ragged=(0, 4, 1, 7, 2, 9, 12))
    # A red warning disc with a light exclamation mark, kept apart from the pad.
    mark = Canvas(BUTTON_W, BUTTON_H)
    mark.ellipse(32, 28, 10, 10, fill=RED, outline=BLACK)
    mark.rect(31, 21, 32, 30, WHITE)
    mark.rect(31, 33, 32, 34, WHITE)
    stamp(c, mark)
    return c


def box_with_sheet():
    """The archive box with a sheet beside it: Add and Extract differ only in their arrow."""
    c = Canvas(BUTTON_W, BUTTON_H)
    toolbar_box(c, 9, 24, 25, 13, 7)
    sheet = Canvas(BUTTON_W, BUTTON_H)
    text_page(sheet, 3, 1, 15, 19, 5, ragged=(0, 3, 1))
    stamp(c, sheet)
    return c


def button_add():
    c = box_with_sheet()
    arrow = Canvas(BUTTON_W, BUTTON_H)
    arrow.polygon(arrow_down(29, 1, 6, 10, 15, 8), fill=GREEN, outline=BLACK)
    arrow.vline(27, 2, 10, WHITE)
    stamp(c, arrow)
    return c


def button_extract():
    c = box_with_sheet()
    arrow = Canvas(BUTTON_W, BUTTON_H)
    arrow.polygon(arrow_up(29, 1, 6, 10, 15, 8), fill=CYAN, outline=BLACK)
    arrow.vline(27, 9, 18, WHITE)
    stamp(c, arrow)
    return c


def button_delete():
    c = Canvas(BUTTON_W, BUTTON_H)
    text_page(c, 8, 3, 24, 33, 7)
    # A thick red cross with a black rim.
    cross = Canvas(BUTTON_W, BUTTON_H)
    for t in range(-2, 3):
        cross.line(18 + t, 15, 37 + t, 35, RED)
        cross.line(37 + t, 15, 18 + t, 35, RED)
    cross.outline_shape(BLACK)
    stamp(c, cross)
    return c


def button_view():
    c = Canvas(BUTTON_W, BUTTON_H)
    text_page(c, 5, 3, 24, 33, 7)
    lens = Canvas(BUTTON_W, BUTTON_H)
    draw_magnifier(lens, 27, 20, 9, CYAN, handle=MAROON, handle_len=11, handle_w=5)
    # A glint on the glass.
    lens.line(22, 19, 24, 16, WHITE)
    lens.set(25, 15, WHITE)
    stamp(c, lens)
    return c


TOOLBAR_BUTTONS = [button_new, button_open, button_error_log, button_add,
                   button_extract, button_delete, button_view]


def drawn_bounds(c):
    xs = [x for y in range(c.height) for x in range(c.width) if c.pixels[y][x] is not None]
    ys = [y for y in range(c.height) for x in range(c.width) if c.pixels[y][x] is not None]
    return min(xs), min(ys), max(xs), max(ys)


def draw_toolbar():
    """Each image is centred in its cell, so that the row of buttons looks
    even however the individual drawings happen to sit."""
    strip = Canvas(BUTTON_W * len(TOOLBAR_BUTTONS), BUTTON_H, SILVER)
    for i, draw in enumerate(TOOLBAR_BUTTONS):
        image = draw()
        x0, y0, x1, y1 = drawn_bounds(image)
        dx = (BUTTON_W - (x1 - x0 + 1)) // 2 - x0
        dy = (BUTTON_H - (y1 - y0 + 1)) // 2 - y0
        strip.blit(image, i * BUTTON_W + dx, dy)
    return strip


# ----------------------------------------------------------------------------
# Icons

class BoxColours:
    """Colours of the carton motif.  The 16-colour images keep to the standard
    palette; 256-colour ones use warmer browns, closer to a real brindle coat."""

    def __init__(self, front, side, top, band, stripe, light):
        self.front, self.side, self.top = front, side, top
        self.band, self.stripe, self.light = band, stripe, light


CLASSIC_BOX = BoxColours(YELLOW, OLIVE, YELLOW, OLIVE, BLACK, WHITE)
WARM_BOX = BoxColours((255, 204, 102), (204, 153, 51), (255, 204, 153),
                      (153, 102, 51), (51, 0, 0), (255, 255, 204))


def icon_box(c, x, y, w, h, d, colours, band_width, period, width, highlight=True):
    draw_archive_box(c, x, y, w, h, d, colours.front, colours.side, colours.top,
                     colours.band, colours.stripe, band_width=band_width,
                     stripe_period=period, stripe_width=width,
                     highlight=colours.light if highlight else None)


def small_box(c, x0, y0, colours, w=10, h=9, d=4, band=3):
    """The carton at icon size, placed pixel by pixel: at this size polygon
    edges and wavy stripes only give noise.  (x0, y0) is the front's top-left
    corner; w and h are its outer size, d the depth of lid and side, band the
    column of the band's left edge within the front."""
    x1, y1 = x0 + w - 1, y0 + h - 1
    bl, br = x0 + band, x0 + band + 3

    def stripe(x, y):
        return colours.stripe if (x + y) % 3 == 0 else colours.band

    for y in range(y0, y1 + 1):                  # front
        for x in range(x0, x1 + 1):
            edge = y in (y0, y1) or x in (x0, x1, bl, br)
            c.set(x, y, BLACK if edge else (stripe(x, y) if bl < x < br else colours.front))
    for y in range(y0 - d, y0):                  # lid, leaning back to the right
        s = y0 - y
        for x in range(x0 + s, x1 + s + 1):
            edge = y == y0 - d or x in (x0 + s, x1 + s, bl + s, br + s)
            c.set(x, y, BLACK if edge else
                  (stripe(x, y) if bl + s < x < br + s else colours.top))
    for x in range(x1 + 1, x1 + d + 1):          # side, in shade
        top, bottom = y0 - (x - x1), y1 - (x - x1)
        for y in range(top, bottom + 1):
            edge = x == x1 + d or y in (top, bottom)
            c.set(x, y, BLACK if edge else colours.side)


BOLT16 = ["...KKKK",
          "..KYYYK",
          "..KYYK.",
          ".KYYK..",
          ".KYYKKK",
          "KYYYYYK",
          "KKKYYK.",
          "..KYK..",
          "..KK...",
          ".KK....",
          ".K....."]


def put_map(c, ox, oy, rows, colours):
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != '.':
                c.set(ox + x, oy + y, colours[ch])


def icon_brindle(size, colours):
    """The program: the banded carton with a sheet posted through a slot in
    its lid, going in."""
    c = Canvas(size, size)
    if size >= 32:
        x, y, w, h, d = 2, 15, 20, 15, 8
        page, slit, lines = (9, 0, 13, 13, 4), 11, True
    else:
        page, slit, lines = (4, 0, 7, 7, 3), 5, False
    if size >= 32:
        icon_box(c, x, y, w, h, d, colours, 8, 4.0, 2.0)
    else:
        small_box(c, 1, 7, colours)
    sheet = Canvas(size, size)
    px, py, pw, ph, fold = page
    draw_page(sheet, px, py, pw, ph, fold)
    if lines:
        page_lines(sheet, px + 3, px + pw - 3, py + fold + 2, slit - 2, 2, GREY, ragged=(0, 3, 1))
    else:
        sheet.hline(px + 2, px + pw - 3, py + fold + 1, GREY)
    for yy in range(slit, size):
        for xx in range(size):
            sheet.set(xx, yy, None)
    c.blit(sheet, 0, 0)
    c.hline(px - 2, px + pw + 2, slit, BLACK)
    return c


def icon_kestrel(size, colours):
    """The self-extractor: the carton with a flash, it unpacks itself."""
    c = Canvas(size, size)
    if size >= 32:
        icon_box(c, 2, 14, 20, 15, 8, colours, 8, 4.0, 2.0)
        bolt = Canvas(size, size)
        bolt.polygon([(21, 0), (31, 0), (26, 7), (30, 7), (17, 21), (21, 11), (17, 11)],
                     fill=YELLOW, outline=BLACK)
        bolt.line(22, 1, 19, 10, WHITE)
        stamp(c, bolt)
    else:
        small_box(c, 0, 9, colours, w=9, h=7, d=3, band=3)
        bolt = Canvas(size, size)
        put_map(bolt, 9, 0, BOLT16, {'K': BLACK, 'Y': YELLOW})
        stamp(c, bolt, gap=False)
    return c


def small_page(size):
    c = Canvas(size, size)
    if size >= 32:
        draw_page(c, 5, 1, 22, 30, 7)
    else:
        draw_page(c, 2, 0, 11, 15, 4)
    return c


def icon_file_other(size, colours):
    return small_page(size)


def icon_file_text(size, colours):
    c = small_page(size)
    if size >= 32:
        page_lines(c, 8, 23, 11, 28, 3, NAVY, ragged=(0, 3, 1, 6, 2, 5))
    else:
        page_lines(c, 4, 11, 5, 13, 2, NAVY, ragged=(0, 2, 1, 3, 0))
    return c


def icon_file_program(size, colours):
    """A program's window: title bar and client area."""
    c = Canvas(size, size)
    if size >= 32:
        c.rect(1, 4, 30, 27, SILVER)
        c.frame(1, 4, 30, 27, BLACK)
        c.rect(2, 5, 29, 9, NAVY)
        c.rect(26, 6, 28, 8, SILVER)
        c.rect(3, 11, 28, 25, WHITE)
        c.hline(3, 28, 11, GREY)
        c.vline(3, 11, 25, GREY)
    else:
        c.rect(0, 2, 15, 13, SILVER)
        c.frame(0, 2, 15, 13, BLACK)
        c.rect(1, 3, 14, 4, NAVY)
        c.set(13, 3, SILVER)
        c.rect(2, 6, 13, 11, WHITE)
        c.hline(2, 13, 6, GREY)
        c.vline(2, 6, 11, GREY)
    return c


def icon_file_help(size, colours):
    c = small_page(size)
    q = text_mask("?")
    if size >= 32:
        c.mask_text(scale2x(embolden(scale_nearest(q, 1))), 10, 9, BLUE)
    else:
        c.mask_text(embolden(q), 4, 4, BLUE)
    return c


GEAR16 = ["...KKK...",
          ".K.KGK.K.",
          "KGKGGGKGK",
          ".KGGKGGK.",
          "KGGK.KGGK",
          ".KGGKGGK.",
          "KGKGGGKGK",
          ".K.KGK.K.",
          "...KKK..."]


def icon_file_library(size, colours):
    """A library: a page of parts, shown as a gear."""
    c = small_page(size)
    if size >= 32:
        draw_gear(c, 15.5, 18.5, 9.5, 6.5, 8, GREY, 3, hole=WHITE)
    else:
        # Placed by hand: at this size a drawn gear turns into a blob.
        put_map(c, 3, 5, GEAR16, {'K': BLACK, 'G': GREY, 'S': SILVER})
    return c


def icon_file_picture(size, colours):
    """A picture: a framed landscape under a sun."""
    c = Canvas(size, size)
    if size >= 32:
        c.rect(2, 5, 29, 26, CYAN)
        c.polygon([(3, 26), (12, 13), (18, 20), (22, 16), (29, 26)], fill=DKGREEN)
        c.polygon([(12, 13), (14, 16), (10, 16)], fill=WHITE)
        c.ellipse(23, 10, 3, 3, fill=YELLOW)
        c.frame(2, 5, 29, 26, BLACK)
        c.frame(1, 4, 30, 27, MAROON)
        c.frame(0, 3, 31, 28, BLACK)
    else:
        c.rect(1, 3, 14, 12, CYAN)
        c.polygon([(1, 13), (6, 6), (9, 10), (11, 8), (15, 13)], fill=DKGREEN)
        c.rect(11, 4, 12, 5, YELLOW)
        c.frame(0, 2, 15, 13, BLACK)
    return c


def icon_file_settings(size, colours):
    """Settings: a page of slider controls."""
    c = small_page(size)
    if size >= 32:
        for i, knob in enumerate((10, 18, 13)):
            y = 11 + i * 6
            c.hline(8, 24, y, GREY)
            c.rect(knob - 1, y - 2, knob + 1, y + 2, BLUE)
            c.frame(knob - 1, y - 2, knob + 1, y + 2, BLACK)
    else:
        for i, knob in enumerate((6, 9, 7)):
            y = 5 + i * 3
            c.hline(4, 11, y, GREY)
            c.rect(knob, y - 1, knob, y + 1, BLUE)
    return c


def icon_file_archive(size, colours):
    """A zip archive: the banded carton on its own, striped all over."""
    c = Canvas(size, size)
    if size >= 32:
        icon_box(c, 2, 12, 20, 17, 8, colours, 8, 4.0, 2.0)
    else:
        small_box(c, 1, 6, colours)
    return c


# ----------------------------------------------------------------------------
# Writers

def bmp_bytes(canvas, bpp, palette, background=BLACK):
    """Uncompressed bottom-up BMP with a BITMAPINFOHEADER and colour table."""
    mapper = PaletteMapper(palette)
    w, h = canvas.width, canvas.height
    rows = pack_rows(canvas, bpp, mapper, background)
    image = b"".join(reversed(rows))
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    offset = 14 + 40 + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, len(image), 2835, 2835,
                       len(palette), 0)
    return header + info + colours + image


def pack_rows(canvas, bpp, mapper, background):
    """Pixel rows top to bottom, each padded to a multiple of four bytes."""
    rows = []
    for y in range(canvas.height):
        idx = [mapper.index(p if p is not None else background) for p in canvas.pixels[y]]
        if bpp == 4:
            if len(idx) % 2:
                idx.append(0)
            data = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, len(idx), 2))
        elif bpp == 8:
            data = bytes(idx)
        else:
            raise ValueError("unsupported depth")
        rows.append(data + b"\0" * (-len(data) % 4))
    return rows


def mask_rows(canvas):
    """AND-mask rows (1 = transparent), top to bottom, padded to four bytes."""
    rows = []
    for y in range(canvas.height):
        bits = bytearray((canvas.width + 7) // 8)
        for x, p in enumerate(canvas.pixels[y]):
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(bits) + b"\0" * (-len(bits) % 4))
    return rows


def ico_bytes(images):
    """images: list of (canvas, bpp).  Transparent pixels carry colour 0 (black)
    in the colour bits and 1 in the mask, which is what the display expects."""
    blobs = []
    for canvas, bpp in images:
        palette = PALETTE16 if bpp == 4 else PALETTE256
        mapper = PaletteMapper(palette)
        colour_rows = pack_rows(canvas, bpp, mapper, BLACK)
        xor = b"".join(reversed(colour_rows))
        andm = b"".join(reversed(mask_rows(canvas)))
        colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
        info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height * 2, 1, bpp, 0,
                           len(xor) + len(andm), 0, 0, 0, 0)
        blobs.append(info + colours + xor + andm)
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (canvas, bpp), blob in zip(images, blobs):
        count = 16 if bpp == 4 else 0
        out += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, count, 0,
                           1, bpp, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def icon_set(draw):
    """Program icons: 16-colour images for the plainest displays, warmer
    256-colour ones for the rest, each at 32 and 16 pixels."""
    images = []
    for size in (32, 16):
        images.append((draw(size, CLASSIC_BOX), 4))
        images.append((draw(size, WARM_BOX), 8))
    return images


# ----------------------------------------------------------------------------
# Sound: a soft two-note chime, rising a fourth, that says "done".

SAMPLE_RATE = 11025
SAMPLE_COUNT = 15528          # with the 44-byte header, 15,572 bytes in all


def chime_samples():
    notes = [(0.0, 783.99, 1.0), (0.2, 1046.50, 0.9)]   # G5, then C6
    # Partials of a small bell: slightly stretched harmonics that die sooner
    # than the fundamental, which keeps the tone warm rather than tinny.
    partials = [(1.0, 1.0, 1.0), (2.01, 0.35, 2.2), (3.02, 0.12, 3.5), (4.2, 0.05, 5.0)]
    out = []
    for n in range(SAMPLE_COUNT):
        t = n / SAMPLE_RATE
        v = 0.0
        for start, freq, gain in notes:
            u = t - start
            if u < 0:
                continue
            attack = min(1.0, u / 0.006)
            for ratio, amp, speed in partials:
                v += gain * amp * attack * math.exp(-u * 3.2 * speed) * \
                    math.sin(2 * math.pi * freq * ratio * u)
        # A gentle fade over the last tenth of a second so the sound ends
        # on silence instead of a click.
        remaining = (SAMPLE_COUNT - 1 - n) / SAMPLE_RATE
        if remaining < 0.1:
            v *= remaining / 0.1
        out.append(v)
    peak = max(abs(v) for v in out)
    scale = 100.0 / peak
    return bytes(max(0, min(255, int(round(128 + v * scale)))) for v in out)


def write_wav(path):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(1)
        w.setframerate(SAMPLE_RATE)
        w.writeframes(chime_samples())


# ----------------------------------------------------------------------------

def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_art.py OUTDIR\n")
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    write_file(os.path.join(out, "startup.bmp"), bmp_bytes(draw_startup(), 4, PALETTE16))
    write_file(os.path.join(out, "toolbar.bmp"), bmp_bytes(draw_toolbar(), 4, PALETTE16))
    write_file(os.path.join(out, "brindle.ico"), ico_bytes(icon_set(icon_brindle)))
    write_file(os.path.join(out, "kestrel.ico"), ico_bytes(icon_set(icon_kestrel)))
    file_icons = {
        "file_text.ico": icon_file_text,
        "file_program.ico": icon_file_program,
        "file_other.ico": icon_file_other,
        "file_help.ico": icon_file_help,
        "file_library.ico": icon_file_library,
        "file_picture.ico": icon_file_picture,
        "file_settings.ico": icon_file_settings,
        "file_archive.ico": icon_file_archive,
    }
    for name, draw in file_icons.items():
        # The list's image list is 8-bit, so these carry 256-colour images only;
        # the 16x16 one comes first as it is the one the list asks for.
        images = [(draw(16, WARM_BOX), 8), (draw(32, WARM_BOX), 8)]
        write_file(os.path.join(out, name), ico_bytes(images))
    write_wav(os.path.join(out, "brindle.wav"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
