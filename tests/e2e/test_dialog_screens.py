#!/usr/bin/env python3
"""The dialog on real screens and keyboards, in the 64-bit plug-in under
Wine and Xvfb: the first-run preview fits common screens beside the
interface, a maximised preview reopens maximised, keys pressed during a
preview render reach the interface, and at 144 and 192 dots per inch every
control lies inside the dialog, no two overlap and the preview fits the
screen."""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostlib  # noqa: E402

ARGS, _ = hostlib.parse_args()
W = hostlib.windows_path
# Seconds per preview render of a small picture: time to press a key in one.
DENSE = "DEIN float 2\nDEOU float 200\n"


def interface_controls():
    """The interface's control ids: OK, Cancel and its IDC_ names."""
    others = {"IDC_PICK", "IDC_PREVIEW_FRAME", "IDC_SAVEAS_NAME"}
    with open(hostlib.source_path(ARGS, "resources", "resource.h")) as f:
        found = re.findall(r"#define (IDC_\w+) (\d+)", f.read())
    return [1, 2] + sorted(int(value) for name, value in found if name not in others)


def overlaps(a, b):
    ax, ay, aw, ah = a
    bx, by, bw, bh = b
    return ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah


def within_borders(rect):
    """A control less its outermost pixel: the dialog manager rounds each
    control's place and size apart, so controls that touch in dialog units
    may share that pixel at some sizes, never their texts."""
    x, y, w, h = rect
    return x + 1, y + 1, w - 2, h - 2


def inside(rect, area):
    x, y, w, h = rect
    ax, ay, aw, ah = area
    return ax <= x and ay <= y and x + w <= ax + aw and y + h <= ay + ah


class ScreensAndKeys(hostlib.DialogTestCase, unittest.TestCase):
    IMAGE_SIZE = (160, 120)

    def run_dialog(self, steps, *args, **kw):
        return hostlib.run_dialog(self.wine, self.dir, steps, list(args) + [W(self.image)], **kw)

    def test_a_first_run_preview_fits_the_screen_beside_the_interface(self):
        for screen in ((1920, 1080), (1366, 768), (2560, 1440)):
            hostlib.clear_settings(self.wine)
            run = self.run_dialog(["place interface", "place preview", "cancel"], screen=screen)
            self.assertEqual(run.selector(), -128, run.result)
            preview, interface = run.place("preview"), run.place("interface")
            self.assertTrue(inside(preview, (0, 0) + screen), (screen, preview))
            self.assertEqual(preview[2:], (min(screen[0] * 2 // 3, screen[1]),) * 2, "as large as the rule allows")
            self.assertEqual(interface[:2], (0, 0))
            self.assertFalse(overlaps(preview, interface), (screen, preview, interface))

    def test_a_maximised_preview_reopens_maximised_and_restores_to_its_rectangle(self):
        # Stored as a maximised preview leaves them (Wine without a window
        # manager restores a window maximised by a script as it closes).
        for name, value in (("X", 300), ("Y", 100), ("Width", 500), ("Height", 400)):
            hostlib.set_dword(self.wine, "Preview Position " + name, value)
        hostlib.set_dword(self.wine, "Preview State", 3)
        again = self.run_dialog(["place preview", "show preview normal", "place preview", "ok"])
        self.assertEqual(again.selector(), 0, again.result)
        self.assertGreaterEqual(again.place("preview", 0)[2], hostlib.SCREEN[0], "maximised")
        self.assertEqual(again.place("preview"), (300, 100, 500, 400))

    def test_tab_shift_tab_page_down_and_space_work_as_a_person_presses_them(self):
        # The add factor's slider (1027) lies between the outer density's
        # edit (1028) and its own (1030) in the tab order.
        run = self.run_dialog([
            "wait", "read interface 1027", "focus interface 1028", "key interface Tab", "key interface PageDown",
            "read interface 1027", "focus interface 1030", "key interface Shift+Tab", "key interface PageDown",
            "read interface 1027", "focus interface 1071", "key interface Space", "state interface 1071",
            "key interface Enter"])
        self.assertEqual(run.selector(), 0, run.result)
        before, tabbed, back = (int(text) for text in run.reads("interface", 1027))
        self.assertGreater(tabbed, before, "Tab reached the next slider")
        self.assertGreater(back, tabbed, "Shift+Tab came back to it")
        self.assertEqual(run.state("interface", 1071)[-1], "unchecked", "Space turned antialias off")

    def test_tiny_and_huge_screens_and_a_one_pixel_image_open_maximised_zoom_and_answer_a_key(self):
        one = self.path("one.png")
        hostlib.write_png(one, 1, 1, [[10, 200, 30]])
        for screen, image in (((640, 480), self.image), ((7680, 4320), self.image), ((1280, 1024), one)):
            with self.subTest(screen=screen, image=image):
                hostlib.clear_settings(self.wine)
                hostlib.store_maximized_preview(self.wine, screen)
                run = hostlib.run_dialog(self.wine, self.dir, [
                    "wait", "click interface 1005", "wait", "click interface 1006", "wait", "place preview",
                    "set interface 1066 1.25", "key interface Escape"], [W(image)], screen=screen)
                self.assertEqual(run.selector(), -128, run.result)
                self.assertEqual(len(run.waits()), 3, run.result)
                width, height = run.place("preview")[2:]
                self.assertTrue(width >= screen[0] and height >= screen[1], run.place("preview"))

    def dense_run(self, steps):
        settings = self.path("dense.txt")
        with open(settings, "w") as f:
            f.write(DENSE)
        record = self.path("recorded.txt")
        # The first render starts as the dialog opens.
        run = self.run_dialog(["timeout 120", "caption interface", "sleep 500"] + steps,
                              "--play", W(settings), "--record", W(record))
        recorded = ""
        if os.path.isfile(record):
            with open(record) as f:
                recorded = f.read()
        return run, recorded

    def test_escape_during_a_render_cancels_and_enter_accepts_the_values_in_effect(self):
        cancelled, _ = self.dense_run(["key interface Escape"])
        self.assertEqual(cancelled.selector(), -128, cancelled.result)
        accepted, recorded = self.dense_run(["set interface 1066 1.25", "sleep 1000", "key interface Enter"])
        self.assertEqual(accepted.selector(), 0, accepted.result)
        self.assertIn("GAMA float 1.25", recorded)

    def test_at_high_dpi_every_control_lies_inside_the_dialog_apart_and_the_preview_fits(self):
        controls = interface_controls()
        try:
            for dpi in (144, 192):
                hostlib.set_dpi(self.wine, dpi)
                hostlib.clear_settings(self.wine)
                shot = self.path("interface-%d.png" % dpi)
                run = self.run_dialog(["place preview", "capture-client interface %s" % W(shot)] +
                                      ["rect interface %d" % c for c in controls] + ["cancel"], screen=(1920, 1080))
                self.assertEqual(run.selector(), -128, run.result)
                width, height = hostlib.read_png_pixels(shot)[:2]
                # Its font, the system's raster MS Sans Serif, grows in steps.
                self.assertGreater(width, 274 * 1.5 * 1.4, "the dialog grows with its font")
                rects = {c: run.rect("interface", c) for c in controls}
                client = (0, 0, width, height)
                for c, rect in rects.items():
                    self.assertTrue(inside(rect, client), (dpi, c, rect, client))
                clashes = [(a, b) for a in controls for b in controls
                           if a < b and overlaps(within_borders(rects[a]), within_borders(rects[b]))]
                self.assertEqual(clashes, [], dpi)
                self.assertTrue(inside(run.place("preview"), (0, 0, 1920, 1080)), (dpi, run.place("preview")))
        finally:
            hostlib.set_dpi(self.wine, 96)


if __name__ == "__main__":
    sys.exit(hostlib.run_unittests([ScreensAndKeys]))
