#!/usr/bin/env python3
"""Presets and remembered settings in the 64-bit plug-in's dialog under
Wine, driven by dialog scripts: starting a presets file from "open ...",
saving (spaces become underscores, the overwrite question), selecting,
deleting, foreign and malformed files, a save that cannot be written, the
list across dialog runs, and the values accepted last time, also against
hostile registry values."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostlib  # noqa: E402

W = hostlib.windows_path

LIST, SAVE, DELETE, OPEN, UNDO = 1001, 1002, 1003, 1015, 1009
DENSITY, BLEND, GAMMA = 1013, 1008, 1066
OPEN_TITLE = "\"Open Presets File\""


def preset_lines(density="0.100000", blend=3):
    angles = [("InnerAngleX1", 33), ("InnerAngleX2", 135), ("InnerAngleY1", 43), ("InnerAngleY2", 146),
              ("OuterAngleX1", 246), ("OuterAngleX2", 356), ("OuterAngleY1", 43), ("OuterAngleY2", 106)]
    lines = ["Color 0.500000 0.800000 0.050000", "GammaCorrection 1.000000", "BlendMode %d" % blend,
             "InnerDensity %s" % density, "OuterDensity 10.000000", "AddFactor 0.250000", "WeightX1X2 0.000000",
             "WeightY1Y2 0.000000", "OffsetX1 0.000000", "OffsetX2 0.000000", "OffsetY1 0.000000",
             "OffsetY2 0.000000"]
    lines += ["%s %d.000000" % angle for angle in angles] + ["Antialias 1", "ClipColor 0"]
    return "\n".join(lines) + "\n"


def open_file(path):
    return ["click interface %d" % OPEN, "set %s 1148 \"%s\"" % (OPEN_TITLE, W(path)), "answer %s 1" % OPEN_TITLE]


def save_as(name, answer=None):
    steps = ["click interface %d" % SAVE, "set \"save as\" 1073 \"%s\"" % name, "answer \"save as\" OK"]
    if answer:
        steps.append("answer \"Overwrite Setting?\" %s" % answer)
    return steps


class Presets(hostlib.DialogTestCase, unittest.TestCase):
    def run_dialog(self, steps, *args):
        return hostlib.run_dialog(self.wine, self.dir, steps, list(args) + [W(self.image)])

    def write(self, name, text):
        with open(self.path(name), "w", newline="\r\n") as f:
            f.write(text)
        return self.path(name)

    def test_a_new_presets_file_gets_two_presets_byte_for_byte(self):
        presets = self.path("new.cfg")
        state = ["state interface %d" % SAVE, "state interface %d" % DELETE, "items interface %d" % LIST]
        run = self.run_dialog(state + open_file(presets) + state + ["set interface %d 0.4" % DENSITY] +
                              save_as("first") + ["select interface %d 7" % BLEND] + save_as("my preset two") +
                              state + ["read interface %d" % LIST, "ok"])
        self.assertEqual(run.selector(), 0, run.result)
        self.assertEqual([run.state("interface", SAVE, i)[0] for i in range(3)], ["disabled", "enabled", "enabled"])
        self.assertEqual([run.state("interface", DELETE, i)[0] for i in range(3)], ["disabled", "disabled", "enabled"])
        self.assertEqual(run.values("items")[-1][2:], ["first", "my_preset_two"])
        self.assertEqual(run.read("interface", LIST), "my_preset_two")
        with open(presets, "rb") as f:
            data = f.read()
        self.assertIn(b"\r\n", data)
        expected = ("FileOwner CorvaneII\n\nname first\n" + preset_lines("0.400000") + "\nname my_preset_two\n" +
                    preset_lines("0.400000", 7))
        self.assertEqual(data.replace(b"\r\n", b"\n").decode(), expected)

    def test_selecting_overwriting_and_deleting_with_the_list_kept_across_runs(self):
        presets = self.write("three.cfg", "FileOwner CorvaneII\n\nname a\n" + preset_lines("0.200000") +
                             "\nname b\n" + preset_lines("0.300000", 7) + "\nname c\n" + preset_lines("0.500000", 1))
        read = ["read interface %d" % DENSITY, "read interface %d" % BLEND, "read interface %d" % LIST]
        run = self.run_dialog(
            open_file(presets) + ["select interface %d a" % LIST] + read + ["select interface %d b" % LIST] + read +
            ["click interface %d" % UNDO] + read +
            save_as("b", "No") + ["read \"save as\" 1073", "answer \"save as\" Abbrechen"] +
            ["set interface %d 0.9" % DENSITY] + save_as("b", "Yes") +
            ["select interface %d b" % LIST, "click interface %d" % DELETE, "answer \"Delete Preset?\" Yes"] + read +
            ["click interface %d" % DELETE, "answer \"Delete Preset?\" Yes"] + read +
            ["items interface %d" % LIST, "cancel", "wait", "items interface %d" % LIST, "cancel"], "--runs", "2")
        self.assertEqual(run.reads("interface", DENSITY), ["0.2", "0.3", "0.2", "0.2", "0.5"])
        self.assertEqual(run.reads("interface", BLEND), ["screen", "multiply", "screen", "screen", "normal"])
        self.assertEqual(run.reads("interface", LIST)[:2], ["a", "b"])
        self.assertEqual(run.reads("interface", LIST)[3:], ["a", "c"], "the neighbour is selected and loaded")
        self.assertEqual(run.read("save as", 1073), "b", "No keeps the name entry open")
        self.assertEqual([v[2:] for v in run.values("items")], [["c"], ["c"]])
        with open(presets, "rb") as f:
            text = f.read().replace(b"\r\n", b"\n").decode()
        self.assertEqual(text.count("name "), 1)
        self.assertIn("name c\n", text)

    def test_foreign_and_malformed_files_are_refused_with_their_messages(self):
        foreign = self.write("foreign.cfg", "FileOwner OtherFilter\n\nname x\nGamma 1\n")
        malformed = self.write("malformed.cfg", "this is no presets file\n")
        run = self.run_dialog(open_file(foreign) + ["texts \"Error\"", "answer \"Error\" OK"] + open_file(malformed) +
                              ["texts \"Error\"", "answer \"Error\" OK", "state interface %d" % SAVE, "cancel"])
        texts = [v[1:] for v in run.values("texts")]
        self.assertEqual(texts, [["The selected settings file belongs to the Filter: OtherFilter"],
                                 ["The file you selected is no valid Settingsfile."]])
        self.assertEqual(run.state("interface", SAVE)[0], "disabled", "the previous (empty) path stays")

    def test_a_save_that_cannot_be_written_keeps_the_file_and_says_so(self):
        presets = self.write("kept.cfg", "FileOwner CorvaneII\n\nname keep\n" + preset_lines())
        with open(presets, "rb") as f:
            before = f.read()
        os.mkdir(presets + "tmp")  # in the way of the rewrite
        run = self.run_dialog(open_file(presets) + save_as("x") + ["texts \"Error\"", "answer \"Error\" OK",
                                                                    "items interface %d" % LIST, "cancel"])
        self.assertEqual(len(run.values("texts")), 1, run.result)
        self.assertTrue(run.values("texts")[0][1].startswith("The preset could not be saved"))
        self.assertEqual(run.values("items")[0][2:], ["keep"])
        with open(presets, "rb") as f:
            self.assertEqual(f.read(), before)

    def test_accepted_values_come_back_in_the_next_session_and_cancel_stores_nothing(self):
        self.assertEqual(self.run_dialog(["set interface %d 0.6" % DENSITY, "ok"]).selector(), 0)
        second = self.run_dialog(["read interface %d" % DENSITY, "set interface %d 0.9" % DENSITY, "cancel"])
        third = self.run_dialog(["read interface %d" % DENSITY, "cancel"])
        self.assertEqual(second.read("interface", DENSITY, 0), "0.6")
        self.assertEqual(third.read("interface", DENSITY), "0.6", "Cancel left the stored values alone")

    def test_hostile_remembered_values_change_nothing(self):
        key = hostlib.REGISTRY_KEY + "\\LastUsed"

        def binary(name, hex_bytes):
            self.wine.reg("add", key, "/v", name, "/t", "REG_BINARY", "/d", hex_bytes, "/f")

        binary("InnerDensity", "0000803f")              # four bytes for a double
        binary("GammaCorrection", "000000000000f87f")   # NaN
        binary("AddFactor", "000000000000f07f")         # infinity
        binary("Antialias", "0000000000000000")         # eight bytes for a flag
        binary("ClipColor", "07")                       # neither 0 nor 1
        binary("BlendMode", "63000000")                 # item 99 of 22
        binary("Color_red", "0000000000000000")         # green and blue missing
        self.wine.reg("add", key, "/v", "OuterDensity", "/t", "REG_SZ", "/d", "2", "/f")
        run = self.run_dialog(["read interface %d" % i for i in (DENSITY, GAMMA, 1030, 1028, BLEND)] +
                              ["state interface 1071", "state interface 1072", "ok"])
        self.assertEqual(run.selector(), 0, run.result)
        self.assertEqual([run.read("interface", i) for i in (DENSITY, GAMMA, 1030, 1028, BLEND)],
                         ["0.1", "1", "0.25", "10", "screen"])
        self.assertEqual([run.state("interface", i)[-1] for i in (1071, 1072)], ["checked", "unchecked"])


if __name__ == "__main__":
    sys.exit(hostlib.run_unittests([Presets]))
