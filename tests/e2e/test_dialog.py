#!/usr/bin/env python3
"""The interactive dialog of the 64-bit plug-in in our Windows host under
Wine and Xvfb, driven by dialog scripts: OK and Cancel, the preview's
picture at every zoom, mode and depth, zooming without needless renders,
remembered and hostile window placements, panning, and hosts without a
usable main window."""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostlib  # noqa: E402

ARGS, _ = hostlib.parse_args()
W = hostlib.windows_path


def gradient(path, width, height, channels=3, depth=8, alpha=None):
    top = 65535 if depth == 16 else 255
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            for c in range(channels):
                if alpha is not None and c == channels - 1:
                    row.append(alpha(x, y))
                else:
                    row.append(((x * 7 + y * 3 + c * 60) * (top // 255)) % (top + 1))
        rows.append(row)
    hostlib.write_png(path, width, height, rows, channels, depth)
    return path


def picture_area(capture, width, height):
    """The rows of the centred width x height picture in a preview capture."""
    cw, ch, channels, rows = hostlib.png_rows(capture)
    x0, y0 = (cw - width) // 2, (ch - height) // 2
    return [row[x0 * channels:(x0 + width) * channels] for row in rows[y0:y0 + height]]


class Dialog(hostlib.DialogTestCase, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.small = gradient(os.path.join(cls.dir, "small.png"), 160, 120)

    def run_dialog(self, steps, *args, **kw):
        return hostlib.run_dialog(self.wine, self.dir, steps, list(args), **kw)

    def test_ok_renders_what_the_preview_shows_and_cancel_leaves_the_image(self):
        run = self.run_dialog(hostlib.SEPARATE_WINDOWS + [
            "wait", "read interface 1007", "caption interface",
            "capture-client preview %s" % W(self.path("preview.png")), "ok"],
            W(self.small), W(self.path("ok.png")))
        self.assertEqual(run.result.code, 0, run.result)
        self.assertEqual(run.selector(), 0)
        self.assertEqual(run.read("interface", 1007), "100%")
        self.assertTrue(run.values("caption")[0][1].startswith("Corvane II V1.03"))
        batch = self.wine.run_host(["--quiet", "--play-option", "dontshow", W(self.small),
                                    W(self.path("batch.png"))])
        self.assertEqual(batch.code, 0, batch)
        _, _, _, ok_rows = hostlib.png_rows(self.path("ok.png"))
        self.assertEqual(ok_rows, hostlib.png_rows(self.path("batch.png"))[3], "OK renders as a run without dialog")
        self.assertNotEqual(ok_rows, hostlib.png_rows(self.small)[3])
        self.assertEqual(picture_area(self.path("preview.png"), 160, 120), ok_rows,
                         "at 100% the preview shows the final render pixel for pixel")

        cancelled = self.run_dialog(["wait", "cancel"], W(self.small), W(self.path("cancel.png")))
        self.assertEqual(cancelled.selector(), -128)
        self.assertEqual(hostlib.png_rows(self.path("cancel.png"))[3], hostlib.png_rows(self.small)[3])

    def test_the_interface_close_box_cancels_and_the_preview_close_box_does_nothing(self):
        run = self.run_dialog(["wait", "close preview", "caption preview", "close interface"],
                              W(self.small), W(self.path("closed.png")))
        self.assertEqual(run.selector(), -128, run.result)
        self.assertEqual(len(run.values("caption")), 1, "the preview stayed open")

    def test_zoom_steps_label_the_scale_and_magnifying_renders_nothing_new(self):
        log = self.path("zoom-trace.txt")
        steps = hostlib.SEPARATE_WINDOWS + ["wait", "capture-client preview %s" % W(self.path("z100.png"))]
        for button, name in (("1005", None), ("1005", "z200"), ("1006", None), ("1006", None), ("1006", "z50"),
                             ("1006", None)):
            steps += ["click interface %s" % button, "wait", "read interface 1007"]
            if name:
                steps.append("capture-client preview %s" % W(self.path(name + ".png")))
        run = self.run_dialog(steps + ["ok"], "--logfile", W(log), W(self.small), W(self.path("zoom.png")))
        self.assertEqual(run.result.code, 0, run.result)
        self.assertEqual(run.reads("interface", 1007), ["133.3%", "200%", "133.3%", "100%", "50%", "33.33%"])
        self.assertNotEqual(hostlib.png_rows(self.path("z100.png"))[3], hostlib.png_rows(self.path("z200.png"))[3])
        # At 50% the preview is a render of the image reduced twice: close to
        # every second pixel of the final render, its dots drawn finer.
        final = hostlib.png_rows(self.path("zoom.png"))[3]
        reduced = [row[c::6][:80] for row in final[::2] for c in range(3)]
        half = picture_area(self.path("z50.png"), 80, 60)
        shown = [row[c::3] for row in half for c in range(3)]
        difference = sum(abs(a - b) for r1, r2 in zip(reduced, shown) for a, b in zip(r1, r2)) / (80 * 60 * 3)
        print("50%% preview against the final render's every second pixel: mean difference %.2f" % difference)
        self.assertLess(difference, 6)
        # The trace: which scale factors were assigned and where renders ran.
        events = []
        with open(log, errors="replace") as f:
            for line in f:
                m = re.search(r"ENTER: pfPreviewWin32::AssignScaleFactor\( nFactor\((-?\d+)\)", line)
                if m:
                    events.append(int(m.group(1)))
                elif "ENTER: Render()" in line:
                    events.append("render")
        first_magnified = events.index(0)
        reduced = events.index(2)
        self.assertNotIn("render", events[first_magnified:reduced], events)
        self.assertIn("render", events[reduced:], events)

    def test_placements_are_remembered_and_hostile_values_come_back_on_screen(self):
        fresh = self.run_dialog(["place interface", "place preview", "ok"], W(self.small))
        self.assertEqual(fresh.place("interface")[:2], (0, 0))
        x, y, w, h = fresh.place("preview")
        self.assertEqual((w, h), (853, 853), "a square two thirds as wide as the screen")
        self.assertGreaterEqual(x, fresh.place("interface")[2], "beside the interface")
        self.assertLessEqual(abs(y - (1024 - 853) // 2), 40)

        moved = ["move interface 100 50", "move preview 600 80", "resize preview 500 400", "place interface",
                 "place preview", "ok"]
        first = self.run_dialog(moved, W(self.small))
        again = self.run_dialog(["place interface", "place preview", "resize preview 50 40", "place preview", "ok"],
                                W(self.small))
        self.assertEqual(again.place("interface", 0), first.place("interface"))
        self.assertEqual(again.place("preview", 0), first.place("preview"))
        width, height = again.place("preview")[2:]
        # The window system's own minimum for a captioned window may be larger.
        self.assertTrue(100 <= width <= 120 and height == 100, "resizing below 100 snaps back: %dx%d" % (width, height))

        hostlib.set_dword(self.wine, "Interface Position X", -100)
        hostlib.set_dword(self.wine, "Interface Position Y", 5000)
        hostlib.set_dword(self.wine, "Preview Position Width", 0x7FFFFFFF)
        hostlib.set_dword(self.wine, "Preview Position Height", 40)
        self.wine.reg("add", hostlib.REGISTRY_KEY, "/v", "Preview Position X", "/t", "REG_SZ", "/d", "12", "/f")
        self.wine.reg("add", hostlib.REGISTRY_KEY, "/v", "Preview Position Y", "/t", "REG_BINARY", "/d", "10", "/f")
        self.wine.reg("add", hostlib.REGISTRY_KEY, "/v", "Preset Path", "/t", "REG_SZ", "/d", "x" * 10000, "/f")
        hostile = self.run_dialog(["place interface", "place preview", "ok"], W(self.small))
        self.assertEqual(hostile.selector(), 0, hostile.result)
        self.assertEqual(hostile.place("interface")[:2], (0, 1024 - 50))
        self.assertEqual(hostile.place("preview"), (200, 200, 1280, 100))

    def test_right_dragging_pans_the_picture_up_to_its_edges(self):
        image = gradient(self.path("large.png"), 700, 500)
        shot = lambda name: "capture-client preview %s" % W(self.path(name + ".png"))  # noqa: E731
        run = self.run_dialog(hostlib.SEPARATE_WINDOWS + [
            "click interface 1005", "click interface 1005", "wait", shot("before"),
            "drag preview right 300 250 340 250", "wait", shot("after"),
            "drag preview right 100 100 1000 900", "wait", shot("edge"),
            "drag preview right 100 100 400 400", "wait", shot("beyond"), "ok"], W(image))
        self.assertEqual(run.result.code, 0, run.result)
        _, _, channels, before = hostlib.png_rows(self.path("before.png"))
        after = hostlib.png_rows(self.path("after.png"))[3]
        shift = 40 * channels
        self.assertEqual([row[shift:] for row in after[10:-10]], [row[:-shift] for row in before[10:-10]],
                         "the picture follows the mouse")
        self.assertEqual(hostlib.png_rows(self.path("edge.png"))[3], hostlib.png_rows(self.path("beyond.png"))[3])

        small = self.run_dialog(hostlib.SEPARATE_WINDOWS + [
            "wait", shot("small-before"), "drag preview right 300 250 400 300", "wait", shot("small-after"), "ok"],
            W(self.small))
        self.assertEqual(small.result.code, 0, small.result)
        self.assertEqual(hostlib.png_rows(self.path("small-before.png"))[3],
                         hostlib.png_rows(self.path("small-after.png"))[3], "a smaller image stays centred")

    def preview_of(self, image, *args):
        name = os.path.basename(image)
        capture, output = self.path("preview-" + name), self.path("out-" + name)
        run = self.run_dialog(hostlib.SEPARATE_WINDOWS + ["wait", "capture-client preview %s" % W(capture), "ok"],
                              *args, W(image), W(output))
        self.assertEqual(run.result.code, 0, run.result)
        return capture, output

    def test_every_mode_and_depth_draws_with_the_checkerboard_under_transparency(self):
        grey = gradient(self.path("grey.png"), 64, 48, channels=1)
        capture, output = self.preview_of(grey)
        shown = picture_area(capture, 64, 48)
        expected = [[v for v in row for _ in range(3)] for row in hostlib.png_rows(output)[3]]
        self.assertEqual(shown, expected)

        deep = gradient(self.path("deep.png"), 64, 48, depth=16)
        capture, output = self.preview_of(deep)
        _, _, _, _, data = hostlib.read_png_pixels(output)
        samples = [int.from_bytes(data[i:i + 2], "big") for i in range(0, len(data), 2)]
        host = [(v * 32768 + 32767) // 65535 for v in samples]
        expected = [[h // 129 for h in host[y * 64 * 3:(y + 1) * 64 * 3]] for y in range(48)]
        self.assertEqual(picture_area(capture, 64, 48), expected, "16-bit samples / 129")

        two = gradient(self.path("two.png"), 64, 48)
        capture, output = self.preview_of(two, "--mode", "multichannel", "--planes", "2", "--plane-files",
                                          W(self.path("plane")))
        planes = [hostlib.png_rows(self.path("plane%d.png" % i))[3] for i in range(2)]
        expected = [[v for x in range(64) for v in (0, planes[0][y][x], planes[1][y][x])] for y in range(48)]
        self.assertEqual(picture_area(capture, 64, 48), expected, "green and blue")

        layer = gradient(self.path("layer.png"), 64, 48, channels=2, alpha=lambda x, y: 0 if x < 32 else 255)
        capture, output = self.preview_of(layer, "--layer")
        out = hostlib.png_rows(output)[3]
        shown = picture_area(capture, 64, 48)
        for y in (0, 20, 47):
            for x in (0, 17, 31, 40, 63):
                grey, alpha = out[y][2 * x], out[y][2 * x + 1] / 255
                square = 255 if (x // 16) % 2 + (y // 16) % 2 == 1 else 208
                value = int(grey * alpha + square * (1 - alpha))
                self.assertEqual(shown[y][3 * x:3 * x + 3], [value] * 3, (x, y))

    def test_a_render_overtaken_by_a_change_gives_way_to_a_coarser_one_then_refines(self):
        dense = self.path("dense.txt")
        with open(dense, "w") as f:
            f.write("DEIN float 2\nDEOU float 200\n")  # seconds per render
        log = self.path("overtaken-trace.txt")
        run = self.run_dialog(["sleep 700", "set interface 1066 1.2", "timeout 120", "wait", "cancel"],
                              "--logfile", W(log), "--play", W(dense), W(hostlib.source_path(ARGS, "resources",
                                                                                              "sample.png")))
        self.assertEqual(run.selector(), -128, run.result)
        with open(log, errors="replace") as f:
            factors = [int(m.group(1)) for m in re.finditer(r"ENTER: pfFilter::SetupFilterRecord\(.*nScaleFactor\((\d+)\)",
                                                            f.read())]
        fit = factors[0]
        self.assertEqual(factors[:3], [fit, fit + 1, fit], "fitted, one render pass coarser, refined")

    def test_a_null_or_stale_host_window_still_gives_a_working_dialog(self):
        for kind in ("none", "stale"):
            run = self.run_dialog(["wait", "ok"], "--host-window", kind, W(self.small))
            self.assertEqual(run.result.code, 0, run.result)


if __name__ == "__main__":
    sys.exit(hostlib.run_unittests([Dialog]))
