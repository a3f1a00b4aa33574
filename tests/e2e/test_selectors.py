#!/usr/bin/env python3
"""Every selector of the 64-bit plug-in through corvhost.exe under Wine, and
the refusal of hosts that lack a required callback."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostlib  # noqa: E402

SORRY = "Sorry, but this Plug-In requires some functions"
session = None
work = None


class Selectors(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.image = hostlib.sample_gradient(os.path.join(work, "input.png"))

    def test_about_shows_the_about_box_and_returns_0(self):
        captures = os.path.join(work, "captures")
        os.mkdir(captures)
        result = session.run_host(["--about", "--capture-dialogs", hostlib.windows_path(captures)])
        self.assertEqual(result.selector_results(), {0: 0}, result)
        self.assertEqual(result.code, 0, result)
        self.assertTrue(any(line.startswith('dialog "Corvane II"') for line in result.dialogs()), result)
        width, height, channels, _, pixels = hostlib.read_png_pixels(os.path.join(captures, "dialog-1.png"))
        self.assertGreater(width * height, 100 * 50)
        self.assertGreater(len(set(pixels[i:i + channels] for i in range(0, len(pixels), channels))), 2,
                           "the capture of the About box is blank")
        print("about: result 0, About box captioned \"Corvane II\" captured and answered")

    def test_each_known_selector_returns_0(self):
        args = ["--answer-dialogs", "--quiet"]
        for selector in (1, 2, 3, 4, 5):
            args += ["--selector", str(selector)]
        result = session.run_host(args + [hostlib.windows_path(self.image)])
        self.assertEqual(result.selector_results(), {1: 0, 2: 0, 3: 0, 4: 0, 5: 0}, result)
        self.assertEqual(result.code, 0, result)
        print("parameters, prepare, start, continue, finish: each result 0")

    def test_unknown_selector_returns_minus_1(self):
        result = session.run_host(["--selector", "6", hostlib.windows_path(self.image)])
        self.assertEqual(result.selector_results(), {6: -1}, result)
        self.assertEqual(result.code, 1, result)
        self.assertEqual(result.dialogs(), [])
        print("selector 6: result -1, exit status 1")

    def test_a_whole_run_succeeds(self):
        output = os.path.join(work, "run.png")
        result = session.run_host(["--answer-dialogs", "--quiet", "--show-requests", hostlib.windows_path(self.image),
                                   hostlib.windows_path(output)])
        self.assertEqual(result.selector_results(), {1: 0, 2: 0, 3: 0, 5: 0}, result)
        self.assertEqual(result.requests().get(3), ((0, 0, 0, 0),) * 3, result)
        self.assertEqual(result.code, 0, result)
        self.assertTrue(os.path.isfile(output))
        print("whole run: parameters, prepare, start, finish all 0; output written")


class Refusal(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.image = hostlib.sample_gradient(os.path.join(work, "refusal.png"), 21, 13)

    def check_refused_without(self, callback):
        output = os.path.join(work, "without-%s.png" % callback)
        result = session.run_host(["--answer-dialogs", "--show-requests", "--omit", callback, hostlib.windows_path(self.image),
                                   hostlib.windows_path(output)])
        self.assertEqual(result.selector_results().get(3), 1, result)
        self.assertEqual(result.requests().get(3), ((0, 0, 0, 0),) * 3, result)
        self.assertEqual(result.code, 1, result)
        sorry = [line for line in result.dialogs() if line.startswith('dialog "CorvaneII"') and SORRY in line]
        self.assertEqual(len(sorry), 1, result)
        self.assertEqual(hostlib.read_png_pixels(output), hostlib.read_png_pixels(self.image))
        print("without %s: message box \"CorvaneII\" answered, start result 1, output equals input" % callback)

    def test_a_host_without_advance_state_is_refused(self):
        self.check_refused_without("advanceState")

    def test_a_host_without_display_pixels_is_refused(self):
        self.check_refused_without("displayPixels")

    def test_a_host_without_progress_is_refused(self):
        self.check_refused_without("progressProc")


def main():
    global session, work
    args, _ = hostlib.parse_args()
    work = hostlib.temp_dir("corvane-selectors-")
    with hostlib.wine_session(args) as wine:
        session = wine
        return hostlib.run_unittests([Selectors, Refusal])


if __name__ == "__main__":
    sys.exit(main())
