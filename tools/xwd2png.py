#!/usr/bin/python3
"""Converts an X window dump (as "xwd -root" writes it) of a TrueColor
screen into a PNG file.

    xwd2png.py INPUT.xwd OUTPUT.png
"""

import struct
import sys
import zlib


class XwdError(Exception):
    pass


def read_xwd(data):
    """(width, height, rows of RGB bytes) of a 24- or 32-bit TrueColor dump."""
    if len(data) < 100:
        raise XwdError("too short for a window dump")
    fields = struct.unpack(">25I", data[:100])
    (header_size, version, _format, depth, width, height, _xoffset, byte_order, _unit, _bit_order, _pad,
     bits_per_pixel, bytes_per_line, visual_class, red_mask, green_mask, blue_mask, _bits_per_rgb,
     _map_entries, ncolors) = fields[:20]
    if version != 7:
        raise XwdError("unknown dump version %d" % version)
    if visual_class not in (4, 5) or bits_per_pixel not in (24, 32) or depth < 24:
        raise XwdError("only TrueColor dumps of 24 or 32 bits are read (class %d, %d bits)"
                       % (visual_class, bits_per_pixel))
    offset = header_size + ncolors * 12
    if len(data) < offset + bytes_per_line * height:
        raise XwdError("the dump is cut short")

    def shift(mask):
        s = 0
        while mask and not (mask >> s) & 1:
            s += 1
        return s

    shifts = (shift(red_mask), shift(green_mask), shift(blue_mask))
    step = bits_per_pixel // 8
    endian = "little" if byte_order == 0 else "big"
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
        out = bytearray(width * 3)
        for x in range(width):
            value = int.from_bytes(line[x * step:(x + 1) * step], endian)
            out[x * 3] = (value & red_mask) >> shifts[0]
            out[x * 3 + 1] = (value & green_mask) >> shifts[1]
            out[x * 3 + 2] = (value & blue_mask) >> shifts[2]
        rows.append(bytes(out))
    return width, height, rows


def png(width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + row for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    try:
        with open(argv[1], "rb") as f:
            width, height, rows = read_xwd(f.read())
        with open(argv[2], "wb") as f:
            f.write(png(width, height, rows))
    except (XwdError, OSError) as e:
        sys.stderr.write("xwd2png: %s\n" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
