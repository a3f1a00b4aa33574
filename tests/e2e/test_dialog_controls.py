#!/usr/bin/env python3
"""The interface dialog's controls in the 64-bit plug-in under Wine, driven
by dialog scripts: edits and trackbars, check boxes and the blend list,
angle dials, the colour swatch with the host's picker, the system colour
dialog and picking from the preview, randomize, undo and redo, and the
preview following every change. Values are checked in the controls and in
the descriptor the plug-in records after OK."""

import math
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostlib  # noqa: E402

W = hostlib.windows_path

# Control ids of the interface dialog.
INNER_DENSITY_EDIT, INNER_DENSITY_SLIDER = 1013, 1011
WEIGHT_X_EDIT, GAMMA_EDIT, RANDOMIZE_EDIT, RANDOMIZE = 1060, 1066, 1074, 1075
INNER_X1 = (1035, 1036, 1037)  # dial, turns, degrees
ANGLE_EDITS = [1036, 1037, 1042, 1043, 1039, 1040, 1045, 1046, 1048, 1049, 1054, 1055, 1051, 1052, 1057, 1058,
               1018, 1024, 1021, 1034]
SWATCH, BLEND, CLIP_COLOR, UNDO, REDO = 1004, 1008, 1072, 1009, 1010


def recorded(path):
    """{key: value} of a recorded descriptor text file."""
    values = {}
    with open(path) as f:
        for line in f:
            fields = line.split("#")[0].split()
            if len(fields) == 3:
                values[fields[0]] = {"float": float, "integer": int}.get(fields[1], lambda v: v == "true")(fields[2])
    return values


class Controls(hostlib.DialogTestCase, unittest.TestCase):
    IMAGE_SIZE = (120, 90)

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        hostlib.clear_settings(cls.wine)
        probe = hostlib.run_dialog(cls.wine, cls.dir, ["rect interface %d" % SWATCH, "rect interface %d" % INNER_X1[0],
                                                       "cancel"], [W(cls.image)])
        cls.swatch = probe.rect("interface", SWATCH)
        cls.dial = probe.rect("interface", INNER_X1[0])

    def run_dialog(self, steps, *args):
        """Runs the steps, presses OK and returns the run and the recorded values."""
        record = self.path("recorded.txt")
        run = hostlib.run_dialog(self.wine, self.dir, steps + ["ok"],
                                 ["--record", W(record)] + list(args) + [W(self.image), W(self.path("out.png"))])
        self.assertEqual(run.selector(), 0, run.result)
        return run, recorded(record)

    def swatch_centre(self):
        x, y, w, h = self.swatch
        return x + w // 2, y + h // 2

    def test_typed_values_follow_bounds_and_bad_text_leaves_the_value_in_effect(self):
        run, values = self.run_dialog([
            "set interface %d 0.5" % INNER_DENSITY_EDIT, "read interface %d" % INNER_DENSITY_SLIDER,
            "slide interface %d 20 30" % INNER_DENSITY_SLIDER, "read interface %d" % INNER_DENSITY_EDIT,
            "set interface %d 5" % WEIGHT_X_EDIT, "focus interface %d" % GAMMA_EDIT,
            "read interface %d" % WEIGHT_X_EDIT,
            "type interface %d 3" % INNER_DENSITY_EDIT, "read interface %d" % INNER_DENSITY_SLIDER]
            + ["set interface %d \"%s\"" % (GAMMA_EDIT, text) for text in
               ("0.7abc", "", "-", "1e999", "nan", "7" * 300, "\u00e9\u00e8", " 2.5")]
            + ["focus interface %d" % INNER_DENSITY_SLIDER, "read interface %d" % GAMMA_EDIT])
        self.assertEqual(run.read("interface", INNER_DENSITY_SLIDER, 0), "50", "the slider follows the edit")
        self.assertEqual(run.read("interface", INNER_DENSITY_EDIT, 0), "0.3", "the edit follows the slider")
        self.assertEqual(run.read("interface", WEIGHT_X_EDIT), "1", "an enforced maximum clamps")
        self.assertEqual(run.read("interface", INNER_DENSITY_SLIDER), "200", "beyond the slider's range")
        self.assertEqual(run.read("interface", GAMMA_EDIT), "2.5")
        self.assertEqual((values["DEIN"], values["WEGX"], values["GAMA"]), (3.0, 1.0, 2.5))
        self.assertTrue(all(math.isfinite(v) for v in values.values() if isinstance(v, float)), values)

    def test_angles_show_whole_turns_and_degrees(self):
        dial, turns, degrees = INNER_X1
        run, values = self.run_dialog([
            "set interface %d 2" % turns, "set interface %d 5" % degrees, "focus interface %d" % GAMMA_EDIT,
            "read interface %d" % turns, "read interface %d" % degrees,
            "set interface %d 0" % turns, "set interface %d -30" % degrees, "focus interface %d" % GAMMA_EDIT,
            "read interface %d" % turns, "read interface %d" % degrees])
        self.assertEqual(run.reads("interface", turns), ["2", "-1"])
        self.assertEqual(run.reads("interface", degrees), ["5.00", "330.00"])
        self.assertEqual(values["INX1"], -30.0)

    def test_dragging_a_dial_across_the_top_counts_whole_turns(self):
        dial, turns, degrees = INNER_X1
        x, y, w, h = self.dial
        cx, cy, r = x + w // 2, y + h // 2, min(w, h) // 2 - 2

        def at(angle):
            a = math.radians(angle)
            return "%d %d" % (cx + round(r * math.sin(a)), cy - round(r * math.cos(a)))

        steps = ["set interface %d 0" % turns, "set interface %d 350" % degrees, "focus interface %d" % GAMMA_EDIT]
        for start, end in ((350, 10), (10, 350)):
            steps += ["mouse interface ldown " + at(start)]
            steps += ["mouse interface move " + at(a) for a in range(start, start + 21 if start == 350 else start - 21,
                                                                   1 if start == 350 else -1)]
            steps += ["mouse interface lup " + at(end), "read interface %d" % turns, "read interface %d" % degrees]
        run, values = self.run_dialog(steps)
        self.assertEqual(run.reads("interface", turns), ["1", "0"])
        first, second = (float(t) for t in run.reads("interface", degrees))
        self.assertLess(abs(first - 10), 4)
        self.assertLess(abs(second - 350), 4)

    def test_a_click_straight_above_the_centre_is_the_top_of_a_turn(self):
        dial, turns, degrees = INNER_X1
        x, y, w, h = self.dial
        top = "%d %d" % (x + w // 2, y + 2)
        click = ["mouse interface ldown " + top, "mouse interface lup " + top, "read interface %d" % turns,
                 "read interface %d" % degrees]
        start = lambda angle: ["set interface %d 0" % turns, "set interface %d %d" % (degrees, angle),  # noqa: E731
                               "focus interface %d" % GAMMA_EDIT]
        run, values = self.run_dialog(start(10) + click + start(350) + click)
        self.assertEqual(run.reads("interface", turns), ["0", "1"], "from 350 it is the next turn")
        self.assertEqual(run.reads("interface", degrees), ["0.00", "0.00"])

    def test_check_boxes_and_the_blend_list(self):
        run, values = self.run_dialog(["click interface %d" % CLIP_COLOR, "state interface %d" % CLIP_COLOR,
                                       "items interface %d" % BLEND, "select interface %d 7" % BLEND,
                                       "read interface %d" % BLEND])
        self.assertEqual(run.state("interface", CLIP_COLOR)[-1], "checked")
        items = run.values("items")[0][2:]
        self.assertEqual((len(items), items[0], items[6], items[21]), (22, "normal", "multiply", "(none) replace"))
        self.assertEqual(run.read("interface", BLEND), "multiply")
        self.assertEqual((values["CLCO"], values["BLND"]), (True, 7))

    def test_the_swatch_asks_the_host_and_a_cancelled_choice_records_nothing(self):
        x, y = self.swatch_centre()
        click = ["mouse interface ldown %d %d" % (x, y), "mouse interface lup %d %d" % (x, y)]
        run, values = self.run_dialog(click + ["state interface %d" % UNDO], "--color", "0,0,255")
        self.assertEqual(run.state("interface", UNDO)[0], "enabled")
        self.assertEqual((values["COL1"], values["COL2"], values["COL3"]), (0.0, 0.0, 1.0))

        hostlib.clear_settings(self.wine)  # OK remembered the blue
        run, values = self.run_dialog(click + ["state interface %d" % UNDO], "--color-cancel")
        self.assertEqual(run.state("interface", UNDO)[0], "disabled")
        self.assertEqual((values["COL1"], values["COL2"], values["COL3"]), (0.5, 0.8, 0.05))

    def test_grey_images_turn_the_swatch_grey(self):
        grey = self.path("grey.png")
        hostlib.write_png(grey, 60, 40, [[(x * 4) % 256 for x in range(60)] for _ in range(40)], channels=1)
        capture = self.path("grey-interface.png")
        record = self.path("grey.txt")
        run = hostlib.run_dialog(self.wine, self.dir, ["wait", "capture-client interface %s" % W(capture), "ok"],
                                 ["--record", W(record), W(grey)])
        self.assertEqual(run.selector(), 0, run.result)
        grey_value = 0.292687786 * 0.5 + 0.552149646 * 0.8 + 0.155162568 * 0.05
        values = recorded(record)
        self.assertAlmostEqual(values["COL1"], grey_value, places=5)
        self.assertEqual(values["COL1"], values["COL2"])
        _, _, channels, rows = hostlib.png_rows(capture)
        x, y = self.swatch_centre()
        self.assertEqual(rows[y][x * channels:x * channels + 3], [int(grey_value * 255)] * 3)

    def test_without_colour_services_the_system_colour_dialog_chooses(self):
        x, y = self.swatch_centre()
        run, values = self.run_dialog([
            "mouse interface ldown %d %d" % (x, y), "set \"Color\" 706 0", "set \"Color\" 707 255",
            "set \"Color\" 708 0", "answer \"Color\" OK", "mouse interface lup %d %d" % (x, y)],
            "--omit", "colorServices")
        self.assertEqual((values["COL1"], values["COL2"], values["COL3"]), (0.0, 1.0, 0.0))

    def test_picking_a_colour_from_the_preview(self):
        x, y = self.swatch_centre()
        capture = self.path("pick.png")
        # The 120 x 90 picture is centred in the preview's client area.
        run, values = self.run_dialog(hostlib.SEPARATE_WINDOWS + [
            "wait", "capture-client preview %s" % W(capture), "mouse interface rup %d %d" % (x, y),
            "mouse preview move 300 250", "mouse preview lup 300 250"])
        _, _, channels, rows = hostlib.png_rows(capture)
        picked = rows[250][300 * channels:300 * channels + 3]
        self.assertEqual([round(values[k] * 255) for k in ("COL1", "COL2", "COL3")], picked)

    def test_randomize_keeps_angles_within_its_strength_and_one_undo_restores_them(self):
        reads = ["read interface %d" % i for i in ANGLE_EDITS + [WEIGHT_X_EDIT, 1063]]
        run, _ = self.run_dialog(["set interface %d 0" % RANDOMIZE_EDIT, "click interface %d" % RANDOMIZE] + reads +
                                 ["set interface %d 5" % RANDOMIZE_EDIT, "click interface %d" % RANDOMIZE] + reads +
                                 ["click interface %d" % UNDO] + reads)
        zero = [run.reads("interface", i)[0] for i in ANGLE_EDITS]
        self.assertTrue(all(v in ("0", "0.00") for v in zero), zero)
        strong = [float(run.reads("interface", i)[1]) for i in ANGLE_EDITS]
        turns = strong[0:16:2]
        self.assertTrue(all(-6 <= t <= 5 for t in turns), turns)
        self.assertTrue(any(v != 0 for v in strong), strong)
        undone = [run.reads("interface", i)[2] for i in ANGLE_EDITS + [WEIGHT_X_EDIT, 1063]]
        self.assertEqual(undone, [run.reads("interface", i)[0] for i in ANGLE_EDITS + [WEIGHT_X_EDIT, 1063]])

    def test_undo_and_redo_with_their_buttons_and_history_across_dialog_runs(self):
        state = ["state interface %d" % UNDO, "state interface %d" % REDO]
        read = ["read interface %d" % INNER_DENSITY_EDIT, "read interface %d" % BLEND]
        run = hostlib.run_dialog(self.wine, self.dir, state + [
            "set interface %d 0.4" % INNER_DENSITY_EDIT, "select interface %d 1" % BLEND] + state +
            ["click interface %d" % UNDO] + state + read + ["click interface %d" % UNDO] + state + read +
            ["click interface %d" % REDO, "click interface %d" % REDO] + state + read + ["cancel", "wait"] + state +
            ["cancel"], ["--runs", "2", W(self.image)])
        enabled = [(run.state("interface", UNDO, i)[0], run.state("interface", REDO, i)[0]) for i in range(6)]
        self.assertEqual(enabled, [("disabled", "disabled"), ("enabled", "disabled"), ("enabled", "enabled"),
                                   ("disabled", "enabled"), ("enabled", "disabled"), ("enabled", "disabled")])
        self.assertEqual(run.reads("interface", INNER_DENSITY_EDIT), ["0.4", "0.1", "0.4"])
        self.assertEqual(run.reads("interface", BLEND), ["screen", "screen", "normal"])

    def test_the_preview_shows_every_change(self):
        capture = self.path("changed.png")
        run, values = self.run_dialog(hostlib.SEPARATE_WINDOWS + [
            "set interface %d 0.35" % INNER_DENSITY_EDIT, "select interface %d 7" % BLEND,
            "click interface %d" % CLIP_COLOR, "set interface %d 1" % INNER_X1[1], "wait",
            "capture-client preview %s" % W(capture)])
        batch = self.wine.run_host(["--quiet", "--play", W(self.path("recorded.txt")), "--play-option", "dontshow",
                                    W(self.image), W(self.path("batch.png"))])
        self.assertEqual(batch.code, 0, batch)
        cw, ch, channels, rows = hostlib.png_rows(capture)
        x0, y0 = (cw - 120) // 2, (ch - 90) // 2
        shown = [row[x0 * channels:(x0 + 120) * channels] for row in rows[y0:y0 + 90]]
        self.assertEqual(shown, hostlib.png_rows(self.path("batch.png"))[3])


if __name__ == "__main__":
    sys.exit(hostlib.run_unittests([Controls]))
