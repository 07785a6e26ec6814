"""Smooth shapes for the pictures the skin builder draws: strokes (lines and
arcs with round ends), the product's shield, and lettering in a small
geometric stroke alphabet, each blended into the picture by its coverage of
every pixel (4 x 4 samples), so that curves and slants have soft edges.

Coordinates are pixels, possibly fractional; (0, 0) is the top-left corner
of the top-left pixel. Colours are 0xRRGGBB; the picture's own pixels are
blended with them through a canvas's get/put.
"""

import math

SAMPLES = 4


class Coverage:
    """Which sub-pixel samples a shape covers; painted onto a canvas once
    it is complete, so that overlapping parts are not blended twice."""

    def __init__(self):
        self.hits = set()

    def _samples(self, x0, y0, x1, y1):
        n = SAMPLES
        for sy in range(int(math.floor(y0 * n)), int(math.ceil(y1 * n)) + 1):
            for sx in range(int(math.floor(x0 * n)), int(math.ceil(x1 * n)) + 1):
                yield sx, sy, (sx + 0.5) / n, (sy + 0.5) / n

    def capsule(self, ax, ay, bx, by, radius):
        """A segment with round ends, radius half the stroke's width."""
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy
        r2 = radius * radius
        for sx, sy, px, py in self._samples(min(ax, bx) - radius, min(ay, by) - radius,
                                            max(ax, bx) + radius, max(ay, by) + radius):
            t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
            ex, ey = px - (ax + t * dx), py - (ay + t * dy)
            if ex * ex + ey * ey <= r2:
                self.hits.add((sx, sy))

    def polyline(self, points, radius):
        if len(points) == 1:
            self.capsule(points[0][0], points[0][1], points[0][0], points[0][1], radius)
        for a, b in zip(points, points[1:]):
            self.capsule(a[0], a[1], b[0], b[1], radius)

    def polygon(self, points):
        """Fills the closed outline (even-odd rule)."""
        n = SAMPLES
        ys = [p[1] for p in points]
        edges = list(zip(points, points[1:] + points[:1]))
        for sy in range(int(math.floor(min(ys) * n)), int(math.ceil(max(ys) * n)) + 1):
            py = (sy + 0.5) / n
            xs = sorted(a[0] + (py - a[1]) * (b[0] - a[0]) / (b[1] - a[1])
                        for a, b in edges if (a[1] <= py) != (b[1] <= py))
            for left, right in zip(xs[::2], xs[1::2]):
                for sx in range(int(math.ceil(left * n - 0.5)), int(math.floor(right * n - 0.5)) + 1):
                    self.hits.add((sx, sy))

    def paint(self, canvas, colour_at):
        """Blends colour_at(x, y) into every pixel by its share of samples."""
        counts = {}
        for sx, sy in self.hits:
            key = (sx // SAMPLES, sy // SAMPLES)
            counts[key] = counts.get(key, 0) + 1
        full = SAMPLES * SAMPLES
        for (x, y), count in counts.items():
            if 0 <= x < canvas.w and 0 <= y < canvas.h:
                canvas.put(x, y, blend(canvas.px[y][x], colour_at(x, y), count / full))


def blend(under, over, share):
    out = 0
    for shift in (0, 8, 16):
        a, b = (under >> shift) & 0xFF, (over >> shift) & 0xFF
        out |= int(round(a + (b - a) * share)) << shift
    return out


def arc_points(cx, cy, rx, ry, start, end):
    """Points along an elliptical arc from angle start to end (degrees,
    counter-clockwise as seen on the picture, 0 to the right)."""
    steps = max(8, int(abs(end - start) / 360.0 * 2 * math.pi * max(rx, ry) / 0.75))
    return [(cx + rx * math.cos(math.radians(start + (end - start) * i / steps)),
             cy - ry * math.sin(math.radians(start + (end - start) * i / steps))) for i in range(steps + 1)]


def shield_outline(x0, y0, x1, y1):
    """The product's shield: a straight top with rounded corners, straight
    sides down to three fifths of its height, then two curves meeting in a
    point at the bottom middle."""
    w, h = x1 - x0, y1 - y0
    r = min(w, h) * 0.12
    mid, shoulder, pull = x0 + w / 2.0, y0 + h * 0.58, y0 + h * 0.86

    def curve(a, control, b):
        return [((1 - t) ** 2 * a[0] + 2 * (1 - t) * t * control[0] + t * t * b[0],
                 (1 - t) ** 2 * a[1] + 2 * (1 - t) * t * control[1] + t * t * b[1])
                for t in (i / 16.0 for i in range(1, 17))]

    points = arc_points(x0 + r, y0 + r, r, r, 180, 90) + arc_points(x1 - r, y0 + r, r, r, 90, 0)
    points.append((x1, shoulder))
    points += curve((x1, shoulder), (x1, pull), (mid, y1))
    points += curve((mid, y1), (x0, pull), (x0, shoulder))
    return points


# ---------------------------------------------------------------- lettering

# Each glyph: its width in x-heights, and its strokes, the centre lines of
# lines and arcs in x-heights with y upwards from the baseline. A line is
# ("l", x0, y0, x1, y1, ...), an arc ("a", cx, cy, r, start, end), a dot
# ("d", x, y). Capitals stand 1.4 x-heights high, ascenders 1.5.
GLYPHS = {
    " ": (0.45, []),
    "a": (1.0, [("a", 0.5, 0.5, 0.5, 0, 360), ("l", 1, 1, 1, 0)]),
    "c": (0.9, [("a", 0.5, 0.5, 0.5, 45, 315)]),
    "d": (1.0, [("a", 0.5, 0.5, 0.5, 0, 360), ("l", 1, 1.5, 1, 0)]),
    "e": (1.0, [("l", 0, 0.5, 1, 0.5), ("a", 0.5, 0.5, 0.5, 0, 318)]),
    "i": (0.0, [("l", 0, 1, 0, 0), ("d", 0, 1.42)]),
    "l": (0.0, [("l", 0, 1.5, 0, 0)]),
    "m": (1.4, [("l", 0, 1, 0, 0), ("a", 0.35, 0.65, 0.35, 180, 0), ("l", 0.7, 0.65, 0.7, 0),
                ("a", 1.05, 0.65, 0.35, 180, 0), ("l", 1.4, 0.65, 1.4, 0)]),
    "n": (0.9, [("l", 0, 1, 0, 0), ("a", 0.45, 0.55, 0.45, 180, 0), ("l", 0.9, 0.55, 0.9, 0)]),
    "r": (0.5, [("l", 0, 1, 0, 0), ("a", 0.5, 0.5, 0.5, 180, 90)]),
    "t": (0.55, [("l", 0.2, 1.35, 0.2, 0.15), ("a", 0.45, 0.15, 0.25, 180, 270), ("l", 0, 1, 0.55, 1)]),
    "w": (1.3, [("l", 0, 1, 0.33, 0, 0.65, 1, 0.97, 0, 1.3, 1)]),
    "C": (1.25, [("a", 0.7, 0.7, 0.7, 45, 315)]),
    "E": (0.8, [("l", 0.8, 1.4, 0, 1.4, 0, 0, 0.8, 0), ("l", 0, 0.7, 0.68, 0.7)]),
    "I": (0.0, [("l", 0, 1.4, 0, 0)]),
    "L": (0.75, [("l", 0, 1.4, 0, 0, 0.75, 0)]),
    "M": (1.2, [("l", 0, 0, 0, 1.4, 0.6, 0.3, 1.2, 1.4, 1.2, 0)]),
    "N": (1.0, [("l", 0, 0, 0, 1.4, 1, 0, 1, 1.4)]),
    "T": (1.0, [("l", 0, 1.4, 1, 1.4), ("l", 0.5, 1.4, 0.5, 0)]),
}


def lettering(coverage, x, baseline, xheight, weight, text, tracking=0.28):
    """Adds the text's strokes to the coverage, starting at x on the
    baseline; returns where the next letter would start."""
    radius = weight / 2.0
    pen = x + radius
    for ch in text:
        if ch not in GLYPHS:
            raise ValueError("no letter %r in the stroke alphabet" % ch)
        width, strokes = GLYPHS[ch]

        def at(gx, gy):
            return pen + gx * xheight, baseline - radius - gy * xheight

        for stroke in strokes:
            kind, values = stroke[0], stroke[1:]
            if kind == "l":
                coverage.polyline([at(values[i], values[i + 1]) for i in range(0, len(values), 2)], radius)
            elif kind == "a":
                cx, cy = at(values[0], values[1])
                r = values[2] * xheight
                coverage.polyline(arc_points(cx, cy, r, r, values[3], values[4]), radius)
            else:
                px, py = at(values[0], values[1])
                coverage.capsule(px, py, px, py, radius * 1.15)
        pen += width * xheight + weight + tracking * xheight
    return pen - tracking * xheight - radius
