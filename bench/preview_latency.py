#!/usr/bin/env python3
"""Preview latency of the 64-bit plug-in in our Windows host under Wine:
a 4000 x 3000 RGB 8-bit picture (or --image WxH), the time from a value
typed into the interface to the painted preview, for a number of changes of
"inner density" and of "gamma", and the time of zoom steps.

    scripts/build && bench/preview_latency.py [--screen 2560x1440] [--maximized]
        [--zoom N] [--setting density|gamma|both] [--changes N] [--zoom-steps N]
        [--threads N] [--build DIR ...]

--zoom N presses "+" N times after the first picture (a negative N presses
"-"), so the changes are timed at that zoom; --zoom-steps N then presses "-"
and "+" in turn N times. Several --build folders are measured round by
round in turn (--rounds), so that builds are compared side by side on a
shared machine.

The times come from our host's dialog scripts ("wait" prints the
milliseconds from the last action to the moment no render is pending and the
preview has been painted; the first one counts from the start selector's
call). "delivery" prints the milliseconds our host spent in advanceState,
delivering the image data, up to the first picture."""

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

SETTINGS = {"density": ("inner density", "1013", lambda i: "%.2f" % (0.05 + 0.01 * i)),
            "gamma": ("gamma", "1066", lambda i: "%.2f" % (0.5 + 0.05 * i))}


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


def size(text):
    width, height = (int(n) for n in text.lower().split("x"))
    return width, height


def script(args):
    """The steps and the names of the timed waits, in order."""
    steps, names = ["wait", "delivery", "read interface 1007"], ["first picture"]
    button = "1005" if args.zoom > 0 else "1006"
    for _ in range(abs(args.zoom)):
        steps += ["click interface " + button, "wait", "delivery"]
        names.append("zoom to the level")
    steps.append("read interface 1007")
    for setting in (("density", "gamma") if args.setting == "both" else (args.setting,)):
        name, control, value = SETTINGS[setting]
        for i in range(args.changes):
            steps += ["set interface %s %s" % (control, value(i)), "wait"]
            names.append(name)
    for i in range(args.zoom_steps):
        steps += ["click interface " + ("1006" if i % 2 == 0 else "1005"), "wait"]
        names.append("zoom step")
    steps += ["place preview", "cancel"]
    return steps, names


def report(build, runs, names):
    times = {}
    for run in runs:
        for name, ms in zip(names, run.waits()):
            times.setdefault(name, []).append(ms)
    # Cumulative: the first picture's share, then each zoom's.
    deliveries = [[int(v[0]) for v in run.values("delivery")] for run in runs]
    delivery = [d[0] for d in deliveries]
    zooms = [b - a for d in deliveries for a, b in zip(d, d[1:])]
    labels = runs[-1].reads("interface", 1007)
    window = runs[-1].place("preview")
    print("%s: preview window %d x %d at %s, changes at %s" % (build, window[2], window[3], labels[0], labels[-1]))
    for name, part in times.items():
        print("  %-18s %3d: median %4.0f ms, worst %4d ms, best %4d ms" %
              (name, len(part), statistics.median(part), max(part), min(part)))
    if delivery:
        print("  host delivery before the first picture: median %.0f ms (%d to %d)" %
              (statistics.median(delivery), min(delivery), max(delivery)))
    if zooms:
        print("  host delivery in a zoom to the level: median %.0f ms (%d to %d)" %
              (statistics.median(zooms), min(zooms), max(zooms)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--changes", type=int, default=20)
    parser.add_argument("--setting", choices=("density", "gamma", "both"), default="both")
    parser.add_argument("--screen", type=size, default=(1280, 1024), help="the X screen, WxH")
    parser.add_argument("--maximized", action="store_true", help="the preview opens maximized")
    parser.add_argument("--zoom", type=int, default=0, help='"+" presses after opening (negative: "-")')
    parser.add_argument("--zoom-steps", type=int, default=0, help='"-" and "+" presses timed at the end')
    parser.add_argument("--image", type=size, default=(4000, 3000))
    parser.add_argument("--rounds", type=int, default=1)
    parser.add_argument("--threads", type=int, default=0, help="cap the render's threads (0: the machine's)")
    parser.add_argument("--build", action="append",
                        help="build folders with win64/ (repeat to compare; default build/)")
    args = parser.parse_args()
    builds = args.build or [os.environ.get("CORVANE_BUILD_DIR", os.path.join(ROOT, "build"))]

    work = tempfile.mkdtemp(prefix="corvane-latency-")
    picture = os.path.join(work, "picture.png")
    write_picture(picture, *args.image)
    steps, names = script(args)
    extra = ["--threads", str(args.threads)] if args.threads else []
    runs = {build: [] for build in builds}
    screen = "%dx%d" % args.screen
    with hostlib.WineSession(os.path.join(builds[0], "win64"), screen=args.screen) as session:
        for _ in range(args.rounds):
            for build in builds:
                session.host = os.path.join(build, "win64", "corvhost.exe")
                session.plugin = os.path.join(build, "win64", "CorvaneII.8bf")
                hostlib.clear_settings(session)
                if args.maximized:
                    hostlib.store_maximized_preview(session, args.screen)
                run = hostlib.run_dialog(session, work, steps, extra + [hostlib.windows_path(picture)],
                                         timeout=1200)
                if len(run.waits()) != len(names):
                    print(run.result)
                    return 1
                runs[build].append(run)
    print("%dx%d RGB 8-bit picture, screen %s, preview %s" %
          (args.image + (screen, "maximized" if args.maximized else "in its default placement")))
    for build in builds:
        report(build, runs[build], names)
    return 0


if __name__ == "__main__":
    sys.exit(main())
