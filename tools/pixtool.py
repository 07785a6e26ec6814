#!/usr/bin/python3
"""Turns pixel pictures kept as text into the bitmaps, icons and cursors that
resource scripts include.

    pixtool.py SOURCE.pix OUTPUT.bmp|OUTPUT.ico|OUTPUT.cur

A source holds one or more images. Each starts with "size W H", may name a
cursor's hot spot with "hotspot X Y", declares its colours with
"color C RRGGBB" (C is one character; "color C transparent" marks the pixels
an icon or cursor leaves see-through), and ends with the line "pixels"
followed by H rows of W colour characters each. Blank lines and lines
starting with "#" outside the rows are skipped. A bitmap takes the first
image; an icon takes all of them (one per size); a cursor takes the first.

Bitmaps are written as 24-bit uncompressed BMP files; icons and cursors
hold 32-bit images with their AND masks, as the system loads them.
"""

import struct
import sys


class PixError(Exception):
    pass


class Image:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.hotspot = (0, 0)
        self.colors = {}
        self.rows = []

    def pixel(self, x, y):
        """(r, g, b) or None for a transparent pixel."""
        return self.colors[self.rows[y][x]]


def parse(text, name="<pix>"):
    images = []
    current = None
    rows_left = 0
    for number, line in enumerate(text.splitlines(), 1):
        where = "%s:%d" % (name, number)
        if rows_left:
            row = line.rstrip()
            if len(row) != current.width:
                raise PixError("%s: row of %d pixels, expected %d" % (where, len(row), current.width))
            for ch in row:
                if ch not in current.colors:
                    raise PixError("%s: undeclared colour %r" % (where, ch))
            current.rows.append(row)
            rows_left -= 1
            continue
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        words = stripped.split()
        if words[0] == "size" and len(words) == 3:
            width, height = int(words[1]), int(words[2])
            if not (1 <= width <= 256 and 1 <= height <= 256):
                raise PixError("%s: size out of range" % where)
            current = Image(width, height)
            images.append(current)
        elif current is None:
            raise PixError("%s: expected 'size W H' first" % where)
        elif current.rows:
            raise PixError("%s: the image's rows are complete; start the next with 'size'" % where)
        elif words[0] == "hotspot" and len(words) == 3:
            current.hotspot = (int(words[1]), int(words[2]))
        elif words[0] == "color" and len(words) == 3 and len(words[1]) == 1:
            if words[2] == "transparent":
                current.colors[words[1]] = None
            else:
                value = int(words[2], 16)
                current.colors[words[1]] = ((value >> 16) & 255, (value >> 8) & 255, value & 255)
        elif words == ["pixels"]:
            rows_left = current.height
        else:
            raise PixError("%s: cannot read %r" % (where, stripped))
    if rows_left:
        raise PixError("%s: the last image lacks %d rows" % (name, rows_left))
    if not images:
        raise PixError("%s: no image" % name)
    for image in images:
        if len(image.rows) != image.height:
            raise PixError("%s: an image of %dx%d has no pixels" % (name, image.width, image.height))
    return images


def bmp(image):
    """A 24-bit BMP file, rows bottom-up and padded to 4 bytes."""
    stride = (image.width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(image.height - 1, -1, -1):
        row = bytearray()
        for x in range(image.width):
            color = image.pixel(x, y)
            if color is None:
                raise PixError("a bitmap has no transparent pixels")
            r, g, b = color
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        pixels += row
    info = struct.pack("<IiiHHIIiiII", 40, image.width, image.height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def dib_with_mask(image):
    """The icon-resource form of one image: a 32-bit DIB of double height
    (XOR colours, then the 1-bit AND mask), rows bottom-up."""
    colors = bytearray()
    mask_stride = ((image.width + 31) // 32) * 4
    mask = bytearray()
    for y in range(image.height - 1, -1, -1):
        mask_row = bytearray(mask_stride)
        for x in range(image.width):
            color = image.pixel(x, y)
            if color is None:
                colors += b"\0\0\0\0"
                mask_row[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b = color
                colors += bytes((b, g, r, 255))
        mask += mask_row
    info = struct.pack("<IiiHHIIiiII", 40, image.width, image.height * 2, 1, 32, 0,
                       len(colors) + len(mask), 0, 0, 0, 0)
    return info + colors + mask


def icon_file(images, cursor):
    """An .ico (type 1) or .cur (type 2) file with one entry per image."""
    count = len(images)
    header = struct.pack("<HHH", 0, 2 if cursor else 1, count)
    offset = 6 + 16 * count
    entries = bytearray()
    data = bytearray()
    for image in images:
        dib = dib_with_mask(image)
        if cursor:
            planes, bits = image.hotspot
        else:
            planes, bits = 1, 32
        entries += struct.pack("<BBBBHHII", image.width & 255, image.height & 255, 0, 0, planes, bits,
                               len(dib), offset + len(data))
        data += dib
    return header + bytes(entries) + bytes(data)


def convert(source, output):
    with open(source, "r", encoding="ascii") as f:
        images = parse(f.read(), source)
    lower = output.lower()
    if lower.endswith(".bmp"):
        data = bmp(images[0])
    elif lower.endswith(".ico"):
        data = icon_file(images, cursor=False)
    elif lower.endswith(".cur"):
        data = icon_file(images[:1], cursor=True)
    else:
        raise PixError("%s: the output must end in .bmp, .ico or .cur" % output)
    with open(output, "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    try:
        convert(argv[1], argv[2])
    except (PixError, ValueError, OSError) as e:
        sys.stderr.write("pixtool: %s\n" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
