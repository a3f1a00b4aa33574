"""The small images whose renders are kept as golden outputs: how each input
is made, how the native host is run over it, and which files it leaves.
Shared by tests/golden/regenerate and tests/e2e/test_golden.py."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import hostlib  # noqa: E402

WIDTH, HEIGHT = 64, 48
GOLDEN_DIR = os.path.dirname(os.path.abspath(__file__))


def _sample(x, y, c, scale):
    return ((x * 7 + y * 3 + c * 61) * (x + 2 * y + c + 1)) % scale


def _image(path, channels, depth):
    top = 65536 if depth == 16 else 256
    rows = []
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            for c in range(channels):
                if c == 3:  # alpha: a ramp across the image
                    row.append((x * (top - 1)) // (WIDTH - 1))
                else:
                    row.append(_sample(x, y, c, top))
        rows.append(row)
    hostlib.write_png(path, WIDTH, HEIGHT, rows, channels=channels, depth=depth)


def _mask(path):
    rows = [[255 if (x - 32) ** 2 + (y - 24) ** 2 < 400 else (x * 4) % 256 for x in range(WIDTH)]
            for y in range(HEIGHT)]
    hostlib.write_png(path, WIDTH, HEIGHT, rows, channels=1, depth=8)


# name: (channels, depth, extra host arguments, output files)
CASES = {
    "grey8": (1, 8, [], ["grey8.png"]),
    "rgb8": (3, 8, [], ["rgb8.png"]),
    "rgba16-layer": (4, 16, ["--layer"], ["rgba16-layer.png"]),
    "rgb8-mask": (3, 8, ["--mask", "{mask}"], ["rgb8-mask.png"]),
    "multichannel2": (3, 8, ["--mode", "multichannel", "--planes", "2", "--plane-files", "{out}/multichannel2-plane"],
                      ["multichannel2-plane0.png", "multichannel2-plane1.png"]),
}


def render(corvhost, name, out_dir, host_args=()):
    """Runs the host over the case's input with the default parameters (and
    any further host arguments) and returns the paths of the files it wrote
    into out_dir."""
    channels, depth, extra, outputs = CASES[name]
    source = os.path.join(out_dir, name + "-input.png")
    _image(source, channels, depth)
    mask = os.path.join(out_dir, name + "-mask.png")
    _mask(mask)
    args = [a.format(mask=mask, out=out_dir) for a in extra]
    main_output = os.path.join(out_dir, outputs[0])
    if "--plane-files" in args:
        main_output = os.path.join(out_dir, name + "-composite.png")
    result = subprocess.run([corvhost, "--quiet"] + list(host_args) + args + [source, main_output], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, universal_newlines=True, timeout=120)
    if result.returncode != 0:
        raise RuntimeError("%s failed on %s: %s%s" % (corvhost, name, result.stdout, result.stderr))
    return [os.path.join(out_dir, f) for f in outputs]
