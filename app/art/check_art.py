#!/usr/bin/env python3
"""Checks the generated pictures and sound before they are compiled into the
programs: formats the resource compiler and the system accept, the sizes the
windows expect, and content that is actually drawn.

Usage: check_art.py ARTDIR
"""
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import wave

ART_DIR = None
HERE = os.path.dirname(os.path.abspath(__file__))

STANDARD_16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128),
               (128, 0, 128), (0, 128, 128), (192, 192, 192), (128, 128, 128),
               (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
               (0, 255, 255), (255, 255, 255)]
FACE = (192, 192, 192)
WHITE = (255, 255, 255)

FILE_ICONS = ["file_text.ico", "file_program.ico", "file_other.ico", "file_help.ico",
              "file_library.ico", "file_picture.ico", "file_settings.ico",
              "file_archive.ico"]
ALL_FILES = ["startup.bmp", "toolbar.bmp", "brindle.ico", "kestrel.ico", "brindle.wav"] \
    + FILE_ICONS


def read(name):
    with open(os.path.join(ART_DIR, name), "rb") as f:
        return f.read()


def parse_dib(data, offset, expect_double_height):
    """Decodes a BITMAPINFOHEADER image at offset: returns (width, height, bpp,
    palette, rows of colours top-down, AND-mask rows or None)."""
    (size, width, height, planes, bpp, compression, image_size, _, _, used, _) = \
        struct.unpack_from("<IiiHHIIiiII", data, offset)
    assert size == 40, "header size %d" % size
    assert planes == 1, "planes %d" % planes
    assert compression == 0, "compressed bitmap"
    assert bpp in (4, 8), "depth %d" % bpp
    real_h = height // 2 if expect_double_height else height
    assert real_h > 0 and width > 0
    colours = used if used else (1 << bpp)
    pal_off = offset + 40
    palette = [tuple(reversed(data[pal_off + 4 * i:pal_off + 4 * i + 3])) for i in range(colours)]
    bits = pal_off + 4 * colours
    stride = ((width * bpp + 31) // 32) * 4
    rows = []
    for y in range(real_h):
        row_off = bits + (real_h - 1 - y) * stride
        row = []
        for x in range(width):
            if bpp == 8:
                idx = data[row_off + x]
            else:
                byte = data[row_off + x // 2]
                idx = (byte >> 4) if x % 2 == 0 else (byte & 15)
            assert idx < len(palette), "index beyond the colour table"
            row.append(palette[idx])
        rows.append(row)
    mask = None
    end = bits + stride * real_h
    if expect_double_height:
        mstride = ((width + 31) // 32) * 4
        mask = []
        for y in range(real_h):
            row_off = end + (real_h - 1 - y) * mstride
            mask.append([bool(data[row_off + x // 8] & (0x80 >> (x % 8))) for x in range(width)])
        end += mstride * real_h
    if image_size:
        assert image_size == end - bits, "image size field %d, data %d" % (image_size, end - bits)
    return width, real_h, bpp, palette, rows, mask, end


def parse_bmp(name):
    data = read(name)
    magic, file_size, _, _, bits_offset = struct.unpack_from("<2sIHHI", data, 0)
    assert magic == b"BM", "%s is not a BMP" % name
    assert file_size == len(data), "%s: size field %d, file %d" % (name, file_size, len(data))
    width, height, bpp, palette, rows, _, end = parse_dib(data, 14, False)
    assert bits_offset == 14 + 40 + 4 * len(palette), "%s: bits offset %d" % (name, bits_offset)
    assert end == len(data), "%s: %d bytes after the pixels" % (name, len(data) - end)
    return width, height, bpp, palette, rows


def parse_ico(name):
    data = read(name)
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert reserved == 0 and kind == 1, "%s is not an icon file" % name
    assert count > 0
    images = []
    spans = []
    for i in range(count):
        w, h, colour_count, res, planes, bpp, length, offset = \
            struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        assert res == 0
        assert offset + length <= len(data), "%s: image %d runs past the end" % (name, i)
        width, height, dib_bpp, palette, rows, mask, end = parse_dib(data, offset, True)
        assert end - offset == length, \
            "%s: image %d length %d, data %d" % (name, i, length, end - offset)
        assert (w or 256) == width and (h or 256) == height, "%s: directory size differs" % name
        assert bpp == dib_bpp, "%s: directory depth differs" % name
        assert colour_count == (16 if bpp == 4 else 0), "%s: colour count %d" % (name, colour_count)
        spans.append((offset, end))
        images.append({"size": width, "bpp": bpp, "rows": rows, "mask": mask, "palette": palette})
    spans.sort()
    assert spans[0][0] == 6 + 16 * count
    for (a0, a1), (b0, b1) in zip(spans, spans[1:]):
        assert a1 <= b0, "%s: images overlap" % name
    return images


class Bitmaps(unittest.TestCase):
    def test_startup_picture_is_401_by_237_in_16_standard_colours(self):
        width, height, bpp, palette, rows = parse_bmp("startup.bmp")
        self.assertEqual((width, height, bpp), (401, 237, 4))
        self.assertEqual(palette, STANDARD_16)

    def test_startup_picture_is_drawn_not_blank(self):
        _, _, _, _, rows = parse_bmp("startup.bmp")
        used = {c for row in rows for c in row}
        self.assertGreaterEqual(len(used), 6, "too few colours for a drawn picture")
        # The title area must carry lettering: dark pixels among the light ones.
        band = [c for row in rows[40:80] for c in row[160:380]]
        dark = sum(1 for c in band if sum(c) < 200)
        self.assertGreater(dark, len(band) // 20)

    def test_toolbar_strip_holds_seven_46_by_41_images(self):
        width, height, bpp, palette, rows = parse_bmp("toolbar.bmp")
        self.assertEqual((width, height, bpp), (322, 41, 4))
        self.assertEqual(palette, STANDARD_16)

    def test_each_button_image_keeps_inside_its_cell(self):
        # A face-coloured rim round every cell: an image that ran to its edge
        # would touch its neighbour or the button frame.
        _, _, _, _, rows = parse_bmp("toolbar.bmp")
        for i in range(7):
            x0, x1 = 46 * i, 46 * i + 45
            rim = [(x, 0) for x in range(x0, x1 + 1)] + [(x, 40) for x in range(x0, x1 + 1)] + \
                  [(x0, y) for y in range(41)] + [(x1, y) for y in range(41)]
            for x, y in rim:
                self.assertEqual(rows[y][x], FACE,
                                 "button %d reaches its edge at %d,%d" % (i, x, y))

    def test_every_button_has_a_dark_outlined_image(self):
        # The disabled look embosses whatever is neither face nor highlight;
        # an image must have enough of such ink, with black edges, to read.
        _, _, _, _, rows = parse_bmp("toolbar.bmp")
        images = []
        for i in range(7):
            cell = [row[46 * i:46 * i + 46] for row in rows]
            pixels = [c for row in cell for c in row]
            ink = sum(1 for c in pixels if c not in (FACE, WHITE))
            black = sum(1 for c in pixels if c == (0, 0, 0))
            self.assertGreater(ink, len(pixels) // 8, "button %d is nearly empty" % i)
            self.assertGreater(black, 60, "button %d has no dark outline" % i)
            images.append(tuple(pixels))
        self.assertEqual(len(set(images)), 7, "two buttons share one image")


class Icons(unittest.TestCase):
    def check_program_icon(self, name):
        images = parse_ico(name)
        sizes = {(im["size"], im["bpp"]) for im in images}
        self.assertIn((32, 4), sizes)
        self.assertIn((16, 4), sizes)
        for im in images:
            if im["bpp"] == 4:
                self.assertEqual(im["palette"], STANDARD_16, name)

    def test_program_icons_have_16_colour_32_and_16_pixel_images(self):
        self.check_program_icon("brindle.ico")
        self.check_program_icon("kestrel.ico")

    def test_file_type_icons_have_a_256_colour_16_pixel_image(self):
        for name in FILE_ICONS:
            sizes = {(im["size"], im["bpp"]) for im in parse_ico(name)}
            self.assertIn((16, 8), sizes, name)

    def test_masks_are_partly_transparent_and_clear_underneath(self):
        # A transparent pixel must carry black colour bits, or the colour
        # would be XORed onto whatever lies beneath the icon.
        for name in ["brindle.ico", "kestrel.ico"] + FILE_ICONS:
            for im in parse_ico(name):
                flat_mask = [m for row in im["mask"] for m in row]
                total = len(flat_mask)
                clear = sum(flat_mask)
                self.assertGreater(clear, 0, "%s %d: no transparency" % (name, im["size"]))
                self.assertLess(clear, total * 3 // 4, "%s %d: almost empty" % (name, im["size"]))
                for row, mrow in zip(im["rows"], im["mask"]):
                    for colour, transparent in zip(row, mrow):
                        if transparent:
                            self.assertEqual(colour, (0, 0, 0), name)

    def test_icons_differ_from_one_another(self):
        self.longMessage = False      # the pixel tuples would drown the names
        seen = {}
        for name in ["brindle.ico", "kestrel.ico"] + FILE_ICONS:
            small = [im for im in parse_ico(name) if im["size"] == 16][0]
            key = (tuple(map(tuple, small["rows"])), tuple(map(tuple, small["mask"])))
            self.assertNotIn(key, seen, "%s looks the same as %s" % (name, seen.get(key)))
            seen[key] = name


class Sound(unittest.TestCase):
    def test_wave_is_8_bit_mono_11025_hz_and_15572_bytes(self):
        self.assertEqual(len(read("brindle.wav")), 15572)
        with wave.open(os.path.join(ART_DIR, "brindle.wav"), "rb") as w:
            self.assertEqual(w.getnchannels(), 1)
            self.assertEqual(w.getsampwidth(), 1)
            self.assertEqual(w.getframerate(), 11025)
            self.assertEqual(w.getcomptype(), "NONE")
            self.assertEqual(w.getnframes(), 15528)

    def test_sound_is_audible_unclipped_and_ends_quietly(self):
        with wave.open(os.path.join(ART_DIR, "brindle.wav"), "rb") as w:
            samples = w.readframes(w.getnframes())
        peak = max(abs(s - 128) for s in samples)
        self.assertGreater(peak, 60, "too quiet")
        self.assertNotIn(0, samples, "clipped")
        self.assertNotIn(255, samples, "clipped")
        # Starting and ending on the centre line avoids clicks.
        self.assertLessEqual(abs(samples[0] - 128), 2)
        self.assertLessEqual(max(abs(s - 128) for s in samples[-20:]), 2)


class Generation(unittest.TestCase):
    def test_script_output_is_the_same_on_every_run(self):
        with tempfile.TemporaryDirectory() as other:
            subprocess.run([sys.executable, os.path.join(HERE, "make_art.py"), other],
                           check=True)
            for name in ALL_FILES:
                with open(os.path.join(other, name), "rb") as f:
                    self.assertEqual(f.read(), read(name), name +
                                     " is not what the script draws (stale or not deterministic)")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.stderr.write("usage: check_art.py ARTDIR\n")
        sys.exit(2)
    ART_DIR = sys.argv.pop(1)
    unittest.main(verbosity=2)
