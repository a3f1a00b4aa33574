#!/usr/bin/env python3
"""Draws the dialogs' class icon (resources/corvane.ico) and the colour-pick
cursor (resources/pick.cur). Standard library only; the output is
deterministic, so running it again reproduces the committed files."""

import math
import os
import struct
import sys

ICON_SIZES = (48, 32, 16)
SUPERSAMPLE = 4


def bitmap_header(width, height, bit_count, image_bytes):
    # Icon and cursor images store the colour rows and the mask rows in one
    # bitmap, hence the doubled height.
    return struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bit_count, 0, image_bytes, 0, 0, 0, 0)


def row_bytes(width, bits):
    return ((width * bits + 31) // 32) * 4


def and_mask(width, height, transparent):
    """transparent(x, y) -> bool; rows bottom-up, 1 bit a pixel."""
    stride = row_bytes(width, 1)
    out = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if transparent(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def icon_directory(kind, images):
    """images: list of (width, height, word1, word2, data) where the two
    words are planes/bit count for icons and the hotspot for cursors."""
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for width, height, word1, word2, data in images:
        out += struct.pack('<BBBBHHII', width % 256, height % 256, 0, 0, word1, word2, len(data), offset)
        offset += len(data)
    return out + b''.join(image[4] for image in images)


# --- The icon: dots strewn along a curve of two sines and two cosines, the
# way the filter paints, on a rounded night-blue tile.

def curve_points(count):
    points = []
    for i in range(count):
        t = 2 * math.pi * i / count
        x = 0.5 + 0.21 * math.sin(3 * t) + 0.13 * math.sin(5 * t + 0.7)
        y = 0.5 + 0.21 * math.cos(2 * t) + 0.13 * math.cos(7 * t + 0.3)
        points.append((x, y, i / count))
    return points


def tile_coverage(u, v, radius=0.2):
    """1 inside the rounded square that spans 0.03..0.97, 0 outside."""
    lo, hi = 0.03 + radius, 0.97 - radius
    dx = max(lo - u, 0.0, u - hi)
    dy = max(lo - v, 0.0, v - hi)
    return 1.0 if dx * dx + dy * dy <= radius * radius else 0.0


def dot_colour(phase):
    # From amber through coral to pale gold along the curve.
    r = 1.0
    g = 0.55 + 0.35 * math.cos(2 * math.pi * phase)
    b = 0.25 + 0.2 * math.sin(2 * math.pi * phase)
    return r, g, b


def render_icon(size):
    n = size * SUPERSAMPLE
    dot_radius = 0.045 if size >= 32 else 0.07
    points = curve_points(40 if size >= 32 else 18)
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    u = (x * SUPERSAMPLE + sx + 0.5) / n
                    v = (y * SUPERSAMPLE + sy + 0.5) / n
                    alpha = tile_coverage(u, v)
                    if alpha == 0.0:
                        continue
                    # Night-blue background, lighter towards the top.
                    colour = [0.08 + 0.08 * (1 - v), 0.10 + 0.10 * (1 - v), 0.30 + 0.18 * (1 - v)]
                    for px, py, phase in points:
                        d2 = (u - px) ** 2 + (v - py) ** 2
                        if d2 <= dot_radius * dot_radius:
                            colour = list(dot_colour(phase))
                    for c in range(3):
                        acc[c] += colour[c] * alpha
                    acc[3] += alpha
            samples = SUPERSAMPLE * SUPERSAMPLE
            a = acc[3] / samples
            if a > 0:
                rgb = [acc[c] / acc[3] for c in range(3)]
            else:
                rgb = [0.0, 0.0, 0.0]
            row.append(tuple(int(round(255 * c)) for c in rgb) + (int(round(255 * a)),))
        pixels.append(row)
    return pixels


def icon_image(size):
    pixels = render_icon(size)
    xor = bytearray()
    for y in reversed(range(size)):
        for r, g, b, a in pixels[y]:
            xor += bytes((b, g, r, a))
    mask = and_mask(size, size, lambda x, y: pixels[y][x][3] == 0)
    data = bitmap_header(size, size, 32, len(xor) + len(mask)) + bytes(xor) + mask
    return size, size, 1, 32, data


# --- The cursor: a pipette pointing down-left, its tip the hot spot; black
# with a glass tube and a white halo, so it shows on any preview.

CURSOR_SIZE = 32


def segment_distance(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - (ax + t * vx), py - (ay + t * vy))


def pipette_part(x, y):
    """'B' for the solid parts, 'W' for the glass of the tube, None outside."""
    if (segment_distance(x, y, 1.5, 30.5, 4.0, 28.0) <= 1.1            # tip
            or segment_distance(x, y, 14.0, 11.0, 21.0, 18.0) <= 1.6   # collar
            or segment_distance(x, y, 18.0, 13.0, 23.0, 8.0) <= 2.6    # neck
            or math.hypot(x - 25.0, y - 6.0) <= 5.0):                  # bulb
        return 'B'
    d = segment_distance(x, y, 4.0, 28.0, 17.5, 14.5)
    if d <= 1.2:
        return 'W'
    if d <= 2.4:
        return 'B'
    return None


def cursor_pixels():
    parts = [[pipette_part(x + 0.5, y + 0.5) for x in range(CURSOR_SIZE)] for y in range(CURSOR_SIZE)]

    def near(x, y):
        return any(0 <= x + dx < CURSOR_SIZE and 0 <= y + dy < CURSOR_SIZE and parts[y + dy][x + dx]
                   for dx in (-1, 0, 1) for dy in (-1, 0, 1))

    # 'B' black, 'W' white, '.' transparent; a white halo keeps the black
    # outline visible on dark previews.
    return [''.join(parts[y][x] or ('W' if near(x, y) else '.') for x in range(CURSOR_SIZE))
            for y in range(CURSOR_SIZE)]


def cursor_image():
    grid = cursor_pixels()
    hot_x, hot_y = min(((x, y) for y, row in enumerate(grid) for x, c in enumerate(row) if c == 'B'),
                       key=lambda p: (p[0] - p[1], p[0]))
    palette = struct.pack('<II', 0x00000000, 0x00FFFFFF)
    stride = row_bytes(CURSOR_SIZE, 1)
    xor = bytearray()
    for y in reversed(range(CURSOR_SIZE)):
        row = bytearray(stride)
        for x, c in enumerate(grid[y]):
            if c == 'W':
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    mask = and_mask(CURSOR_SIZE, CURSOR_SIZE, lambda x, y: grid[y][x] == '.')
    data = bitmap_header(CURSOR_SIZE, CURSOR_SIZE, 1, len(xor) + len(mask)) + palette + bytes(xor) + mask
    return CURSOR_SIZE, CURSOR_SIZE, hot_x, hot_y, data


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
    with open(os.path.join(root, 'corvane.ico'), 'wb') as f:
        f.write(icon_directory(1, [icon_image(size) for size in ICON_SIZES]))
    with open(os.path.join(root, 'pick.cur'), 'wb') as f:
        f.write(icon_directory(2, [cursor_image()]))
    if '--show-cursor' in sys.argv:
        print('\n'.join(cursor_pixels()))
    return 0


if __name__ == '__main__':
    sys.exit(main())
