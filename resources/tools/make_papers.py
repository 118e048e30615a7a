#!/usr/bin/env python3
"""make_papers.py FOLDER: makes the paper grains into FOLDER as 8-bit grey PNG files.

A grain is the height of the paper's surface, light for the tooth that catches pigment and dark
for the hollows between. Each is a sum of three periodic layers, so that it tiles without a
seam: rounded bumps (the paper's tooth) scattered one per cell of a grid laid on a torus, soft
value noise whose lattice wraps at the image's edges, and short fibres drawn with wrap-around.
The same parameters always give the same bytes.
"""
import math
import os
import struct
import sys
import zlib

# size: pixels a side (a multiple of every cell and noise period below).
# tooth: bumps one per cell of `cell` pixels, each with radius `radius` x cell, weighted `weight`.
# noise: (period in pixels, weight) octaves of value noise.
# fibres: count, length range in pixels and weight (positive fibres raise the paper).
# levels: the 1st and 99th percentile of the heights become these grey values.
PAPERS = [
    # Resource grain 80: a fine cold-pressed paper, the default of every new painting.
    {"file": "fine.png", "size": 256, "seed": 0x5EED0080,
     "tooth": [(8, 0.85, 0.55), (4, 0.9, 0.25)],
     "noise": [(32, 0.10), (16, 0.12), (8, 0.10)],
     "fibres": (260, 10, 34, 0.12),
     "levels": (28, 232)},
    # Resource grain 81: a coarse watercolour paper, its tooth large and deep.
    {"file": "watercolour.png", "size": 256, "seed": 0x5EED0081,
     "tooth": [(32, 0.8, 0.6), (16, 0.85, 0.3)],
     "noise": [(64, 0.14), (32, 0.1), (16, 0.06)],
     "fibres": (60, 20, 60, 0.08),
     "levels": (8, 248)},
    # Resource grain 82: a pastel paper, an even mid-sized tooth crossed by long fibres.
    {"file": "pastel.png", "size": 256, "seed": 0x5EED0082,
     "tooth": [(16, 0.9, 0.35), (8, 0.9, 0.2)],
     "noise": [(64, 0.1), (16, 0.08)],
     "fibres": (320, 24, 64, 0.14),
     "levels": (36, 228)},
    # Resource image 10: a smooth hot-pressed paper, low in contrast.
    {"file": "smooth.png", "size": 64, "seed": 0x5EED0010,
     "tooth": [(4, 0.9, 0.3)],
     "noise": [(16, 0.3), (8, 0.2)],
     "fibres": (24, 6, 16, 0.2),
     "levels": (96, 176)},
    # In the paper folder beside the program: a rough watercolour paper with a coarse tooth.
    {"file": "rough.png", "size": 256, "seed": 0x5EED0777,
     "tooth": [(16, 0.8, 0.6), (8, 0.85, 0.25)],
     "noise": [(64, 0.12), (32, 0.12), (8, 0.06)],
     "fibres": (120, 16, 48, 0.1),
     "levels": (12, 244)},
]


class Random:
    """xorshift32, the same on every platform and Python version."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF or 1

    def next(self):
        s = self.state
        s ^= (s << 13) & 0xFFFFFFFF
        s ^= s >> 17
        s ^= (s << 5) & 0xFFFFFFFF
        self.state = s
        return s / 4294967296.0

    def between(self, low, high):
        return low + (high - low) * self.next()


def smooth(t):
    return t * t * (3.0 - 2.0 * t)


def add_tooth(heights, size, cell, radius, weight, rng):
    """Rounded bumps, one at a jittered place in each cell; a pixel takes its nearest bump."""
    cells = size // cell
    points = [[(cx * cell + rng.next() * cell, cy * cell + rng.next() * cell, rng.between(0.6, 1.0))
               for cx in range(cells)] for cy in range(cells)]
    reach = radius * cell
    for y in range(size):
        cy = y // cell
        for x in range(size):
            cx = x // cell
            best, tall = reach * reach, 0.0
            for dy in (-1, 0, 1):
                row = points[(cy + dy) % cells]
                for dx in (-1, 0, 1):
                    px, py, height = row[(cx + dx) % cells]
                    # The neighbour's point seen across the torus's seam when it lies there.
                    ex = x - (px + (cx + dx - (cx + dx) % cells) * cell)
                    ey = y - (py + (cy + dy - (cy + dy) % cells) * cell)
                    d = ex * ex + ey * ey
                    if d < best:
                        best, tall = d, height
            profile = 1.0 - math.sqrt(best) / reach
            heights[y * size + x] += weight * tall * smooth(max(0.0, profile))


def add_noise(heights, size, period, weight, rng):
    """Value noise on a lattice of `period` pixels that wraps at the edges."""
    n = size // period
    lattice = [[rng.next() for _ in range(n)] for _ in range(n)]
    for y in range(size):
        gy, fy = divmod(y, period)
        ty = smooth(fy / period)
        top, bottom = lattice[gy], lattice[(gy + 1) % n]
        for x in range(size):
            gx, fx = divmod(x, period)
            tx = smooth(fx / period)
            g1 = (gx + 1) % n
            upper = top[gx] + (top[g1] - top[gx]) * tx
            lower = bottom[gx] + (bottom[g1] - bottom[gx]) * tx
            heights[y * size + x] += weight * (upper + (lower - upper) * ty)


def add_fibres(heights, size, count, shortest, longest, weight, rng):
    """Short gently curving fibres, most lying on the surface, some pressed into it, each laid
    sample by sample over the four nearest pixels."""
    fibres = [0.0] * (size * size)
    for _ in range(count):
        x, y = rng.next() * size, rng.next() * size
        angle = rng.next() * 2.0 * math.pi
        amount = 0.5 if rng.next() < 0.7 else -0.3
        for _ in range(int(rng.between(shortest, longest) * 2)):
            angle += rng.between(-0.12, 0.12)
            x += 0.5 * math.cos(angle)
            y += 0.5 * math.sin(angle)
            ix, iy = math.floor(x), math.floor(y)
            fx, fy = x - ix, y - iy
            for ox, oy, share in ((0, 0, (1 - fx) * (1 - fy)), (1, 0, fx * (1 - fy)),
                                  (0, 1, (1 - fx) * fy), (1, 1, fx * fy)):
                fibres[((iy + oy) % size) * size + (ix + ox) % size] += amount * share
    for i, value in enumerate(fibres):
        heights[i] += weight * max(-1.0, min(1.0, value))


def to_grey(heights, low, high):
    ordered = sorted(heights)
    bottom = ordered[len(ordered) // 100]
    top = ordered[len(ordered) - 1 - len(ordered) // 100]
    scale = (high - low) / (top - bottom)
    return bytes(max(0, min(255, int(round(low + (h - bottom) * scale)))) for h in heights)


def make(paper):
    size = paper["size"]
    rng = Random(paper["seed"])
    heights = [0.0] * (size * size)
    for cell, radius, weight in paper["tooth"]:
        add_tooth(heights, size, cell, radius, weight, rng)
    for period, weight in paper["noise"]:
        add_noise(heights, size, period, weight, rng)
    count, shortest, longest, weight = paper["fibres"]
    add_fibres(heights, size, count, shortest, longest, weight, rng)
    return to_grey(heights, *paper["levels"])


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, size, grey):
    rows = b"".join(b"\x00" + grey[y * size:(y + 1) * size] for y in range(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 0, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(png_chunk(b"IHDR", header))
        out.write(png_chunk(b"IDAT", zlib.compress(rows, 9)))
        out.write(png_chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_papers.py FOLDER\n")
        return 2
    os.makedirs(sys.argv[1], exist_ok=True)
    for paper in PAPERS:
        write_png(os.path.join(sys.argv[1], paper["file"]), paper["size"], make(paper))
    return 0


if __name__ == "__main__":
    sys.exit(main())
