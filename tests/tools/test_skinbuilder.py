#!/usr/bin/python3
"""Checks of the skin builder: the built-in skin's round trip through its
listing, the version layouts, the drawn pictures, and refusals of bad
sources and files. The C++ reader checks the same files from its side."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
sys.path.insert(0, os.path.join(ROOT, "tools"))
import skinbuilder  # noqa: E402

TOOL = os.path.join(ROOT, "tools", "skinbuilder.py")
SOURCES = os.path.join(ROOT, "resources", "skin")
ALLTYPES = os.path.join(ROOT, "tests", "skin", "data", "alltypes.skin")


def build(text, minor=skinbuilder.NEWEST, base="."):
    return skinbuilder.parse_source(text, base).packed(minor)


class SkinBuilderTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def run_tool(self, *args):
        return subprocess.run([sys.executable, TOOL] + list(args), capture_output=True)

    def test_builtin_skin_lists_back_to_the_same_file(self):
        out = self.path("builtin.skn")
        self.assertEqual(0, self.run_tool("build", SOURCES, out).returncode)
        listing = self.path("listing")
        self.assertEqual(0, self.run_tool("list", out, listing).returncode)
        again = self.path("again.skn")
        r = self.run_tool("build", os.path.join(listing, "skin.skin"), again)
        self.assertEqual(0, r.returncode, r.stderr)
        with open(out, "rb") as a, open(again, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_builtin_skin_contents(self):
        with open(os.path.join(SOURCES, "10-images.skin")) as a, open(os.path.join(SOURCES, "20-objects.skin")) as b:
            skin, v = skinbuilder.read_skin(build(a.read() + b.read()))
        self.assertEqual(18, v)
        self.assertEqual(15, len(skin.objects))
        self.assertEqual(["ScrollBar.bmp", "ramka.bmp", "skin.bmp", "update.bmp"],
                         sorted(i.name for i in skin.images))
        dialog = [o for o in skin.objects if o.name == "Dialog"][0]
        self.assertEqual(30, len(dialog.children))
        app = [o for o in skin.objects if o.name == "Application"][0]
        self.assertEqual(0xFF00FF, app.values["colour3"])

    def test_every_version_reads_back_what_it_holds(self):
        with open(ALLTYPES) as f:
            text = f.read()
        base = os.path.dirname(ALLTYPES)
        newest, _ = skinbuilder.read_skin(build(text, base=base))
        for minor in range(0, 19):
            skin, v = skinbuilder.read_skin(build(text, minor, base))
            self.assertEqual(minor, v)
            by_name = {o.name: o for o in newest.objects}
            for obj in skin.objects:
                for path, kind in skinbuilder.layout(obj.type, minor):
                    if path.startswith("*") or path in ("oldBounds",):
                        continue
                    self.assertEqual(by_name[obj.name].values[path], obj.values[path],
                                     "%s.%s in 1.%d" % (obj.name, path, minor))

    def test_version_layouts(self):
        # A Static record: base fields grow bounds and value 2 at 1.8, the
        # font part grows a word at 1.6, 1.8, 1.10 and 20 bytes at 1.18, and
        # the static itself a rect at 1.16.
        sizes = {}
        for minor in (5, 6, 8, 16, 18):
            data = skinbuilder.unpack(build('object "S" Static\nend\n', minor))
            sizes[minor] = len(data) - 188 - 8
        self.assertEqual(4 + 51 + 12 + 51 + 4 + 4 + 64 + 88 + 16 + 4 + 16 + 51, sizes[5])
        self.assertEqual(sizes[5] + 4, sizes[6])
        self.assertEqual(sizes[6] + 20 + 4 - 16, sizes[8])
        self.assertEqual(sizes[8] + 4 + 16, sizes[16])
        self.assertEqual(sizes[16] + 20, sizes[18])
        # A Button up to 1.7 carries its font again before the last two words.
        b7 = skinbuilder.unpack(build('object "B" Button\nfont "X" -9 700 #010203\nend\n', 7))
        b9 = skinbuilder.unpack(build('object "B" Button\nfont "X" -9 700 #010203\nend\n', 9))
        # 1.9 adds bounds and value 2 (20) and value 4 (4), drops the old
        # bounds (16) and the own font and word (68).
        self.assertEqual(len(b7) + 20 + 4 - 16 - 68, len(b9))
        self.assertEqual(b"X\0", b7[-8 - 8 - 64 + 28:-8 - 8 - 64 + 30])

    def test_header_and_container(self):
        packed = build('object "A" Application\nend\n')
        size = struct.unpack("<I", packed[:4])[0]
        data = skinbuilder.unpack(packed)
        self.assertEqual(size, len(data))
        self.assertEqual(b"SKINTOOLS_SKIN_FILE", data[:19])
        self.assertEqual((1, 18), (data[20], data[21]))
        self.assertEqual(1, struct.unpack("<I", data[176:180])[0])
        self.assertEqual(25, struct.unpack("<I", data[188:192])[0])

    def test_drawn_pictures_are_bottom_up_bitmaps(self):
        text = 'image "p.bmp" draw 3 2\n fill 0 0 3 2 #000000\n pixel 0 0 #FF0000\n pixel 2 1 #0000FF\nend\n'
        skin, _ = skinbuilder.read_skin(build(text))
        fmt, bmp = skin.images[0].values["data"]
        self.assertEqual(1, fmt)
        self.assertEqual(b"BM", bmp[:2])
        self.assertEqual(54, struct.unpack("<I", bmp[10:14])[0])
        self.assertEqual((3, 2, 1, 24), struct.unpack("<iiHH", bmp[18:30]))
        rows = bmp[54:]
        self.assertEqual(bytes([255, 0, 0]), rows[6:9])          # bottom row, x 2: blue
        self.assertEqual(bytes([0, 0, 255]), rows[12:15])        # top row, x 0: red
        self.assertEqual(len(rows), 2 * 12)                      # rows padded to 4 bytes

    def test_smooth_shapes_blend_their_edges(self):
        def picture(statements, w=12, h=12):
            skin, _ = skinbuilder.read_skin(build('image "p.bmp" draw %d %d\n fill 0 0 %d %d #000000\n%s\nend\n'
                                                  % (w, h, w, h, statements)))
            bmp = skin.images[0].values["data"][1]
            stride = (w * 3 + 3) & ~3
            return lambda x, y: bmp[54 + (h - 1 - y) * stride + x * 3 + 1]   # green

        at = picture("stroke 2 #00FF00 3 6 9 6")
        self.assertEqual((255, 255), (at(6, 5), at(6, 6)))               # covered rows
        self.assertEqual((0, 0), (at(6, 3), at(6, 8)))                   # beyond the width
        self.assertTrue(0 < at(2, 5) < 255)                              # the round end is soft
        self.assertEqual(0, at(0, 6))
        at = picture("shield 1 1 11 11 #00FF00 #00FF00")
        self.assertEqual(255, at(6, 5))
        self.assertEqual((0, 0), (at(1, 10), at(10, 10)))                # beside the point
        self.assertTrue(0 < at(1, 1) < 255)                              # a rounded corner
        at = picture('lettering 1 10 4 1.5 #00FF00 "TELMIN"', 40, 12)
        self.assertEqual(255, max(at(x, 9) for x in range(40)))          # on the baseline
        self.assertEqual(0, max(at(x, 1) for x in range(40)))            # above the capitals
        with self.assertRaises(skinbuilder.SkinError):
            picture('lettering 1 10 4 1.5 #00FF00 "Q"')                  # no such letter

    def test_bad_sources_are_refused(self):
        bad = [
            'object "A" Static\nend\nobject "A" Button\nend\n',        # duplicate name
            'object "A" CaptionButton\nend\n',                         # child-only type
            'object "A" Static\n child "C" FrameWnd\n end\nend\n',     # top-only type as child
            'object "A" Static\n nosuchfield 1\nend\n',
            'object "A" Static\n link "%s"\nend\n' % ("x" * 51),       # text too long
            'object "A" Static\n colour1 #GG0000\nend\n',
            'object "A" NoType\nend\n',
            'object "A" Static\n',                                     # no end
            'image "p" draw 2 2\n scribble 1\nend\n',
        ]
        for text in bad:
            with self.assertRaises(skinbuilder.SkinError, msg=text):
                build(text)
        deep = 'object "A" Static\n' + "".join(' child "C%d" Static\n' % i for i in range(20)) + " end\n" * 20 + "end\n"
        with self.assertRaises(skinbuilder.SkinError):
            build(deep)
        with self.assertRaises(skinbuilder.SkinError):
            build('object "A" Static\nend\n', 19)

    def test_bad_files_are_refused(self):
        packed = build('object "A" Static\nend\n')
        for data in (packed[:3], packed[:4] + b"\xff" * 20, struct.pack("<I", 5) + packed[4:]):
            with self.assertRaises(skinbuilder.SkinError):
                skinbuilder.read_skin(data)
        data = bytearray(skinbuilder.unpack(packed))
        data[21] = 19
        with self.assertRaises(skinbuilder.SkinError):
            skinbuilder.read_skin(skinbuilder.pack(bytes(data)))
        data = bytearray(skinbuilder.unpack(packed))
        data[176:180] = struct.pack("<I", 2)
        with self.assertRaises(skinbuilder.SkinError):
            skinbuilder.read_skin(skinbuilder.pack(bytes(data)))
        r = self.run_tool("list", self.path("missing.skn"), self.path("out"))
        self.assertEqual(1, r.returncode)

    def test_resource_script(self):
        out = self.path("skin.rc")
        self.assertEqual(0, self.run_tool("rc", "/tmp/x/builtin.skn", out).returncode)
        with open(out) as f:
            self.assertEqual('187 SKIN "/tmp/x/builtin.skn"\n', f.read())


if __name__ == "__main__":
    unittest.main()
