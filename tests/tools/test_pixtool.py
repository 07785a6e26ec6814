#!/usr/bin/python3
"""Checks of the picture tools: text pictures to BMP, ICO and CUR files with
the exact layouts the system loads, refusal of malformed sources, and the
window-dump to PNG conversion of scripts/screenshot."""

import os
import struct
import sys
import tempfile
import unittest
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
import pixtool  # noqa: E402
import xwd2png  # noqa: E402

TWO_BY_TWO = """# a comment
size 3 2
hotspot 1 0
color r FF0000
color g 00FF00
color - transparent
pixels
rg-
-gr
"""


class PixToolTest(unittest.TestCase):
    def test_bitmap_layout_bottom_up_bgr_padded(self):
        image = pixtool.parse("size 3 2\ncolor r FF0000\ncolor b 0000FF\npixels\nrrb\nbbr\n")[0]
        data = pixtool.bmp(image)
        magic, size, _, _, offset = struct.unpack("<2sIHHI", data[:14])
        self.assertEqual(b"BM", magic)
        self.assertEqual(len(data), size)
        self.assertEqual(54, offset)
        width, height, planes, bits = struct.unpack("<iiHH", data[18:30])
        self.assertEqual((3, 2, 1, 24), (width, height, planes, bits))
        rows = data[offset:]
        self.assertEqual(2 * 12, len(rows))  # 9 bytes of pixels padded to 12
        # The bottom row comes first: b b r.
        self.assertEqual(bytes((255, 0, 0, 255, 0, 0, 0, 0, 255)), rows[:9])
        self.assertEqual(bytes((0, 0, 255, 0, 0, 255, 255, 0, 0)), rows[12:21])

    def test_cursor_keeps_hotspot_and_mask(self):
        images = pixtool.parse(TWO_BY_TWO)
        data = pixtool.icon_file(images, cursor=True)
        reserved, kind, count = struct.unpack("<HHH", data[:6])
        self.assertEqual((0, 2, 1), (reserved, kind, count))
        w, h, _, _, hx, hy, size, offset = struct.unpack("<BBBBHHII", data[6:22])
        self.assertEqual((3, 2, 1, 0), (w, h, hx, hy))
        self.assertEqual(len(data) - offset, size)
        # The DIB has double height; the AND mask marks the see-through pixels.
        self.assertEqual(4, struct.unpack("<i", data[offset + 8:offset + 12])[0])
        mask = data[offset + 40 + 3 * 2 * 4:]
        self.assertEqual(0x80, mask[0])      # bottom row "-gr": first pixel clear
        self.assertEqual(0x20, mask[4])      # top row "rg-": third pixel clear

    def test_icon_holds_every_size(self):
        source = TWO_BY_TWO + "size 1 1\ncolor x 000000\npixels\nx\n"
        data = pixtool.icon_file(pixtool.parse(source), cursor=False)
        self.assertEqual(2, struct.unpack("<H", data[4:6])[0])

    def test_bad_sources_are_refused(self):
        bad = {
            "no size": "color r FF0000\npixels\nr\n",
            "short row": "size 2 1\ncolor r FF0000\npixels\nr\n",
            "undeclared colour": "size 1 1\ncolor r FF0000\npixels\nq\n",
            "missing rows": "size 1 2\ncolor r FF0000\npixels\nr\n",
            "no pixels": "size 1 1\ncolor r FF0000\n",
            "too large": "size 300 1\n",
            "unknown line": "size 1 1\nshade 3\n",
        }
        for name, text in bad.items():
            with self.subTest(name):
                with self.assertRaises(pixtool.PixError):
                    pixtool.parse(text)
        with self.assertRaises(pixtool.PixError):
            pixtool.bmp(pixtool.parse(TWO_BY_TWO)[0])  # bitmaps cannot be see-through

    def test_command_line_picks_the_format_by_extension(self):
        with tempfile.TemporaryDirectory() as folder:
            source = os.path.join(folder, "a.ico.pix")
            with open(source, "w") as f:
                f.write(TWO_BY_TWO)
            self.assertEqual(0, pixtool.main(["pixtool", source, os.path.join(folder, "a.ico")]))
            with open(os.path.join(folder, "a.ico"), "rb") as f:
                self.assertEqual(1, struct.unpack("<H", f.read(4)[2:4])[0])
            self.assertEqual(1, pixtool.main(["pixtool", source, os.path.join(folder, "a.gif")]))


class XwdToPngTest(unittest.TestCase):
    def dump(self, width, height, pixels):
        header = [100, 7, 2, 24, width, height, 0, 0, 32, 0, 32, 32, width * 4, 4,
                  0xFF0000, 0x00FF00, 0x0000FF, 8, 256, 0, width, height, 0, 0, 0]
        body = b"".join(struct.pack("<I", p) for p in pixels)
        return struct.pack(">25I", *header) + body

    def test_true_colour_dump_becomes_rgb_rows(self):
        width, height, rows = xwd2png.read_xwd(self.dump(2, 1, [0x112233, 0xFF0000]))
        self.assertEqual((2, 1), (width, height))
        self.assertEqual(bytes((0x11, 0x22, 0x33, 0xFF, 0, 0)), rows[0])
        png = xwd2png.png(width, height, rows)
        self.assertEqual(b"\x89PNG\r\n\x1a\n", png[:8])
        idat = png.index(b"IDAT")
        length = struct.unpack(">I", png[idat - 4:idat])[0]
        self.assertEqual(b"\0" + rows[0], zlib.decompress(png[idat + 4:idat + 4 + length]))

    def test_other_dumps_are_refused(self):
        with self.assertRaises(xwd2png.XwdError):
            xwd2png.read_xwd(b"short")
        paletted = bytearray(self.dump(1, 1, [0]))
        paletted[52:56] = struct.pack(">I", 3)  # PseudoColor
        with self.assertRaises(xwd2png.XwdError):
            xwd2png.read_xwd(bytes(paletted))
        with self.assertRaises(xwd2png.XwdError):
            xwd2png.read_xwd(self.dump(2, 2, [0])[:-4])


if __name__ == "__main__":
    unittest.main()
