#!/usr/bin/env python3
"""Preview latency of the 64-bit plug-in in our Windows host under Wine:
a 4000 x 3000 RGB 8-bit picture, the preview in its default placement (no
remembered settings), and the time from a value typed into the interface to
the painted preview, for 20 changes of "inner density" and 20 of "gamma".

    scripts/build && bench/preview_latency.py [--changes N] [--threads N]

The times come from our host's dialog scripts ("wait" prints the
milliseconds from the last action to the moment no render is pending and the
preview has been painted)."""

import argparse
import os
import statistics
import sys
import tempfile
import zlib
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import hostlib  # noqa: E402


def write_picture(path, width, height):
    """A smooth RGB gradient with some detail, written quickly."""
    base = bytes(((x * 3 // 40) + (x % 7) * 9) & 0xFF for x in range(width * 3 + height * 3))
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        raw += base[(y * 3) % (height * 3):(y * 3) % (height * 3) + width * 3]

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 1)))
        f.write(chunk(b"IEND", b""))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--changes", type=int, default=20)
    parser.add_argument("--threads", type=int, default=0, help="cap the render's threads (0: the machine's)")
    parser.add_argument("--build", default=os.environ.get("CORVANE_BUILD_DIR", os.path.join(ROOT, "build")))
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="corvane-latency-")
    picture = os.path.join(work, "picture.png")
    write_picture(picture, 4000, 3000)
    steps = ["wait"]
    for i in range(args.changes):
        steps += ["set interface 1013 %.2f" % (0.05 + 0.01 * i), "wait"]
    for i in range(args.changes):
        steps += ["set interface 1066 %.2f" % (0.5 + 0.05 * i), "wait"]
    steps += ["read interface 1007", "cancel"]
    extra = ["--threads", str(args.threads)] if args.threads else []
    with hostlib.WineSession(os.path.join(args.build, "win64")) as session:
        hostlib.clear_settings(session)
        run = hostlib.run_dialog(session, work, steps, extra + [hostlib.windows_path(picture)], timeout=1200)
    times = run.waits()
    if len(times) != 2 * args.changes + 1:
        print(run.result)
        return 1
    print("preview of a 4000 x 3000 RGB 8-bit picture at %s, default placement" % run.read("interface", 1007))
    print("first picture after opening: %d ms" % times[0])
    for name, part in (("inner density", times[1:args.changes + 1]), ("gamma", times[args.changes + 1:])):
        print("%-14s %d changes: median %.0f ms, worst %d ms, best %d ms" %
              (name, len(part), statistics.median(part), max(part), min(part)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
