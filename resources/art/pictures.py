"""The window pictures: the main window's background and logo, the navigation
icons, the About window's banner and the list pictures."""
import math
import random

import gpu
import letters
import raster
from raster import (Affine, Canvas, Mask, arc_points, bezier, circle, fill, linear, polygon, radial, rect,
                    rgb, rounded_rect, stroke, union)

BAND_TOP = rgb('#0a2150')
BAND_BOTTOM = rgb('#15428a')
FIELD = rgb('#edf1f6')
TOOL_GREY = rgb('#dbe1e8')


# ---------------------------------------------------------------- dark band with light curves

def draw_band(cv, width, height, seed, light=1.0):
    """A dark-blue band across the top with a glow and a bundle of thin light curves.

    light scales the glow and the curves; a band that white text lies on keeps them low."""
    cv.shape(rect(0, 0, width, height), linear(0, 0, 0, height, [(0, BAND_TOP), (1, BAND_BOTTOM)]))
    glow = radial(width * 0.72, height * 0.2, width * 0.45,
                  [(0, rgb('#3f7fd6', 0.45 * light)), (1, rgb('#3f7fd6', 0.0))])
    cv.shape(rect(0, 0, width, height), glow)
    rnd = random.Random(seed)
    for k in range(9):
        t = k / 8.0
        y0 = height * (0.95 - 0.35 * t) + rnd.uniform(-3, 3)
        y3 = height * (0.15 + 0.45 * t) + rnd.uniform(-3, 3)
        c1 = (width * 0.3, height * (0.1 + 0.5 * t) - 25 + rnd.uniform(-8, 8))
        c2 = (width * 0.65, height * (1.1 - 0.3 * t) + 10 + rnd.uniform(-8, 8))
        curve = bezier((-20, y0), c1, c2, (width + 20, y3), 160)
        cv.shape(stroke(curve, 0.9 + 0.5 * (k % 3 == 0), cap='butt'), rgb('#cfe3ff'),
                 opacity=(0.10 + 0.05 * (k % 4)) * light)
    # A lighter edge where the band ends.
    cv.shape(rect(0, height - 1, width, 1), rgb('#6f9fe0'), opacity=0.8)


def banner():
    """The About window's heading lies on it in white: every pixel keeps a contrast above 4.5 to white."""
    cv = Canvas(700, 60)
    draw_band(cv, 700, 60, seed=7, light=0.6)
    return cv


# ---------------------------------------------------------------- tool silhouettes

def _screwdriver(length):
    grips = []
    for k in range(4):
        grips += rounded_rect(16 + k * 24, -3 - 10, 14, 4, 2) + rounded_rect(16 + k * 24, 9, 14, 4, 2)
    adds = (rounded_rect(0, -20, 120, 40, 16) + rect(118, -11, 18, 22) + rect(134, -6, length - 170, 12)
            + polygon((length - 38, -6), (length - 4, -3.5), (length, -3.5), (length, 3.5), (length - 4, 3.5),
                      (length - 38, 6)))
    return adds, grips + circle(14, 0, 5)


def _hammer():
    handle = polygon((0, -13), (250, -10), (250, 10), (0, 13)) + circle(2, 0, 13)
    head = rounded_rect(230, -44, 56, 84, 8) + rounded_rect(238, -78, 40, 40, 4)
    claw_outer = ([(232, 30)] + bezier((232, 30), (236, 80), (210, 110), (176, 126), 20)
                  + bezier((176, 126), (226, 116), (276, 84), (284, 30), 20))
    return handle + head + [claw_outer], rounded_rect(10, -3, 60, 6, 3) + rect(250, 40, 6, 30)


def _wrench():
    handle = polygon((30, -17), (150, -13), (270, -17), (270, 17), (150, 13), (30, 17))
    jaw = circle(12, 0, 40)
    ring = circle(300, 0, 35)
    slot = Affine().rotate(-15).translate(12, 0).apply(rect(-60, -15, 70, 30) + circle(10, 0, 15))
    hole = circle(300, 0, 19)
    return handle + jaw + ring, slot + hole + rounded_rect(80, -4, 150, 8, 4)


def _pliers():
    upper = ([(0, -16)] + bezier((0, -16), (80, -26), (160, -40), (250, -42), 20)
             + bezier((250, -42), (262, -42), (262, -22), (250, -22), 6)
             + bezier((250, -22), (160, -18), (80, -4), (0, 4), 20))
    lower = [(x, -y) for (x, y) in upper]
    jaws = polygon((0, -22), (-60, -16), (-130, -6), (-130, 6), (-60, 16), (0, 22))
    return [upper, lower] + jaws + circle(0, 0, 26), rect(-130, -1.5, 110, 3) + circle(0, 0, 7)


def _tool_mask(cv, parts, tf):
    adds, subs = parts
    m = fill(cv.w, cv.h, union(adds), transform=tf)
    return m.subtract(fill(cv.w, cv.h, union(subs), transform=tf)) if subs else m


def _placed(angle, anchor, at, size=0.8):
    """Scales and rotates a tool and moves its local point anchor to the point at."""
    tf = Affine().scale(size).rotate(angle)
    ax, ay = tf.point(anchor)
    return tf.translate(at[0] - ax, at[1] - ay)


TOOL_LAYOUT = [
    (_hammer, _placed(-74, (258, 0), (34, 296))),
    (lambda: _screwdriver(280), _placed(-74, (280, 0), (78, 284))),
    (_wrench, _placed(106, (12, 0), (120, 312))),
    (_pliers, _placed(106, (-130, 0), (160, 318))),
    (lambda: _screwdriver(230), _placed(-74, (230, 0), (200, 350))),
]


def background():
    w, h = 764, 500
    cv = Canvas(w, h, FIELD)
    cv.shape(rect(0, 85, w, 150), linear(0, 85, 0, 235, [(0, rgb('#c6d5e8')), (1, FIELD)]))
    # Each tool is cut out of the ones below it by a thin ring of the field colour.
    for parts, tf in TOOL_LAYOUT:
        m = _tool_mask(cv, parts(), tf)
        cv.paint(m.blurred(2).scaled(3.0), FIELD)
        cv.paint(m, TOOL_GREY)
    band = Canvas(w, 85)
    draw_band(band, w, 85, seed=3)
    # The band's rows replace the field's; where the band ends inside a pixel row (at some
    # scales), that row is the band laid over the field.
    whole = int(85 * raster.SCALE) * cv.w * 4
    cv.px[:whole] = band.px[:whole]
    for k in range(whole, len(band.px), 4):
        keep = 1.0 - band.px[k + 3]
        for c in range(4):
            cv.px[k + c] = band.px[k + c] + cv.px[k + c] * keep
    return cv


# ---------------------------------------------------------------- logo

def logo():
    w, h = 400, 50
    cv = Canvas(w, h)
    # The 64-pixel card, which fills rows 12..58 of its square, lies in the left of the logo, 9 rows up.
    gpu.draw_card(cv, Affine().scale(64 / 256.0).translate(0, -9), 'medium')
    text, _width = letters.word('Velantrix')
    tf = Affine().skew_x(-0.2).scale(0.38).translate(80, 5)
    m = fill(cv.w, cv.h, text, transform=tf)
    shadow = m.shifted(2, 2).blurred(2)
    cv.paint(shadow, rgb('#000000'), 0.6)
    cv.paint(m, linear(0, 5, 0, 43, [(0, rgb('#ffffff')), (1, rgb('#d6e4f7'))]))
    return cv


# ---------------------------------------------------------------- setup program's welcome picture

def welcome():
    """The side picture of the setup program's welcome and finish pages: the card and the name on
    the dark band's blue, the tools faint at the foot."""
    w, h = 164, 314
    cv = Canvas(w, h)
    cv.shape(rect(0, 0, w, h), linear(0, 0, 0, h, [(0, BAND_TOP), (1, BAND_BOTTOM)]))
    cv.shape(rect(0, 0, w, h), radial(w * 0.62, h * 0.36, w * 0.95,
                                      [(0, rgb('#3f7fd6', 0.42)), (1, rgb('#3f7fd6', 0.0))]))
    rnd = random.Random(11)
    for k in range(9):
        t = k / 8.0
        x0 = w * (0.05 + 0.5 * t) + rnd.uniform(-3, 3)
        x3 = w * (0.35 + 0.6 * t) + rnd.uniform(-3, 3)
        c1 = (w * (1.0 - 0.4 * t) + rnd.uniform(-8, 8), h * 0.68)
        c2 = (w * (0.1 - 0.2 * t) + rnd.uniform(-8, 8), h * 0.3)
        curve = bezier((x0, h + 20), c1, c2, (x3, -20), 160)
        cv.shape(stroke(curve, 0.9 + 0.5 * (k % 3 == 0), cap='butt'), rgb('#cfe3ff'), opacity=0.08 + 0.04 * (k % 4))
    # The tools of the main window's background, faint, crossing at the foot.
    for parts, angle, anchor, at in ((_wrench, -28, (160, 0), (92, 286)), (lambda: _screwdriver(250), 34,
                                                                          (125, 0), (80, 282))):
        tf = Affine().scale(0.42).rotate(angle)
        ax, ay = tf.point(anchor)
        cv.paint(_tool_mask(cv, parts(), tf.translate(at[0] - ax, at[1] - ay)), rgb('#cfe3ff'), 0.10)
    # The card with a soft shadow under it.
    card_tf = Affine().scale(0.52).translate(15, 50)
    shadow = fill(cv.w, cv.h, rounded_rect(30, 200, 210, 22, 11), transform=card_tf).blurred(3)
    cv.paint(shadow, rgb('#000000'), 0.45)
    gpu.draw_card(cv, card_tf, 'full')
    # The name, in the logo's letters, with the logo's shadow.
    text, width = letters.word('Velantrix')
    size = 0.22
    tf = Affine().skew_x(-0.2).scale(size).translate((w - width * size) / 2.0 + 2, 194)
    m = fill(cv.w, cv.h, text, transform=tf)
    cv.paint(m.shifted(1, 1).blurred(1), rgb('#000000'), 0.55)
    cv.paint(m, linear(0, 194, 0, 216, [(0, rgb('#ffffff')), (1, rgb('#d6e4f7'))]))
    cv.shape(rounded_rect(w / 2.0 - 22, 228, 44, 2.5, 1.25), linear(w / 2.0 - 22, 0, w / 2.0 + 22, 0,
                                                                   [(0, gpu.ACCENT), (1, gpu.ACCENT_LIGHT)]))
    # A lighter edge where the picture meets the page.
    cv.shape(rect(w - 1, 0, 1, h), rgb('#6f9fe0'), opacity=0.8)
    return cv
