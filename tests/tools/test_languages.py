#!/usr/bin/python3
"""Checks of the language sources: every language has each English key, and
no other, with the same macros (a missing key shows as an empty text); the
language tool writes the UTF-8 sources in the program's code page, reads
them back, and refuses a text that code page cannot hold."""

import glob
import os
import re
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
LANG = os.path.join(HERE, "..", "..", "resources", "lang")
TOOL = os.path.join(HERE, "..", "..", "tools", "langtool.py")
sys.path.insert(0, os.path.dirname(TOOL))
import langtool  # noqa: E402

KEY = "00112233445566778899aabbccddeeff0f1e2d3c4b5a69788796a5b4c3d2e1f0"


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def texts(path):
    found, section = {}, None
    for line in read(path).decode("utf-8").splitlines():
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif "=" in line and not line.startswith(";"):
            key, text = line.split("=", 1)
            found[(section, key)] = sorted(re.findall(r"\{\w+\}", text))
    return found


class LanguagesTest(unittest.TestCase):
    def test_every_language_has_the_english_keys_and_macros(self):
        english = texts(os.path.join(LANG, "English.ini"))
        others = [p for p in glob.glob(os.path.join(LANG, "*.ini")) if os.path.basename(p) != "English.ini"]
        self.assertTrue(others)
        for path in others:
            with self.subTest(language=os.path.basename(path)):
                language = texts(path)
                self.assertEqual([], sorted(set(english) ^ set(language)), "keys missing or extra")
                self.assertEqual([], [k for k in english if english[k] != language[k]], "other macros")

    def tool(self, *args):
        return subprocess.run([sys.executable, TOOL, *args], capture_output=True).returncode

    def test_the_tool_writes_the_program_code_page_and_reads_it_back(self):
        with tempfile.TemporaryDirectory() as folder:
            plain, ciphered, back = (os.path.join(folder, n) for n in ("plain.ini", "ciphered.ini", "back.ini"))
            source = "[ShedulerDialog]\napplyBt=\u00dcbernehmen \u2013 \u201eJetzt\u201c\n".encode("utf-8")
            write(plain, source)
            self.assertEqual(0, self.tool("encipher", KEY, plain, ciphered))
            raw = langtool.decipher(langtool.parse_key(KEY), read(ciphered))
            self.assertEqual(b"[ShedulerDialog]\napplyBt=\xdcbernehmen \x96 \x84Jetzt\x93\n", raw)
            self.assertEqual(0, self.tool("decipher", KEY, ciphered, back))
            self.assertEqual(source, read(back))
            write(plain, "[S]\nk=\u2713\n".encode("utf-8"))
            self.assertNotEqual(0, self.tool("encipher", KEY, plain, ciphered))


if __name__ == "__main__":
    unittest.main()
