"""The product name as bold geometric italic letters, built from strokes and polygons.

Design units: cap height 100 (top y = 0, baseline y = 100), x-height 72, stem 17."""
from raster import arc_points, polygon, stroke, union

STEM = 17.0
HALF = STEM / 2.0
XTOP = 28.0           # top of the lower-case letters
BOWL_R = 36.0 - HALF  # centre line radius of the round letters
BOWL_Y = 64.0         # centre of the round letters
GAP = 7.0


def _v():
    return polygon((0, 0), (20, 0), (48, 100), (32, 100)) + polygon((60, 0), (80, 0), (48, 100), (32, 100)), 80


def _e():
    ring = arc_points(36, BOWL_Y, BOWL_R, BOWL_R, 0, -318)
    bar = [(36 - BOWL_R, BOWL_Y - 1), (36 + BOWL_R + HALF - 0.5, BOWL_Y - 1)]
    return stroke(ring, STEM, cap='butt') + stroke(bar, 13, cap='butt'), 72


def _l():
    return stroke([(HALF, 0), (HALF, 100)], STEM, cap='butt'), STEM


def _a():
    ring = arc_points(36, BOWL_Y, BOWL_R, BOWL_R, 0, 360)
    return stroke(ring, STEM, closed=True) + stroke([(72 - HALF, XTOP), (72 - HALF, 100)], STEM, cap='butt'), 72


def _n():
    arch = [(HALF, 100)] + arc_points(36, BOWL_Y, BOWL_R, BOWL_R, 180, 360) + [(72 - HALF, 100)]
    return stroke([(HALF, XTOP), (HALF, 100)], STEM, cap='butt') + stroke(arch, STEM, cap='butt'), 72


def _t():
    stem = [(20, 6), (20, 78)] + arc_points(40, 78, 20, 20, 180, 90)[1:] + [(48, 98)]
    return stroke(stem, STEM, cap='butt') + stroke([(2, XTOP + 6), (46, XTOP + 6)], 13, cap='butt'), 48


def _r():
    arch = [(HALF, 100)] + arc_points(36, BOWL_Y, BOWL_R, BOWL_R, 180, 292)
    return stroke([(HALF, XTOP), (HALF, 100)], STEM, cap='butt') + stroke(arch, STEM, cap='butt'), 52


def _i():
    dot = arc_points(HALF, 7, 10, 10, 0, 360)[:-1]
    return stroke([(HALF, XTOP), (HALF, 100)], STEM, cap='butt') + [dot], STEM


def _x():
    return (polygon((0, XTOP), (21, XTOP), (72, 100), (51, 100)) + polygon((51, XTOP), (72, XTOP), (21, 100), (0, 100)),
            72)


GLYPHS = {'V': _v, 'e': _e, 'l': _l, 'a': _a, 'n': _n, 't': _t, 'r': _r, 'i': _i, 'x': _x}


def word(text):
    """(shape, advance width) of the text in design units, upright."""
    shape, x = [], 0.0
    for ch in text:
        glyph, width = GLYPHS[ch]()
        shape += [[(px + x, py) for (px, py) in sub] for sub in glyph]
        x += width + GAP
    return union(shape), x - GAP
