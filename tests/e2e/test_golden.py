#!/usr/bin/env python3
"""Renders the golden cases with the native host and compares every output
with the image kept in tests/golden/, sample for sample. After a deliberate
change of the picture, tests/golden/regenerate stores new ones."""
import os
import shutil
import sys
import unittest

import hostlib

ARGS, _ = hostlib.parse_args()
sys.path.insert(0, os.path.join(ARGS.source, "tests", "golden"))
import golden_cases  # noqa: E402


class GoldenImages(unittest.TestCase):
    def setUp(self):
        self.corvhost = hostlib.require_file(os.path.join(ARGS.native, "corvhost"), "native host")
        self.work = hostlib.temp_dir("corvane-golden-")

    def tearDown(self):
        shutil.rmtree(self.work)

    def test_every_case_renders_its_golden_image(self):
        for name in golden_cases.CASES:
            with self.subTest(case=name):
                for path in golden_cases.render(self.corvhost, name, self.work):
                    golden = os.path.join(golden_cases.GOLDEN_DIR, os.path.basename(path))
                    self.assertEqual(hostlib.read_png_pixels(path), hostlib.read_png_pixels(golden),
                                     "%s differs from its golden image" % os.path.basename(path))


if __name__ == "__main__":
    sys.exit(hostlib.run_unittests([GoldenImages]))
