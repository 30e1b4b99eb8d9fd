"""The graphics card motif: the About window's large picture, the program icon
and the logo's emblem. Drawn in a 256 x 256 design space and scaled."""
import math

from raster import (Affine, Canvas, Mask, arc_points, circle, fill, linear, radial, rect, rgb,
                    rounded_rect, union)

SHROUD_TOP = rgb('#4a5363')
SHROUD_BOTTOM = rgb('#1c2029')
ACCENT = rgb('#2f8cff')
ACCENT_LIGHT = rgb('#7cc0ff')
PCB = rgb('#1d6e3a')
PCB_DARK = rgb('#0f4524')
GOLD_LIGHT = rgb('#ffe27a')
GOLD_DARK = rgb('#c0901e')
METAL_LIGHT = rgb('#f2f4f7')
METAL_DARK = rgb('#9099a5')


def _blade(cx, cy, hub, tip, angle, sweep, width):
    """One curved fan blade from the hub to the rim."""
    lead, trail = [], []
    for i in range(13):
        t = i / 12.0
        r = hub + (tip - hub) * t
        a = math.radians(angle + sweep * t)
        w = math.radians(width * (0.55 + 0.45 * t))
        lead.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        trail.append((cx + r * math.cos(a + w), cy + r * math.sin(a + w)))
    return [lead + trail[::-1]]


def _fan(cv, tf, cx, cy, r, blades, fine):
    s = _scale(tf)
    cv.shape(circle(cx, cy, r + 5), linear(0, cy - r, 0, cy + r, [(0, METAL_LIGHT), (1, METAL_DARK)]),
             transform=tf)
    cv.shape(circle(cx, cy, r + 1.5), ACCENT, transform=tf)
    cv.shape(circle(cx, cy, r - 1.5), rgb('#101318'), transform=tf)
    (bx, by) = tf.point((cx, cy))
    blade_paint = radial(bx, by, r * s, [(0.0, rgb('#5d6878')), (1.0, rgb('#343b47'))])
    shape = []
    for k in range(blades):
        shape += _blade(cx, cy, r * 0.22, r - 4, k * 360.0 / blades, 38, 360.0 / blades * 0.72)
    cv.shape(union(shape), blade_paint, transform=tf)
    cv.shape(circle(cx, cy, r * 0.27), linear(0, by - r * 0.27 * s, 0, by + r * 0.27 * s,
                                              [(0, rgb('#6c7787')), (1, rgb('#2a303a'))]), transform=tf)
    if fine:
        cv.shape(circle(cx, cy, r * 0.15), ACCENT, transform=tf)
        cv.shape(circle(cx - r * 0.04, cy - r * 0.05, r * 0.06), rgb('#ffffff', 0.55), transform=tf)


def _scale(tf):
    a, b, _c, _d, _e, _f = tf.m
    return math.hypot(a, b)


def _bracket(cv, tf, x0, y0, x1, y1, ports):
    metal = linear(*tf.point((x0, 0)), *tf.point((x1, 0)), [(0, METAL_DARK), (0.45, METAL_LIGHT), (1, METAL_DARK)])
    cv.shape(rect(x0, y0, x1 - x0, y1 - y0) + rect(x0 - 8, y0, x1 - x0 + 8, 9), metal, transform=tf)
    for (py, ph) in ports:
        cv.shape(rounded_rect(x0 + 5, py, x1 - x0 - 10, ph, 3), rgb('#2a2f38'), transform=tf)
        cv.shape(rounded_rect(x0 + 8, py + 3, x1 - x0 - 16, ph - 6, 2), rgb('#0d1014'), transform=tf)


def draw_card(cv, tf, detail='full'):
    """Paints the card onto the canvas through the transform (design space 256 x 256).

    detail: 'full' (large sizes, two fans with fine blades), 'medium' (two simple fans),
    'small' (one large fan, few parts: 16 and 24 pixels)."""
    small = detail == 'small'
    x0, x1, y0, y1 = (34, 254, 52, 188) if small else (40, 246, 62, 178)
    # Edge connector and circuit board under the shroud.
    pcb = rect(x0 + 4, y1 - 6, x1 - x0 - 14, 22 if not small else 20)
    cv.shape(pcb, linear(0, tf.point((0, y1))[1], 0, tf.point((0, y1 + 20))[1], [(0, PCB), (1, PCB_DARK)]),
             transform=tf)
    gold = linear(0, tf.point((0, y1 + 14))[1], 0, tf.point((0, y1 + 38))[1], [(0, GOLD_LIGHT), (1, GOLD_DARK)])
    if small:
        cv.shape(rect(96, y1 + 12, 128, 26), gold, transform=tf)
    else:
        fingers = []
        for k in range(18):
            fx = 96 + k * 7.2 + (10 if k >= 5 else 0)
            fingers += rect(fx, y1 + 14, 4.6, 22)
        cv.shape(fingers, gold, transform=tf)
    # Shroud with a soft top light and a blue accent line.
    ty, by = tf.point((0, y0))[1], tf.point((0, y1))[1]
    cv.shape(rounded_rect(x0, y0, x1 - x0, y1 - y0, 10 if small else 14),
             linear(0, ty, 0, by, [(0, SHROUD_TOP), (1, SHROUD_BOTTOM)]), transform=tf)
    if not small:
        cv.shape(rounded_rect(x0 + 3, y0 + 3, x1 - x0 - 6, 5, 2.5), rgb('#ffffff', 0.16), transform=tf)
        accent = [[(x1 - 70, y0), (x1 - 14, y0), (x1, y0 + 14), (x1, y0 + 26), (x1 - 58, y0 + 26)]]
        cv.shape(accent, linear(*tf.point((x1 - 70, 0)), *tf.point((x1, 0)), [(0, ACCENT), (1, ACCENT_LIGHT)]),
                 transform=tf)
        cv.shape(rect(x0 + 16, y1 - 12, x1 - x0 - 32, 3), ACCENT, opacity=0.9, transform=tf)
    # Fans.
    if small:
        _fan(cv, tf, 152, 120, 54, 5, False)
    else:
        blades = 9 if detail == 'full' else 6
        _fan(cv, tf, 97, 118, 44, blades, detail == 'full')
        _fan(cv, tf, 190, 118, 44, blades, detail == 'full')
    # Mounting bracket at the left.
    if small:
        _bracket(cv, tf, 2, 36, 32, 222, [(70, 58), (142, 50)])
    else:
        _bracket(cv, tf, 12, 46, 36, 214, [(66, 44), (118, 44), (170, 26)])


def card_canvas(size, detail=None, shadow=False):
    """The card alone on a transparent square canvas of the given size."""
    detail = detail or ('small' if size <= 24 else ('medium' if size <= 32 else 'full'))
    cv = Canvas(size, size)
    scale = size / 256.0
    tf = Affine().scale(scale)
    if shadow:
        m = fill(cv.w, cv.h, rounded_rect(24, 196, 226, 26, 13), transform=tf).blurred(max(1, size / 32))
        cv.paint(m, rgb('#000000'), 0.35)
    draw_card(cv, tf, detail)
    return cv


# The About window lays the large picture under its texts: a text box covers the rows above
# WIDE_CARD_TOP and the legal warning the rows from WIDE_CARD_BOTTOM down. The card keeps to
# the open band between them, so every text keeps the panel's plain background behind it.
WIDE_CARD_TOP = 82
WIDE_CARD_BOTTOM = 174


def wide_card_canvas(size=256):
    """A long three-fan card lying across the middle band of a transparent square."""
    cv = Canvas(size, size)
    tf = Affine().scale(size / 256.0)
    top, bottom = WIDE_CARD_TOP, WIDE_CARD_BOTTOM
    x0, x1 = 30, 250
    y0, y1 = top + 4, top + 66
    # A soft shadow right under the card, kept inside the band.
    m = fill(cv.w, cv.h, rounded_rect(x0 + 6, bottom - 11, x1 - x0 - 12, 6, 3), transform=tf)
    m = m.blurred(max(1, size / 128))
    cv.paint(m, rgb('#000000'), 0.22)
    # Circuit board and edge connector under the shroud.
    cv.shape(rect(x0 + 4, y1 - 6, x1 - x0 - 12, 18),
             linear(0, tf.point((0, y1))[1], 0, tf.point((0, y1 + 12))[1], [(0, PCB), (1, PCB_DARK)]), transform=tf)
    fingers = []
    for k in range(26):
        fx = 70 + k * 5.6 + (8 if k >= 6 else 0)
        fingers += rect(fx, y1 + 8, 3.6, bottom - 6 - (y1 + 8))
    cv.shape(fingers, linear(0, tf.point((0, y1 + 8))[1], 0, tf.point((0, bottom - 6))[1],
                             [(0, GOLD_LIGHT), (1, GOLD_DARK)]), transform=tf)
    # Shroud with a top light, a blue accent and a line along its foot.
    ty, by = tf.point((0, y0))[1], tf.point((0, y1))[1]
    cv.shape(rounded_rect(x0, y0, x1 - x0, y1 - y0, 10), linear(0, ty, 0, by, [(0, SHROUD_TOP), (1, SHROUD_BOTTOM)]),
             transform=tf)
    cv.shape(rounded_rect(x0 + 3, y0 + 2.5, x1 - x0 - 6, 4, 2), rgb('#ffffff', 0.16), transform=tf)
    accent = [[(x1 - 56, y0), (x1 - 10, y0), (x1, y0 + 10), (x1, y0 + 18), (x1 - 46, y0 + 18)]]
    cv.shape(accent, linear(*tf.point((x1 - 56, 0)), *tf.point((x1, 0)), [(0, ACCENT), (1, ACCENT_LIGHT)]),
             transform=tf)
    cv.shape(rect(x0 + 12, y1 - 7, x1 - x0 - 24, 2), ACCENT, opacity=0.9, transform=tf)
    # Three fans along the shroud.
    fan_y = (y0 + y1) / 2.0 - 1
    for k in range(3):
        _fan(cv, tf, x0 + (x1 - x0) * (2 * k + 1) / 6.0, fan_y, 23, 9, True)
    # Mounting bracket at the left, as tall as the band allows.
    _bracket(cv, tf, 10, top + 2, 30, bottom - 4, [(top + 12, 26), (top + 44, 26)])
    return cv


def card_mask(size):
    return card_canvas(size).alpha_mask()


__all__ = ['draw_card', 'card_canvas', 'wide_card_canvas', 'card_mask', 'arc_points']
