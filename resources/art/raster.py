"""A small anti-aliased vector rasteriser for the program's artwork.

Shapes are lists of closed sub-paths (lists of (x, y) points in pixel units,
y pointing down). They are turned into coverage masks (one float per pixel,
0..1) with exact horizontal coverage and 16 sub-scanlines per pixel row;
masks combine (union, subtract, intersect, blur) and are composited onto an
RGBA canvas with a solid colour or a gradient. Standard library only.

Drawings are written in 96-dpi pixels. set_scale() renders them for another
display scale: canvases grow by the scale (each side rounded half away from
zero, as Windows' MulDiv does), shapes, gradients, blurs and shifts are mapped
onto the larger pixels, and curves are cut finer, so a picture at 200 % is the
same drawing with twice the detail, not an enlarged copy.
"""
import math
import struct
import zlib

SUBSCANLINES = 16

# The display scale that drawings are rendered at: a percentage and the factor.
_percent = 100
SCALE = 1.0


def set_scale(percent):
    """Renders every following drawing at percent % of its 96-dpi size."""
    global _percent, SCALE
    _percent = int(percent)
    SCALE = _percent / 100.0


def scaled_size(value):
    """A 96-dpi length in pixels at the current scale, rounded half away from zero."""
    return (value * _percent + 50) // 100


def snap(v):
    """A 96-dpi coordinate moved onto the nearest pixel edge at the current scale (unchanged at 100 %).

    For the small pictures, whose straight edges would otherwise fall inside a pixel at some scales."""
    return v if _percent == 100 else round(v * SCALE) / SCALE


def _scaled_count(n):
    """A segment count chosen for 100 %, for the current scale."""
    return n if _percent == 100 else max(n, int(round(n * SCALE)))


# ---------------------------------------------------------------- colours

def rgb(hex_text, alpha=1.0):
    """'#rrggbb' -> (r, g, b, a) with components 0..1."""
    h = hex_text.lstrip('#')
    return (int(h[0:2], 16) / 255.0, int(h[2:4], 16) / 255.0, int(h[4:6], 16) / 255.0, alpha)


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def _stops_at(stops, t):
    t = min(1.0, max(0.0, t))
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, 0.0 if t1 == t0 else (t - t0) / (t1 - t0))
    return stops[-1][1]


def linear(x0, y0, x1, y1, stops):
    """A linear gradient paint from (x0, y0) to (x1, y1); stops = [(t, colour), ...]."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1.0
    return lambda x, y: _stops_at(stops, ((x - x0) * dx + (y - y0) * dy) / length2)


def radial(cx, cy, r, stops):
    return lambda x, y: _stops_at(stops, math.hypot(x - cx, y - cy) / r)


# ---------------------------------------------------------------- geometry

class Affine:
    """x' = a*x + c*y + e, y' = b*x + d*y + f."""

    def __init__(self, a=1.0, b=0.0, c=0.0, d=1.0, e=0.0, f=0.0):
        self.m = (a, b, c, d, e, f)

    def then(self, other):
        """This transform followed by other."""
        a, b, c, d, e, f = self.m
        A, B, C, D, E, F = other.m
        return Affine(A * a + C * b, B * a + D * b, A * c + C * d, B * c + D * d,
                      A * e + C * f + E, B * e + D * f + F)

    def translate(self, x, y):
        return self.then(Affine(e=x, f=y))

    def scale(self, sx, sy=None):
        return self.then(Affine(a=sx, d=sx if sy is None else sy))

    def rotate(self, degrees, cx=0.0, cy=0.0):
        r = math.radians(degrees)
        cs, sn = math.cos(r), math.sin(r)
        return self.translate(-cx, -cy).then(Affine(cs, sn, -sn, cs)).translate(cx, cy)

    def skew_x(self, factor):
        """Shears x by factor * y (negative factor leans the tops to the right, y down)."""
        return self.then(Affine(c=factor))

    def point(self, p):
        a, b, c, d, e, f = self.m
        return (a * p[0] + c * p[1] + e, b * p[0] + d * p[1] + f)

    def apply(self, shape):
        return [[self.point(p) for p in sub] for sub in shape]


def _segments_for(r):
    return max(12, min(256, int(r * SCALE * 3.0)))


def arc_points(cx, cy, rx, ry, a0, a1, n=None):
    """Points on an elliptic arc, angles in degrees, clockwise on screen for a1 > a0."""
    n = _scaled_count(n) if n else max(4, int(_segments_for(max(rx, ry)) * abs(a1 - a0) / 360.0))
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def ellipse(cx, cy, rx, ry):
    return [arc_points(cx, cy, rx, ry, 0, 360)[:-1]]


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def rect(x, y, w, h):
    return [[(x, y), (x + w, y), (x + w, y + h), (x, y + h)]]


def rounded_rect(x, y, w, h, r):
    r = min(r, w / 2.0, h / 2.0)
    if r <= 0:
        return rect(x, y, w, h)
    pts = []
    pts += arc_points(x + w - r, y + r, r, r, -90, 0)
    pts += arc_points(x + w - r, y + h - r, r, r, 0, 90)
    pts += arc_points(x + r, y + h - r, r, r, 90, 180)
    pts += arc_points(x + r, y + r, r, r, 180, 270)
    return [pts]


def snapped_rect(x, y, w, h, r=0):
    """A rectangle (rounded when r > 0) with its edges on whole pixels at the current scale."""
    x0, y0, x1, y1 = snap(x), snap(y), snap(x + w), snap(y + h)
    return rounded_rect(x0, y0, x1 - x0, y1 - y0, r) if r else rect(x0, y0, x1 - x0, y1 - y0)


def polygon(*pts):
    return [list(pts)]


def bezier(p0, p1, p2, p3, n=24):
    n = _scaled_count(n)
    out = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        out.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return out


def signed_area(sub):
    s = 0.0
    for (x0, y0), (x1, y1) in zip(sub, sub[1:] + sub[:1]):
        s += x0 * y1 - x1 * y0
    return s / 2.0


def oriented(sub):
    """The sub-path with positive area, so that unions under the non-zero rule add up."""
    return sub if signed_area(sub) >= 0 else sub[::-1]


def stroke(points, width, cap='round', closed=False):
    """A thick polyline as a union of segment quads and round joins."""
    hw = width / 2.0
    pts = list(points) + ([points[0]] if closed else [])
    shape = []
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        length = math.hypot(x1 - x0, y1 - y0)
        if length == 0:
            continue
        nx, ny = -(y1 - y0) / length * hw, (x1 - x0) / length * hw
        shape.append(oriented([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]))
    joints = pts[1:-1] if not closed else pts[:-1]
    if cap == 'round' and not closed:
        joints = pts
    n = max(8, min(48, int(hw * 4)))
    for (x, y) in joints:
        shape.append(oriented(arc_points(x, y, hw, hw, 0, 360, n)[:-1]))
    return shape


def union(*shapes):
    return [oriented(sub) for shape in shapes for sub in shape]


# ---------------------------------------------------------------- masks

class Mask:
    def __init__(self, w, h, data=None):
        self.w, self.h = w, h
        self.a = data if data is not None else [0.0] * (w * h)

    def copy(self):
        return Mask(self.w, self.h, list(self.a))

    def union(self, other):
        return Mask(self.w, self.h, [x + y - x * y for x, y in zip(self.a, other.a)])

    def subtract(self, other):
        return Mask(self.w, self.h, [x * (1.0 - y) for x, y in zip(self.a, other.a)])

    def intersect(self, other):
        return Mask(self.w, self.h, [x * y for x, y in zip(self.a, other.a)])

    def scaled(self, factor):
        return Mask(self.w, self.h, [min(1.0, x * factor) for x in self.a])

    def shifted(self, dx, dy):
        """The mask moved by (dx, dy) 96-dpi pixels, rounded to whole pixels at the current scale."""
        if _percent != 100:
            dx, dy = int(math.floor(dx * SCALE + 0.5)), int(math.floor(dy * SCALE + 0.5))
        out = [0.0] * (self.w * self.h)
        for y in range(self.h):
            sy = y - dy
            if 0 <= sy < self.h:
                for x in range(self.w):
                    sx = x - dx
                    if 0 <= sx < self.w:
                        out[y * self.w + x] = self.a[sy * self.w + sx]
        return Mask(self.w, self.h, out)

    def blurred(self, radius):
        """Three box-blur passes each way: close to a Gaussian of about radius/1.7 sigma.

        The radius is in 96-dpi pixels; at another scale the passes' radii are chosen so that
        the blur's spread grows with the scale."""
        w, h = self.w, self.h
        a = list(self.a)
        for r in _box_radii(max(1, int(radius))):
            norm = 1.0 / (2 * r + 1)
            b = [0.0] * (w * h)
            for y in range(h):
                row = a[y * w:(y + 1) * w]
                s = 0.0
                for i in range(-r, r + 1):
                    s += row[min(w - 1, max(0, i))]
                for x in range(w):
                    b[y * w + x] = s * norm
                    s += row[min(w - 1, x + r + 1)] - row[max(0, x - r)]
            a = [0.0] * (w * h)
            for x in range(w):
                col = b[x::w]
                s = 0.0
                for i in range(-r, r + 1):
                    s += col[min(h - 1, max(0, i))]
                for y in range(h):
                    a[y * w + x] = s * norm
                    s += col[min(h - 1, y + r + 1)] - col[max(0, y - r)]
        return Mask(w, h, a)


def _box_radii(r):
    """Radii of three box passes whose spread is that of three passes of radius r at 100 %, scaled.

    A box of radius k has a variance of k(k+1)/3; passes of radii a and a+1 are mixed to come
    closest to the scaled variance."""
    if _percent == 100:
        return [r, r, r]
    target = SCALE * SCALE * r * (r + 1)
    a = int((math.sqrt(1 + 4 * target) - 1) / 2)
    wider = min(3, max(0, int(round((target - a * (a + 1)) * 3 / (2.0 * (a + 1))))))
    return [a + 1] * wider + [a] * (3 - wider)


def fill(w, h, shape, rule='nonzero', transform=None):
    """Coverage mask of the shape, given in 96-dpi pixels, on a w x h mask of the current scale.

    Exact across each sub-scanline, 16 sub-scanlines a row."""
    if _percent != 100:
        to_pixels = Affine().scale(SCALE)
        transform = to_pixels if transform is None else transform.then(to_pixels)
    if transform is not None:
        shape = transform.apply(shape)
    data = [0.0] * (w * h)
    rows = [[] for _ in range(h)]
    for sub in shape:
        for (x0, y0), (x1, y1) in zip(sub, sub[1:] + sub[:1]):
            if y0 == y1:
                continue
            d = 1
            if y0 > y1:
                x0, y0, x1, y1, d = x1, y1, x0, y0, -1
            r0, r1 = max(0, int(math.floor(y0))), min(h - 1, int(math.floor(y1)))
            edge = (y0, y1, x0, (x1 - x0) / (y1 - y0), d)
            for r in range(r0, r1 + 1):
                rows[r].append(edge)
    weight = 1.0 / SUBSCANLINES
    evenodd = rule == 'evenodd'
    for r in range(h):
        edges = rows[r]
        if not edges:
            continue
        cov = [0.0] * (w + 2)
        delta = [0.0] * (w + 2)
        for k in range(SUBSCANLINES):
            sy = r + (k + 0.5) * weight
            xs = sorted((ex + (sy - ey0) * slope, d) for (ey0, ey1, ex, slope, d) in edges if ey0 <= sy < ey1)
            wind = 0
            for j in range(len(xs) - 1):
                wind += xs[j][1]
                if (wind & 1) if evenodd else wind != 0:
                    _add_span(cov, delta, xs[j][0], xs[j + 1][0], weight, w)
        base = r * w
        run = 0.0
        for x in range(w):
            run += delta[x]
            v = cov[x] + run
            if v > 1e-6:
                data[base + x] = 1.0 if v > 1.0 else v
    return Mask(w, h, data)


def _add_span(cov, delta, xa, xb, weight, w):
    xa = 0.0 if xa < 0.0 else (float(w) if xa > w else xa)
    xb = 0.0 if xb < 0.0 else (float(w) if xb > w else xb)
    if xb <= xa:
        return
    ia, ib = int(xa), int(xb)
    if ia == ib:
        cov[ia] += (xb - xa) * weight
        return
    cov[ia] += (ia + 1 - xa) * weight
    delta[ia + 1] += weight
    delta[ib] -= weight
    cov[ib] += (xb - ib) * weight


# ---------------------------------------------------------------- canvas

class Canvas:
    """RGBA pixels, premultiplied, components 0..1. Sized w x h 96-dpi pixels at the current scale."""

    def __init__(self, w, h, background=None):
        self.w, self.h = scaled_size(w), scaled_size(h)
        w, h = self.w, self.h
        self.px = [0.0] * (w * h * 4)
        if background is not None:
            self.paint(Mask(w, h, [1.0] * (w * h)), background)

    def paint(self, mask, paint, opacity=1.0):
        """Composites the paint (colour tuple or function (x, y) -> colour) through the mask."""
        px, w = self.px, self.w
        solid = not callable(paint)
        at = _percent != 100
        for i, m in enumerate(mask.a):
            if m <= 0.0:
                continue
            if solid:
                c = paint
            elif at:
                c = paint((i % w + 0.5) / SCALE, (i // w + 0.5) / SCALE)   # gradients are in 96-dpi pixels
            else:
                c = paint(i % w + 0.5, i // w + 0.5)
            sa = m * opacity * c[3]
            if sa <= 0.0:
                continue
            k = i * 4
            keep = 1.0 - sa
            px[k] = c[0] * sa + px[k] * keep
            px[k + 1] = c[1] * sa + px[k + 1] * keep
            px[k + 2] = c[2] * sa + px[k + 2] * keep
            px[k + 3] = sa + px[k + 3] * keep

    def shape(self, shape, paint, rule='nonzero', opacity=1.0, transform=None):
        m = fill(self.w, self.h, shape, rule, transform)
        self.paint(m, paint, opacity)
        return m

    def alpha_mask(self):
        return Mask(self.w, self.h, self.px[3::4])

    def draw_canvas(self, other, opacity=1.0):
        """Composites another canvas of the same size over this one."""
        px, src = self.px, other.px
        for k in range(0, len(px), 4):
            sa = src[k + 3] * opacity
            if sa <= 0.0:
                continue
            keep = 1.0 - sa
            px[k] = src[k] * opacity + px[k] * keep
            px[k + 1] = src[k + 1] * opacity + px[k + 1] * keep
            px[k + 2] = src[k + 2] * opacity + px[k + 2] * keep
            px[k + 3] = sa + px[k + 3] * keep

    def rgba_bytes(self):
        """Straight (not premultiplied) 8-bit RGBA, row by row, top row first."""
        out = bytearray(self.w * self.h * 4)
        px = self.px
        for k in range(0, len(px), 4):
            a = px[k + 3]
            if a <= 0.0:
                continue
            out[k] = _byte(px[k] / a)
            out[k + 1] = _byte(px[k + 1] / a)
            out[k + 2] = _byte(px[k + 2] / a)
            out[k + 3] = _byte(a)
        return bytes(out)


def _byte(v):
    v = int(v * 255.0 + 0.5)
    return 0 if v < 0 else (255 if v > 255 else v)


# ---------------------------------------------------------------- PNG

def _filtered_row(row, prev, bpp):
    """(filter type, filtered bytes) of one PNG row: of the five filters, the one whose bytes,
    read as signed, add up to the least, which usually compresses best."""
    left = bytes(bpp) + row[:-bpp]
    corner = bytes(bpp) + prev[:-bpp]
    paeth = bytearray(len(row))
    for i, (x, a, b, c) in enumerate(zip(row, left, prev, corner)):
        p = a + b - c
        da, db, dc = abs(p - a), abs(p - b), abs(p - c)
        paeth[i] = (x - (a if da <= db and da <= dc else (b if db <= dc else c))) & 255
    candidates = [(0, bytes(row)),
                  (1, bytes((x - a) & 255 for x, a in zip(row, left))),
                  (2, bytes((x - b) & 255 for x, b in zip(row, prev))),
                  (3, bytes((x - ((a + b) >> 1)) & 255 for x, a, b in zip(row, left, prev))),
                  (4, bytes(paeth))]
    return min(candidates, key=lambda c: sum(v if v < 128 else 256 - v for v in c[1]))


def png_bytes(canvas, opaque=False, filtered=False):
    """A PNG of the canvas: RGB when opaque, else RGBA. No time stamps, so output is reproducible.

    filtered: each row also tried with the PNG row filters, kept where the file comes out smaller."""
    w, h = canvas.w, canvas.h
    rgba = canvas.rgba_bytes()
    raw = bytearray()
    rows = []
    for y in range(h):
        raw.append(0)
        row = rgba[y * w * 4:(y + 1) * w * 4]
        if opaque:
            row = b''.join(row[x * 4:x * 4 + 3] for x in range(w))
        raw += row
        rows.append(row)
    image = zlib.compress(bytes(raw), 9)
    if filtered:
        bpp = 3 if opaque else 4
        out, prev = bytearray(), bytes(len(rows[0]))
        for row in rows:
            kind, data = _filtered_row(row, prev, bpp)
            out.append(kind)
            out += data
            prev = row
        image = min(image, zlib.compress(bytes(out), 9), key=len)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack('>IIBBBBB', w, h, 8, 2 if opaque else 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', image)
            + chunk(b'IEND', b''))


# ---------------------------------------------------------------- BMP

def bmp_bytes(canvas):
    """A 24-bit bottom-up BMP of an opaque canvas, with a plain BITMAPINFOHEADER."""
    w, h = canvas.w, canvas.h
    rgba = canvas.rgba_bytes()
    stride = (w * 3 + 3) // 4 * 4
    body = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            r, g, b = rgba[(y * w + x) * 4:(y * w + x) * 4 + 3]
            row[x * 3:x * 3 + 3] = bytes((b, g, r))
        body += row
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(body), 0, 0, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return header + info + bytes(body)
