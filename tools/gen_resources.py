#!/usr/bin/env python3
"""Draw all of Dorvane's pictures from code and write them into resources/.

    python3 tools/gen_resources.py            regenerate resources/
    python3 tools/gen_resources.py --check    regenerate into a temporary folder, compare
                                              byte for byte with resources/ and verify the
                                              layout facts the program relies on

Only the standard library is used: BMP, ICO and baseline JPEG files are written by hand
here, so the output is the same on every machine. ImageMagick's convert, when present, is
used by --check alone, as an independent JPEG decoder.
"""

import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "resources")

MAGENTA = (255, 0, 255)          # transparent key of every BMP
PANEL = (126, 178, 235)          # the main window's colour
WHITE = (255, 255, 255)
JPEG_QUALITY = 92

# ----------------------------------------------------------------------------------------
# Drawing
# ----------------------------------------------------------------------------------------


def clamp8(v):
    v = int(math.floor(v + 0.5))
    return 0 if v < 0 else 255 if v > 255 else v


def mix(c1, c2, t):
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def vgrad(y0, y1, *stops):
    """Paint that runs through the colour stops from row y0 to row y1."""
    def paint(x, y):
        t = min(max((y - y0) / float(y1 - y0), 0.0), 1.0) * (len(stops) - 1)
        i = min(int(t), len(stops) - 2)
        return mix(stops[i], stops[i + 1], t - i)
    return paint


class Canvas:
    """Straight (non-premultiplied) RGBA, colour 0..255 floats, alpha 0..1. A canvas at
    scale k has k x k pixels for each pixel of the drawing: shapes, paints, rectangles
    and points take the drawing's coordinates, so one drawing serves every scale."""

    def __init__(self, w, h, k=1):
        self.k = k
        self.w, self.h = round(w * k), round(h * k)
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.w * self.h)]

    def blend(self, x, y, rgb, a):
        if a <= 0.0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        p = self.px[y * self.w + x]
        da = p[3] * (1.0 - a)
        oa = a + da
        for i in range(3):
            p[i] = (rgb[i] * a + p[i] * da) / oa
        p[3] = oa

    def set(self, x, y, rgb):
        """One pixel of the canvas (not of the drawing)."""
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = [float(rgb[0]), float(rgb[1]), float(rgb[2]), 1.0]

    def put(self, x, y, rgb):
        assert self.k == int(self.k), "single pixels need a whole scale"
        for dy in range(self.k):
            for dx in range(self.k):
                self.set(x * self.k + dx, y * self.k + dy, rgb)

    def rect(self, x0, y0, x1, y1, rgb):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, rgb)

    def fill(self, shape, paint, ss=4, alpha=1.0):
        """Anti-aliased fill: coverage from ss x ss samples, colour at the pixel centre.
        ss=1 gives crisp pixel art (a pixel belongs to the shape if its centre does)."""
        offs = [(i + 0.5) / ss for i in range(ss)]
        n = float(ss * ss) / alpha
        k = self.k
        for y in range(self.h):
            for x in range(self.w):
                hit = 0
                for oy in offs:
                    for ox in offs:
                        if shape((x + ox) / k, (y + oy) / k):
                            hit += 1
                if hit:
                    rgb = paint((x + 0.5) / k, (y + 0.5) / k) if callable(paint) else paint
                    self.blend(x, y, rgb, hit / n)

    def fill_outlined(self, shape, paint, outline):
        """Crisp fill whose border pixels (4-neighbourhood, a drawing's pixel wide) take the
        outline colour."""
        k = self.k
        inside = [[shape((x + 0.5) / k, (y + 0.5) / k) for x in range(self.w)] for y in range(self.h)]

        def at(x, y):
            return 0 <= x < self.w and 0 <= y < self.h and inside[y][x]
        for y in range(self.h):
            for x in range(self.w):
                if inside[y][x]:
                    edge = not (at(x - k, y) and at(x + k, y) and at(x, y - k) and at(x, y + k))
                    self.set(x, y, outline if edge else
                             (paint((x + 0.5) / k, (y + 0.5) / k) if callable(paint) else paint))

    def paste(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                p = other.px[y * other.w + x]
                self.blend(ox * self.k + x, oy * self.k + y, p[:3], p[3])

    def rgba8(self):
        """Rows of (r, g, b, a) bytes; fully transparent pixels become (0, 0, 0, 0)."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                a8 = clamp8(a * 255.0)
                row.append((clamp8(r), clamp8(g), clamp8(b), a8) if a8 else (0, 0, 0, 0))
            rows.append(row)
        return rows

    def keyed(self, matte):
        """Rows of RGB for a magenta-keyed bitmap. Mostly covered edge pixels are mixed
        with the colour the picture will sit on, the rest become the key colour."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                if a < 0.5:
                    row.append(MAGENTA)
                    continue
                c = tuple(clamp8(v) for v in mix(matte, (r, g, b), a))
                row.append((254, 0, 255) if c == MAGENTA else c)
            rows.append(row)
        return rows


# Shapes are predicates on a point in pixel coordinates (pixel (x, y) spans [x, x+1)).

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rrect(x0, y0, x1, y1, r):
    def f(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return f


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def bearing(cx, cy, x, y):
    """Degrees clockwise from twelve o'clock."""
    return math.degrees(math.atan2(x - cx, cy - y)) % 360.0


def sector(cx, cy, a0, a1):
    """Everything between two bearings (clockwise from a0 to a1)."""
    span = (a1 - a0) % 360.0
    return lambda x, y: (bearing(cx, cy, x, y) - a0) % 360.0 < span


def polygon(pts):
    def f(x, y):
        inside = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside
    return f


def capsule(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy

    def f(x, y):
        t = min(max(((x - ax) * dx + (y - ay) * dy) / ll, 0.0), 1.0)
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= r * r
    return f


def polyline(pts, r):
    return union(*[capsule(a[0], a[1], b[0], b[1], r) for a, b in zip(pts, pts[1:])])


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def inter(*fs):
    return lambda x, y: all(f(x, y) for f in fs)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def inset(shape, d):
    """The shape shrunk by about d: points whose neighbours at distance d are all inside."""
    ring8 = [(d * math.cos(k * math.pi / 4), d * math.sin(k * math.pi / 4)) for k in range(8)]
    return lambda x, y: shape(x, y) and all(shape(x + ox, y + oy) for ox, oy in ring8)


def polar(cx, cy, deg, r):
    a = math.radians(deg)
    return (cx + r * math.sin(a), cy - r * math.cos(a))


# ----------------------------------------------------------------------------------------
# File formats
# ----------------------------------------------------------------------------------------


def bmp(rows):
    """Bottom-up BMP with a BITMAPINFOHEADER: palettized with exactly the picture's colours
    (1, 4 or 8 bits per pixel, the palette in order of first appearance, top row first),
    24-bit only when a picture has more than 256 colours. The pixels are the same either
    way; the palette keeps the program small."""
    h, w = len(rows), len(rows[0])
    palette = {}
    for row in rows:
        for p in row:
            palette.setdefault(p, len(palette))
    bits = next((b for b in (1, 4, 8) if len(palette) <= 1 << b), 24)
    stride = (w * bits + 31) // 32 * 4
    data = bytearray()
    for row in reversed(rows):
        if bits == 24:
            line = bytearray(c for r, g, b in row for c in (b, g, r))
        else:
            line = bytearray(stride)
            per_byte = 8 // bits
            for x, p in enumerate(row):
                line[x // per_byte] |= palette[p] << (8 - bits - bits * (x % per_byte))
        data += line + bytes(stride - len(line))
    colours = 0 if bits == 24 else len(palette)
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette) if colours else b""
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(data), 2835, 2835, colours, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(table) + len(data), 0, 0,
                       14 + len(info) + len(table))
    return head + info + table + bytes(data)


def ico(images):
    """Icon file from RGBA rows: 32-bit BGRA colour data plus the 1-bit AND mask
    (set where a pixel is less than half covered, for renderers that ignore alpha)."""
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for rows in images:
        h, w = len(rows), len(rows[0])
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mstride = ((w + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            line = bytearray(mstride)
            for x, p in enumerate(row):
                if p[3] < 128:
                    line[x >> 3] |= 0x80 >> (x & 7)
            mask += line
        info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask),
                           0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries += struct.pack("<BBBBHHII", w & 0xFF, h & 0xFF, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + blobs


# Baseline JPEG: 4:4:4 YCbCr, the usual tables of the JPEG standard's annex K scaled to
# the chosen quality the way libjpeg does, JFIF header and nothing else (no metadata).

ZIGZAG = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48,
          41, 34, 27, 20, 13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15,
          23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63]

Q_LUMA = [16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
          14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
          18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
          49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
Q_CHROMA = [17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
            24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99] + [99] * 32

DC_LUMA = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
DC_CHROMA = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
AC_LUMA = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D], [
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51,
    0x61, 0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xA1, 0x08, 0x23, 0x42, 0xB1, 0xC1,
    0x15, 0x52, 0xD1, 0xF0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0A, 0x16, 0x17, 0x18,
    0x19, 0x1A, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,
    0x3A, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x53, 0x54, 0x55, 0x56, 0x57,
    0x58, 0x59, 0x5A, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x73, 0x74, 0x75,
    0x76, 0x77, 0x78, 0x79, 0x7A, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x92,
    0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
    0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3,
    0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8,
    0xD9, 0xDA, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xF1, 0xF2,
    0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA])
AC_CHROMA = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], [
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07,
    0x61, 0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xA1, 0xB1, 0xC1, 0x09,
    0x23, 0x33, 0x52, 0xF0, 0x15, 0x62, 0x72, 0xD1, 0x0A, 0x16, 0x24, 0x34, 0xE1, 0x25,
    0xF1, 0x17, 0x18, 0x19, 0x1A, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x35, 0x36, 0x37, 0x38,
    0x39, 0x3A, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x53, 0x54, 0x55, 0x56,
    0x57, 0x58, 0x59, 0x5A, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x73, 0x74,
    0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89,
    0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0xA2, 0xA3, 0xA4, 0xA5,
    0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA,
    0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
    0xD7, 0xD8, 0xD9, 0xDA, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xF2,
    0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA])

# Integer cosine table (scaled by 2^14) keeps the transform free of platform rounding.
COS = [[int(round(math.cos((2 * x + 1) * u * math.pi / 16) * 16384)) for x in range(8)]
       for u in range(8)]


def huff_codes(table):
    bits, vals = table
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(bits[length - 1]):
            codes[vals[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


def scaled_quant(table, quality):
    scale = 5000 // quality if quality < 50 else 200 - 2 * quality
    return [min(max((q * scale + 50) // 100, 1), 255) for q in table]


class BitWriter:
    def __init__(self):
        self.out, self.acc, self.n = bytearray(), 0, 0

    def write(self, code, length):
        self.acc = (self.acc << length) | code
        self.n += length
        while self.n >= 8:
            self.n -= 8
            byte = (self.acc >> self.n) & 0xFF
            self.out.append(byte)
            if byte == 0xFF:
                self.out.append(0)
        self.acc &= (1 << self.n) - 1

    def flush(self):
        if self.n:
            self.write((1 << (8 - self.n)) - 1, 8 - self.n)


def fdct_quant(block, q):
    """Forward DCT of an 8x8 block (level-shifted ints) and quantisation, zigzag order."""
    tmp = [[sum(block[y * 8 + x] * COS[u][x] for x in range(8)) for u in range(8)]
           for y in range(8)]
    out = [0] * 64
    for v in range(8):
        for u in range(8):
            s = sum(tmp[y][u] * COS[v][y] for y in range(8))
            cu = 0.70710678118654752 if u == 0 else 1.0
            cv = 0.70710678118654752 if v == 0 else 1.0
            # s carries a factor 2^28; exact integer division keeps it deterministic
            num = int(round(s * cu * cv / 4.0 / 1024.0))
            den = q[v * 8 + u] * (1 << 18)
            mag = (abs(num) + den // 2) // den
            out[v * 8 + u] = mag if num >= 0 else -mag
    return [out[ZIGZAG[i]] for i in range(64)]


def jpeg(rows, quality=JPEG_QUALITY):
    h, w = len(rows), len(rows[0])
    qs = [scaled_quant(Q_LUMA, quality), scaled_quant(Q_CHROMA, quality)]
    dc = [huff_codes(DC_LUMA), huff_codes(DC_CHROMA)]
    ac = [huff_codes(AC_LUMA), huff_codes(AC_CHROMA)]
    planes = [[], [], []]
    for row in rows:
        ys, cbs, crs = [], [], []
        for r, g, b in row:
            ys.append(clamp8(0.299 * r + 0.587 * g + 0.114 * b))
            cbs.append(clamp8(-0.168736 * r - 0.331264 * g + 0.5 * b + 128))
            crs.append(clamp8(0.5 * r - 0.418688 * g - 0.081312 * b + 128))
        planes[0].append(ys)
        planes[1].append(cbs)
        planes[2].append(crs)
    bw, pred = BitWriter(), [0, 0, 0]
    for by in range(0, h, 8):
        for bx in range(0, w, 8):
            for c in range(3):
                t = 0 if c == 0 else 1
                # edges beyond the picture repeat its last row and column
                block = [planes[c][min(by + y, h - 1)][min(bx + x, w - 1)] - 128
                         for y in range(8) for x in range(8)]
                zz = fdct_quant(block, qs[t])
                diff = zz[0] - pred[c]
                pred[c] = zz[0]
                size = abs(diff).bit_length()
                bw.write(*dc[t][size])
                if size:
                    bw.write(diff if diff > 0 else diff + (1 << size) - 1, size)
                run = 0
                for k in range(1, 64):
                    v = zz[k]
                    if v == 0:
                        run += 1
                        continue
                    while run > 15:
                        bw.write(*ac[t][0xF0])
                        run -= 16
                    size = abs(v).bit_length()
                    bw.write(*ac[t][(run << 4) | size])
                    bw.write(v if v > 0 else v + (1 << size) - 1, size)
                    run = 0
                if run:
                    bw.write(*ac[t][0x00])
    bw.flush()

    def seg(marker, payload):
        return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload
    out = b"\xFF\xD8"
    out += seg(0xE0, b"JFIF\0" + struct.pack(">BBBHHBB", 1, 1, 0, 1, 1, 0, 0))
    for t in range(2):
        out += seg(0xDB, bytes([t]) + bytes(qs[t][ZIGZAG[i]] for i in range(64)))
    out += seg(0xC0, struct.pack(">BHHB", 8, h, w, 3) +
               bytes([1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1]))
    for cls, t, table in ((0, 0, DC_LUMA), (1, 0, AC_LUMA), (0, 1, DC_CHROMA), (1, 1, AC_CHROMA)):
        out += seg(0xC4, bytes([(cls << 4) | t]) + bytes(table[0]) + bytes(table[1]))
    out += seg(0xDA, bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0]))
    return out + bytes(bw.out) + b"\xFF\xD9"


# ----------------------------------------------------------------------------------------
# The disk box shared by the tray pictures and the small drive pictures
# ----------------------------------------------------------------------------------------

GREY_BOX = dict(o=(84, 88, 98), h=(248, 249, 251), l=(216, 219, 224), m=(150, 155, 164),
                f=(196, 200, 207), d=(118, 123, 133), s=(166, 171, 179))
RED_BOX = dict(o=(112, 14, 14), h=(255, 196, 190), l=(238, 96, 90), m=(168, 28, 26),
               f=(222, 62, 56), d=(150, 18, 18), s=(194, 40, 36))
LAMP = (64, 232, 88)


def disk_box(c, x0, y0, w, h, pal, lamp=True):
    """Front view of a drive: outline with cut corners, light top plate holding the
    lamp, a darker seam, a front face with a slot, a shaded bottom row."""
    x1, y1 = x0 + w - 1, y0 + h - 1
    for x in range(x0 + 1, x1):
        c.put(x, y0, pal["o"])
        c.put(x, y1, pal["o"])
    for y in range(y0 + 1, y1):
        c.put(x0, y, pal["o"])
        c.put(x1, y, pal["o"])
    inner = h - 2
    top = ["h", "l", "l"] if inner >= 9 else ["h", "l"]
    front = ["f"] * (inner - len(top) - 2)
    front[len(front) // 2] = "slot"
    for i, kind in enumerate(top + ["m"] + front + ["s"]):
        y = y0 + 1 + i
        for x in range(x0 + 1, x1):
            edge = x in (x0 + 1, x1 - 1)
            c.put(x, y, pal["f"] if kind == "slot" and edge else
                  pal["d"] if kind == "slot" else pal[kind])
    if lamp:
        for x in range(x1 - 4, x1 - 1):
            c.put(x, y0 + 2, LAMP)


# ----------------------------------------------------------------------------------------
# 1. Tray pictures
# ----------------------------------------------------------------------------------------

BAR_GREY = ((176, 176, 176), (136, 136, 136))      # used space, rows 14 and 15
BAR_GREEN = ((110, 220, 110), (44, 172, 64))
BAR_ORANGE = ((255, 180, 70), (232, 128, 16))
BAR_RED = ((250, 100, 92), (208, 40, 36))
TRAY_COUNT = 18


def tray_picture(i):
    """0: no figures; k = 1..16: (k-1) used pixels then (17-k) free pixels; 17: the
    drive cannot be read. The program draws the same layout at the other small-icon
    sizes (core/TrayPictures.cpp); its test holds both to the same 16-pixel pictures."""
    c = Canvas(16, 16)
    disk_box(c, 1, 1, 14, 11, RED_BOX if i == 17 else GREY_BOX)
    if i == 0:
        return c
    used = 16 if i == 17 else i - 1
    free = BAR_GREEN if i <= 13 else BAR_ORANGE if i == 14 else BAR_RED
    for x in range(16):
        pair = BAR_GREY if x < used else free
        c.put(x, 14, pair[0])
        c.put(x, 15, pair[1])
    return c


# ----------------------------------------------------------------------------------------
# 2. Program icon and the about picture
# ----------------------------------------------------------------------------------------

PIE_FREE = (66, 196, 86)
PIE_USED = (54, 124, 222)


# The program icon's sizes.
ICON_SIZES = (16, 32, 48)


def app_icon(size):
    if size <= 16:
        # hand-placed pixels stay sharp where a scaled drawing would blur
        c = Canvas(16, 16)
        disk_box(c, 1, 0, 14, 11, GREY_BOX)
        k = (60, 70, 90)
        c.rect(1, 12, 15, 16, k)
        c.rect(2, 13, 9, 14, mix(PIE_USED, WHITE, 0.35))
        c.rect(2, 14, 9, 15, PIE_USED)
        c.rect(9, 13, 14, 14, mix(PIE_FREE, WHITE, 0.35))
        c.rect(9, 14, 14, 15, PIE_FREE)
        for x in (1, 14):
            c.px[12 * 16 + x] = [0.0, 0.0, 0.0, 0.0]
            c.px[15 * 16 + x] = [0.0, 0.0, 0.0, 0.0]
        return c
    c = Canvas(size, size)
    s = size / 32.0
    t = max(1.0, s)                          # outline width in pixels

    def S(*v):
        return [a * s for a in v]
    bx0, by0, bx1, by1, br = S(1, 4, 29, 22, 3.5)
    c.fill(rrect(bx0, by0, bx1, by1, br), (66, 72, 86))
    body = rrect(bx0 + t, by0 + t, bx1 - t, by1 - t, br - t)
    c.fill(body, vgrad(by0, by1, (250, 251, 253), (222, 225, 231), (178, 184, 194)))
    seam = S(11.2)[0]
    c.fill(inter(body, rect(0, seam, size, seam + t)), (140, 146, 158))
    c.fill(inter(body, rect(0, seam + t, size, seam + 2 * t)), (236, 238, 242))
    sx0, sy0, sx1, sy1, sr = S(5, 15, 16, 17.2, 1.1)
    c.fill(rrect(sx0, sy0, sx1, sy1, sr), (110, 116, 128))
    lx, ly, lr = S(23, 7.6, 1.9)
    c.fill(circle(lx, ly, lr + 0.7 * t), (30, 118, 50))
    c.fill(circle(lx, ly, lr), LAMP)
    c.fill(circle(lx - lr * 0.3, ly - lr * 0.3, lr * 0.45), (210, 255, 215))
    # free-space pie in the lower right corner, cut out from the box by a white rim
    px, py, pr = S(22, 22, 8.6)
    c.fill(circle(px, py, pr + 1.3 * t), WHITE)
    c.fill(circle(px, py, pr), (40, 60, 100))
    inner = circle(px, py, pr - t)
    c.fill(inter(inner, sector(px, py, 0, 130)), vgrad(py - pr, py + pr,
           mix(PIE_FREE, WHITE, 0.3), PIE_FREE))
    c.fill(inter(inner, sector(px, py, 130, 360)), vgrad(py - pr, py + pr,
           mix(PIE_USED, WHITE, 0.3), PIE_USED))
    return c


# ----------------------------------------------------------------------------------------
# 3. Window skin
# ----------------------------------------------------------------------------------------

# One whole small window is drawn and the tiles are cut from it, so neighbouring tiles
# join exactly. Inside the frame every colour depends only on the distance to the
# nearest outer edge, which keeps the middles constant along the direction in which the
# window stretches them.
SKIN_W, SKIN_H = 120, 140
FRAME = 10                     # frame thickness on all four sides
STRIP = 20                     # tool strip under the top edge
CORNER_R = 4.5                 # the window region is rounded by a 9 x 9 ellipse

FRAME_BASE = (100, 152, 216)
FRAME_OUTER_LIGHT = (186, 216, 249)
FRAME_OUTER_DARK = (52, 92, 150)
FRAME_INNER = (66, 108, 168)

SKIN_TILES = [  # name, x, y, w, h
    ("ITL", 0, 0, 10, 10), ("ITM", 10, 0, 100, 10), ("ITR", 110, 0, 10, 10),
    ("ITBL", 0, 10, 10, 20), ("ITBM", 10, 10, 100, 20), ("ITBR", 110, 10, 10, 20),
    ("IL", 0, 30, 10, 100), ("IR", 110, 30, 10, 100),
    ("IBL", 0, 130, 10, 10), ("IB", 10, 130, 100, 10), ("IBR", 110, 130, 10, 10),
]
# tiles the window stretches: name -> axis along which every line must be constant
SKIN_STRETCH = {"ITM": "x", "ITBM": "x", "IB": "x", "IL": "y", "IR": "y"}


def frame_geometry(x, y):
    """Distance inside the rounded outline and the outward normal there."""
    hw, hh = SKIN_W / 2.0, SKIN_H / 2.0
    px, py = x - hw, y - hh
    qx, qy = abs(px) - (hw - CORNER_R), abs(py) - (hh - CORNER_R)
    sx, sy = (1 if px > 0 else -1), (1 if py > 0 else -1)
    if qx > 0 and qy > 0:
        ln = math.hypot(qx, qy)
        return CORNER_R - ln, (sx * qx / ln, sy * qy / ln)
    if qx > qy:
        return CORNER_R - qx, (sx, 0.0)
    return CORNER_R - qy, (0.0, sy)


LIGHT = (-0.55, -0.835)         # light from the upper left


def skin_colour(x, y):
    d, (nx, ny) = frame_geometry(x, y)
    lit = nx * LIGHT[0] + ny * LIGHT[1]           # 1 facing the light, -1 away from it
    if d < FRAME - 1:
        d = max(d, 0.0)                           # outside the region: clipped anyway
        if d < 1.25:                              # bevel line along the outline
            return mix(FRAME_BASE, FRAME_OUTER_LIGHT if lit > 0 else FRAME_OUTER_DARK,
                       min(abs(lit), 1.0) * 0.9)
        # cushion: lighter near the outside, a touch of directional light
        t = (d - 1.25) / (FRAME - 2.25)
        c = mix(mix(FRAME_BASE, WHITE, 0.13), mix(FRAME_BASE, (0, 0, 0), 0.06), t)
        return mix(c, WHITE if lit > 0 else (0, 0, 0), abs(lit) * 0.05)
    if d < FRAME:
        return FRAME_INNER                        # sunken edge around strip and panel
    if y < FRAME + STRIP:                         # the tool strip: a glassy bar
        r = y - FRAME
        if r < 1:
            return (214, 232, 252)
        if r >= STRIP - 1:
            return (84, 132, 196)
        if r < STRIP / 2.0:
            return mix((190, 219, 249), (164, 202, 243), (r - 1) / (STRIP / 2.0 - 1))
        return mix((146, 190, 240), (134, 182, 236), (r - STRIP / 2.0) / (STRIP / 2.0 - 1))
    return PANEL


def skin_window():
    ss = 4
    offs = [(i + 0.5) / ss for i in range(ss)]
    rows = []
    for y in range(SKIN_H):
        row = []
        for x in range(SKIN_W):
            acc = [0.0, 0.0, 0.0]
            for oy in offs:
                for ox in offs:
                    col = skin_colour(x + ox, y + oy)
                    for i in range(3):
                        acc[i] += col[i]
            row.append(tuple(clamp8(v / (ss * ss)) for v in acc))
        rows.append(row)
    return rows


def skin_tiles():
    win = skin_window()
    return {name: [r[x:x + w] for r in win[y:y + h]] for name, x, y, w, h in SKIN_TILES}


# ----------------------------------------------------------------------------------------
# 4.-6. Drive picture, drive types, button glyphs
# ----------------------------------------------------------------------------------------


def drive_picture(k=1):
    c = Canvas(37, 25, k)
    c.fill(rrect(1, 2, 36, 23, 3), (70, 76, 90))
    body = rrect(2, 3, 35, 22, 2)
    c.fill(body, vgrad(3, 22, (250, 251, 253), (224, 227, 232), (196, 201, 209)))
    # top plate and front bezel
    c.fill(inter(body, rect(0, 13, 37, 14)), (140, 147, 160))
    c.fill(inter(body, rect(0, 14, 37, 15)), (242, 244, 247))
    c.fill(inter(body, rect(0, 15, 37, 22)), vgrad(15, 22, (214, 218, 224), (168, 174, 184)))
    # label strip
    c.rect(5, 5, 22, 11, (168, 176, 190))
    c.rect(6, 6, 21, 10, (252, 252, 253))
    c.rect(6, 6, 21, 7, (76, 136, 214))
    c.rect(8, 8, 18, 9, (186, 192, 204))
    # screws
    for sx in (30.5, ):
        c.fill(circle(sx, 7.5, 1.6), (150, 156, 168))
        c.fill(circle(sx - 0.3, 7.2, 0.8), (236, 238, 242))
    # slot and lamp on the bezel
    c.rect(5, 17, 23, 19, (112, 118, 130))
    c.rect(5, 19, 23, 20, (236, 238, 242))
    c.fill(rrect(27, 17, 32, 20, 1), (36, 120, 50))
    c.rect(28, 18, 31, 19, LAMP)
    c.put(28, 18, (190, 255, 196))
    return c


def type_removable():
    c = Canvas(16, 16)
    c.fill_outlined(polygon([(1, 1), (13, 1), (15, 3), (15, 15), (1, 15)]),
                    vgrad(1, 15, (74, 122, 206), (40, 80, 160)), (22, 44, 98))
    c.fill_outlined(rect(4, 1, 12, 6), (214, 218, 226), (108, 114, 126))
    c.rect(9, 2, 11, 5, (70, 74, 84))
    c.fill_outlined(rect(3, 8, 13, 15), (250, 250, 252), (150, 160, 180))
    c.rect(4, 10, 12, 11, (176, 186, 206))
    c.rect(4, 12, 10, 13, (176, 186, 206))
    return c


def type_fixed():
    c = Canvas(16, 16)
    disk_box(c, 1, 3, 14, 11, GREY_BOX)
    return c


def type_cdrom():
    c = Canvas(16, 16)
    cx = cy = 8.0

    def sheen(x, y):
        a = math.radians(bearing(cx, cy, x, y) * 2)
        tint = (200 + 40 * math.sin(a), 206 + 36 * math.sin(a + 2.1),
                226 + 26 * math.sin(a + 4.2))
        return mix((232, 234, 240), tint, 0.55)
    c.fill(circle(cx, cy, 7.6), (96, 102, 118))
    c.fill(circle(cx, cy, 6.7), sheen)
    c.fill(circle(cx, cy, 3.0), (238, 240, 246))
    c.fill(circle(cx, cy, 2.2), (150, 156, 170))
    for i, p in enumerate(c.px):
        x, y = i % 16 + 0.5, i // 16 + 0.5
        if (x - cx) ** 2 + (y - cy) ** 2 <= 1.45 ** 2:
            p[3] = 0.0
    return c


def type_network():
    c = Canvas(16, 16)
    disk_box(c, 1, 0, 14, 9, GREY_BOX)
    cable = (64, 78, 104)
    c.rect(7, 9, 9, 12, cable)
    c.fill_outlined(rect(0, 12, 16, 15), (72, 188, 96), (30, 110, 50))
    c.fill_outlined(rect(6, 11, 10, 16), (96, 110, 136), (40, 50, 70))
    return c


def type_ram():
    c = Canvas(16, 16)
    c.fill_outlined(rect(0, 3, 16, 13), vgrad(3, 13, (60, 168, 92), (30, 120, 60)),
                    (18, 84, 40))
    for x0 in (1, 6, 11):
        c.rect(x0, 5, x0 + 4, 9, (44, 46, 54))
        c.rect(x0, 5, x0 + 4, 6, (88, 92, 104))
    for x in range(1, 15, 2):
        c.rect(x, 11, x + 1, 13, (236, 196, 72))
    c.px[12 * 16 + 7] = [0.0, 0.0, 0.0, 0.0]
    c.px[12 * 16 + 8] = [0.0, 0.0, 0.0, 0.0]
    return c


DRIVE_TYPES = [type_removable, type_fixed, type_cdrom, type_network, type_ram]

SLATE_DARK = (38, 54, 82)


def glyph_settings(k=1):
    c = Canvas(36, 36, k)
    cx = cy = 18.0

    def gear(grow):
        def f(x, y):
            r = math.hypot(x - cx, y - cy)
            if r <= 10.2 + grow:
                return True
            if r > 15.2 + grow:
                return False
            a = bearing(cx, cy, x, y) % 45.0
            off = min(a, 45.0 - a) * math.pi / 180.0 * r     # arc distance to a tooth axis
            half = 3.4 - (r - 10.2) * 0.16 + grow
            return off <= half
        return f
    hole = circle(cx, cy, 4.6)
    c.fill(minus(gear(1.1), hole), SLATE_DARK)
    c.fill(minus(gear(0.0), circle(cx, cy, 5.7)),
           vgrad(3, 33, (120, 140, 170), (72, 92, 124)))
    c.fill(ring(cx, cy, 4.6, 5.7), (200, 212, 230))
    return c


def glyph_rebuild():
    """Two arrows chasing each other clockwise round a circle."""
    c = Canvas(36, 36)
    cx = cy = 18.0
    r0, r1 = 8.2, 12.2
    rm = (r0 + r1) / 2
    paint = vgrad(4, 32, (78, 200, 112), (24, 126, 62))
    for start, end in ((318, 70), (138, 250)):
        arc = inter(ring(cx, cy, r0, r1), sector(cx, cy, start, end + 1))
        head = polygon([polar(cx, cy, end, rm - 6.6), polar(cx, cy, end + 36, rm),
                        polar(cx, cy, end, rm + 6.6)])
        arrow = union(arc, head)
        c.fill(arrow, (18, 96, 46))
        c.fill(inset(arrow, 1.0), paint)
    return c


def glyph_checklist(ticked):
    c = Canvas(36, 36)
    for y in (2, 13, 24):
        c.fill(rrect(2, y, 12, y + 10, 2), SLATE_DARK)
        c.fill(rrect(3.2, y + 1.2, 10.8, y + 8.8, 1.2),
               vgrad(y, y + 10, (255, 255, 255), (222, 230, 242)))
        c.fill(rrect(15, y + 3.5, 33, y + 6.5, 1.5), (56, 80, 116))
        if ticked:
            tick = polyline([(4.6, y + 5.2), (7.0, y + 7.8), (12.8, y + 0.8)], 1.35)
            c.fill(tick, (22, 140, 58))
    return c


def glyph_browse():
    c = Canvas(28, 13)
    # open folder
    c.fill_outlined(union(rect(1, 1, 6, 3), rect(0, 2, 12, 12)), (230, 174, 46), (150, 100, 12))
    c.fill_outlined(rect(2, 3, 11, 9), (252, 252, 250), (170, 170, 170))
    c.fill_outlined(polygon([(3.2, 5), (14, 5), (11.2, 12), (0, 12)]),
                    vgrad(5, 12, (255, 226, 120), (246, 196, 64)), (164, 112, 12))
    # floppy disk
    f = Canvas(14, 13)
    f.fill_outlined(polygon([(1, 0), (12, 0), (14, 2), (14, 13), (1, 13)]),
                    vgrad(0, 13, (74, 122, 206), (40, 80, 160)), (22, 44, 98))
    f.fill_outlined(rect(4, 0, 11, 5), (214, 218, 226), (108, 114, 126))
    f.rect(8, 1, 10, 4, (70, 74, 84))
    f.fill_outlined(rect(3, 7, 12, 13), (250, 250, 252), (150, 160, 180))
    f.rect(4, 9, 11, 10, (176, 186, 206))
    c.paste(f, 14, 0)
    return c


# The title-bar buttons are light blue gradient faces: their glyphs are drawn in the
# buttons' border blue and smoothed against the middle of the face.
BTN_INK = (0, 89, 179)
BTN_FACE = (190, 214, 250)
MENU_BACK = (240, 240, 240)       # what the edges of the menu pictures are smoothed against


def btn_hide(k=1):
    c = Canvas(12, 12, k)
    c.rect(2, 7, 10, 9, BTN_INK)
    return c


def btn_close(k=1):
    c = Canvas(12, 12, k)
    c.fill(union(capsule(2.5, 2.5, 9.5, 9.5, 0.9), capsule(9.5, 2.5, 2.5, 9.5, 0.9)), BTN_INK)
    return c


def menu_recycle():
    """A recycle bin: a tapered body with ribs under a lid with a handle."""
    c = Canvas(16, 16)
    body = polygon([(3, 4.5), (13, 4.5), (12, 15), (4, 15)])
    c.fill_outlined(body, vgrad(4, 15, (214, 226, 238), (150, 168, 190)), (70, 86, 110))
    for x0, x1 in ((6.2, 6.6), (8.0, 8.0), (9.8, 9.4)):
        c.fill(capsule(x0, 6.5, x1, 13.2, 0.45), (96, 112, 136))
    c.fill_outlined(rrect(1.5, 2.5, 14.5, 4.5, 0.8), (180, 194, 212), (70, 86, 110))
    c.fill_outlined(rrect(6, 1, 10, 3, 0.6), (180, 194, 212), (70, 86, 110))
    return c


# ----------------------------------------------------------------------------------------
# Everything together
# ----------------------------------------------------------------------------------------

# (file, size, purpose) for the README
CATALOGUE = [
    ("tray_icons.bmp", "288 x 16", "tray pictures 0..17 side by side, image i at x = 16*i, "
     "magenta key: 0 no figures, 1..16 used (grey) / free (green, orange at 14, red at "
     "15 and 16) bar in rows 14-15, 17 drive unreadable"),
    ("tray/trayNN.ico", "16 x 16", "the same 18 pictures as icons (32-bit alpha + mask)"),
    ("dorvane.ico", "16, 32, 48", "program icon (its 48-pixel image is also the about picture "
     "at 125, 150 and 200 %)"),
    ("about.bmp", "32 x 32", "about picture, top left of the status panel"),
    ("drive.bmp", "37 x 25", "drive picture in every drive panel"),
    ("drive_200.bmp", "74 x 50", "the drive picture at 200 % (the window shrinks it for 125 "
     "and 150 %)"),
    ("glyph_settings_150.bmp", "54 x 54", "the settings gear at 150 % (the window resizes it "
     "for 125 and 200 %; at 200 % it would cost the i686 release its 1 MiB limit)"),
    ("drive_types.bmp", "80 x 16", "drive list images: removable, fixed, CD-ROM, network, "
     "RAM drive"),
    ("glyph_settings.bmp", "36 x 36", "settings toggle button"),
    ("glyph_rebuild.bmp", "36 x 36", "rebuild drive list button"),
    ("glyph_uncheck_all.bmp", "36 x 36", "uncheck all button"),
    ("glyph_check_all.bmp", "36 x 36", "check all button"),
    ("glyph_browse.bmp", "28 x 13", "browse buttons: open folder (left 14), floppy (right 14)"),
    ("btn_hide.bmp", "12 x 12", "title-bar hide button (blue bar)"),
    ("btn_close.bmp", "12 x 12", "title-bar close button (blue X)"),
    ("menu_dorvane.bmp", "16 x 16", "tray menu, \"Dorvane v.3\" item (the program icon)"),
    ("menu_recycle.bmp", "16 x 16", "tray menu, \"Empty recycle bin\" item"),
    ("skin/ITL.jpg, ITM.jpg, ITR.jpg", "10 x 10, 100 x 10, 10 x 10",
     "window frame, top edge (ITM stretched horizontally)"),
    ("skin/ITBL.jpg, ITBM.jpg, ITBR.jpg", "10 x 20, 100 x 20, 10 x 20",
     "tool strip under the top edge (ITBM stretched horizontally)"),
    ("skin/IL.jpg, IR.jpg", "10 x 100", "left and right edges (stretched vertically)"),
    ("skin/IBL.jpg, IB.jpg, IBR.jpg", "10 x 10, 100 x 10, 10 x 10",
     "bottom edge (IB stretched horizontally)"),
]


def readme():
    lines = [
        "# Pictures",
        "",
        "Every file here is drawn by `python3 tools/gen_resources.py`, this README included.",
        "Change the drawing code and rerun it rather than editing a file.",
        "`python3 tools/gen_resources.py --check` regenerates everything into a temporary",
        "folder, verifies that it matches these files byte for byte and checks their layout.",
        "",
        "BMP files hold a palette of exactly their colours (1, 4 or 8 bits per pixel) with",
        "magenta (255, 0, 255) as the transparent colour; icons are 32-bit with alpha and an",
        "AND mask; the skin tiles are baseline JPEG without metadata.",
        "",
        "| File | Size (px) | Purpose |",
        "|---|---|---|",
    ]
    for name, size, purpose in CATALOGUE:
        lines.append("| `%s` | %s | %s |" % (name, size, purpose))
    lines += [
        "",
        "The skin tiles are cut from one drawn window: top edge, then the tool strip, then the",
        "left and right edges, then the bottom edge; the window's outline is rounded by a",
        "9 x 9 ellipse, which the corner tiles allow for.",
        "",
    ]
    return "\n".join(lines).encode("ascii")


def strip(canvases, matte):
    rows = [[] for _ in range(canvases[0].h)]
    for c in canvases:
        for y, row in enumerate(c.keyed(matte)):
            rows[y] += row
    return rows


def generate():
    """All files as {relative path: bytes}, plus the skin tiles' pixels for --check."""
    files = {}
    trays = [tray_picture(i) for i in range(TRAY_COUNT)]
    files["tray_icons.bmp"] = bmp(strip(trays, PANEL))
    for i, t in enumerate(trays):
        files["tray/tray%02d.ico" % i] = ico([t.rgba8()])
    icons = {s: app_icon(s) for s in ICON_SIZES}
    files["dorvane.ico"] = ico([c.rgba8() for c in icons.values()])
    files["about.bmp"] = bmp(icons[32].keyed(PANEL))
    files["drive_200.bmp"] = bmp(drive_picture(2).keyed(PANEL))
    files["glyph_settings_150.bmp"] = bmp(glyph_settings(1.5).keyed(PANEL))
    files["drive.bmp"] = bmp(drive_picture().keyed(PANEL))
    files["drive_types.bmp"] = bmp(strip([f() for f in DRIVE_TYPES], WHITE))
    files["glyph_settings.bmp"] = bmp(glyph_settings().keyed(PANEL))
    files["glyph_rebuild.bmp"] = bmp(glyph_rebuild().keyed(PANEL))
    files["glyph_uncheck_all.bmp"] = bmp(glyph_checklist(False).keyed(PANEL))
    files["glyph_check_all.bmp"] = bmp(glyph_checklist(True).keyed(PANEL))
    files["glyph_browse.bmp"] = bmp(glyph_browse().keyed(PANEL))
    files["btn_hide.bmp"] = bmp(btn_hide().keyed(BTN_FACE))
    files["btn_close.bmp"] = bmp(btn_close().keyed(BTN_FACE))
    files["menu_dorvane.bmp"] = bmp(icons[16].keyed(MENU_BACK))
    files["menu_recycle.bmp"] = bmp(menu_recycle().keyed(MENU_BACK))
    tiles = skin_tiles()
    for name, rows in tiles.items():
        files["skin/%s.jpg" % name] = jpeg(rows)
    files["README.md"] = readme()
    return files, tiles


def write_all(files, root):
    for rel, data in sorted(files.items()):
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as fh:
            fh.write(data)


# ----------------------------------------------------------------------------------------
# --check: readers written from the file formats, independent of the writers above
# ----------------------------------------------------------------------------------------


def read_bmp(data):
    magic, fsize, _, _, off = struct.unpack_from("<2sIHHI", data, 0)
    hsize, w, h, planes, bpp, comp = struct.unpack_from("<IiiHHI", data, 14)
    used, = struct.unpack_from("<I", data, 46)
    assert magic == b"BM" and fsize == len(data), "bad BMP file header"
    assert hsize == 40 and planes == 1 and bpp in (1, 4, 8, 24) and comp == 0, \
        "not a plain uncompressed BMP"
    assert h > 0, "BMP must be bottom-up"
    palette = []
    if bpp <= 8:
        assert 0 < used <= 1 << bpp, "BMP palette size"
        palette = [(data[54 + 4 * i + 2], data[54 + 4 * i + 1], data[54 + 4 * i]) for i in range(used)]
        assert off == 54 + 4 * used, "BMP palette position"
    stride = (w * bpp + 31) // 32 * 4
    assert off + stride * h == len(data), "BMP pixel data size"
    rows = []
    for y in range(h):
        base = off + (h - 1 - y) * stride
        if bpp == 24:
            rows.append([(data[base + 3 * x + 2], data[base + 3 * x + 1], data[base + 3 * x])
                         for x in range(w)])
        else:
            per_byte = 8 // bpp
            rows.append([palette[(data[base + x // per_byte] >> (8 - bpp - bpp * (x % per_byte)))
                                 & ((1 << bpp) - 1)] for x in range(w)])
    return rows


def read_ico(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert reserved == 0 and kind == 1 and count > 0, "bad ICONDIR"
    images = []
    for i in range(count):
        w, h, colours, _, planes, bpp, size, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        hsize, bw, bh, bplanes, bbpp, comp, isize = struct.unpack_from("<IiiHHII", data, off)
        assert (hsize, bw, bh, bplanes, bbpp, comp) == (40, w, 2 * h, 1, 32, 0), "icon header"
        mstride = (w + 31) // 32 * 4
        assert size == 40 + 4 * w * h + mstride * h == 40 + isize, "icon image size"
        assert off + size <= len(data) and planes == 1 and bpp == 32 and colours == 0
        rows = []
        for y in range(h):
            xb = off + 40 + (h - 1 - y) * w * 4
            mb = off + 40 + 4 * w * h + (h - 1 - y) * mstride
            row = []
            for x in range(w):
                b, g, r, a = data[xb + 4 * x: xb + 4 * x + 4]
                masked = bool(data[mb + x // 8] & (0x80 >> (x % 8)))
                assert masked == (a < 128), "AND mask disagrees with alpha at %d,%d" % (x, y)
                row.append((r, g, b, a))
            rows.append(row)
        images.append(rows)
    return images


def jpeg_markers(data):
    """List of (marker, payload) up to the start of scan."""
    assert data[:2] == b"\xFF\xD8" and data[-2:] == b"\xFF\xD9", "JPEG SOI/EOI"
    pos, out = 2, []
    while True:
        assert data[pos] == 0xFF
        marker = data[pos + 1]
        length = struct.unpack_from(">H", data, pos + 2)[0]
        out.append((marker, data[pos + 4: pos + 2 + length]))
        pos += 2 + length
        if marker == 0xDA:
            return out


def decode_with_convert(data):
    """Pixels of a JPEG as decoded by ImageMagick, or None without it."""
    exe = "/usr/bin/convert"
    if not os.path.exists(exe):
        return None
    ppm = subprocess.run([exe, "jpg:-", "ppm:-"], input=data, capture_output=True,
                         check=True).stdout
    parts = ppm.split(maxsplit=4)
    assert parts[0] == b"P6" and parts[3] == b"255"
    w, h, pix = int(parts[1]), int(parts[2]), parts[4]
    return [[tuple(pix[3 * (y * w + x): 3 * (y * w + x) + 3]) for x in range(w)]
            for y in range(h)]


def is_grey(p):
    return p[0] == p[1] == p[2]


def is_green(p):
    return p[1] > p[0] + 40 and p[1] > p[2] + 40


def is_orange(p):
    return p[0] > 200 and 100 <= p[1] <= 200 and p[2] < 100


def is_red(p):
    return p[0] > 180 and p[1] < 110 and p[2] < 110


def check_tray(rows, icos):
    assert (len(rows[0]), len(rows)) == (16 * TRAY_COUNT, 16), "tray strip size"
    for i in range(TRAY_COUNT):
        pic = [r[16 * i:16 * i + 16] for r in rows]
        where = "tray picture %d" % i
        for y in (0, 12, 13):
            assert all(p == MAGENTA for p in pic[y]), "%s: row %d must be transparent" % (where, y)
        box = [p for r in pic[1:12] for p in r if p != MAGENTA]
        assert len(box) > 100, where + ": no disk box"
        lamp = [p for r in pic[1:7] for p in r if p == LAMP]
        assert 2 <= len(lamp) <= 3, where + ": lamp"
        reds = sum(1 for p in box if is_red(p) or p[0] > p[1] + 60)
        assert (reds > 50) == (i == 17), where + ": only picture 17 has a red box"
        bar = pic[14:16]
        if i == 0:
            assert all(p == MAGENTA for r in bar for p in r), where + ": must have no bar"
            continue
        used = 16 if i == 17 else i - 1
        kind = is_green if i <= 13 else is_orange if i == 14 else is_red
        for r in bar:
            assert all(is_grey(p) for p in r[:used]), where + ": used part must be grey"
            assert all(kind(p) for p in r[used:]), where + ": free part colour"
        picture_ico = icos[i]
        assert len(picture_ico) == 1 and len(picture_ico[0]) == 16, where + ": icon size"
        for y in range(16):
            for x in range(16):
                r, g, b, a = picture_ico[0][y][x]
                want = pic[y][x]
                assert (a == 0) == (want == MAGENTA), where + ": icon transparency"
                assert a == 0 or (r, g, b) == want, where + ": icon differs from strip"


def check_skin(tiles, files):
    for name, x, y, w, h in SKIN_TILES:
        rows = tiles[name]
        data = files["skin/%s.jpg" % name]
        markers = jpeg_markers(data)
        kinds = [m for m, _ in markers]
        assert kinds[0] == 0xE0 and markers[0][1].startswith(b"JFIF\0"), name + ": JFIF"
        assert not [m for m in kinds if 0xE1 <= m <= 0xEF or m == 0xFE], name + ": metadata"
        sof = [p for m, p in markers if m == 0xC0]
        assert len(sof) == 1 and not [m for m in kinds if m in (0xC1, 0xC2, 0xC3)], \
            name + ": must be one baseline frame"
        assert struct.unpack_from(">BHHB", sof[0]) == (8, h, w, 3), name + ": frame size"
        axis = SKIN_STRETCH.get(name)
        if axis == "x":
            assert all(len(set(r)) == 1 for r in rows), name + ": rows must be constant"
        elif axis == "y":
            assert all(r == rows[0] for r in rows), name + ": columns must be constant"
        decoded = decode_with_convert(data)
        if decoded is not None:
            assert (len(decoded[0]), len(decoded)) == (w, h), name + ": decoded size"
            diffs = [abs(a - b) for ra, rb in zip(rows, decoded)
                     for pa, pb in zip(ra, rb) for a, b in zip(pa, pb)]
            mean = sum(diffs) / float(len(diffs))
            assert mean < 2.0 and max(diffs) < 40, \
                "%s: JPEG decodes too far from the drawing (mean %.2f, max %d)" % (
                    name, mean, max(diffs))
    # Along the frame, neighbouring tiles continue the same band, so the pixels on both
    # sides of a joint are equal (the tool strip meets the frame's inner edge instead).
    t = tiles
    joins = [("ITL", "ITM", "h"), ("ITM", "ITR", "h"), ("IBL", "IB", "h"), ("IB", "IBR", "h"),
             ("ITL", "ITBL", "v"), ("ITBL", "IL", "v"), ("IL", "IBL", "v"),
             ("ITR", "ITBR", "v"), ("ITBR", "IR", "v"), ("IR", "IBR", "v")]
    for a, b, how in joins:
        if how == "h":
            edge_a, edge_b = [r[-1] for r in t[a]], [r[0] for r in t[b]]
        else:
            edge_a, edge_b = t[a][-1], t[b][0]
        assert edge_a == edge_b, "%s/%s: tiles do not join" % (a, b)


def check_structure(files, tiles):
    sizes = {
        "about.bmp": (32, 32), "drive.bmp": (37, 25), "drive_types.bmp": (80, 16),
        "glyph_settings.bmp": (36, 36), "glyph_rebuild.bmp": (36, 36),
        "glyph_uncheck_all.bmp": (36, 36), "glyph_check_all.bmp": (36, 36),
        "glyph_browse.bmp": (28, 13), "btn_hide.bmp": (12, 12), "btn_close.bmp": (12, 12),
        "menu_dorvane.bmp": (16, 16), "menu_recycle.bmp": (16, 16),
        "tray_icons.bmp": (288, 16),
        "drive_200.bmp": (74, 50), "glyph_settings_150.bmp": (54, 54),

    }
    bmps = {}
    for name, (w, h) in sizes.items():
        rows = read_bmp(files[name])
        assert (len(rows[0]), len(rows)) == (w, h), name + ": size"
        assert rows[0][0] == MAGENTA and rows[0][-1] == MAGENTA, \
            name + ": top corners must be the transparent colour"
        assert sum(p != MAGENTA for r in rows for p in r) > w * h // 16, name + ": nearly empty"
        bmps[name] = rows
    for name in ("btn_hide.bmp", "btn_close.bmp"):
        ink = [p for r in bmps[name] for p in r if p != MAGENTA]
        assert all(p[2] > p[0] + 60 and p[2] > p[1] + 40 for p in ink), name + ": blue on key"
    cells = [tuple(tuple(r[16 * i:16 * i + 16]) for r in bmps["drive_types.bmp"]) for i in range(5)]
    assert len(set(cells)) == 5, "drive type images must differ"
    assert all(sum(p != MAGENTA for r in c for p in r) > 60 for c in cells), "empty drive type"
    assert bmps["glyph_check_all.bmp"] != bmps["glyph_uncheck_all.bmp"]
    ticks = sum(is_green(p) for r in bmps["glyph_check_all.bmp"] for p in r)
    assert ticks > 30 and not any(is_green(p) for r in bmps["glyph_uncheck_all.bmp"] for p in r), \
        "only check-all carries ticks"
    icons = read_ico(files["dorvane.ico"])
    assert [len(i) for i in icons] == list(ICON_SIZES), "program icon sizes"
    for img in icons:
        n = len(img)
        assert img[0][0][3] == 0, "program icon corner must be transparent"
        assert sum(p[3] == 255 for r in img for p in r) > n * n // 2, "program icon mostly empty"
    icos = [read_ico(files["tray/tray%02d.ico" % i]) for i in range(TRAY_COUNT)]
    check_tray(bmps["tray_icons.bmp"], icos)
    check_skin(tiles, files)


def check():
    tmp = tempfile.mkdtemp(prefix="dorvane-res-")
    try:
        files, tiles = generate()
        write_all(files, tmp)
        again, _ = generate()
        problems = [rel + ": differs between two runs" for rel in files if files[rel] != again[rel]]
        for rel in sorted(files):
            path = os.path.join(RES, rel)
            if not os.path.exists(path):
                problems.append(rel + ": missing in resources/")
                continue
            with open(path, "rb") as fh:
                with open(os.path.join(tmp, rel), "rb") as gh:
                    if fh.read() != gh.read():
                        problems.append(rel + ": resources/ differs from a fresh drawing")
        for dirpath, _, names in os.walk(RES):
            for n in names:
                rel = os.path.relpath(os.path.join(dirpath, n), RES).replace(os.sep, "/")
                if rel not in files and n.lower().endswith((".bmp", ".ico", ".jpg")):
                    problems.append(rel + ": not drawn by this script (stale?)")
        try:
            check_structure(files, tiles)
        except AssertionError as e:
            problems.append("layout: %s" % e)
    finally:
        shutil.rmtree(tmp)
    for p in problems:
        print("FAIL " + p)
    print("%d files checked, %s" % (len(files), "all good" if not problems else
                                    "%d problem(s)" % len(problems)))
    return 0 if not problems else 1


def main(argv):
    if argv[1:] == ["--check"]:
        return check()
    if argv[1:]:
        print(__doc__)
        return 2
    files, _ = generate()
    for sub in ("tray", "skin"):
        old = os.path.join(RES, sub)
        if os.path.isdir(old):
            shutil.rmtree(old)
    write_all(files, RES)
    print("wrote %d files into %s" % (len(files), os.path.relpath(RES)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
