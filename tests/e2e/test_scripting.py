#!/usr/bin/env python3
"""Host scripting end to end: the 64-bit plug-in records its 25 values after
a start, a hand-edited recording plays back with the dialog off, and a
malformed recording is refused with the line named."""
import os
import shutil
import sys
import unittest

import hostlib

ARGS, _ = hostlib.parse_args()

DEFAULTS = {
    "COL1": ("float", 0.5), "COL2": ("float", 0.8), "COL3": ("float", 0.05), "GAMA": ("float", 1.0),
    "BLND": ("integer", 3), "DEIN": ("float", 0.1), "DEOU": ("float", 10.0), "ADFA": ("float", 0.25),
    "WEGX": ("float", 0.0), "WEGY": ("float", 0.0), "RAND": ("float", 1.0), "OFX1": ("float", 0.0),
    "OFX2": ("float", 0.0), "OFY1": ("float", 0.0), "OFY2": ("float", 0.0), "INX1": ("float", 33.0),
    "INX2": ("float", 135.0), "INY1": ("float", 43.0), "INY2": ("float", 146.0), "OUX1": ("float", 246.0),
    "OUX2": ("float", 356.0), "OUY1": ("float", 43.0), "OUY2": ("float", 106.0), "ANTI": ("boolean", True),
    "CLCO": ("boolean", False),
}


def read_recording(path):
    """[(key, type, value)] of a recorded text file, in order."""
    entries = []
    with open(path) as f:
        for line in f:
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            key, kind, text = words
            value = {"float": float, "integer": int, "boolean": lambda t: t == "true"}[kind](text)
            entries.append((key, kind, value))
    return entries


class Scripting(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = hostlib.wine_session(ARGS)
        cls.wine.start()
        cls.work = hostlib.temp_dir("corvane-scripting-")
        cls.image = hostlib.sample_gradient(os.path.join(cls.work, "in.png"))

    @classmethod
    def tearDownClass(cls):
        cls.wine.stop()
        shutil.rmtree(cls.work)

    def path(self, name):
        return os.path.join(self.work, name)

    def run_host(self, *args):
        return self.wine.run_host(["--quiet"] + [hostlib.windows_path(a) if a.startswith("/") else a
                                                 for a in args])

    def test_a_start_records_twenty_five_entries_with_the_current_values(self):
        result = self.run_host("--play-option", "dontshow", "--record", self.path("first.txt"), self.image,
                               self.path("first.png"))
        self.assertEqual(result.code, 0, str(result))
        entries = read_recording(self.path("first.txt"))
        self.assertEqual(len(entries), 25)
        self.assertEqual([key for key, _, _ in entries], list(DEFAULTS))
        for key, kind, value in entries:
            self.assertEqual((kind, value), DEFAULTS[key], key)

    def test_an_edited_recording_plays_back_without_the_dialog(self):
        self.run_host("--play-option", "dontshow", "--record", self.path("base.txt"), self.image,
                      self.path("base.png"))
        with open(self.path("base.txt")) as f:
            text = f.read()
        edited = text.replace("GAMA float 1\n", "GAMA float 2.5\n").replace("BLND integer 3", "BLND integer 1")
        edited = edited.replace("ANTI boolean true", "ANTI boolean false") + "# edited by hand\n"
        self.assertNotEqual(edited.count("\n"), 0)
        with open(self.path("edited.txt"), "w") as f:
            f.write(edited)
        result = self.run_host("--answer-dialogs", "--play", self.path("edited.txt"), "--play-option",
                               "dont-display", "--record", self.path("again.txt"), self.image,
                               self.path("edited.png"))
        self.assertEqual(result.code, 0, str(result))
        self.assertEqual(result.dialogs(), [])
        again = {key: value for key, _, value in read_recording(self.path("again.txt"))}
        self.assertEqual(len(again), 25)
        self.assertEqual(again["GAMA"], 2.5)
        self.assertEqual(again["BLND"], 1)
        self.assertEqual(again["ANTI"], False)
        self.assertEqual(again["DEOU"], 10.0)
        self.assertNotEqual(hostlib.read_png_pixels(self.path("edited.png")),
                            hostlib.read_png_pixels(self.path("base.png")))

    def test_a_refused_value_is_named_and_fails_the_run_while_a_clamped_one_is_taken(self):
        with open(self.path("wild.txt"), "w") as f:
            f.write("BLND integer 23\nWEGX float 7.5\nGAMA integer 2\n")
        with open(self.path("tame.txt"), "w") as f:
            f.write("WEGX float 1\n")
        results = {}
        for name in ("wild", "tame"):
            results[name] = self.run_host("--play", self.path(name + ".txt"), "--play-option", "dont-display",
                                          "--record", self.path(name + "-out.txt"), self.image,
                                          self.path(name + ".png"))
        self.assertEqual(results["tame"].code, 0, str(results["tame"]))
        wild = results["wild"]
        self.assertEqual(wild.code, 2, str(wild))
        untaken = [line for line in wild.stderr.splitlines() if "did not take" in line]
        self.assertEqual(len(untaken), 2, str(wild))
        self.assertTrue(untaken[0].endswith("BLND integer 23 (the plug-in kept integer 3)"), untaken[0])
        self.assertTrue(untaken[1].endswith("GAMA integer 2 (the plug-in reads GAMA as a float)"), untaken[1])
        recorded = {key: value for key, _, value in read_recording(self.path("wild-out.txt"))}
        self.assertEqual(recorded["BLND"], 3)
        # The value is recorded as played; the render clamps it to its limit.
        self.assertEqual(recorded["WEGX"], 7.5)
        self.assertEqual(hostlib.read_png_pixels(self.path("wild.png")),
                         hostlib.read_png_pixels(self.path("tame.png")))

    def test_a_malformed_recording_is_refused_naming_its_line(self):
        with open(self.path("bad.txt"), "w") as f:
            f.write("GAMA float 1.5\nBLND integr 3\n")
        result = self.run_host("--play", self.path("bad.txt"), self.image, self.path("bad.png"))
        self.assertEqual(result.code, 2, str(result))
        self.assertIn("line 2", result.stderr)
        self.assertNotIn("selector 3", result.stdout)


if __name__ == "__main__":
    sys.exit(hostlib.run_unittests([Scripting]))
