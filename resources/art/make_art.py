#!/usr/bin/env python3
"""Generates the program's pictures, icon and click sound from the drawings in this folder.

    python3 resources/art/make_art.py [--scale PERCENT]... [--only NAME]...

writes resources/pictures/<Name>.png and, drawn again for 150 and 200 % display scale,
<Name>@150.png and <Name>@200.png; resources/MainIcon.ico and resources/Click.wav; and the
setup program's welcome picture, installer/art/Welcome@<percent>.bmp at 100, 125, 150 and
200 %. --scale and --only (each may be given more than once) limit the run to those scales
and those outputs (the names above without scale and extension: Background, Welcome, MainIcon).
The outputs are checked in, so that a build needs no Python; run this again after changing a
drawing. Python 3 standard library only; the output is the same byte for byte on every run."""
import argparse
import math
import os
import random
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import gpu  # noqa: E402
import icons  # noqa: E402
import pictures  # noqa: E402
import raster  # noqa: E402
from raster import bmp_bytes, png_bytes  # noqa: E402

RESOURCES = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
INSTALLER_ART = os.path.join(os.path.dirname(RESOURCES), 'installer', 'art')

# Name, drawing, opaque (no alpha channel needed). Each is drawn for every one of PICTURE_SCALES.
PICTURES = [
    ('Background', pictures.background, True),
    ('TopLogo', pictures.logo, False),
    ('NavButton1', lambda: icons.nav_help(78), False),
    ('NavButton2', lambda: icons.nav_home(85), False),
    ('NavButton3', lambda: icons.nav_support(108), False),
    ('NavButton4', lambda: icons.nav_about(99), False),
    ('ImageList1', icons.image_list_windows, False),
    ('ImageList2', icons.image_list_processor, False),
    ('ImageList3', icons.image_list_network, False),
    ('Banner', pictures.banner, True),
    ('LargeIcon', gpu.wide_card_canvas, False),
]
PICTURE_SCALES = [100, 150, 200]

# The setup program's welcome and finish pages show a picture of 164 x 314 pixels at 96 dpi.
# 175 % pages take the 200 % picture, reduced: it would only make the setup larger.
WELCOME_SCALES = [100, 125, 150, 200]

# The icon group: (size, bits per pixel), in the order Windows lists them.
ICON_IMAGES = [(16, 8), (24, 8), (32, 8), (48, 8),
               (16, 32), (24, 32), (32, 32), (48, 32), (64, 32), (128, 32), (256, 32)]

CLICK_RATE = 22050
CLICK_SAMPLES = 1079


# ---------------------------------------------------------------- icon

def _median_cut(colours, count):
    """Up to count representative colours of a {rgb: pixels} histogram."""
    boxes = [list(colours.items())]
    while len(boxes) < count:
        boxes.sort(key=lambda b: -_spread(b)[0])
        spread, channel = _spread(boxes[0])
        if spread == 0:
            break
        box = sorted(boxes.pop(0), key=lambda item: item[0][channel])
        half = sum(n for _, n in box) / 2.0
        run, cut = 0, 1
        for i, (_, n) in enumerate(box[:-1]):
            run += n
            if run >= half:
                cut = i + 1
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[k] * n for c, n in box) / total)) for k in range(3)))
    return palette


def _spread(box):
    best = (0, 0)
    for k in range(3):
        values = [c[k] for c, _ in box]
        best = max(best, (max(values) - min(values), k))
    return best


def _and_mask(size, rgba):
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if rgba[(y * size + x) * 4 + 3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def _icon_dib(size, bits):
    """One icon image: BITMAPINFOHEADER, palette, colour rows bottom-up, AND mask."""
    rgba = gpu.card_canvas(size).rgba_bytes()
    pixels = [tuple(rgba[i:i + 4]) for i in range(0, len(rgba), 4)]
    body = bytearray()
    if bits == 32:
        for y in range(size - 1, -1, -1):
            for (r, g, b, a) in pixels[y * size:(y + 1) * size]:
                body += bytes((b, g, r, a))
        palette = b''
    else:
        histogram = {}
        for (r, g, b, a) in pixels:
            if a >= 128:
                histogram[(r, g, b)] = histogram.get((r, g, b), 0) + 1
        colours = [(0, 0, 0)] + _median_cut(histogram, 255)   # entry 0 is black, for the transparent pixels
        colours += [(0, 0, 0)] * (256 - len(colours))
        palette = b''.join(bytes((b, g, r, 0)) for (r, g, b) in colours)
        nearest = {}
        stride = (size + 3) // 4 * 4
        for y in range(size - 1, -1, -1):
            row = bytearray(stride)
            for x, (r, g, b, a) in enumerate(pixels[y * size:(y + 1) * size]):
                if a >= 128:
                    key = (r, g, b)
                    if key not in nearest:
                        nearest[key] = min(range(1, 256), key=lambda i: sum((p - q) ** 2 for p, q in
                                                                           zip(colours[i], key)))
                    row[x] = nearest[key]
            body += row
    mask = _and_mask(size, rgba)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, len(body) + len(mask), 0, 0, 0, 0)
    return header + palette + bytes(body) + mask


def icon_file():
    images = [_icon_dib(size, bits) for size, bits in ICON_IMAGES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), data in zip(ICON_IMAGES, images):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


# ---------------------------------------------------------------- click sound

def click_wav():
    """A soft, short click: two damped tones and a breath of noise, mono 16-bit PCM."""
    noise = random.Random(1079)
    samples = []
    for n in range(CLICK_SAMPLES):
        t = n / CLICK_RATE
        v = (0.55 * math.sin(2 * math.pi * 2350 * t) * math.exp(-t / 0.0035)
             + 0.35 * math.sin(2 * math.pi * 820 * t) * math.exp(-t / 0.007)
             + 0.25 * noise.uniform(-1, 1) * math.exp(-t / 0.0012))
        v *= min(1.0, n / 12.0)                            # 0.5 ms attack, no pop at the start
        v *= min(1.0, (CLICK_SAMPLES - 1 - n) / 110.0)    # ends exactly at silence
        samples.append(int(round(max(-1.0, min(1.0, v * 0.42)) * 32767)))
    data = struct.pack('<%dh' % len(samples), *samples)
    fmt = struct.pack('<HHIIHH', 1, 1, CLICK_RATE, CLICK_RATE * 2, 2, 16)
    return (b'RIFF' + struct.pack('<I', 4 + 8 + len(fmt) + 8 + len(data)) + b'WAVE'
            + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(data)) + data)


def _write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)
    print('wrote', os.path.relpath(path, os.path.dirname(RESOURCES)), len(data), 'bytes')


def _render(percent, draw):
    raster.set_scale(percent)
    try:
        return draw()
    finally:
        raster.set_scale(100)


def main(argv):
    parser = argparse.ArgumentParser(description='Generates the program\'s pictures, icon and sound.')
    parser.add_argument('--scale', type=int, action='append', metavar='PERCENT',
                        help='only these display scales (%s)' % ', '.join(map(str, WELCOME_SCALES)))
    parser.add_argument('--only', action='append', metavar='NAME', help='only these outputs')
    args = parser.parse_args(argv)
    names = [name for name, _, _ in PICTURES] + ['Welcome', 'MainIcon', 'Click']
    unknown = sorted(set(args.only or []) - set(names))
    if unknown:
        parser.error('no output named %s (there are %s)' % (', '.join(unknown), ', '.join(names)))

    def wanted(name, percent=100):
        return (not args.only or name in args.only) and (not args.scale or percent in args.scale)

    for name, draw, opaque in PICTURES:
        for percent in PICTURE_SCALES:
            if wanted(name, percent):
                suffix = '' if percent == 100 else '@%d' % percent
                _write(os.path.join(RESOURCES, 'pictures', name + suffix + '.png'),
                       png_bytes(_render(percent, draw), opaque, filtered=percent != 100))
    for percent in WELCOME_SCALES:
        if wanted('Welcome', percent):
            _write(os.path.join(INSTALLER_ART, 'Welcome@%d.bmp' % percent),
                   bmp_bytes(_render(percent, pictures.welcome)))
    if wanted('MainIcon'):
        _write(os.path.join(RESOURCES, 'MainIcon.ico'), icon_file())
    if wanted('Click'):
        _write(os.path.join(RESOURCES, 'Click.wav'), click_wav())


if __name__ == '__main__':
    main(sys.argv[1:])
