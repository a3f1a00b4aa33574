#!/usr/bin/env python3
"""Our host's AArch64 Linux build, the filter linked into it, run under
qemu-user: it renders byte for byte what the x86-64 native build renders,
every golden case and a seeded sample of parameter sets across the rendered
formats and modes. The ARM64 plug-in compiles the same core for the same
processor, so this is what shows that it computes the same bits."""
import argparse
import itertools
import os
import random
import shutil
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "e2e"), os.path.join(HERE, "..", "golden")]
import golden_cases  # noqa: E402
import hostlib  # noqa: E402
import test_render_formats as formats  # noqa: E402

PARSER = argparse.ArgumentParser()
PARSER.add_argument("--aarch64", required=True, help="build folder of the AArch64 Linux host")
PARSER.add_argument("--native", required=True, help="build folder of the x86-64 native host")
PARSER.add_argument("--source", default=os.path.dirname(os.path.dirname(HERE)))
ARGS, _ = PARSER.parse_known_args()
EMULATOR = ["qemu-aarch64-static", "-L", "/usr/aarch64-linux-gnu"]
SEED = 22


def parameter_set(rng):
    """A settings file's lines: every saved value, anywhere in its range and
    a little beyond where the filter takes that."""
    lines = ["DEIN float %.6g" % rng.uniform(0.02, 0.5), "DEOU float %.6g" % rng.uniform(0.5, 20),
             "ADFA float %.6g" % rng.uniform(0, 2), "GAMA float %.6g" % rng.uniform(0.1, 3),
             "BLND integer %d" % rng.randrange(1, 23),
             "ANTI boolean %s" % rng.choice(["true", "false"]), "CLCO boolean %s" % rng.choice(["true", "false"])]
    lines += ["%s float %.6g" % (key, rng.uniform(-1, 1)) for key in ("WEGX", "WEGY")]
    lines += ["%s float %.6g" % (key, rng.uniform(-3, 3)) for key in ("OFX1", "OFX2", "OFY1", "OFY2")]
    lines += ["%s float %.6g" % (key, rng.uniform(-720, 720))
              for key in ("INX1", "INX2", "INY1", "INY2", "OUX1", "OUX2", "OUY1", "OUY2")]
    lines += ["%s float %.6g" % (key, rng.uniform(0, 1)) for key in ("COL1", "COL2", "COL3")]
    return "".join(line + "\n" for line in lines)


class SameBitsOnAArch64(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.native = hostlib.require_file(os.path.join(ARGS.native, "corvhost"), "native host")
        aarch64 = hostlib.require_file(os.path.join(ARGS.aarch64, "corvhost"), "AArch64 host")
        cls.work = hostlib.temp_dir("corvane-aarch64-")
        # The golden cases run a host by its path alone. One thread: every
        # thread count gives the same bits (the native tests show it), and
        # under emulation the workers' spinning between the render's many
        # forks and joins costs minutes.
        cls.emulated = os.path.join(cls.work, "corvhost-aarch64")
        with open(cls.emulated, "w") as f:
            f.write('#!/bin/sh\nCORVANE_THREADS=1 exec %s "%s" "$@"\n' % (" ".join(EMULATOR), aarch64))
        os.chmod(cls.emulated, 0o755)
        cls.mask = os.path.join(cls.work, "mask.png")
        formats.mask(cls.mask)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work)

    def render(self, host, name, settings, source, args):
        """The composite and every plane the host wrote."""
        prefix = os.path.join(self.work, name + "-plane")
        target = os.path.join(self.work, name + ".png")
        result = subprocess.run([host, "--quiet", "--play", settings, "--play-option", "dontshow", "--plane-files",
                                 prefix] + args + [source, target], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                universal_newlines=True, timeout=600)
        self.assertEqual(result.returncode, 0, "%s: %s%s" % (name, result.stdout, result.stderr))
        planes = sorted(p for p in os.listdir(self.work) if p.startswith(os.path.basename(prefix)))
        return [hostlib.read_png_pixels(os.path.join(self.work, p)) for p in [target] + planes]

    def test_every_golden_case_renders_its_golden_image(self):
        for name in golden_cases.CASES:
            with self.subTest(case=name):
                for path in golden_cases.render(self.emulated, name, self.work):
                    golden = os.path.join(golden_cases.GOLDEN_DIR, os.path.basename(path))
                    self.assertEqual(hostlib.read_png_pixels(path), hostlib.read_png_pixels(golden),
                                     "%s differs from its golden image" % os.path.basename(path))

    def test_seeded_parameter_sets_render_alike_in_every_format(self):
        rng = random.Random(SEED)
        cases = itertools.product(formats.MODES, (8, 16), (False, True), (False, True))
        for number, ((mode, channels, args), depth, layer, selection) in enumerate(cases):
            name = "set%02d-%s%d%s%s" % (number, mode, depth, "-layer" if layer else "", "-mask" if selection else "")
            settings = os.path.join(self.work, name + ".txt")
            with open(settings, "w") as f:
                f.write(parameter_set(rng))
            with self.subTest(case=name):
                source = os.path.join(self.work, name + "-in.png")
                formats.pattern(source, channels, depth, alpha=layer)
                extra = list(args) + (["--layer"] if layer else []) + (["--mask", self.mask] if selection else [])
                native = self.render(self.native, name + "-x86-64", settings, source, extra)
                emulated = self.render(self.emulated, name + "-aarch64", settings, source, extra)
                self.assertEqual(len(native), len(emulated), name)
                for index, (a, b) in enumerate(zip(native, emulated)):
                    self.assertEqual(a, b, "%s: output %d differs on AArch64" % (name, index))


if __name__ == "__main__":
    sys.exit(hostlib.run_unittests([SameBitsOnAArch64]))
