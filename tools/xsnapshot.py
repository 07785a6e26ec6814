#!/usr/bin/python3
"""Saves the X screen ($DISPLAY) as a PNG file, window by window.

    xsnapshot.py OUTPUT.png

A dump of the root window alone shows Wine's menus and popup dialogs as
black boxes on an Xvfb screen, though each window holds its picture; so the
root is dumped first and every viewable window is laid over it from the
bottom of the stacking order up, each from a dump of its own.
"""

import re
import subprocess
import sys

import xwd2png

LINE = re.compile(r"^(\s*)(0x[0-9a-f]+) .*?(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$")


def window_tree():
    """Root's descendants as (id, x, y, children), children top first."""
    text = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True,
                          check=True).stdout
    root = ("root", 0, 0, [])
    stack = [(-1, root)]
    for line in text.splitlines():
        m = LINE.match(line)
        if not m:
            continue
        indent, wid, w, h, x, y = m.groups()
        node = (wid if int(w) >= 8 and int(h) >= 8 else None, int(x), int(y), [])
        while stack[-1][0] >= len(indent):
            stack.pop()
        stack[-1][1][3].append(node)
        stack.append((len(indent), node))
    return root


def dump(wid):
    args = ["xwd", "-silent"] + (["-root"] if wid == "root" else ["-id", wid])
    result = subprocess.run(args, capture_output=True)
    if result.returncode != 0:
        return None  # not viewable, or gone meanwhile
    try:
        return xwd2png.read_xwd(result.stdout)
    except xwd2png.XwdError:
        return None


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    screen = dump("root")
    if screen is None:
        sys.stderr.write("xsnapshot: the screen could not be read\n")
        return 1
    width, height, rows = screen
    canvas = [bytearray(row) for row in rows]

    def lay(node):
        wid, x, y, children = node
        if wid and wid != "root":
            picture = dump(wid)
            if picture:
                w, h, lines = picture
                for row in range(max(0, -y), min(h, height - y)):
                    left, right = max(0, -x), min(w, width - x)
                    if left < right:
                        canvas[y + row][(x + left) * 3:(x + right) * 3] = lines[row][left * 3:right * 3]
        for child in reversed(children):
            lay(child)

    lay(window_tree())
    with open(argv[1], "wb") as f:
        f.write(xwd2png.png(width, height, [bytes(r) for r in canvas]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
