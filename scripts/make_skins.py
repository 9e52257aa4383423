#!/usr/bin/env python3
"""Paints the five skin pictures that lie beside the program and writes them as JPEG files.

    python3 scripts/make_skins.py [output folder]     (default: resources/ of the repository)

Standard library only: the scenes are painted into an RGB buffer and written by the small baseline
JPEG encoder below (JFIF, 4:2:0, the usual luminance and chrominance tables), so regenerating the
pictures needs nothing beyond Python 3. The output is deterministic.
"""

import math
import os
import random
import sys
import xml.etree.ElementTree as ElementTree

WIDTH, HEIGHT = 800, 600
QUALITY = 85


# --- painting ---------------------------------------------------------------------------------------

def lerp(a, b, t):
    return a + (b - a) * t


def mix(c0, c1, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c0, c1))


class Canvas:
    def __init__(self, width, height):
        self.w = width
        self.h = height
        self.px = bytearray(width * height * 3)

    def put(self, x, y, color, alpha=1.0):
        if 0 <= x < self.w and 0 <= y < self.h:
            i = (y * self.w + x) * 3
            if alpha >= 1.0:
                self.px[i:i + 3] = bytes(color)
            else:
                p = self.px
                p[i] = int(p[i] + (color[0] - p[i]) * alpha)
                p[i + 1] = int(p[i + 1] + (color[1] - p[i + 1]) * alpha)
                p[i + 2] = int(p[i + 2] + (color[2] - p[i + 2]) * alpha)

    def hspan(self, x0, x1, y, color, alpha=1.0):
        """Fills pixels x0..x1-1 of row y."""
        if y < 0 or y >= self.h:
            return
        x0 = max(0, int(x0))
        x1 = min(self.w, int(x1))
        if x1 <= x0:
            return
        if alpha >= 1.0:
            i = (y * self.w + x0) * 3
            self.px[i:i + (x1 - x0) * 3] = bytes(color) * (x1 - x0)
        else:
            for x in range(x0, x1):
                self.put(x, y, color, alpha)

    def vgradient(self, y0, y1, stops):
        """Rows y0..y1-1 shaded through the colour stops [(t, colour), ...], t from 0 to 1."""
        span = max(1, y1 - y0 - 1)
        for y in range(max(0, y0), min(self.h, y1)):
            t = (y - y0) / span
            for (ta, ca), (tb, cb) in zip(stops, stops[1:]):
                if ta <= t <= tb:
                    c = mix(ca, cb, (t - ta) / (tb - ta) if tb > ta else 0)
                    break
            else:
                c = stops[-1][1]
            self.hspan(0, self.w, y, c)

    def rect(self, x0, y0, x1, y1, color, alpha=1.0):
        for y in range(int(y0), int(y1)):
            self.hspan(x0, x1, y, color, alpha)

    def ellipse(self, cx, cy, rx, ry, color, alpha=1.0):
        for y in range(int(cy - ry), int(cy + ry) + 1):
            dy = (y - cy) / ry
            if abs(dy) <= 1:
                dx = rx * math.sqrt(1 - dy * dy)
                self.hspan(round(cx - dx), round(cx + dx), y, color, alpha)

    def polygon(self, points, color, alpha=1.0):
        """Even-odd scanline fill."""
        ys = [p[1] for p in points]
        n = len(points)
        for y in range(max(0, int(min(ys))), min(self.h, int(max(ys)) + 1)):
            yc = y + 0.5
            xs = []
            for i in range(n):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                self.hspan(round(a), round(b), y, color, alpha)

    def glow(self, cx, cy, radius, color, strength):
        """A soft halo fading out from the centre."""
        for y in range(int(cy - radius), int(cy + radius) + 1):
            if not 0 <= y < self.h:
                continue
            for x in range(max(0, int(cx - radius)), min(self.w, int(cx + radius) + 1)):
                d = math.hypot(x - cx, y - cy) / radius
                if d < 1:
                    self.put(x, y, color, strength * (1 - d) ** 2)

    def hills(self, y_base, amplitude, waves, color, seed):
        rnd = random.Random(seed)
        phases = [(rnd.uniform(0, 6.28), rnd.uniform(0.004, 0.02), rnd.uniform(0.3, 1)) for _ in range(waves)]
        for x in range(self.w):
            top = y_base - amplitude * sum(a * math.sin(x * f + p) for p, f, a in phases) / waves
            for y in range(max(0, int(top)), self.h):
                self.put(x, y, color)


def scene_shark():
    c = Canvas(WIDTH, HEIGHT)
    c.vgradient(0, HEIGHT, [(0, (70, 170, 215)), (0.55, (18, 88, 150)), (1, (6, 30, 70))])
    # Light shafts from the surface.
    for x0, w in ((90, 60), (260, 40), (430, 70), (620, 50)):
        c.polygon([(x0, 0), (x0 + w, 0), (x0 + w + 160, HEIGHT), (x0 + 100, HEIGHT)], (190, 230, 250), 0.10)
    # Sandy bottom with rocks.
    c.hills(560, 40, 3, (150, 135, 95), 7)
    c.ellipse(120, 585, 90, 40, (60, 70, 70))
    c.ellipse(690, 590, 120, 45, (50, 62, 66))
    # The shark: body, head, fins, tail.
    body = (48, 72, 96)
    belly = (150, 170, 185)
    c.ellipse(400, 290, 210, 62, body)
    c.ellipse(420, 312, 170, 30, belly)
    c.polygon([(560, 262), (650, 285), (660, 300), (575, 322)], body)             # snout
    c.polygon([(330, 236), (392, 120), (432, 236)], body)                           # dorsal fin
    c.polygon([(420, 330), (470, 420), (488, 332)], body)                           # pectoral fin
    c.polygon([(205, 285), (110, 190), (140, 290), (100, 375), (215, 305)], body)   # tail
    c.polygon([(300, 338), (330, 370), (346, 340)], body)                           # pelvic fin
    c.ellipse(600, 280, 6, 6, (10, 10, 15))                                         # eye
    for gx in (540, 528, 516):
        c.polygon([(gx, 272), (gx + 4, 272), (gx - 2, 310), (gx - 6, 310)], (30, 50, 70))
    # Bubbles.
    rnd = random.Random(3)
    for _ in range(40):
        x, y, r = rnd.randint(0, WIDTH), rnd.randint(0, 520), rnd.randint(2, 7)
        c.ellipse(x, y, r, r, (210, 240, 255), 0.45)
    return c


def scene_sunset():
    c = Canvas(WIDTH, HEIGHT)
    c.vgradient(0, 380, [(0, (45, 30, 90)), (0.45, (190, 70, 90)), (0.8, (250, 150, 60)), (1, (255, 200, 90))])
    c.glow(400, 360, 230, (255, 210, 120), 0.8)
    c.ellipse(400, 360, 70, 70, (255, 235, 160))
    # Sea with the sun's reflection.
    c.vgradient(380, HEIGHT, [(0, (150, 70, 80)), (1, (30, 20, 55))])
    rnd = random.Random(11)
    for y in range(385, HEIGHT, 6):
        half = 90 * (1 - (y - 380) / 260) + 10
        for _ in range(3):
            x = 400 + rnd.uniform(-half, half)
            c.hspan(x - rnd.uniform(8, 40), x + rnd.uniform(8, 40), y, (255, 200, 120), 0.7)
    # Hills and a few birds.
    c.hills(560, 70, 3, (40, 20, 45), 5)
    c.polygon([(0, 372), (60, 360), (150, 385), (230, 430), (260, HEIGHT), (0, HEIGHT)], (40, 20, 45))
    c.polygon([(WIDTH, 376), (720, 368), (640, 392), (590, 440), (570, HEIGHT), (WIDTH, HEIGHT)], (40, 20, 45))
    for bx, by in ((250, 150), (285, 170), (560, 120), (600, 140)):
        c.polygon([(bx - 14, by - 6), (bx, by), (bx + 14, by - 6), (bx, by + 3)], (30, 15, 35))
    return c


def scene_wildlife():
    c = Canvas(WIDTH, HEIGHT)
    c.vgradient(0, 420, [(0, (250, 190, 90)), (0.7, (245, 150, 70)), (1, (230, 120, 60))])
    c.glow(560, 330, 200, (255, 230, 150), 0.7)
    c.ellipse(560, 330, 90, 90, (255, 220, 120))
    c.vgradient(420, HEIGHT, [(0, (160, 120, 50)), (1, (90, 65, 30))])
    shade = (40, 25, 15)
    # Acacia tree.
    c.polygon([(150, 430), (162, 300), (172, 300), (186, 430)], shade)
    c.polygon([(165, 320), (110, 250), (120, 246), (170, 310)], shade)
    c.polygon([(168, 315), (230, 245), (238, 252), (175, 320)], shade)
    c.ellipse(170, 235, 150, 26, shade)
    c.ellipse(130, 245, 70, 18, shade)
    c.ellipse(225, 243, 80, 16, shade)
    # Elephant.
    c.ellipse(470, 420, 85, 55, shade)
    c.ellipse(545, 395, 38, 36, shade)
    c.ellipse(525, 395, 28, 42, (55, 35, 20))   # ear
    c.polygon([(565, 405), (585, 470), (575, 478), (550, 425)], shade)
    for lx in (405, 440, 495, 525):
        c.rect(lx, 440, lx + 22, 505, shade)
    c.polygon([(388, 410), (375, 460), (381, 461), (392, 418)], shade)
    # Giraffe.
    c.ellipse(700, 380, 50, 28, shade)
    c.polygon([(725, 370), (765, 250), (780, 256), (748, 378)], shade)
    c.ellipse(780, 250, 20, 11, shade)
    for lx in (665, 680, 715, 730):
        c.rect(lx, 395, lx + 8, 500, shade)
    # Grass tufts.
    rnd = random.Random(9)
    for _ in range(260):
        x, y = rnd.randint(0, WIDTH), rnd.randint(430, HEIGHT)
        h = rnd.randint(6, 18)
        c.polygon([(x - 2, y), (x + rnd.randint(-4, 4), y - h), (x + 2, y)], (70, 50, 20))
    return c


def scene_nyc():
    c = Canvas(WIDTH, HEIGHT)
    c.vgradient(0, 430, [(0, (8, 10, 40)), (0.6, (30, 40, 95)), (1, (90, 70, 120))])
    rnd = random.Random(21)
    for _ in range(140):
        c.put(rnd.randint(0, WIDTH - 1), rnd.randint(0, 260), (230, 230, 255))
    c.glow(660, 90, 70, (230, 230, 200), 0.5)
    c.ellipse(660, 90, 28, 28, (240, 240, 215))
    # Skyline: towers of varied height with lit windows.
    building = (14, 16, 30)
    x = 0
    towers = []
    while x < WIDTH:
        w = rnd.randint(36, 80)
        h = rnd.randint(90, 260)
        towers.append((x, w, h))
        x += w + rnd.randint(0, 6)
    towers.append((300, 50, 330))   # a tall spire tower
    towers.append((520, 44, 300))
    for tx, w, h in towers:
        top = 430 - h
        c.rect(tx, top, tx + w, 430, building)
        for wy in range(top + 8, 422, 12):
            for wx in range(tx + 5, tx + w - 6, 9):
                if rnd.random() < 0.35:
                    c.rect(wx, wy, wx + 4, wy + 6, (250, 215, 120))
    c.polygon([(318, 100), (325, 40), (332, 100)], building)
    c.polygon([(530, 130), (542, 95), (554, 130)], building)
    # River with the city's reflection.
    c.vgradient(430, HEIGHT, [(0, (25, 30, 70)), (1, (5, 8, 25))])
    for y in range(436, HEIGHT, 5):
        for _ in range(8):
            x0 = rnd.randint(0, WIDTH)
            c.hspan(x0, x0 + rnd.randint(6, 30), y, (230, 190, 110), 0.35)
    return c


def scene_ocean():
    c = Canvas(WIDTH, HEIGHT)
    c.vgradient(0, 300, [(0, (60, 140, 220)), (1, (175, 220, 245))])
    c.glow(640, 90, 110, (255, 250, 210), 0.6)
    c.ellipse(640, 90, 40, 40, (255, 250, 220))
    for cx, cy, s in ((170, 90, 1.0), (420, 60, 0.8)):
        for dx, dy, r in ((0, 0, 40), (40, 8, 32), (-38, 10, 30), (15, -18, 30)):
            c.ellipse(cx + dx * s, cy + dy * s, r * s * 1.4, r * s, (250, 252, 255), 0.9)
    # Sea, waves and surf.
    c.vgradient(300, 470, [(0, (20, 110, 170)), (1, (40, 170, 190))])
    for row, y0 in enumerate(range(310, 470, 14)):
        for x in range(WIDTH):
            y = y0 + 3 * math.sin(x * 0.03 + row * 1.7)
            c.put(x, int(y), (210, 240, 250), 0.55)
    # Beach: wet then dry sand, surf line.
    c.vgradient(470, HEIGHT, [(0, (215, 195, 150)), (1, (240, 220, 170))])
    for x in range(WIDTH):
        y = 470 + 8 * math.sin(x * 0.012) + 4 * math.sin(x * 0.05)
        for k in range(6):
            c.put(x, int(y) + k, (250, 250, 245), 0.85 - k * 0.13)
    # Palm tree.
    trunk = (95, 70, 40)
    for i in range(60):
        t = i / 59
        x = 120 + 60 * t * t
        y = 590 - 330 * t
        c.ellipse(x, y, 11 - 4 * t, 7, trunk)
    # Fronds: arcs that droop towards their tips.
    top = (180, 260)
    for ang, length in ((-170, 130), (-140, 120), (-105, 90), (-70, 100), (-35, 130), (-5, 140), (190, 110)):
        a = math.radians(ang)
        for i in range(50):
            t = i / 49
            x = top[0] + length * t * math.cos(a)
            y = top[1] + length * t * math.sin(a) * 0.6 + 70 * t * t
            c.ellipse(x, y, 12 * (1 - t) + 2, 6 * (1 - t) + 2, (30 + int(40 * t), 110 + int(30 * t), 50))
    c.ellipse(180, 262, 14, 12, (70, 50, 25))
    return c


SCENES = (
    ("skinshark.jpg", scene_shark),
    ("skinsunset.jpg", scene_sunset),
    ("skinwildlife.jpg", scene_wildlife),
    ("skinnyc.jpg", scene_nyc),
    ("skinocean.jpg", scene_ocean),
)


# --- baseline JPEG encoder ----------------------------------------------------------------------------

ZIGZAG = [
    0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6, 7, 14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
]

# Quantisation tables in natural order (the example tables of the JPEG standard).
LUMA_Q = [
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
]
CHROMA_Q = [
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
] + [99] * 32

# The example Huffman tables: (code counts per length 1..16, symbols).
DC_LUMA = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
DC_CHROMA = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
AC_LUMA = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D], bytes.fromhex(
    "01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a161718191a25262728"
    "292a3435363738393a434445464748494a535455565758595a636465666768696a737475767778797a83848586878889"
    "8a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae1e2"
    "e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7f8f9fa"))
AC_CHROMA = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], bytes.fromhex(
    "000102031104052131061241510761711322328108144291a1b1c109233352f0156272d10a162434e125f11718191a"
    "262728292a35363738393a434445464748494a535455565758595a636465666768696a737475767778797a8283848586"
    "8788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9"
    "dae2e3e4e5e6e7e8e9eaf2f3f4f5f6f7f8f9fa"))


def scaled_table(table, quality):
    scale = 5000 // quality if quality < 50 else 200 - 2 * quality
    return [min(255, max(1, (q * scale + 50) // 100)) for q in table]


def huffman_codes(table):
    counts, symbols = table
    assert sum(counts) == len(symbols), "Huffman table: counts and symbols disagree"
    codes = {}
    code = 0
    k = 0
    for length in range(1, 17):
        for _ in range(counts[length - 1]):
            codes[symbols[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def write(self, value, length):
        self.acc = (self.acc << length) | (value & ((1 << length) - 1))
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
            self.write((1 << (8 - self.n)) - 1, 8 - self.n)  # pad with one bits


# DCT basis: COS[u][x] = c(u)/2 * cos((2x+1)u pi/16).
COS = [[(math.sqrt(0.5) if u == 0 else 1.0) / 2 * math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)]
       for u in range(8)]


def fdct_quantise(block, qtable):
    """Forward DCT of 64 level-shifted samples (natural order), quantised, in zigzag order."""
    rows = [block[r * 8:r * 8 + 8] for r in range(8)]
    tmp = [[sum(cu[x] * row[x] for x in range(8)) for cu in COS] for row in rows]  # tmp[y][u]
    coef = [0.0] * 64
    for u in range(8):
        col = [tmp[y][u] for y in range(8)]
        for v in range(8):
            cv = COS[v]
            coef[v * 8 + u] = sum(cv[y] * col[y] for y in range(8))
    return [int(round(coef[z] / qtable[z])) for z in ZIGZAG]


def magnitude(value):
    """(bit count, bits) of a coefficient as the entropy coder writes it."""
    size = abs(value).bit_length()
    bits = value if value >= 0 else value + (1 << size) - 1
    return size, bits


def encode_block(writer, zz, prev_dc, dc_codes, ac_codes):
    diff = zz[0] - prev_dc
    size, bits = magnitude(diff)
    writer.write(*dc_codes[size])
    if size:
        writer.write(bits, size)
    run = 0
    last = max((i for i in range(1, 64) if zz[i]), default=0)
    for i in range(1, last + 1):
        if zz[i] == 0:
            run += 1
            continue
        while run > 15:
            writer.write(*ac_codes[0xF0])
            run -= 16
        size, bits = magnitude(zz[i])
        writer.write(*ac_codes[(run << 4) | size])
        writer.write(bits, size)
        run = 0
    if last < 63:
        writer.write(*ac_codes[0x00])
    return zz[0]


def encode_jpeg(width, height, rgb, quality=QUALITY):
    lq = scaled_table(LUMA_Q, quality)
    cq = scaled_table(CHROMA_Q, quality)

    # Colour conversion to full-resolution planes, level-shifted by 128.
    n = width * height
    ys, cbs, crs = [0.0] * n, [0.0] * n, [0.0] * n
    for i in range(n):
        r, g, b = rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]
        ys[i] = 0.299 * r + 0.587 * g + 0.114 * b - 128
        cbs[i] = -0.168736 * r - 0.331264 * g + 0.5 * b
        crs[i] = 0.5 * r - 0.418688 * g - 0.081312 * b

    def luma_block(bx, by):
        out = []
        for y in range(by, by + 8):
            yy = min(y, height - 1) * width
            out.extend(ys[yy + min(x, width - 1)] for x in range(bx, bx + 8))
        return out

    def chroma_block(plane, bx, by):
        """8x8 samples of a 16x16 area, each the mean of 2x2 pixels."""
        out = []
        for y in range(by, by + 16, 2):
            y0 = min(y, height - 1) * width
            y1 = min(y + 1, height - 1) * width
            for x in range(bx, bx + 16, 2):
                x0, x1 = min(x, width - 1), min(x + 1, width - 1)
                out.append((plane[y0 + x0] + plane[y0 + x1] + plane[y1 + x0] + plane[y1 + x1]) / 4)
        return out

    dc_l, ac_l = huffman_codes(DC_LUMA), huffman_codes(AC_LUMA)
    dc_c, ac_c = huffman_codes(DC_CHROMA), huffman_codes(AC_CHROMA)
    writer = BitWriter()
    pred = [0, 0, 0]
    for my in range(0, height, 16):
        for mx in range(0, width, 16):
            for dy in (0, 8):
                for dx in (0, 8):
                    pred[0] = encode_block(writer, fdct_quantise(luma_block(mx + dx, my + dy), lq), pred[0], dc_l,
                                           ac_l)
            pred[1] = encode_block(writer, fdct_quantise(chroma_block(cbs, mx, my), cq), pred[1], dc_c, ac_c)
            pred[2] = encode_block(writer, fdct_quantise(chroma_block(crs, mx, my), cq), pred[2], dc_c, ac_c)
    writer.flush()

    def segment(marker, payload):
        return bytes([0xFF, marker]) + (len(payload) + 2).to_bytes(2, "big") + payload

    def dht(cls_id, table):
        counts, symbols = table
        return bytes([cls_id]) + bytes(counts) + bytes(symbols)

    out = bytearray(b"\xFF\xD8")
    out += segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    out += segment(0xDB, bytes([0]) + bytes(lq[z] for z in ZIGZAG) + bytes([1]) + bytes(cq[z] for z in ZIGZAG))
    out += segment(0xC0, bytes([8]) + height.to_bytes(2, "big") + width.to_bytes(2, "big") +
                   bytes([3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1]))
    out += segment(0xC4, dht(0x00, DC_LUMA) + dht(0x10, AC_LUMA) + dht(0x01, DC_CHROMA) + dht(0x11, AC_CHROMA))
    out += segment(0xDA, bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0]))
    out += writer.out
    out += b"\xFF\xD9"
    return bytes(out)


# --- room for the main window's texts -----------------------------------------------------------------

# The main window's check boxes, labels and group titles are drawn straight on the picture in dark
# text (black, and navy for the total line). Under each of them the picture is lightened, pixel by
# pixel, just enough that dark text keeps a contrast of well over 4.5:1, so the scene still shows.
FORM = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "forms", "TFrminit.ui")
TITLE_HEIGHT = 20     # a group box's title strip
MARGIN = 3            # around each control, so the compression's ringing stays outside it
MIN_LUMINANCE = 0.45  # black text on it: 10:1; navy: 7:1

LINEAR = [((v / 255) / 12.92) if v / 255 <= 0.04045 else (((v / 255) + 0.055) / 1.055) ** 2.4 for v in range(256)]


def luminance(r, g, b):
    return 0.2126 * LINEAR[r] + 0.7152 * LINEAR[g] + 0.0722 * LINEAR[b]


def text_areas(form_path=FORM):
    """The window rectangles (x0, y0, x1, y1) behind every check box, label and group title."""
    def rect_of(widget):
        r = widget.find("property[@name='geometry']/rect")
        return None if r is None else [int(r.find(k).text) for k in ("x", "y", "width", "height")]

    areas = []

    def walk(parent, ox, oy):
        for w in parent.findall("widget"):
            g = rect_of(w)
            if g is None:
                continue
            x, y, width, height = g[0] + ox, g[1] + oy, g[2], g[3]
            kind = w.get("class")
            if kind == "QCheckBox" or (kind == "QLabel" and w.get("name") != "ImageSkin"):
                areas.append((x, y, x + width, y + height))
            elif kind == "QGroupBox":
                areas.append((x, y, x + width, y + TITLE_HEIGHT))
            walk(w, x, y)

    walk(ElementTree.parse(form_path).getroot().find("widget"), 0, 0)
    return areas


def lighten_text_areas(canvas):
    done = set()
    for x0, y0, x1, y1 in text_areas():
        for y in range(max(0, y0 - MARGIN), min(canvas.h, y1 + MARGIN)):
            for x in range(max(0, x0 - MARGIN), min(canvas.w, x1 + MARGIN)):
                if (x, y) in done:
                    continue
                done.add((x, y))
                i = (y * canvas.w + x) * 3
                r, g, b = canvas.px[i], canvas.px[i + 1], canvas.px[i + 2]
                a = 0.0
                while luminance(r, g, b) < MIN_LUMINANCE and a < 1.0:
                    a = min(1.0, a + 0.05)
                    r, g, b = (int(round(c + (255 - c) * a)) for c in canvas.px[i:i + 3])
                canvas.px[i:i + 3] = bytes((r, g, b))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources")
    os.makedirs(folder, exist_ok=True)
    for name, paint in SCENES:
        canvas = paint()
        lighten_text_areas(canvas)
        data = encode_jpeg(canvas.w, canvas.h, canvas.px)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
