#!/usr/bin/env python3
"""Our native host as a batch tool against ImageMagick merely re-encoding the
same picture: a whole `corvhost in out` run (decode, filter with the default
settings, encode) and `convert in out` on a 4000 x 3000 RGB photograph-like
picture, timed pair by pair in one run (the order alternating), with the file
sizes and the host's peak memory. Three cases:

- png: 8-bit PNG to PNG; peak at most 250 MiB;
- jpeg: JPEG to JPEG at quality 92 (`convert -quality 92`);
- tiff16: 16-bit TIFF to Deflate TIFF (`convert -compress zip`);
  the last two with a peak of at most 2.5 times the decoded image.

    scripts/build && bench/batch_vs_imagemagick.py [--pairs N] [--case NAME] [--corvhost PATH]
                                                   [--baseline PATH]

Installs ImageMagick and GNU time from Debian if they are missing. The
pictures (a plasma fractal with sensor-like noise) are made once with
ImageMagick and kept in the build folder. Goals: run time at most 0.8 times
ImageMagick's, file at most 1.05 times the size ImageMagick gives the same
pixels (our output re-encoded at the same settings): the filter adds dots,
detail that costs bytes in any encoder, so the size against ImageMagick's
copy of the unfiltered input is shown but judges nothing."""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("CORVANE_BUILD_DIR", os.path.join(ROOT, "build"))
CONVERT = "/usr/bin/convert"  # the real one, not a stand-in elsewhere on the PATH
TIME = "/usr/bin/time"
WIDTH, HEIGHT = 4000, 3000
GOAL_TIME, GOAL_SIZE = 0.8, 1.05
DECODED_MIB = WIDTH * HEIGHT * 3 / 2 ** 20
# name: (input made from the PNG, output, our options, ImageMagick's, decoded image and peak goal in MiB)
CASES = {
    "png": (".png", [], [], [], DECODED_MIB, 250),
    "jpeg": (".jpg", ["-quality", "92"], ["--quality", "92"], ["-quality", "92"], DECODED_MIB, 2.5 * DECODED_MIB),
    "tiff16": (".tif", ["-depth", "16", "-compress", "zip"], [], ["-compress", "zip"], 2 * DECODED_MIB,
               2.5 * 2 * DECODED_MIB),
}


def install_tools():
    missing = [package for package, path in (("imagemagick", CONVERT), ("time", TIME)) if not os.path.exists(path)]
    if missing:
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        subprocess.run(sudo + ["apt-get", "update", "-qq"], check=True, env=env)
        subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "--no-install-recommends"] + missing, check=True,
                       env=env, stdout=subprocess.DEVNULL)


def photograph(path):
    """Smooth structure at every scale plus per-pixel noise, as in a photograph."""
    if not os.path.exists(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run([CONVERT, "-size", "%dx%d" % (WIDTH, HEIGHT), "-seed", "11", "plasma:fractal", "-blur", "0x1.5",
                        "-attenuate", "0.35", "+noise", "Gaussian", "-depth", "8", "-type", "TrueColor",
                        path + ".tmp.png"], check=True)
        os.replace(path + ".tmp.png", path)
    return path


def case_input(png, name):
    extension, making = CASES[name][0], CASES[name][1]
    path = os.path.splitext(png)[0] + "-" + name + extension
    if not os.path.exists(path):
        subprocess.run([CONVERT, png] + making + [path + ".tmp" + extension], check=True)
        os.replace(path + ".tmp" + extension, path)
    return path


def timed(command):
    """(seconds, peak resident KiB) of one run."""
    with tempfile.NamedTemporaryFile("r") as report:
        subprocess.run([TIME, "-o", report.name, "-f", "%e %M"] + command, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        seconds, kib = report.read().split()[-2:]
    return float(seconds), int(kib)


def run_case(name, source, pairs, corvhost, baseline, work):
    extension, _, our_options, their_options, decoded, goal_peak = CASES[name]
    hosts = {"corvhost": corvhost, "baseline": baseline} if baseline else {"corvhost": corvhost}
    outputs = {host: os.path.join(work, host + extension) for host in list(hosts) + ["convert"]}
    commands = {host: [path, "--quiet"] + our_options + [source, outputs[host]] for host, path in hosts.items()}
    commands["convert"] = [CONVERT, source] + their_options + [outputs["convert"]]
    ratios = {host: [] for host in hosts}
    peaks = {host: [] for host in hosts}
    print("%s: pair  convert s  %s" % (name, "  ".join("%s s  ratio  peak MiB" % host for host in hosts)))
    for pair in range(pairs):
        order = list(commands)[pair % len(commands):] + list(commands)[:pair % len(commands)]
        results = {command: timed(commands[command]) for command in order}
        columns = []
        for host in hosts:
            ratios[host].append(results[host][0] / results["convert"][0])
            peaks[host].append(results[host][1] / 1024)
            columns.append("%*.2f  %5.2f  %8.0f" % (len(host) + 2, results[host][0], ratios[host][-1], peaks[host][-1]))
        print("%s: %4d  %9.2f  %s" % (name, pair + 1, results["convert"][0], "  ".join(columns)))
    met = False
    for host in hosts:
        # The same comparison of encoders on the same picture: ImageMagick
        # re-encoding our output.
        again = os.path.join(work, "convert-of-" + host + extension)
        subprocess.run([CONVERT, outputs[host]] + their_options + [again], check=True)
        ours, theirs = os.path.getsize(outputs[host]), os.path.getsize(outputs["convert"])
        same = os.path.getsize(again)
        print("%s: %s run time ratio, median of %d: %.2f (goal <= %.2f)"
              % (name, host, pairs, statistics.median(ratios[host]), GOAL_TIME))
        print("%s: %s file size against ImageMagick's encoding of the same pixels: %d against %d bytes, ratio %.3f "
              "(goal <= %.2f)" % (name, host, ours, same, ours / same, GOAL_SIZE))
        print("%s: %s file size against ImageMagick's copy of the unfiltered input: %d against %d bytes, ratio %.3f"
              % (name, host, ours, theirs, ours / theirs))
        print("%s: %s peak memory: %.0f MiB, %.2f times the decoded image (goal <= %.0f MiB)"
              % (name, host, max(peaks[host]), max(peaks[host]) / decoded, goal_peak))
        if host == "corvhost":
            met = (statistics.median(ratios[host]) <= GOAL_TIME and ours / same <= GOAL_SIZE
                   and max(peaks[host]) <= goal_peak)
    return met


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pairs", type=int, default=7)
    parser.add_argument("--case", choices=sorted(CASES), action="append")
    parser.add_argument("--corvhost", default=os.path.join(BUILD, "native", "corvhost"))
    parser.add_argument("--baseline", help="an earlier corvhost, timed in the same rounds for comparison")
    args = parser.parse_args()
    if not os.path.isfile(args.corvhost):
        sys.exit("no host at %s: run scripts/build first" % args.corvhost)
    install_tools()
    png = photograph(os.path.join(BUILD, "bench", "photo-4000x3000.png"))
    work = tempfile.mkdtemp(prefix="corvane-bench-")
    try:
        met = [run_case(name, case_input(png, name) if name != "png" else png, args.pairs, args.corvhost,
                        args.baseline, work)
               for name in args.case or list(CASES)]
        print("goals met" if all(met) else "goals NOT met")
        return 0 if all(met) else 1
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    sys.exit(main())
