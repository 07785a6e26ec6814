#!/usr/bin/python3
"""Builds an uncompressed AVI clip from a text source, for the animation
controls and their tests.

    avitool.py SOURCE OUT.avi

Source (one statement a line, '#' starts a comment):

  clip W H FPS          the frame size and the frames per second
  frame                 a frame, drawn by the picture statements of
    fill X0 Y0 X1 Y1 #RRGGBB    skinbuilder.py (fill, vgradient, hgradient,
    ...                          frame, round, ellipse, pixel)
  end

The clip has one video stream of 24-bit DIB frames, every frame a key frame,
with an index.
"""

import os
import shlex
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from skinbuilder import Canvas  # noqa: E402

DRAWING = ("fill", "vgradient", "hgradient", "frame", "round", "ellipse")


class AviError(Exception):
    pass


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, body):
    return kind + struct.pack("<I", len(body) + 4) + fourcc + body


def parse(text):
    size = None
    frames = []
    canvas = None
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        toks = shlex.split(line)
        where = "line %d" % number
        if toks[0] == "clip":
            if len(toks) != 4:
                raise AviError("%s: clip W H FPS" % where)
            size = tuple(int(t) for t in toks[1:])
        elif toks[0] == "frame":
            if not size:
                raise AviError("%s: frame before clip" % where)
            canvas = Canvas(size[0], size[1], 0)
        elif toks[0] == "end":
            if canvas is None:
                raise AviError("%s: end without frame" % where)
            frames.append(canvas)
            canvas = None
        elif canvas is not None and (toks[0] in DRAWING or toks[0] == "pixel"):
            args = [int(t[1:], 16) if t.startswith("#") else int(t, 0) for t in toks[1:]]
            (canvas.put if toks[0] == "pixel" else getattr(canvas, toks[0]))(*args)
        else:
            raise AviError("%s: unexpected %r" % (where, toks[0]))
    if canvas is not None or not frames:
        raise AviError("a clip needs frames, each closed by end")
    return size, frames


def build(size, frames):
    width, height, fps = size
    pixels = [f.bmp()[54:] for f in frames]
    frame_size = len(pixels[0])
    avih = struct.pack("<10I4I", 1000000 // max(fps, 1), frame_size * fps, 0, 0x10, len(frames), 0, 1,
                       frame_size, width, height, 0, 0, 0, 0)
    strh = b"vids" + b"DIB " + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, fps, 0, len(frames), frame_size,
                                         0xFFFFFFFF, 0, 0, 0, width, height)
    strf = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, frame_size, 0, 0, 0, 0)
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih)
                     + riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    movi_body = b""
    index = b""
    for data in pixels:
        # Offsets count from the "movi" four-character code.
        index += b"00db" + struct.pack("<III", 0x10, 4 + len(movi_body), len(data))
        movi_body += chunk(b"00db", data)
    movi = riff_list(b"LIST", b"movi", movi_body)
    return riff_list(b"RIFF", b"AVI ", hdrl + movi + chunk(b"idx1", index))


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    try:
        with open(argv[1], encoding="utf-8") as f:
            size, frames = parse(f.read())
        with open(argv[2], "wb") as f:
            f.write(build(size, frames))
    except (AviError, OSError, ValueError) as e:
        sys.stderr.write("avitool: %s\n" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
