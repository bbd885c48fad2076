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


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


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

    def outline_shape(self, colour, diagonal=False):
        """Rings every drawn pixel with a one-pixel border: the dark edge that
        keeps a shape readable when the toolbar embosses it."""
        around = [(1, 0), (-1, 0), (0, 1), (0, -1)]
        if diagonal:
            around += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
        add = []
        for y in range(self.height):
            for x in range(self.width):
                if self.pixels[y][x] is None:
                    for dx, dy in around:
                        if self.get(x + dx, y + dy) not in (None, colour) or \
                                (self.get(x + dx, y + dy) == colour and False):
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


def text_width(text, scale=1):
    return len(text_mask(text)[0]) * scale


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
                     outline=BLACK, band_width=None, stripe_period=5.0, stripe_width=2.0):
    """A closed carton seen slightly from above and to the right, tied with a
    brindle-striped band: the archive.  (x, y) is the front face's top-left."""
    d = depth
    front_pts = [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]
    top_pts = [(x, y), (x + d, y - d), (x + w + d, y - d), (x + w, y)]
    side_pts = [(x + w, y), (x + w + d, y - d), (x + w + d, y + h - d), (x + w, y + h)]
    c.polygon(front_pts, fill=front)
    c.polygon(top_pts, fill=top)
    c.polygon(side_pts, fill=side)
    # The band runs over the top and down the front.
    bw = band_width if band_width is not None else max(3, w // 3)
    bx = x + (w - bw) // 2
    stripes = brindle_stripes(band_base, band_stripe, stripe_period, stripe_width)
    c.polygon([(bx, y), (bx + bw, y), (bx + bw, y + h), (bx, y + h)], fill=stripes)
    c.polygon([(bx, y), (bx + d, y - d), (bx + bw + d, y - d), (bx + bw, y)], fill=stripes)
    c.polygon([(bx, y), (bx + bw, y), (bx + bw, y + h), (bx, y + h)], outline=outline)
    c.polygon([(bx, y), (bx + d, y - d), (bx + bw + d, y - d), (bx + bw, y)], outline=outline)
    c.polygon(front_pts, outline=outline)
    c.polygon(top_pts, outline=outline)
    c.polygon(side_pts, outline=outline)


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


def draw_arrow(c, pts, fill, outline=BLACK):
    c.polygon(pts, fill=fill, outline=outline)


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

    # The emblem: a brindle-banded archive box with papers going in.
    emblem = Canvas(panel_w, H)
    draw_page(emblem, 40, 52, 34, 44, 9)
    page_lines(emblem, 45, 66, 66, 90, 4, GREY, ragged=(0, 4, 2, 7))
    draw_page(emblem, 62, 40, 34, 44, 9)
    page_lines(emblem, 67, 88, 54, 78, 4, GREY, ragged=(3, 0, 6, 1))
    draw_archive_box(emblem, 22, 100, 80, 62, 22, YELLOW, OLIVE, (255, 255, 0),
                     OLIVE, BLACK, band_width=24, stripe_period=7.0, stripe_width=3.0)
    # Dotted front-face shading so the box reads as a solid in 16 colours.
    for y in range(101, 162):
        for x in range(23, 102):
            if emblem.get(x, y) == YELLOW and (x + y) % 2 == 0 and y > 140:
                emblem.set(x, y, OLIVE if (x // 2 + y) % 4 == 0 else YELLOW)
    c.blit(emblem, 0, 0)
    # Floor shadow under the box.
    for x in range(18, 128):
        for y in (166, 167):
            if (x + y) % 2 == 0:
                c.set(x, y, BLACK)

    # Right side: name, version and tagline.
    tx = panel_w + 22
    title = scale2x(scale2x(embolden(text_mask("Brindle"))))
    title = scale_nearest(title, 1)
    # Shadow, then the letters with a two-tone fill: light above, shaded below.
    c.mask_text(title, tx + 3, 45 + 3, GREY)
    for y, row in enumerate(title):
        for x, on in enumerate(row):
            if on:
                colour = NAVY if y < 14 else (dither(tx + x, 45 + y, NAVY, BLUE, (y - 14) / 16.0))
                c.set(tx + x, 45 + y, colour)
    c.mask_text(title, tx - 1, 44, None) if False else None

    # A brindle rule under the name.
    rule_y = 90
    stripes = brindle_stripes(OLIVE, BLACK, 6.0, 2.5)
    c.rect(tx, rule_y, W - 24, rule_y + 4, stripes)
    c.frame(tx - 1, rule_y - 1, W - 23, rule_y + 5, BLACK)

    version = scale_nearest(text_mask("Version 3.0"), 2)
    c.mask_text(version, tx, 104, BLACK)

    tag = text_mask("Zip and ARJ archives, the easy way")
    c.mask_text(tag, tx, 138, MAROON)

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


def button_new():
    c = Canvas(BUTTON_W, BUTTON_H)
    draw_archive_box(c, 6, 16, 24, 18, 8, YELLOW, OLIVE, YELLOW, OLIVE, BLACK,
                     band_width=8, stripe_period=5.0, stripe_width=2.0)
    c.polygon(star_points(33, 10, 9, 4), fill=YELLOW, outline=BLACK)
    c.set(33, 10, WHITE)
    return c


def button_open():
    c = Canvas(BUTTON_W, BUTTON_H)
    # Back of the folder with its tab.
    c.polygon([(5, 9), (15, 9), (18, 12), (33, 12), (33, 33), (5, 33)], fill=OLIVE, outline=BLACK)
    # A sheet peeking out.
    c.polygon([(10, 15), (30, 15), (30, 30), (10, 30)], fill=WHITE, outline=BLACK)
    page_lines(c, 13, 27, 18, 24, 3, GREY)
    # Front flap swinging open.
    c.polygon([(5, 33), (11, 20), (41, 20), (35, 33)], fill=YELLOW, outline=BLACK)
    # Arrow showing the flap opening.
    c.polygon([(34, 4), (41, 8), (37, 9), (39, 15), (36, 15), (34, 10), (31, 12)],
              fill=GREEN, outline=BLACK)
    return c


def button_error_log():
    c = Canvas(BUTTON_W, BUTTON_H)
    # Notepad with rings along the top.
    c.polygon([(7, 6), (31, 6), (31, 36), (7, 36)], fill=WHITE, outline=BLACK)
    c.rect(8, 7, 30, 9, TEAL)
    c.hline(8, 30, 10, BLACK)
    for x in range(10, 30, 5):
        c.rect(x, 3, x + 1, 8, BLACK)
        c.set(x, 3, GREY)
    page_lines(c, 10, 28, 14, 33, 3, BLUE, ragged=(0, 4, 1, 7, 2, 9, 12))
    # Warning triangle over the bottom-right corner.
    tri = [(30, 15), (42, 36), (18, 36)]
    c.polygon(tri, fill=YELLOW, outline=BLACK)
    c.rect(29, 21, 30, 29, BLACK)
    c.rect(29, 32, 30, 33, BLACK)
    return c


def button_add():
    c = Canvas(BUTTON_W, BUTTON_H)
    draw_archive_box(c, 10, 22, 24, 14, 7, YELLOW, OLIVE, YELLOW, OLIVE, BLACK,
                     band_width=8)
    # A sheet going in, and a green arrow pushing it down.
    draw_page(c, 4, 2, 14, 17, 5)
    page_lines(c, 6, 14, 9, 16, 3, GREY)
    draw_arrow(c, arrow_down(28, 2, 6, 9, 14, 7), GREEN)
    return c


def button_extract():
    c = Canvas(BUTTON_W, BUTTON_H)
    draw_archive_box(c, 10, 22, 24, 14, 7, YELLOW, OLIVE, YELLOW, OLIVE, BLACK,
                     band_width=8)
    # A sheet coming out, lifted by a blue arrow.
    draw_page(c, 4, 2, 14, 17, 5)
    page_lines(c, 6, 14, 9, 16, 3, GREY)
    draw_arrow(c, arrow_up(28, 1, 6, 10, 14, 7), CYAN)
    return c


def button_delete():
    c = Canvas(BUTTON_W, BUTTON_H)
    draw_page(c, 9, 3, 24, 32, 7)
    page_lines(c, 12, 28, 13, 32, 3, GREY, ragged=(0, 5, 2, 8, 1, 4, 6))
    # A thick red cross with a black rim.
    cross = Canvas(BUTTON_W, BUTTON_H)
    for t in range(-2, 3):
        cross.line(17 + t, 14, 37 + t, 35, RED)
        cross.line(37 + t, 14, 17 + t, 35, RED)
    cross.outline_shape(BLACK)
    c.blit(cross, 0, 0)
    return c


def button_view():
    c = Canvas(BUTTON_W, BUTTON_H)
    draw_page(c, 6, 3, 24, 32, 7)
    page_lines(c, 9, 26, 13, 32, 3, GREY, ragged=(0, 5, 2, 8, 1, 4, 6))
    draw_magnifier(c, 27, 20, 9, CYAN, handle=MAROON, handle_len=11, handle_w=5)
    # A glint on the glass.
    c.line(22, 18, 24, 15, WHITE)
    return c


TOOLBAR_BUTTONS = [button_new, button_open, button_error_log, button_add,
                   button_extract, button_delete, button_view]


def draw_toolbar():
    strip = Canvas(BUTTON_W * len(TOOLBAR_BUTTONS), BUTTON_H, SILVER)
    for i, draw in enumerate(TOOLBAR_BUTTONS):
        strip.blit(draw(), i * BUTTON_W, 0)
    return strip


# ----------------------------------------------------------------------------
# Icons

def icon_brindle(size):
    c = Canvas(size, size)
    if size >= 32:
        draw_archive_box(c, 2, 11, 20, 18, 8, YELLOW, OLIVE, YELLOW, OLIVE, BLACK,
                         band_width=8, stripe_period=4.0, stripe_width=2.0)
        # The clamp squeezing the box: two grey jaws and a screw.
        c.rect(0, 14, 1, 28, GREY)
        c.frame(0, 13, 2, 29, BLACK)
    else:
        draw_archive_box(c, 1, 5, 10, 9, 4, YELLOW, OLIVE, YELLOW, OLIVE, BLACK,
                         band_width=4, stripe_period=3.0, stripe_width=1.0)
    return c


def icon_kestrel(size):
    c = Canvas(size, size)
    if size >= 32:
        draw_archive_box(c, 2, 13, 20, 16, 8, YELLOW, OLIVE, YELLOW, OLIVE, BLACK,
                         band_width=8, stripe_period=4.0, stripe_width=2.0)
        bolt = [(22, 0), (31, 0), (26, 7), (30, 7), (18, 20), (21, 10), (17, 10)]
        c.polygon(bolt, fill=YELLOW, outline=BLACK)
    else:
        draw_archive_box(c, 1, 7, 9, 7, 4, YELLOW, OLIVE, YELLOW, OLIVE, BLACK,
                         band_width=3, stripe_period=3.0, stripe_width=1.0)
        c.polygon([(10, 0), (15, 0), (13, 3), (15, 3), (9, 10), (10, 5), (8, 5)],
                  fill=YELLOW, outline=BLACK)
    return c


def small_page(size, paper=WHITE):
    c = Canvas(size, size)
    if size >= 32:
        draw_page(c, 5, 1, 22, 30, 7, paper=paper)
    else:
        draw_page(c, 2, 0, 11, 15, 4, paper=paper)
    return c


def icon_file_other(size):
    return small_page(size)


def icon_file_text(size):
    c = small_page(size)
    if size >= 32:
        page_lines(c, 8, 23, 11, 28, 3, NAVY, ragged=(0, 3, 1, 6, 2, 5))
    else:
        page_lines(c, 4, 11, 5, 13, 2, NAVY, ragged=(0, 2, 1, 3, 0))
    return c


def icon_file_program(size):
    c = Canvas(size, size)
    if size >= 32:
        c.rect(1, 4, 30, 27, WHITE)
        c.frame(1, 4, 30, 27, BLACK)
        c.rect(2, 5, 29, 9, NAVY)
        c.rect(26, 6, 28, 8, SILVER)
        c.rect(3, 12, 28, 25, SILVER)
        c.frame(3, 12, 28, 25, GREY)
    else:
        c.rect(0, 2, 15, 13, WHITE)
        c.frame(0, 2, 15, 13, BLACK)
        c.rect(1, 3, 14, 4, NAVY)
        c.set(13, 3, SILVER)
        c.rect(2, 6, 13, 11, SILVER)
        c.frame(2, 6, 13, 11, GREY)
    return c


def icon_file_help(size):
    c = small_page(size)
    q = text_mask("?")
    if size >= 32:
        q = scale_nearest(q, 2)
        c.mask_text(q, 7, 9, BLUE)
    else:
        c.mask_text(q, 5, 5, BLUE)
    return c


def icon_file_library(size):
    c = small_page(size)
    if size >= 32:
        draw_gear(c, 14, 19, 9, 6, 8, GREY, 3, hole=WHITE)
    else:
        draw_gear(c, 7, 9, 5, 3.5, 6, GREY, 1.5, hole=WHITE)
    return c


def icon_file_picture(size):
    c = Canvas(size, size)
    if size >= 32:
        c.rect(2, 5, 29, 26, CYAN)
        c.polygon([(3, 25), (12, 13), (18, 20), (22, 16), (28, 25)], fill=DKGREEN)
        c.ellipse(23, 10, 3, 3, fill=YELLOW)
        c.frame(2, 5, 29, 26, BLACK)
        c.frame(1, 4, 30, 27, BLACK)
    else:
        c.rect(1, 2, 14, 13, CYAN)
        c.polygon([(1, 13), (6, 7), (9, 10), (11, 8), (14, 13)], fill=DKGREEN)
        c.rect(11, 4, 12, 5, YELLOW)
        c.frame(0, 2, 15, 13, BLACK)
    return c


def icon_file_settings(size):
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


def icon_file_archive(size):
    c = Canvas(size, size)
    if size >= 32:
        draw_archive_box(c, 2, 11, 22, 18, 8, YELLOW, OLIVE, YELLOW, OLIVE, BLACK,
                         band_width=8, stripe_period=4.0, stripe_width=2.0)
    else:
        draw_archive_box(c, 1, 5, 10, 9, 4, YELLOW, OLIVE, YELLOW, OLIVE, BLACK,
                         band_width=10, stripe_period=3.0, stripe_width=1.0)
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


def icon_set(draw, with_16_colour=True):
    images = []
    for size in (32, 16):
        canvas = draw(size)
        if with_16_colour:
            images.append((canvas, 4))
        images.append((canvas, 8))
    return images


# ----------------------------------------------------------------------------
# Sound: a soft two-note chime, rising a fourth, that says "done".

SAMPLE_RATE = 11025
SAMPLE_COUNT = 15528          # with the 44-byte header, 15,572 bytes in all


def chime_samples():
    notes = [(0.0, 880.0, 1.0), (0.16, 1174.66, 0.9)]   # A5, then D6
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
        images = [(draw(16), 8), (draw(32), 8)]
        write_file(os.path.join(out, name), ico_bytes(images))
    write_wav(os.path.join(out, "brindle.wav"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
