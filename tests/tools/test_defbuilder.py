#!/usr/bin/python3
"""Checks of the definitions builder: its cipher, the round trip from source
to database and back, the ordering rules and the refusal of bad input."""

import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
sys.path.insert(0, os.path.join(ROOT, "tools"))
import defbuilder  # noqa: E402

TOOL = os.path.join(ROOT, "tools", "defbuilder.py")


def records(text):
    return [l for l in text.splitlines() if l.strip() and not l.lstrip().startswith("#")]


class DefBuilderTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def run_tool(self, *args):
        return subprocess.run([sys.executable, TOOL] + list(args), capture_output=True)

    def test_blowfish_known_answers(self):
        # Published vectors: zero key and block; and key 0x01..0x10.
        bf = defbuilder.Blowfish(bytes(8))
        self.assertEqual(bf.encrypt_block(0, 0), (0x4EF99745, 0x6198DD78))
        bf = defbuilder.Blowfish(bytes.fromhex("FEDCBA9876543210"))
        self.assertEqual(bf.encrypt_block(0x01234567, 0x89ABCDEF), (0x0ACEAB0F, 0xC6A0A28D))
        self.assertEqual(bf.decrypt_block(0x0ACEAB0F, 0xC6A0A28D), (0x01234567, 0x89ABCDEF))
        # Buffers: little-endian halves, a trailing partial block untouched.
        data = bytes(range(19))
        self.assertEqual(bf.decrypt(bf.encrypt(data)), data)
        self.assertEqual(bf.encrypt(data)[16:], data[16:])

    def test_key_text(self):
        self.assertEqual(defbuilder.make_key("pvrt82m6kd3.47h"), b"pvrt82m6kd3.47h\0")
        self.assertEqual(defbuilder.make_key("0123456789abcdefXYZ"), b"0123456789abcde\0")
        self.assertEqual(defbuilder.make_key("ab"), b"ab" + bytes(14))

    def test_default_catalogue_round_trip(self):
        src = os.path.join(ROOT, "resources", "definitions", "definitions.src")
        self.assertEqual(self.run_tool("build", src, self.path("d.bin"), "--stamp", "77").returncode, 0)
        listed = self.run_tool("list", self.path("d.bin"))
        self.assertEqual(listed.returncode, 0, listed.stderr)
        with open(src, encoding="latin-1") as f:
            expected = ["stamp value=77"] + records(f.read())
        self.assertEqual(records(listed.stdout.decode("latin-1")), expected)
        # Listing again after building the listing gives the same text.
        with open(self.path("again.src"), "wb") as f:
            f.write(listed.stdout)
        self.assertEqual(self.run_tool("build", self.path("again.src"), self.path("again.bin")).returncode, 0)
        with open(self.path("d.bin"), "rb") as a, open(self.path("again.bin"), "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_every_field_and_escape_round_trips(self):
        text = "\n".join([
            "stamp value=5",
            'program number=0 risk=4294967295 name="A \\"quoted\\" \\\\ name" description="" url="\\xff\\x01"',
            'registry program=3 flags=detectable|subkeys|find|contains|0x0100 root=0x80000005 key="K" value="$"'
            ' extra="e" data="\\0\\t\\r\\n"',
            'registry program=0 flags=0 root=HKCR key="K2"',
            'guarded program=1 root=HKU type=7 absent=1 key="G" value="" good="a\\0b\\0\\0"',
            'file program=2 detectable=0 location=15 size=9 md5=000102030405060708090a0b0c0d0e0f name="x*.y"'
            ' content="\\0\\x80"',
            'cookie program=4 pattern="*"',
            'host program=5 address=255.0.10.1 name="*"',
            'digest program=6 md5=ffffffffffffffffffffffffffffffff',
        ]) + "\n"
        with open(self.path("s.src"), "w", encoding="latin-1") as f:
            f.write(text)
        self.assertEqual(self.run_tool("build", self.path("s.src"), self.path("s.bin"), "--key", "other").returncode, 0)
        listed = self.run_tool("list", self.path("s.bin"), "--key", "other")
        self.assertEqual(listed.stdout.decode("latin-1"), text)
        # The wrong key is refused with a message, not a listing.
        wrong = self.run_tool("list", self.path("s.bin"))
        self.assertEqual(wrong.returncode, 1)
        self.assertIn(b"defbuilder:", wrong.stderr)

    def test_ordering_rules(self):
        text = "\n".join([
            'file program=0 detectable=1 location=0 name="zeta.exe"',
            'file program=0 detectable=1 location=3 name="located-1"',
            'file program=0 detectable=1 location=0 name="Zeta.exe"',
            'file program=0 detectable=1 location=0 name="alpha.exe"',
            'file program=0 detectable=1 location=9 name="located-2"',
            'digest program=1 md5=90000000000000000000000000000000',
            'digest program=2 md5=10000000000000000000000000000000',
            'digest program=3 md5=8fffffffffffffffffffffffffffffff',
        ]) + "\n"
        with open(self.path("o.src"), "w") as f:
            f.write(text)
        self.assertEqual(self.run_tool("build", self.path("o.src"), self.path("o.bin")).returncode, 0)
        lines = records(self.run_tool("list", self.path("o.bin")).stdout.decode())
        names = [l.split('name="')[1].rstrip('"') for l in lines if l.startswith("file")]
        self.assertEqual(names, ["located-1", "located-2", "Zeta.exe", "alpha.exe", "zeta.exe"])
        programs = [l.split()[1] for l in lines if l.startswith("digest")]
        self.assertEqual(programs, ["program=2", "program=3", "program=1"])

    def test_bad_sources_are_refused(self):
        for bad in ['program number=1 risk=0 name="skips 0"',
                    'host program=0 address=1.2.3 name="x"',
                    'digest program=0 md5=123',
                    'registry program=0 root=HKLM key="k" colour="red"',
                    'registry program=0 key="no root"',
                    'cookie program=0 pattern=unquoted',
                    'widget program=0']:
            with open(self.path("bad.src"), "w") as f:
                f.write(bad + "\n")
            result = self.run_tool("build", self.path("bad.src"), self.path("bad.bin"))
            self.assertEqual(result.returncode, 1, bad)
            self.assertIn(b"line 1", result.stderr, bad)
        with open(self.path("short.bin"), "wb") as f:
            f.write(b"short")
        self.assertEqual(self.run_tool("list", self.path("short.bin")).returncode, 1)


if __name__ == "__main__":
    unittest.main()
