#!/usr/bin/env python3
"""Draws the pictures of the HTML pages from a small drawing source.

usage: htmlimages.py SOURCE OUTDIR

The source holds one block per picture (';' starts a comment):

    image NAME WIDTH HEIGHT [transparent|#rrggbb]
      fill X Y W H COLOR        filled rectangle
      rect X Y W H COLOR        one-pixel outline
      line X0 Y0 X1 Y1 COLOR
      disc CX CY R COLOR        filled circle
      ring CX CY R COLOR        circle outline
      spinner CX CY R DOTS DOTR COLOR FRAMES DELAY
                                an animation: DOTS dots on a circle, the lit
                                one going round over FRAMES frames, each shown
                                DELAY hundredths of a second

A name ending in .gif is written as GIF89a (with a graphic control extension
per frame and a looping application extension when animated); .png as PNG.
"""
import struct
import sys
import zlib


def parse_color(text):
    if text == "transparent":
        return None
    text = text.lstrip("#")
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16))


class Canvas:
    def __init__(self, w, h, background):
        self.w, self.h = w, h
        self.px = [[background] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, x, y, w, h, c):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.put(xx, yy, c)

    def rect(self, x, y, w, h, c):
        for xx in range(x, x + w):
            self.put(xx, y, c)
            self.put(xx, y + h - 1, c)
        for yy in range(y, y + h):
            self.put(x, yy, c)
            self.put(x + w - 1, yy, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        for yy in range(cy - r, cy + r + 1):
            for xx in range(cx - r, cx + r + 1):
                if (xx - cx) ** 2 + (yy - cy) ** 2 <= r * r + r:
                    self.put(xx, yy, c)

    def ring(self, cx, cy, r, c):
        for yy in range(cy - r - 1, cy + r + 2):
            for xx in range(cx - r - 1, cx + r + 2):
                d = (xx - cx) ** 2 + (yy - cy) ** 2
                if r * r - r <= d <= r * r + r:
                    self.put(xx, yy, c)

    def copy(self):
        c = Canvas(self.w, self.h, None)
        c.px = [row[:] for row in self.px]
        return c


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def lzw_encode(indices, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    out_bits = []
    code_size = min_code_size + 1
    table = {(i,): i for i in range(clear)}
    next_code = end + 1

    def emit(code):
        out_bits.append((code, code_size))

    emit(clear)
    prefix = ()
    for index in indices:
        candidate = prefix + (index,)
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix])
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << code_size) and code_size < 12:
                code_size += 1
        else:
            emit(clear)
            table = {(i,): i for i in range(clear)}
            next_code = end + 1
            code_size = min_code_size + 1
        prefix = (index,)
    if prefix:
        emit(table[prefix])
    emit(end)
    data = bytearray()
    acc = bits = 0
    for code, size in out_bits:
        acc |= code << bits
        bits += size
        while bits >= 8:
            data.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        data.append(acc & 0xFF)
    return bytes(data)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def write_gif(path, frames, delay):
    colors = []
    transparent = False
    for f in frames:
        for row in f.px:
            for c in row:
                if c is None:
                    transparent = True
                elif c not in colors:
                    colors.append(c)
    palette = ([(255, 255, 255)] if transparent else []) + colors
    if len(palette) > 256:
        raise SystemExit("%s: more than 256 colours" % path)
    bits = 1
    while (1 << bits) < max(2, len(palette)):
        bits += 1
    palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
    w, h = frames[0].w, frames[0].h
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", w, h, 0x80 | ((bits - 1) << 4) | (bits - 1), 0, 0)
    for c in palette:
        out += bytes(c)
    if len(frames) > 1:
        out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for f in frames:
        packed = (1 << 2) | (1 if transparent else 0)  # disposal 1: leave in place
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, packed, delay if len(frames) > 1 else 0, 0, 0)
        out += struct.pack("<BHHHHB", 0x2C, 0, 0, w, h, 0)
        indices = [0 if c is None else palette.index(c) for row in f.px for c in row]
        min_code = max(2, bits)
        out.append(min_code)
        out += sub_blocks(lzw_encode(indices, min_code))
    out.append(0x3B)
    with open(path, "wb") as fh:
        fh.write(out)


def write_png(path, canvas):
    raw = bytearray()
    for row in canvas.px:
        raw.append(0)
        for c in row:
            raw += bytes(c) + b"\xFF" if c is not None else b"\x00\x00\x00\x00"

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as fh:
        fh.write(png)


def spinner(base, cx, cy, r, dots, dotr, color, frames):
    import math
    background = base.px[cy][cx] or (255, 255, 255)
    out = []
    for f in range(frames):
        c = base.copy()
        lit = f * dots // frames
        for d in range(dots):
            age = (lit - d) % dots
            t = min(1.0, age / (dots * 0.75))
            angle = 2 * math.pi * d / dots - math.pi / 2
            x = int(round(cx + r * math.cos(angle)))
            y = int(round(cy + r * math.sin(angle)))
            c.disc(x, y, dotr, mix(color, background, t))
        out.append(c)
    return out


def build(source, outdir):
    import os
    images = []
    current = None
    for number, line in enumerate(open(source), 1):
        words = line.split(";", 1)[0].split()  # ';' starts a comment; colours use '#'
        if not words:
            continue
        if words[0] == "image":
            bg = parse_color(words[4]) if len(words) > 4 else None
            current = {"name": words[1], "canvas": Canvas(int(words[2]), int(words[3]), bg), "frames": None, "delay": 0}
            images.append(current)
            continue
        if current is None:
            raise SystemExit("%s:%d: drawing before an image" % (source, number))
        c = current["canvas"]
        args = words[1:]
        n = [int(a) for a in args if not a.startswith("#") and a != "transparent"]
        color = parse_color(args[-1]) if args and (args[-1].startswith("#") or args[-1] == "transparent") else None
        if words[0] == "fill":
            c.fill(n[0], n[1], n[2], n[3], color)
        elif words[0] == "rect":
            c.rect(n[0], n[1], n[2], n[3], color)
        elif words[0] == "line":
            c.line(n[0], n[1], n[2], n[3], color)
        elif words[0] == "disc":
            c.disc(n[0], n[1], n[2], color)
        elif words[0] == "ring":
            c.ring(n[0], n[1], n[2], color)
        elif words[0] == "spinner":
            color = parse_color(args[5])
            current["frames"] = spinner(c, int(args[0]), int(args[1]), int(args[2]), int(args[3]), int(args[4]), color,
                                        int(args[6]))
            current["delay"] = int(args[7])
        else:
            raise SystemExit("%s:%d: unknown command %s" % (source, number, words[0]))
    os.makedirs(outdir, exist_ok=True)
    for image in images:
        path = os.path.join(outdir, image["name"].lower())
        if path.endswith(".png"):
            write_png(path, image["canvas"])
        else:
            write_gif(path, image["frames"] or [image["canvas"]], image["delay"])


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    build(sys.argv[1], sys.argv[2])
