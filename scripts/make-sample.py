#!/usr/bin/env python3
"""Draws resources/sample.png, the demo picture: a 640 x 480 RGB landscape
(evening sky, sun, two rows of hills and a lake) from arithmetic alone."""
import math
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 640, 480


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def hill(x, base, amplitude, period, phase):
    return base + amplitude * math.sin(x / period + phase) + amplitude * 0.35 * math.sin(x / (period * 0.37) + phase * 2)


def pixel(x, y):
    horizon = HEIGHT * 0.62
    sun_x, sun_y, sun_r = WIDTH * 0.68, HEIGHT * 0.42, 46.0
    if y < horizon:
        colour = mix((38, 52, 120), (250, 170, 110), (y / horizon) ** 1.6)
        d = math.hypot(x - sun_x, y - sun_y)
        if d < sun_r:
            colour = (255, 236, 180)
        elif d < sun_r * 3:
            colour = mix(colour, (255, 214, 150), (1 - (d - sun_r) / (sun_r * 2)) ** 2 * 0.6)
    else:
        depth = (y - horizon) / (HEIGHT - horizon)
        colour = mix((210, 140, 110), (30, 60, 100), depth ** 0.7)
        # the sun's reflection: broken horizontal streaks
        if abs(x - sun_x) < sun_r * (1 - depth) and int(y) % 7 < 3:
            colour = mix(colour, (255, 220, 170), 0.55 * (1 - depth))
    if horizon - 90 < y < horizon and y > hill(x, horizon - 40, 22, 70.0, 0.5):
        colour = mix((96, 70, 110), colour, 0.15)
    if horizon - 60 < y < horizon and y > hill(x, horizon - 14, 12, 38.0, 2.1):
        colour = (52, 44, 78)
    return colour


def png_bytes():
    rows = bytearray()
    for y in range(HEIGHT):
        rows.append(0)
        for x in range(WIDTH):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
            + chunk(b"IEND", b""))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "sample.png")
    with open(path, "wb") as f:
        f.write(png_bytes())
    print(path)


if __name__ == "__main__":
    main()
