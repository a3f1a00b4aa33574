#!/usr/bin/env python3
"""The 64-bit plug-in renders every supported format in our Windows host
under Wine, scripted with the dialog off, and gives the same bits as the
native build; modes it does not render come back untouched with result 0."""
import itertools
import os
import shutil
import subprocess
import sys
import unittest

import hostlib

ARGS, _ = hostlib.parse_args()
WIDTH, HEIGHT = 96, 64

# Flat and layer documents of every rendered mode: (name, PNG channels, host arguments).
MODES = [
    ("grey", 1, []),
    ("rgb", 3, []),
    ("multichannel2", 3, ["--mode", "multichannel", "--planes", "2"]),
    ("multichannel5", 3, ["--mode", "multichannel", "--planes", "5"]),
]
UNRENDERED = [("cmyk", ["--mode", "cmyk"]), ("lab", ["--mode", "lab"]), ("indexed", ["--mode", "indexed"])]


def pattern(path, channels, depth, alpha=False):
    top = 65535 if depth == 16 else 255
    total = channels + (1 if alpha else 0)
    rows = []
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            for c in range(channels):
                row.append(((x * 11 + y * 5 + c * 83) * (c + 3) * 257) % (top + 1))
            if alpha:
                row.append((x * top) // (WIDTH - 1))
        rows.append(row)
    hostlib.write_png(path, WIDTH, HEIGHT, rows, channels=total, depth=depth)


def mask(path):
    rows = [[255 if (x - 48) ** 2 + (y - 32) ** 2 < 500 else (x * 3) % 256 for x in range(WIDTH)]
            for y in range(HEIGHT)]
    hostlib.write_png(path, WIDTH, HEIGHT, rows, channels=1, depth=8)


def script(path):
    """Scripted run: stronger dots and "normal" blending, so every plane shows them."""
    with open(path, "w") as f:
        f.write("# test settings\nADFA float 1.5\nBLND integer 1\nDEOU float 1.0\nDEIN float 0.5\n")


class RenderFormats(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.native = hostlib.require_file(os.path.join(ARGS.native, "corvhost"), "native host")
        cls.wine = hostlib.wine_session(ARGS)
        cls.wine.start()
        cls.work = hostlib.temp_dir("corvane-formats-")
        cls.script = os.path.join(cls.work, "settings.txt")
        script(cls.script)
        cls.mask = os.path.join(cls.work, "mask.png")
        mask(cls.mask)

    @classmethod
    def tearDownClass(cls):
        cls.wine.stop()
        shutil.rmtree(cls.work)

    def run_both(self, name, source, args):
        """Runs the native and the Windows host; returns the planes each wrote."""
        outputs = {}
        for side in ("native", "wine"):
            prefix = os.path.join(self.work, "%s-%s-plane" % (name, side))
            target = os.path.join(self.work, "%s-%s.png" % (name, side))
            common = ["--quiet", "--play", self.script, "--play-option", "dontshow", "--plane-files"]
            if side == "native":
                result = subprocess.run([self.native] + common + [prefix] + args + [source, target],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, universal_newlines=True)
                code, text = result.returncode, result.stdout + result.stderr
            else:
                wargs = [hostlib.windows_path(a) if os.path.isabs(a) else a for a in args]
                result = self.wine.run_host(common + [hostlib.windows_path(prefix)] + wargs +
                                            [hostlib.windows_path(source), hostlib.windows_path(target)])
                code, text = result.code, str(result)
            self.assertEqual(code, 0, "%s %s: %s" % (name, side, text))
            self.assertIn("selector 3 result 0", text)
            planes = sorted(p for p in os.listdir(self.work) if p.startswith(os.path.basename(prefix)))
            outputs[side] = [hostlib.read_png_pixels(os.path.join(self.work, p)) for p in planes]
            outputs[side + "-composite"] = hostlib.read_png_pixels(target)
        return outputs

    def test_every_rendered_format_gives_the_same_bits_on_both_builds(self):
        for (mode, channels, args), depth, layer, selection in itertools.product(MODES, (8, 16), (False, True),
                                                                                 (False, True)):
            name = "%s%d%s%s" % (mode, depth, "-layer" if layer else "", "-mask" if selection else "")
            with self.subTest(case=name):
                source = os.path.join(self.work, name + "-in.png")
                pattern(source, channels, depth, alpha=layer)
                extra = list(args) + (["--layer"] if layer else []) + (["--mask", self.mask] if selection else [])
                out = self.run_both(name, source, extra)
                self.assertEqual(out["native"], out["wine"], "%s: native and Windows builds differ" % name)
                self.assertEqual(out["native-composite"], out["wine-composite"])
                self.assertNotEqual(out["native-composite"], hostlib.read_png_pixels(source),
                                    "%s: the filter left the image unchanged" % name)

    def test_sixteen_bit_documents_take_eight_bit_masks_as_hosts_send_them(self):
        source = os.path.join(self.work, "deep-in.png")
        pattern(source, 3, 16)
        out = self.run_both("deep-bytemask", source, ["--mask", self.mask, "--mask-8bit"])
        self.assertEqual(out["native"], out["wine"])
        self.assertEqual(out["native-composite"], out["wine-composite"])
        # Unselected pixels come back as the host's default mask leaves them,
        # fully selected ones as the render without a selection.
        unmasked = self.run_both("deep-nomask", source, [])["native-composite"][4]
        original = self.run_both("deep-defaultmask", source, ["--mask", self.mask])["native-composite"][4]
        masked = out["native-composite"][4]
        mask_rows = hostlib.read_png_pixels(self.mask)[4]
        checked = set()
        for y in range(HEIGHT):
            for x in range(WIDTH):
                m = mask_rows[y * WIDTH + x]
                if m in (0, 255):
                    pixel = slice((y * WIDTH + x) * 6, (y * WIDTH + x + 1) * 6)
                    self.assertEqual(masked[pixel], (unmasked if m else original)[pixel], (x, y))
                    checked.add(m)
        self.assertEqual(checked, {0, 255})

    def test_the_bundled_picture_renders_alike_on_both_builds_and_on_one_thread(self):
        source = os.path.join(ARGS.source, "resources", "sample.png")
        out = self.run_both("sample", source, [])
        self.assertEqual(out["native-composite"], out["wine-composite"])
        single = self.run_both("sample-1thread", source, ["--threads", "1"])
        self.assertEqual(single["native-composite"], out["native-composite"])
        self.assertEqual(single["wine-composite"], out["wine-composite"])

    def test_a_batch_through_the_windows_host_writes_every_file_as_the_native_host_does(self):
        sources = [os.path.join(self.work, "batch-rgb.png"), os.path.join(self.work, "batch-grey16.png")]
        pattern(sources[0], 3, 8)
        pattern(sources[1], 1, 16, alpha=True)
        common = ["--quiet", "--play", self.script, "--play-option", "dontshow", "--output-dir"]
        native_dir, wine_dir = os.path.join(self.work, "batch-native"), os.path.join(self.work, "batch-wine")
        result = subprocess.run([self.native] + common + [native_dir] + sources, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, universal_newlines=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        result = self.wine.run_host(common[:2] + [hostlib.windows_path(self.script)] + common[3:] +
                                    [hostlib.windows_path(wine_dir)] + [hostlib.windows_path(s) for s in sources])
        self.assertEqual(result.code, 0, str(result))
        self.assertIn("corvhost: 2 of 2 files done", result.stderr)
        for name in ("batch-rgb.png", "batch-grey16.png"):
            self.assertEqual(hostlib.read_png_pixels(os.path.join(native_dir, name)),
                             hostlib.read_png_pixels(os.path.join(wine_dir, name)), name)

    def test_modes_it_does_not_render_come_back_untouched(self):
        source = os.path.join(self.work, "plain.png")
        pattern(source, 3, 8)
        for mode, args in UNRENDERED:
            with self.subTest(mode=mode):
                # The document as the host writes it when no filter ran over it.
                untouched = os.path.join(self.work, mode + "-untouched.png")
                result = self.wine.run_host(["--quiet", "--selector", "1"] + args +
                                            [hostlib.windows_path(source), hostlib.windows_path(untouched)])
                self.assertEqual(result.code, 0, str(result))
                target = os.path.join(self.work, mode + "-out.png")
                result = self.wine.run_host(["--quiet", "--play-option", "dontshow"] + args +
                                            [hostlib.windows_path(source), hostlib.windows_path(target)])
                self.assertEqual(result.code, 0, str(result))
                self.assertEqual(result.selector_results().get(3), 0, str(result))
                self.assertEqual(hostlib.read_png_pixels(target), hostlib.read_png_pixels(untouched))

if __name__ == "__main__":
    sys.exit(hostlib.run_unittests([RenderFormats]))
