"""Small pictures: the four navigation icons of the main window's top band and
the 16 x 16 list pictures."""
import math

from raster import (Affine, Canvas, arc_points, circle, ellipse, fill, linear, polygon, radial, rect, rgb,
                    rounded_rect, snap, snapped_rect, stroke, union)


def _question_mark(cx, cy, size):
    """A '?' of the given height centred on (cx, cy), as a shape."""
    s = size / 10.0
    hook = arc_points(cx, cy - 2.2 * s, 2.4 * s, 2.4 * s, 190, 400, 20)
    end = hook[-1]
    hook += [(cx + 0.2 * s, cy + 0.9 * s), (cx, cy + 2.0 * s)]
    del end
    return stroke(hook, 1.7 * s, cap='butt') + circle(cx, cy + 4.0 * s, 1.05 * s)


def _drop_shadow(cv, shape, dx=0.0, dy=1.0, opacity=0.45):
    m = fill(cv.w, cv.h, Affine().translate(dx, dy).apply(shape)).blurred(1)
    cv.paint(m, rgb('#000000'), opacity)


def nav_help(width):
    cv = Canvas(width, 27)
    cx, cy, r = 12.5, 13.5, 10.5
    _drop_shadow(cv, circle(cx, cy, r))
    cv.shape(circle(cx, cy, r), rgb('#ffffff', 0.9))
    cv.shape(circle(cx, cy, r - 1.2), radial(cx - 3, cy - 4, 14, [(0, rgb('#7cc4ff')), (1, rgb('#1458c4'))]))
    cv.shape(ellipse(cx, cy - 4.5, 6.5, 4), rgb('#ffffff', 0.25))
    cv.shape(_question_mark(cx, cy, 13.5), rgb('#ffffff'))
    return cv


def nav_home(width):
    cv = Canvas(width, 27)
    roof = polygon((1.5, 13), (12.5, 2.5), (23.5, 13), (21, 15), (12.5, 7), (4, 15))
    body = polygon((5, 12.5), (12.5, 5.8), (20, 12.5), (20, 24), (5, 24))
    chimney = rect(17, 3.5, 3, 6)
    _drop_shadow(cv, union(roof, body, chimney))
    cv.shape(chimney, rgb('#b23a1c'))
    cv.shape(body, linear(0, 6, 0, 24, [(0, rgb('#ffffff')), (1, rgb('#d3dbe6'))]))
    cv.shape(rect(10, 16, 5, 8), linear(0, 16, 0, 24, [(0, rgb('#8a5a2b')), (1, rgb('#5e3a17'))]))
    cv.shape(rect(6.5, 14, 3, 3), rgb('#4aa0ef'))
    cv.shape(rect(15.5, 14, 3, 3), rgb('#4aa0ef'))
    cv.shape(roof, linear(0, 2, 0, 15, [(0, rgb('#ff8a4c')), (1, rgb('#d9401c'))]))
    return cv


def nav_support(width):
    cv = Canvas(width, 27)
    cx, cy, r = 11.5, 12.5, 10
    _drop_shadow(cv, circle(cx, cy, r))
    cv.shape(circle(cx, cy, r), radial(cx - 3, cy - 4, 14, [(0, rgb('#6cc0ff')), (1, rgb('#0f4fa8'))]))
    grid = []
    for k in (-0.55, 0.0, 0.55):
        grid += stroke(arc_points(cx, cy + k * r, r * math.sqrt(1 - k * k), 0.01, 180, 360, 12), 0.8, cap='butt')
    for rx in (0.35, 0.75):
        grid += stroke(arc_points(cx, cy, rx * r, r, 0, 360, 28), 0.8, closed=True)
    grid += stroke([(cx, cy - r), (cx, cy + r)], 0.8, cap='butt')
    globe = fill(cv.w, cv.h, circle(cx, cy, r - 0.6))
    cv.paint(fill(cv.w, cv.h, grid).intersect(globe), rgb('#e8f4ff'), 0.45)
    bx, by, br = 18.5, 19.5, 6.2
    cv.shape(circle(bx, by, br + 1.1), rgb('#ffffff'))
    cv.shape(circle(bx, by, br), radial(bx - 2, by - 2, 8, [(0, rgb('#7be36f')), (1, rgb('#1d8a2a'))]))
    cv.shape(_question_mark(bx, by, 8.5), rgb('#ffffff'))
    return cv


def nav_about(width):
    cv = Canvas(width, 27)
    front = polygon((3, 8), (15, 8), (15, 24), (3, 24))
    side = polygon((15, 8), (21, 4), (21, 20), (15, 24))
    top = polygon((3, 8), (9, 4), (21, 4), (15, 8))
    _drop_shadow(cv, union(front, side, top))
    cv.shape(front, linear(3, 8, 15, 24, [(0, rgb('#4da6ff')), (1, rgb('#1450b0'))]))
    cv.shape(side, linear(0, 4, 0, 24, [(0, rgb('#1c4f9c')), (1, rgb('#0d2f66'))]))
    cv.shape(top, rgb('#8cc8ff'))
    cv.shape(rect(3, 11, 12, 2), rgb('#ffd24a'))
    # The disc leaning out of the box.
    dx, dy, dr = 15.5, 17.5, 7.2
    cv.shape(circle(dx, dy + 0.8, dr), rgb('#000000', 0.35))
    disc = fill(cv.w, cv.h, circle(dx, dy, dr)).subtract(fill(cv.w, cv.h, circle(dx, dy, 1.6)))
    sheen = linear(dx - dr, dy - dr, dx + dr, dy + dr, [(0, rgb('#f5f7fa')), (0.35, rgb('#b9c3d0')),
                                                       (0.5, rgb('#f7e7ff')), (0.65, rgb('#b5e2f5')),
                                                       (1, rgb('#8793a3'))])
    cv.paint(disc, sheen)
    ring = fill(cv.w, cv.h, circle(dx, dy, 3.2)).subtract(fill(cv.w, cv.h, circle(dx, dy, 1.6)))
    cv.paint(ring, rgb('#ffffff'), 0.8)
    return cv


# ---------------------------------------------------------------- 16 x 16 list pictures

def window_emblem(cv, x0, light):
    """The four-pane window emblem in a 16 x 16 cell at x0."""
    top, bottom = (rgb('#7fd0ff'), rgb('#1b86e0')) if light else (rgb('#3a6fc4'), rgb('#0e2c6a'))
    left, right, gap_left, gap_right = snap(1), snap(15), snap(7.3), snap(8.3)
    gap_top, gap_bottom, foot = snap(7.5), snap(8.5), snap(15)
    panes = [polygon((left, 3.2), (gap_left, 2.3), (gap_left, gap_top), (left, gap_top)),
             polygon((gap_right, 2.1), (right, 1), (right, gap_top), (gap_right, gap_top)),
             polygon((left, gap_bottom), (gap_left, gap_bottom), (gap_left, 13.7), (left, 12.8)),
             polygon((gap_right, gap_bottom), (right, gap_bottom), (right, foot), (gap_right, 13.9))]
    paint = linear(x0, 1, x0 + 14, 15, [(0, top), (1, bottom)])
    cv.shape(union(*panes), paint, transform=Affine().translate(x0, 0))


def image_list_windows():
    cv = Canvas(32, 16)
    window_emblem(cv, 0, True)
    window_emblem(cv, 16, False)
    return cv


def image_list_processor():
    cv = Canvas(16, 16)
    pins = []
    for k in range(4):
        p = 4 + k * 2.4
        pins += rect(p, 0.5, 1.3, 3) + rect(p, 12.5, 1.3, 3) + rect(0.5, p, 3, 1.3) + rect(12.5, p, 3, 1.3)
    cv.shape(pins, rgb('#9aa3af'))
    cv.shape(snapped_rect(2.5, 2.5, 11, 11, 1.5), linear(0, 2, 0, 14, [(0, rgb('#4b5565')), (1, rgb('#1f2530'))]))
    cv.shape(snapped_rect(5, 5, 6, 6), linear(5, 5, 11, 11, [(0, rgb('#ffe27a')), (1, rgb('#c0901e'))]))
    cv.shape(snapped_rect(6.5, 6.5, 3, 3), rgb('#8a6510'), opacity=0.6)
    return cv


def _monitor(cv, x, y, w, h):
    cv.shape(rect(x + w / 2 - 1, y + h, 2, 2) + rect(x + w / 2 - 3, y + h + 1.5, 6, 1.5), rgb('#5a6270'))
    cv.shape(snapped_rect(x, y, w, h, 1), linear(0, y, 0, y + h, [(0, rgb('#6b7482')), (1, rgb('#2b313b'))]))
    cv.shape(snapped_rect(x + 1, y + 1, w - 2, h - 2.2), linear(x, y, x + w, y + h, [(0, rgb('#9edcff')),
                                                                            (1, rgb('#1f6fd0'))]))


def image_list_network():
    cv = Canvas(16, 16)
    cv.shape(stroke([(4.5, 9.5), (4.5, 13.5), (10, 13.5)], 1.2, cap='butt'), rgb('#2aa84a'))
    _monitor(cv, 0, 0.5, 9, 7)
    _monitor(cv, 7, 6, 9, 7)
    return cv
