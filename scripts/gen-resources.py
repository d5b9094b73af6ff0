#!/usr/bin/python3
# Draws Tavrin's icons and splash picture from code and writes them into ui/res/.
#
# The pictures live in the repository as generated files so the build needs
# nothing but a resource compiler; this script is how they change. Edit a
# colour or a shape here, run it, and commit what it wrote. Every random
# number comes from a fixed seed, so a run on an untouched script gives the
# committed files back byte for byte.
#
# Only Debian's python3 standard library is used, which is why the drawing is
# done with signed distance functions and plain lists rather than an imaging
# library. The JPEG is handed to Debian's cjpeg (libjpeg-turbo-progs) because a
# good encoder is not worth re-writing here.

import math
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT_DIR = os.path.join(ROOT, 'ui', 'res')


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def mix(a, b, t):
    return a + (b - a) * t


def mix3(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def smin(a, b, k):
    # Polynomial smooth minimum: unions get a fillet instead of a crease,
    # which is what keeps the tooth roots from looking cut out with scissors.
    h = k - abs(a - b)
    m = a if a < b else b
    if h <= 0.0:
        return m
    h /= k
    return m - h * h * k * 0.25


def smax(a, b, k):
    return -smin(-a, -b, k)


# ---------------------------------------------------------------------------
# File formats

def png_bytes(width, height, rgba):
    """rgba: bytes-like, width*height*4, top row first."""
    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data
                + struct.pack('>I', zlib.crc32(tag + data) & 0xffffffff))

    stride = width * 4
    raw = bytearray()
    prev = bytes(stride)
    for y in range(height):
        row = rgba[y * stride:(y + 1) * stride]
        # Per-row filter choice by the usual minimum-sum-of-deltas guess; it
        # costs little and keeps the 256 pixel images a good deal smaller.
        cands = [bytes(row)]
        sub = bytearray(stride)
        up = bytearray(stride)
        avg = bytearray(stride)
        pae = bytearray(stride)
        for i in range(stride):
            a = row[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            x = row[i]
            sub[i] = (x - a) & 255
            up[i] = (x - b) & 255
            avg[i] = (x - ((a + b) >> 1)) & 255
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            pred = a if (pa <= pb and pa <= pc) else (b if pb <= pc else c)
            pae[i] = (x - pred) & 255
        cands += [bytes(sub), bytes(up), bytes(avg), bytes(pae)]
        best, best_cost = 0, None
        for f, data in enumerate(cands):
            cost = sum(v if v < 128 else 256 - v for v in data)
            if best_cost is None or cost < best_cost:
                best, best_cost = f, cost
        raw.append(best)
        raw += cands[best]
        prev = row
    ihdr = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr)
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def and_mask(size, alpha):
    stride = (size + 31) // 32 * 4
    out = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if alpha[y * size + x] < 128:
                row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


def dib_header(size, bpp, image_bytes):
    # Icons keep the old DIB convention of a doubled height, covering the
    # colour rows and the AND mask below them.
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0, image_bytes, 0, 0, 0, 0)


def dib_indexed(size, bpp, palette, indices, alpha):
    entries = 1 << bpp
    table = bytearray()
    for i in range(entries):
        r, g, b = palette[i] if i < len(palette) else (0, 0, 0)
        table += bytes((b, g, r, 0))
    stride = (size * bpp + 31) // 32 * 4
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            v = indices[y * size + x]
            if bpp == 8:
                row[x] = v
            else:
                row[x >> 1] |= v << 4 if x % 2 == 0 else v
        xor += row
    mask = and_mask(size, alpha)
    return dib_header(size, bpp, len(xor) + len(mask)) + bytes(table) + bytes(xor) + mask


def dib_32(size, rgba):
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            xor += bytes((b, g, r, a))
    mask = and_mask(size, rgba[3::4])
    return dib_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def ico_bytes(images):
    """images: (size, wBitCount, bColorCount, data) in directory order."""
    head = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    directory = bytearray()
    body = bytearray()
    for size, bits, colours, data in images:
        directory += struct.pack('<BBBBHHII', size & 255, size & 255, colours, 0, 1, bits,
                                 len(data), offset)
        offset += len(data)
        body += data
    return head + bytes(directory) + bytes(body)


# ---------------------------------------------------------------------------
# Palettes

def median_cut(counts, wanted):
    """counts: {(r,g,b): weight}. Returns up to `wanted` colours."""
    boxes = [list(counts.items())]
    while len(boxes) < wanted:
        best, best_score = None, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spread = max(max(c[0][ch] for c in box) - min(c[0][ch] for c in box) for ch in range(3))
            weight = sum(c[1] for c in box)
            # Splitting by spread alone spends colours on a few stray edge
            # pixels; weighting by population keeps them on the gradients.
            score = spread * math.sqrt(weight)
            if score > best_score:
                best, best_score = i, score
        if best is None:
            break
        box = boxes.pop(best)
        ch = max(range(3), key=lambda k: max(c[0][k] for c in box) - min(c[0][k] for c in box))
        box.sort(key=lambda c: (c[0][ch], c[0]))
        total = sum(c[1] for c in box)
        acc, cut = 0, 1
        for i, c in enumerate(box):
            acc += c[1]
            if acc * 2 >= total:
                cut = min(max(i + 1, 1), len(box) - 1)
                break
        boxes.append(box[:cut])
        boxes.append(box[cut:])
    palette = []
    for box in boxes:
        w = sum(c[1] for c in box)
        palette.append(tuple(int(round(sum(c[0][ch] * c[1] for c in box) / w)) for ch in range(3)))
    palette.sort(key=lambda c: (0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2], c))
    return palette


def nearest(palette, colour, start=0):
    best, best_d = start, None
    r, g, b = colour
    for i in range(start, len(palette)):
        pr, pg, pb = palette[i]
        # Weighted like the eye: green errors show most, blue least.
        d = 3 * (pr - r) ** 2 + 4 * (pg - g) ** 2 + 2 * (pb - b) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def opaque_colours(rgba, weight=1):
    counts = {}
    for i in range(0, len(rgba), 4):
        if rgba[i + 3] >= 128:
            c = (rgba[i], rgba[i + 1], rgba[i + 2])
            counts[c] = counts.get(c, 0) + weight
    return counts


def to_indices(rgba, palette):
    # Index 0 stays black: under a set AND-mask bit the colour is XORed onto
    # the screen, and only black leaves the desktop untouched.
    cache = {}
    out = []
    for i in range(0, len(rgba), 4):
        if rgba[i + 3] < 128:
            out.append(0)
            continue
        c = (rgba[i], rgba[i + 1], rgba[i + 2])
        if c not in cache:
            cache[c] = nearest(palette, c, 1)
        out.append(cache[c])
    return out


# ---------------------------------------------------------------------------
# Icon drawing

class Gear:
    def __init__(self, cx, cy, teeth, module, phase, hole, slope=0.14):
        self.cx, self.cy = cx, cy
        self.pitch = module * teeth / 2.0
        self.outer = self.pitch + 0.95 * module
        self.root = self.pitch - 1.1 * module
        self.step = 2.0 * math.pi / teeth
        self.phase = phase
        self.hole = hole
        self.half = math.pi * module / 4.0 * 0.88  # leaves some backlash, so meshing teeth stay apart
        self.slope = slope
        self.norm = 1.0 / math.sqrt(1.0 + slope * slope)
        self.tip_round = 0.32 * module
        self.fillet = 0.3 * module

    def _tooth(self, r, delta):
        x = r * math.cos(delta)
        y = abs(r * math.sin(delta))
        flank = ((x - self.pitch) * self.slope + y - self.half) * self.norm
        return smax(flank, r - self.outer, self.tip_round)

    def dist(self, px, py):
        dx, dy = px - self.cx, py - self.cy
        r = math.sqrt(dx * dx + dy * dy)
        if r > self.outer + 0.04:
            d = r - self.outer
        else:
            a = math.atan2(dy, dx) - self.phase
            k = round(a / self.step)
            delta = a - k * self.step
            other = delta - self.step if delta > 0 else delta + self.step
            t = min(self._tooth(r, delta), self._tooth(r, other))
            d = smin(t, r - self.root, self.fillet)
        if self.hole:
            d = max(d, self.hole - r)
        return d


def rounded_square(px, py, lo, hi, radius):
    c = (lo + hi) * 0.5
    h = (hi - lo) * 0.5 - radius
    qx = abs(px - c) - h
    qy = abs(py - c) - h
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    inside = min(max(qx, qy), 0.0)
    return outside + inside - radius


def gear_pair(size):
    # Two gears of one module so that they visibly mesh: a tooth of the big
    # one sits in a gap of the small one on the line between the centres.
    # At 16 pixels twelve teeth turn to fuzz, so that size gets fewer, bigger
    # ones.
    if size <= 16:
        module, big_teeth, small_teeth = 0.058, 8, 6
    else:
        module, big_teeth, small_teeth = 0.036, 12, 8
    cx, cy = 0.395, 0.600
    along = math.radians(-40.0)
    centre_gap = module * (big_teeth + small_teeth) / 2.0
    sx = cx + centre_gap * math.cos(along)
    sy = cy + centre_gap * math.sin(along)
    big = Gear(cx, cy, big_teeth, module, along, 0.052)
    small = Gear(sx, sy, small_teeth, module, along + math.pi + math.pi / small_teeth, 0.040)
    return big, small


def single_gear(size):
    # The 16-colour icon is what Windows shows at its smallest and in the
    # oldest places, so it keeps only the one big gear, with chunkier teeth.
    teeth = 8 if size <= 16 else 10
    module = 0.68 / (teeth + 2)
    return Gear(0.5, 0.52, teeth, module, -math.pi / 2, 0.11 if size > 16 else 0.125, 0.2)


TILE_TOP = (255, 190, 92)
TILE_BOTTOM = (236, 104, 22)
TILE_EDGE = (176, 66, 8)
CREAM_TOP = (255, 253, 246)
CREAM_BOTTOM = (249, 226, 190)
CREAM_SHADE = (214, 160, 104)
SHADOW = (120, 40, 0)
LIGHT = (-0.5, -0.866)


def render_icon(size, ss, gears, web=True, simple=False, warmth=0.0):
    """Returns size*size*4 RGBA bytes (straight alpha)."""
    n = size * ss
    inv = 1.0 / n
    margin = {16: 0.0, 32: 1.0, 48: 1.5}.get(size, size / 32.0) / size
    lo, hi = margin, 1.0 - margin
    corner = 0.21 * (hi - lo)
    px = 1.0 / size  # one output pixel in unit coordinates

    # One distance sample per supersample, kept in a grid so the bevel can
    # take its normals from neighbours and the shadow can read a shifted copy.
    field = [0.0] * (n * n)
    for y in range(n):
        v = (y + 0.5) * inv
        base = y * n
        for x in range(n):
            u = (x + 0.5) * inv
            d = 9.0
            for g in gears:
                e = g.dist(u, v)
                if e < d:
                    d = e
            field[base + x] = d

    big = gears[0]
    web_in = big.hole + max(0.045, 1.6 * px)
    web_out = big.root - max(0.035, 1.4 * px)
    shadow_dx = int(round((0.010 if not simple else 0.0) * n))
    shadow_dy = int(round(max(0.022, 0.8 * px) * n))
    shadow_soft = max(0.030, 1.2 * px)
    gear_bevel = max(0.016, 0.9 * px)
    tile_bevel = max(0.022, 0.9 * px)
    top = mix3(TILE_TOP, (255, 170, 70), warmth)

    acc = [0.0] * (size * size * 4)
    w_sample = 1.0 / (ss * ss)
    for y in range(n):
        v = (y + 0.5) * inv
        oy = y // ss
        for x in range(n):
            u = (x + 0.5) * inv
            td = rounded_square(u, v, lo, hi, corner)
            cover = clamp01(0.5 - td * n)
            if cover <= 0.0:
                continue
            # Tile: diagonal gradient with a soft glow from the upper left.
            t = clamp01((0.35 * u + 0.65 * v - 0.05) / 0.9)
            r, g, b = mix3(top, TILE_BOTTOM, t)
            glow = math.exp(-((u - 0.28) ** 2 + (v - 0.12) ** 2) / 0.09) * 0.22
            r, g, b = mix(r, 255, glow), mix(g, 236, glow), mix(b, 170, glow)
            # Rim: lit where the edge faces the light, darker elsewhere, so the
            # tile still reads as a tile on an orange-ish desktop.
            edge = clamp01(1.0 + td / tile_bevel)
            if edge > 0.0:
                e = 1e-4
                gx = rounded_square(u + e, v, lo, hi, corner) - rounded_square(u - e, v, lo, hi, corner)
                gy = rounded_square(u, v + e, lo, hi, corner) - rounded_square(u, v - e, lo, hi, corner)
                gl = math.hypot(gx, gy) or 1.0
                lit = (gx * LIGHT[0] + gy * LIGHT[1]) / gl
                edge = edge * edge
                if lit > 0:
                    k = edge * lit * 0.45
                    r, g, b = mix(r, 255, k), mix(g, 240, k), mix(b, 200, k)
                else:
                    k = edge * (-lit * 0.55 + 0.15)
                    r, g, b = mix(r, TILE_EDGE[0], k), mix(g, TILE_EDGE[1], k), mix(b, TILE_EDGE[2], k)
            # Gear shadow, read from the distance field shifted towards the
            # light; the distance doubles as the blur.
            sx, sy = x - shadow_dx, y - shadow_dy
            if 0 <= sx < n and 0 <= sy < n:
                sd = field[sy * n + sx]
                sh = clamp01(0.5 - sd / shadow_soft) * 0.42
                if sh > 0.0:
                    r, g, b = mix(r, SHADOW[0], sh), mix(g, SHADOW[1], sh), mix(b, SHADOW[2], sh)
            gd = field[y * n + x]
            gc = clamp01(0.5 - gd * n)
            if gc > 0.0:
                tt = clamp01((v - 0.25) / 0.65)
                cr, cg, cb = mix3(CREAM_TOP, CREAM_BOTTOM, tt)
                edge = clamp01(1.0 + gd / gear_bevel)
                if edge > 0.0 and 0 < x < n - 1 and 0 < y < n - 1:
                    gx = field[y * n + x + 1] - field[y * n + x - 1]
                    gy = field[(y + 1) * n + x] - field[(y - 1) * n + x]
                    gl = math.hypot(gx, gy) or 1.0
                    lit = (gx * LIGHT[0] + gy * LIGHT[1]) / gl
                    edge = edge * edge
                    if lit > 0:
                        k = edge * lit * 0.9
                        cr, cg, cb = mix(cr, 255, k), mix(cg, 255, k), mix(cb, 252, k)
                    else:
                        k = edge * -lit * 0.55
                        cr, cg, cb = mix(cr, CREAM_SHADE[0], k), mix(cg, CREAM_SHADE[1], k), mix(cb, CREAM_SHADE[2], k)
                if web:
                    dx, dy = u - big.cx, v - big.cy
                    rr = math.sqrt(dx * dx + dy * dy)
                    wd = max(rr - web_out, web_in - rr)
                    wc = clamp01(0.5 - wd * n)
                    if wc > 0.0:
                        # A recessed web: its edges light up the other way
                        # round from the raised rim around it.
                        lit = (dx * LIGHT[0] + dy * LIGHT[1]) / (rr or 1.0)
                        if rr < (web_in + web_out) * 0.5:
                            lit = -lit
                        e2 = clamp01(1.0 + wd / (gear_bevel * 0.8)) ** 2
                        k = 0.22 + e2 * max(0.0, lit) * 0.5
                        wr, wg, wb = mix(cr, CREAM_SHADE[0], k), mix(cg, CREAM_SHADE[1], k), mix(cb, CREAM_SHADE[2], k)
                        kk = e2 * max(0.0, -lit) * 0.7
                        wr, wg, wb = mix(wr, 255, kk), mix(wg, 255, kk), mix(wb, 250, kk)
                        cr, cg, cb = mix(cr, wr, wc), mix(cg, wg, wc), mix(cb, wb, wc)
                r, g, b = mix(r, cr, gc), mix(g, cg, gc), mix(b, cb, gc)
            o = (oy * size + x // ss) * 4
            a = cover * w_sample
            acc[o] += r * a
            acc[o + 1] += g * a
            acc[o + 2] += b * a
            acc[o + 3] += a

    out = bytearray(size * size * 4)
    for i in range(0, len(acc), 4):
        a = acc[i + 3]
        if a <= 1.0 / 512:
            continue
        for c in range(3):
            out[i + c] = min(255, int(acc[i + c] / a + 0.5))
        out[i + 3] = min(255, int(a * 255 + 0.5))
    return bytes(out)


def main_window_icon():
    # Two complete sets, 256-colour first and true colour second, each led by
    # its own 256 pixel PNG: Windows picks the set that matches the display,
    # and tools that stop at the first fitting entry still find a sharp one.
    gears = list(gear_pair(256))
    big8 = render_icon(256, 2, gears)
    big32 = render_icon(256, 1, gears, warmth=0.35)
    small = {s: render_icon(s, 4, list(gear_pair(s)), web=s >= 32) for s in (48, 32, 16)}
    images = [(256, 8, 0, png_bytes(256, 256, big8))]
    for s in (48, 32, 16):
        rgba = small[s]
        palette = [(0, 0, 0)] + median_cut(opaque_colours(rgba), 255)
        images.append((s, 8, 0, dib_indexed(s, 8, palette, to_indices(rgba, palette), rgba[3::4])))
    images.append((256, 32, 0, png_bytes(256, 256, big32)))
    for s in (48, 32, 16):
        images.append((s, 32, 0, dib_32(s, small[s])))
    return ico_bytes(images)


def program_icon():
    sizes = (16, 32, 48)
    drawn = {s: render_icon(s, 4, [single_gear(s)], web=False, simple=True) for s in sizes}
    # One palette for all three sizes, each size weighted alike, so the icon
    # keeps its colours when Windows swaps one size for another.
    counts = {}
    for s in sizes:
        for c, w in opaque_colours(drawn[s], (48 // s) ** 2).items():
            counts[c] = counts.get(c, 0) + w
    palette = [(0, 0, 0)] + median_cut(counts, 15)
    images = []
    for s in sizes:
        rgba = drawn[s]
        images.append((s, 4, 16, dib_indexed(s, 4, palette, to_indices(rgba, palette), rgba[3::4])))
    return ico_bytes(images)


# ---------------------------------------------------------------------------
# Splash picture

W, H = 680, 510


def box_blur(buf, w, h, radius, passes=3):
    span = 2 * radius + 1
    for _ in range(passes):
        out = [0.0] * (w * h)
        for y in range(h):
            row = buf[y * w:(y + 1) * w]
            padded = [row[0]] * (radius + 1) + row + [row[-1]] * radius
            s = 0.0
            ps = [0.0]
            for v in padded:
                s += v
                ps.append(s)
            out[y * w:(y + 1) * w] = [(ps[x + span + 1] - ps[x + 1]) / span for x in range(w)]
        buf = out
        out = [0.0] * (w * h)
        for x in range(w):
            col = buf[x::w]
            padded = [col[0]] * (radius + 1) + col + [col[-1]] * radius
            s = 0.0
            ps = [0.0]
            for v in padded:
                s += v
                ps.append(s)
            out[x::w] = [(ps[y + span + 1] - ps[y + 1]) / span for y in range(h)]
        buf = out
    return buf


def upsample(buf, w, h, W_, H_):
    out = [0.0] * (W_ * H_)
    xs = []
    for X in range(W_):
        fx = (X + 0.5) * w / W_ - 0.5
        x0 = max(0, min(w - 1, int(math.floor(fx))))
        x1 = min(w - 1, x0 + 1)
        tx = clamp01(fx - x0)
        xs.append((x0, x1, tx))
    for Y in range(H_):
        fy = (Y + 0.5) * h / H_ - 0.5
        y0 = max(0, min(h - 1, int(math.floor(fy))))
        y1 = min(h - 1, y0 + 1)
        ty = clamp01(fy - y0)
        r0 = buf[y0 * w:(y0 + 1) * w]
        r1 = buf[y1 * w:(y1 + 1) * w]
        row = [r0[i] + (r1[i] - r0[i]) * ty for i in range(w)]
        out[Y * W_:(Y + 1) * W_] = [row[a] + (row[b] - row[a]) * t for a, b, t in xs]
    return out


def value_noise(w, h, cell, rnd):
    gw, gh = w // cell + 3, h // cell + 3
    grid = [rnd.random() for _ in range(gw * gh)]
    out = [0.0] * (w * h)
    for y in range(h):
        fy = y / cell
        iy = int(fy)
        ty = fy - iy
        ty = ty * ty * (3 - 2 * ty)
        for x in range(w):
            fx = x / cell
            ix = int(fx)
            tx = fx - ix
            tx = tx * tx * (3 - 2 * tx)
            a = grid[iy * gw + ix]
            b = grid[iy * gw + ix + 1]
            c = grid[(iy + 1) * gw + ix]
            d = grid[(iy + 1) * gw + ix + 1]
            out[y * w + x] = mix(mix(a, b, tx), mix(c, d, tx), ty)
    return out


SUN = (0.70 * W, 0.20 * H)


def background(rnd):
    # Everything behind the fence is out of focus, so it is worked out at a
    # quarter of the size and scaled up; only the light spots need detail.
    q = 4
    w, h = W // q, int(math.ceil(H / q))
    n1 = value_noise(w, h, 22, rnd)
    n2 = value_noise(w, h, 9, rnd)
    chans = ([0.0] * (w * h), [0.0] * (w * h), [0.0] * (w * h))
    for y in range(h):
        for x in range(w):
            X, Y = (x + 0.5) * q, (y + 0.5) * q
            dx, dy = (X - SUN[0]) / W, (Y - SUN[1]) / W
            d2 = dx * dx + dy * dy * 1.4
            glow = math.exp(-d2 / 0.30) * 0.9 + math.exp(-d2 / 0.02) * 0.6
            low = Y / H
            c = mix3((0.40, 0.14, 0.03), (0.92, 0.46, 0.10), clamp01(glow * 1.15))
            c = mix3(c, (1.10, 0.84, 0.44), clamp01(glow - 0.5) * 1.3)
            # Foliage masses between us and the sun, smeared to blobs.
            i = y * w + x
            leaves = smoothstep(0.42, 0.72, 0.65 * n1[i] + 0.35 * n2[i])
            dark = 1.0 - leaves * (0.62 - 0.3 * clamp01(glow))
            ground = 1.0 - 0.25 * smoothstep(0.6, 1.0, low)
            k = dark * ground
            # Shade deepens towards red rather than towards brown: it is
            # still sunlight, only less of it.
            chans[0][i], chans[1][i], chans[2][i] = c[0] * k, c[1] * k ** 1.25, c[2] * k ** 1.6
    return [upsample(box_blur(ch, w, h, 2), w, h, W, H) for ch in chans], w, h, n1, n2


def add_bokeh(chans, rnd, leaves_at):
    R, G, B = chans
    spots = []
    for _ in range(230):
        if rnd.random() < 0.55:
            x = SUN[0] + (rnd.random() + rnd.random() + rnd.random() - 1.5) * W * 0.55
            y = SUN[1] + (rnd.random() + rnd.random() + rnd.random() - 1.5) * H * 0.75
        else:
            x = rnd.random() * W
            y = rnd.random() * H
        size = 5 + 44 * rnd.random() ** 2.0
        spots.append((size, x, y, rnd.random(), rnd.random(), rnd.random()))
    # Big soft discs first, small crisp ones on top, as a long lens renders
    # the nearer and farther highlights.
    spots.sort(key=lambda s: -s[0])
    for size, x, y, a, b, c in spots:
        d = math.hypot((x - SUN[0]) / W, (y - SUN[1]) / W)
        near = math.exp(-d * d / 0.08)
        hole = leaves_at(x, y)
        power = (0.12 + 0.75 * a ** 1.5) * (0.5 + 0.8 * near) * (1.0 - 0.5 * hole) / (1.0 + size / 30.0)
        colour = mix3((1.0, 0.50, 0.16), (1.0, 0.86, 0.58), clamp01(near * 1.1 + 0.25 * b - 0.1))
        soft = 0.9 + size * (0.04 + 0.10 * c)
        ring = 0.25 * c if size > 14 else 0.0
        x0, x1 = max(0, int(x - size - soft - 1)), min(W - 1, int(x + size + soft + 1))
        y0, y1 = max(0, int(y - size - soft - 1)), min(H - 1, int(y + size + soft + 1))
        for py in range(y0, y1 + 1):
            ddy = (py + 0.5 - y) ** 2
            base = py * W
            for px in range(x0, x1 + 1):
                rho = math.sqrt((px + 0.5 - x) ** 2 + ddy)
                cov = clamp01((size - rho) / soft + 0.5)
                if cov <= 0.0:
                    continue
                # Out-of-focus highlights are often a little brighter at the
                # rim, the onion-ring of real lenses.
                t = rho / size
                p = power * cov * (0.82 + ring * smoothstep(0.7, 1.0, t) + 0.1 * (1 - t))
                i = base + px
                R[i] += colour[0] * p
                G[i] += colour[1] * p
                B[i] += colour[2] * p


def tone(chans, exposure=1.5):
    # A film-like shoulder so overlapping light spots glow instead of clip.
    # It works on the brightest channel and keeps the ratios, otherwise red
    # saturates first and every warm highlight drifts to khaki; only the
    # very brightest spots are let go towards white.
    R, G, B = chans
    for i in range(len(R)):
        r, g, b = R[i] * exposure, G[i] * exposure, B[i] * exposure
        m = max(r, g, b)
        if m <= 1e-6:
            continue
        t = 1.0 - math.exp(-m)
        k = t / m
        white = smoothstep(0.9, 3.0, m) * 0.6
        R[i] = mix(r * k, t, white)
        G[i] = mix(g * k, t * 0.93, white)
        B[i] = mix(b * k, t * 0.78, white)


RAIL_Y0 = 178.0
RAIL_ANGLE = math.radians(-3.2)
RAIL_R = 23.0
AX, AY = math.cos(RAIL_ANGLE), math.sin(RAIL_ANGLE)
NX, NY = -AY, AX


def to_image(u, w):
    return (u * AX + w * NX, RAIL_Y0 + u * AY + w * NY)


class WireLayer:
    """Gathers the nearest-wire distance per pixel for one wire, so that the
    overlapping capsules of a bent wire shade as one piece."""

    def __init__(self, radius):
        self.radius = radius
        self.cells = {}

    def segment(self, ax, ay, bx, by):
        r = self.radius + 1.5
        dx, dy = bx - ax, by - ay
        ll = dx * dx + dy * dy or 1e-9
        length = math.sqrt(ll)
        nx, ny = -dy / length, dx / length
        if ny > 0:
            nx, ny = -nx, -ny  # normals point up, towards the sky
        x0, x1 = max(0, int(min(ax, bx) - r)), min(W - 1, int(max(ax, bx) + r) + 1)
        y0, y1 = max(0, int(min(ay, by) - r)), min(H - 1, int(max(ay, by) + r) + 1)
        cells = self.cells
        for py in range(y0, y1 + 1):
            cy = py + 0.5
            for px in range(x0, x1 + 1):
                cx = px + 0.5
                t = ((cx - ax) * dx + (cy - ay) * dy) / ll
                t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
                qx, qy = cx - (ax + dx * t), cy - (ay + dy * t)
                dist = math.sqrt(qx * qx + qy * qy)
                if dist > r:
                    continue
                key = py * W + px
                old = cells.get(key)
                if old is None or dist < old[0]:
                    side = qx * nx + qy * ny
                    cells[key] = (dist, side, nx, ny)

    def polyline(self, pts):
        for a, b in zip(pts, pts[1:]):
            self.segment(a[0], a[1], b[0], b[1])

    def paint(self, chans, dark, soft_at):
        R, G, B = chans
        rad = self.radius
        for key, (dist, side, nx, ny) in self.cells.items():
            soft = soft_at(key // W)
            cov = clamp01((rad - dist) / soft + 0.5)
            if cov <= 0.0:
                continue
            across = max(-1.0, min(1.0, (dist if side >= 0 else -dist) / rad))
            nz = math.sqrt(max(0.0, 1.0 - across * across))
            up = across * ny  # negative where the surface faces up
            br, bg, bb = R[key], G[key], B[key]
            # The wire is dark against the light but picks up the glow behind
            # it at its edges, and a warm glint on the side facing the sun.
            rim = (1.0 - nz) ** 1.6 * 0.75
            glint = max(0.0, -up) ** 4 * 0.6
            shade = 0.55 + 0.45 * nz
            r = dark[0] * shade + br * rim + 1.00 * glint
            g = dark[1] * shade + bg * rim + 0.74 * glint
            b = dark[2] * shade + bb * rim + 0.42 * glint
            R[key] = mix(br, r, cov)
            G[key] = mix(bg, g, cov)
            B[key] = mix(bb, b, cov)


def rounded(corners, radius):
    # Wire bends round, never to a point: cut each corner back along both
    # legs and join the cuts with a quadratic curve through the corner.
    out = [corners[0]]
    for a, p, c in zip(corners, corners[1:], corners[2:]):
        la = math.hypot(a[0] - p[0], a[1] - p[1]) or 1.0
        lc = math.hypot(c[0] - p[0], c[1] - p[1]) or 1.0
        s = (p[0] + (a[0] - p[0]) * radius / la, p[1] + (a[1] - p[1]) * radius / la)
        e = (p[0] + (c[0] - p[0]) * radius / lc, p[1] + (c[1] - p[1]) * radius / lc)
        for i in range(7):
            t = i / 6
            out.append(((1 - t) ** 2 * s[0] + 2 * t * (1 - t) * p[0] + t * t * e[0],
                        (1 - t) ** 2 * s[1] + 2 * t * (1 - t) * p[1] + t * t * e[1]))
    out.append(corners[-1])
    return out


def mesh(chans, rnd):
    diag = 58.0          # the diamond's width and height in pixels
    half = diag / 2.0
    wire = 1.75
    top = -0.35 * RAIL_R  # the top row of bends sits behind the rail
    dark = (0.13, 0.09, 0.06)
    hook = 2.4           # how far each bend reaches past its neighbour's
    bend = 5.0

    def soft_at(py):
        # The lower mesh leans away from the lens and goes a little soft.
        return 0.75 + 1.3 * smoothstep(260.0, 520.0, py)

    rows = int((H - RAIL_Y0 + 60) / half) + 2
    jmin, jmax = -3, int(W / half) + 4
    for j in range(jmin, jmax):
        layer = WireLayer(wire)
        corners = []
        for k in range(rows):
            right = (j + k) % 2
            # Neighbouring wires hook round each other, so each bend reaches
            # a little past the line where the two meet.
            u = j * half + (half + hook if right else -hook)
            w = top + k * half
            # Woven mesh is never quite regular; a little jitter keeps the
            # diamonds from looking drawn with a ruler.
            u += (rnd.random() - 0.5) * 1.6
            w += (rnd.random() - 0.5) * 1.6
            corners.append((u, w))
        layer.polyline([to_image(u, w) for u, w in rounded(corners, bend)])
        layer.paint(chans, dark, soft_at)
    # Twisted ends: each pair of wires meeting on the top row is wound round
    # itself and cut, the way chain-link fence is finished at the top.
    for m in range(-1, int(W / diag) + 3):
        u0 = m * diag + (rnd.random() - 0.5) * 1.6
        twist = 38.0 + rnd.random() * 6.0
        lean = (rnd.random() - 0.5) * 0.2
        turns = 2.6 + rnd.random() * 0.4
        splay = 0.35 + rnd.random() * 0.2
        spike = 7.0 + rnd.random() * 3.0
        front, back = [], []
        for strand in (0, 1):
            pts = []
            steps = 24
            for s in range(steps + 1):
                t = s / steps
                phase = t * turns * 2 * math.pi + strand * math.pi
                pts.append((u0 + math.sin(phase) * 1.9 + lean * t * twist, top - t * twist,
                            math.cos(phase) > 0))
            # Past the twist the two cut ends part, like a pair of barbs.
            eu, ew = pts[-1][0], pts[-1][1]
            side = -1 if strand == 0 else 1
            for s in range(1, 4):
                t = s / 3
                pts.append((eu + side * splay * spike * t + lean * spike * t, ew - spike * t, True))
            # Split where the strand passes behind the other, so the twist
            # reads as a twist rather than as a spring.
            run = [pts[0]]
            for p in pts[1:]:
                run.append(p)
                if p[2] != run[0][2] or p is pts[-1]:
                    (front if run[0][2] else back).append([(q[0], q[1]) for q in run])
                    run = [p]
        for piece in back + front:
            layer = WireLayer(wire * 0.9)
            layer.polyline([to_image(u, w) for u, w in piece])
            layer.paint(chans, dark, soft_at)


def rail(chans, rnd, sky_at):
    R, G, B = chans
    seam = 452.0
    streaks = [rnd.random() for _ in range(64)]
    mw, mh = W // 3 + 2, 16
    mottle = value_noise(mw, mh, 2, rnd)
    for py in range(max(0, int(RAIL_Y0 - RAIL_R * 3)), min(H, int(RAIL_Y0 + RAIL_R * 3))):
        cy = py + 0.5
        for px in range(W):
            cx = px + 0.5
            u = cx * AX + (cy - RAIL_Y0) * AY
            v = cx * NX + (cy - RAIL_Y0) * NY
            # A sleeve joins two lengths of tube; it is a touch wider.
            sleeve = abs(u - seam) < 26.0
            rad = RAIL_R + (2.2 if sleeve else 0.0)
            cov = clamp01(rad + 0.5 - abs(v))
            if cov <= 0.0:
                continue
            across = max(-1.0, min(1.0, v / rad))
            nz = math.sqrt(max(0.0, 1.0 - across * across))
            # What a polished tube mirrors: the bright sky above it at the
            # top, the dim side of the street in the middle, the ground below.
            elev = -math.asin(across) * 2.0
            sky = sky_at(cx)
            if elev > 0:
                env = mix(0.20, 0.95 * sky, smoothstep(0.0, 1.6, elev))
            else:
                env = mix(0.20, 0.07, smoothstep(0.0, 1.2, -elev))
            i = min(63, int((v + rad) / (2 * rad) * 64))
            env *= 0.9 + 0.14 * streaks[i]
            mi = min(mh - 1, int((v + rad) / (2 * rad) * mh)) * mw + max(0, min(mw - 1, int(u / 3)))
            env *= 0.88 + 0.24 * mottle[mi]
            rim = (1.0 - nz) ** 2.2 * (0.9 if across < 0 else 0.45) * sky
            glare = math.exp(-((across + 0.72) / 0.075) ** 2) * 0.85 * (0.5 + 0.5 * sky)
            sheen = math.exp(-((across - 0.62) / 0.12) ** 2) * 0.16
            r = env * 0.92 + rim * 1.0 + glare * 1.0 + sheen * 0.9
            g = env * 0.78 + rim * 0.72 + glare * 0.88 + sheen * 0.55
            b = env * 0.64 + rim * 0.42 + glare * 0.70 + sheen * 0.30
            if sleeve:
                # Crisp shadow lines where the sleeve steps over the tube.
                k = clamp01(1.6 - abs(abs(u - seam) - 25.0)) * 0.6
                r, g, b = r * (1 - k), g * (1 - k), b * (1 - k)
            i = py * W + px
            R[i] = mix(R[i], r, cov)
            G[i] = mix(G[i], g, cov)
            B[i] = mix(B[i], b, cov)


def splash_ppm():
    rnd = random.Random(0x7a5b1)
    chans, lw, lh, n1, n2 = background(rnd)

    def leaves_at(x, y):
        i = min(lh - 1, int(y / 4)) * lw + min(lw - 1, int(x / 4))
        return smoothstep(0.42, 0.72, 0.65 * n1[i] + 0.35 * n2[i])

    add_bokeh(chans, rnd, leaves_at)
    tone(chans)

    # How bright the sky is above the rail at each column, for what the
    # tube mirrors and how strongly its edge glows.
    sky = []
    for x in range(W):
        s = 0.0
        for y in range(20, 110, 6):
            i = y * W + x
            s += 0.3 * chans[0][i] + 0.59 * chans[1][i] + 0.11 * chans[2][i]
        sky.append(s / 15)
    sky = box_blur(sky, W, 1, 12, 2)

    mesh(chans, rnd)
    rail(chans, rnd, lambda cx: sky[min(W - 1, int(cx))])

    R, G, B = chans
    out = bytearray(W * H * 3)
    grain = random.Random(0x6a1e)
    for y in range(H):
        for x in range(W):
            i = y * W + x
            dx, dy = (x - W * 0.55) / W, (y - H * 0.45) / H
            vig = 1.0 - 0.38 * (dx * dx + dy * dy) * 1.6
            # Fine grain, as from a real sensor, and the same in all three
            # channels so it reads as grain rather than colour noise.
            n = (grain.random() + grain.random() + grain.random() - 1.5) * 0.036
            for c, ch in enumerate((R, G, B)):
                v = ch[i] * vig + n
                out[i * 3 + c] = 0 if v <= 0 else 255 if v >= 1 else int(v * 255 + 0.5)
    return b'P6\n%d %d\n255\n' % (W, H) + bytes(out)


# Below this the thin wires start to ring against the bright spots behind
# them and the grain turns to blocks; above it the file only grows.
JPEG_QUALITY = 95


def write_splash(path):
    cjpeg = shutil.which('cjpeg')
    if not cjpeg:
        sys.exit('gen-resources: cjpeg not found; apt-get install libjpeg-turbo-progs')
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, 'splash.ppm')
        with open(ppm, 'wb') as f:
            f.write(splash_ppm())
        subprocess.run([cjpeg, '-quality', str(JPEG_QUALITY), '-sample', '2x2', '-baseline',
                        '-optimize', '-outfile', path, ppm], check=True)


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    # "icons" or "splash" on the command line redraws just that, for quicker
    # turns while working on one of them.
    only = set(sys.argv[1:])
    started = time.monotonic()
    if not only or 'icons' in only:
        with open(os.path.join(OUT_DIR, 'MainWindow.ico'), 'wb') as f:
            f.write(main_window_icon())
        with open(os.path.join(OUT_DIR, 'Tavrin.ico'), 'wb') as f:
            f.write(program_icon())
    if not only or 'splash' in only:
        write_splash(os.path.join(OUT_DIR, 'splash.jpg'))
    print('gen-resources: wrote %s in %.1f s' % (OUT_DIR, time.monotonic() - started))


if __name__ == '__main__':
    main()
