#!/usr/bin/python3
"""Writes the language-file test data into the folder given: plain texts and
their enciphered forms of the lengths around the block size, and a small
language folder with good, damaged and wrongly keyed files."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import langtool  # noqa: E402

KEY64 = "00112233445566778899aabbccddeeff0f1e2d3c4b5a69788796a5b4c3d2e1f0"
KEY48 = "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b"
KEY32 = "2b7e151628aed2a6abf7158809cf4f3c"
OTHER = "ffeeddccbbaa99887766554433221100f0e1d2c3b4a5968778695a4b3c2d1e0f"

ENGLISH = (
    "[MainDialog]\r\n"
    "title={APPNAME} {VER}\r\n"
    "twice=a{BR}b{BR}c\r\n"
    "lower={br} stays\r\n"
    "dup=first\r\n"
    "DUP=second\r\n"
    "no equals sign here\r\n"
    "[Common]\r\n"
    "ok=OK\r\n"
    "percent=100% sure\r\n"
)
GERMAN = (
    "[MainDialog]\r\n"
    "title=Deutsch {APPNAME}\r\n"
    "[Common]\r\n"
)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main(out):
    os.makedirs(os.path.join(out, "lang"), exist_ok=True)
    iv = bytes(range(16))
    for key_name, key in (("k64", KEY64), ("k48", KEY48), ("k32", KEY32)):
        for n in (0, 1, 4, 15, 16, 17, 24, 31, 32, 33, 48, 1000):
            plain = bytes((i * 7 + n) % 251 for i in range(n))
            write(os.path.join(out, "plain_%d.bin" % n), plain)
            write(os.path.join(out, "%s_%d.ini" % (key_name, n)),
                  langtool.encipher(langtool.parse_key(key), plain, iv))
    k = langtool.parse_key(KEY64)
    lang = os.path.join(out, "lang")
    write(os.path.join(lang, "English.ini"), langtool.encipher(k, ENGLISH.encode("ascii"), iv))
    write(os.path.join(lang, "Deutsch.ini"), langtool.encipher(k, GERMAN.encode("ascii"), iv))
    good = langtool.encipher(k, GERMAN.encode("ascii"), iv)
    write(os.path.join(lang, "Truncated.ini"), good[:20])
    write(os.path.join(lang, "WrongKey.ini"),
          langtool.encipher(langtool.parse_key(OTHER), GERMAN.encode("ascii"), iv))
    write(os.path.join(lang, "NoSections.ini"), langtool.encipher(k, b"just a line\r\n", iv))
    write(os.path.join(out, "english.txt"), ENGLISH.encode("ascii"))
    write(os.path.join(out, "stamp"), b"")


if __name__ == "__main__":
    main(sys.argv[1])
