#!/usr/bin/env python3
"""The plug-in in every real host our host plays (--host-profile): the golden
cases rendered natively through each profile that has no Windows-only part,
compared with the default host's golden renders; then under Wine, in the
bitness each host exists in, the golden cases again and a dialog accepted
after zooming out and clicking the colour swatch and the host's window, its
preview and render compared with the default host's."""
import os
import shutil
import subprocess
import sys
import unittest

import hostlib

ARGS, _ = hostlib.parse_args()
sys.path.insert(0, os.path.join(ARGS.source, "tests", "golden"))
import golden_cases  # noqa: E402

W = hostlib.windows_path
PROFILES = ["photoshop", "psfilterpdn", "pspi", "photodemon", "affinity", "irfanview", "xnview", "paintshop"]
THIRTY_TWO_BIT = {"photodemon"}
# Hosts that play back no descriptor always show the dialog.
ALWAYS_SHOW = {"pspi", "photodemon"}
MATRIX = ["grey8", "rgb8", "rgba16-layer", "rgb8-mask"]
SWATCH, ZOOM_OUT = 1004, 1006


def max_difference(a, b):
    return max((abs(x - y) for x, y in zip(a[4], b[4])), default=0) if a[:4] == b[:4] else None


class NativeProfiles(unittest.TestCase):
    def setUp(self):
        self.corvhost = hostlib.require_file(os.path.join(ARGS.native, "corvhost"), "native host")
        self.work = hostlib.temp_dir("corvane-profiles-")

    def tearDown(self):
        shutil.rmtree(self.work)

    def host(self, *args):
        return subprocess.run([self.corvhost] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              universal_newlines=True, timeout=120)

    def test_the_list_names_every_profile_and_a_host_of_the_other_bitness_is_refused(self):
        listed = self.host("--host-profile", "list")
        self.assertEqual([line.split()[0] for line in listed.stdout.splitlines()], PROFILES)
        refused = self.host("--host-profile", "photodemon", "in.png", "out.png")
        self.assertEqual(refused.returncode, 2)
        self.assertIn("32-bit host", refused.stderr)
        self.assertEqual(self.host("--host-profile", "gimp", "in.png", "out.png").returncode, 2)

    def test_repeated_runs_with_unloads_and_parameters_every_time_keep_working(self):
        # Under the sanitizers this also shows that nothing leaks.
        source = os.path.join(self.work, "in.png")
        hostlib.sample_gradient(source)
        for profile in ("pspi", "irfanview", "affinity"):
            with self.subTest(profile=profile):
                run = self.host("--quiet", "--host-profile", profile, "--runs", "3", source,
                                os.path.join(self.work, profile + ".png"))
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertEqual(run.stdout.count("selector 3 result 0"), 3)

    def test_every_profile_renders_the_default_hosts_image(self):
        for profile in PROFILES:
            if profile in THIRTY_TWO_BIT:
                continue
            for name in MATRIX:
                with self.subTest(profile=profile, case=name):
                    out = golden_cases.render(self.corvhost, name, self.work, ["--host-profile", profile])[0]
                    golden = os.path.join(golden_cases.GOLDEN_DIR, os.path.basename(out))
                    # A host that clips to the selection itself rounds once more.
                    tolerance = 1 if profile == "pspi" and name == "rgb8-mask" else 0
                    self.assertLessEqual(max_difference(hostlib.read_png_pixels(out),
                                                        hostlib.read_png_pixels(golden)), tolerance)


class WineProfiles(unittest.TestCase):
    """One Wine session per bitness. 64-bit: every profile over the golden
    cases without the dialog, and with it over two of them, several cases in
    one host run where the options allow. 32-bit: each profile once without
    and once with the dialog over one picture, and the dialog accepted over
    the golden cases."""

    @classmethod
    def setUpClass(cls):
        cls.dir = hostlib.temp_dir("corvane-wine-profiles-")
        cls.sessions = {}
        cls.image = os.path.join(cls.dir, "picture.png")
        rows = [[((x * 7 + y * 3 + c * 60) % 256) for x in range(160) for c in range(3)] for y in range(120)]
        hostlib.write_png(cls.image, 160, 120, rows)

    @classmethod
    def tearDownClass(cls):
        for session in cls.sessions.values():
            session.__exit__(None, None, None)
        shutil.rmtree(cls.dir)

    def session(self, bits):
        if bits not in self.sessions:
            folder = ARGS.win32 if bits == 32 else ARGS.win64
            self.sessions[bits] = hostlib.WineSession(folder, bits).__enter__()
            hostlib.clear_settings(self.sessions[bits])
        return self.sessions[bits]

    def run_profile(self, profile, bits, swatch):
        session = self.session(bits)
        hostlib.clear_settings(session)
        tag = profile or "default"
        out, preview = [os.path.join(self.dir, "%s-%d-%s.png" % (tag, bits, kind)) for kind in ("out", "preview")]
        steps = hostlib.SEPARATE_WINDOWS + ["wait", "click interface %d" % ZOOM_OUT, "wait",
                                            "click interface %d" % ZOOM_OUT, "wait",
                                            "capture-client preview %s" % W(preview)]
        x, y = swatch
        steps += ["mouse interface ldown %d %d" % (x, y)]
        if profile == "pspi":  # its picker refuses: the system colour dialog stands in
            steps += ["answer \"Color\" Cancel"]
        steps += ["mouse interface lup %d %d" % (x, y), "ok"]
        args = (["--host-profile", profile] if profile else []) + [W(self.image), W(out)]
        run = hostlib.run_dialog(session, self.dir, steps, args, name=tag + "-script.txt")
        self.assertEqual(run.result.code, 0, "%s: %s" % (tag, run.result))
        plain = os.path.join(self.dir, "%s-%d-plain.png" % (tag, bits))
        hostlib.clear_settings(session)
        if profile in ALWAYS_SHOW:
            result = hostlib.run_dialog(session, self.dir, ["ok"], args[:-1] + [W(plain)], name=tag + "-ok.txt").result
        else:
            result = session.run_host(["--quiet", "--play-option", "dontshow"] + args[:-1] + [W(plain)])
        self.assertEqual(result.code, 0, "%s: %s" % (tag, result))
        return hostlib.png_rows(preview), hostlib.read_png_pixels(out), hostlib.read_png_pixels(plain)

    def swatch(self):
        if not hasattr(WineProfiles, "swatch_centre"):
            probe = hostlib.run_dialog(self.session(64), self.dir, ["rect interface %d" % SWATCH, "cancel"],
                                       [W(self.image)])
            x, y, w, h = probe.rect("interface", SWATCH)
            WineProfiles.swatch_centre = (x + w // 2, y + h // 2)
        return WineProfiles.swatch_centre

    def check_profiles(self, bits):
        default_preview, default_final, default_plain = self.run_profile(None, bits, self.swatch())
        for profile in PROFILES:
            if (32 if profile in THIRTY_TWO_BIT else 64) != bits:
                continue
            with self.subTest(profile=profile):
                preview, final, plain = self.run_profile(profile, bits, self.swatch())
                self.assertEqual(preview, default_preview, "the preview at 50% is our host's")
                self.assertEqual(plain, default_plain, "without the dialog")
                # A picker that answers gives the host's colour; one that
                # refuses or keeps the colour leaves the plug-in's.
                expected = default_plain if profile in ALWAYS_SHOW else default_final
                self.assertEqual(final, expected)
        return default_plain

    def matrix_inputs(self):
        """The golden cases' inputs, written once: {case: path} and the mask."""
        if not hasattr(WineProfiles, "inputs"):
            folder = os.path.join(self.dir, "inputs")
            os.makedirs(folder)
            WineProfiles.inputs = {}
            for name in MATRIX:
                channels, depth = golden_cases.CASES[name][:2]
                WineProfiles.inputs[name] = os.path.join(folder, name + ".png")
                golden_cases._image(WineProfiles.inputs[name], channels, depth)
            WineProfiles.mask = os.path.join(folder, "mask.png")
            golden_cases._mask(WineProfiles.mask)
        return WineProfiles.inputs

    def batch(self, profile, names, extra, kind, steps=None, bits=64):
        """One host run over several cases; with steps, a dialog for each.
        {case: (render, preview or None)} and the printed lines."""
        session = self.session(bits)
        tag = "%s-%s-%s-%d" % (profile or "default", kind, names[0], bits)
        out = os.path.join(self.dir, tag)
        previews = {n: os.path.join(self.dir, "%s-%s-preview.png" % (tag, n)) for n in names}
        args = (["--host-profile", profile] if profile else []) + extra + \
            ["--output-dir", W(out)] + [W(self.matrix_inputs()[n]) for n in names]
        if steps is None and profile not in ALWAYS_SHOW:
            run = session.run_host(["--quiet", "--play-option", "dontshow"] + args)
            lines = run.stdout.splitlines()
        else:
            script = [step.replace("{preview}", W(previews[n])) for n in names for step in (steps or ["ok"])]
            dialog = hostlib.run_dialog(session, self.dir, script, ["--dialog-every-file"] + args,
                                        name=tag + ".txt")
            run, lines = dialog.result, dialog.lines
        self.assertEqual(run.code, 0, "%s: %s" % (tag, run))
        return {n: (hostlib.read_png_pixels(os.path.join(out, n + ".png")),
                    hostlib.png_rows(previews[n]) if "{preview}" in str(steps) else None) for n in names}, lines

    def matrix_renders(self, profile, kind, steps=None, bits=64):
        """The matrix's renders in three host runs: plain, as a layer, masked."""
        if steps:
            hostlib.clear_settings(self.session(bits))
        renders, _ = self.batch(profile, ["grey8", "rgb8"], [], kind, steps, bits)
        renders.update(self.batch(profile, ["rgba16-layer"], ["--layer"], kind, steps, bits)[0])
        renders.update(self.batch(profile, ["rgb8-mask"], ["--mask", W(self.mask)], kind, steps, bits)[0])
        return renders

    def no_dialog_renders(self, profile):
        return self.matrix_renders(profile, "plain")

    def dialog_renders(self, profile):
        """The dialog half on two cases in one run: zoomed out twice, the
        host's window clicked, the swatch clicked, accepted."""
        x, y = self.swatch()
        steps = hostlib.SEPARATE_WINDOWS + ["wait", "click interface %d" % ZOOM_OUT, "wait",
                                            "click interface %d" % ZOOM_OUT, "wait",
                                            "capture-client preview {preview}"]
        if profile:
            steps += ["click-host"]
        steps += ["mouse interface ldown %d %d" % (x, y)]
        if profile == "pspi":  # its picker refuses: the system colour dialog stands in
            steps += ["answer \"Color\" Cancel"]
        steps += ["mouse interface lup %d %d" % (x, y), "ok"]
        return self.batch(profile, ["grey8", "rgb8"], [], "dialog", steps)

    def test_every_64_bit_host_renders_and_previews_the_image_matrix_as_our_host_does(self):
        profiles = [p for p in PROFILES if p not in THIRTY_TWO_BIT]
        hostlib.clear_settings(self.session(64))
        # Without the dialog every build renders the golden images; the
        # hosts that always show it are checked so natively.
        for profile in profiles:
            if profile in ALWAYS_SHOW:
                continue
            with self.subTest(profile=profile, half="no dialog"):
                plain = self.no_dialog_renders(profile)
                for name in MATRIX:
                    golden = hostlib.read_png_pixels(os.path.join(golden_cases.GOLDEN_DIR, name + ".png"))
                    self.assertEqual(plain[name][0], golden, name)
        # A dialog accepted unchanged renders grey unlike dontshow.
        accepted, _ = self.batch(None, ["grey8", "rgb8"], [], "accepted", ["ok"])
        # Each dialog starts from the colour the one before accepted. A
        # refusing picker keeps it: pspi goes first, while that is still the
        # one accepted unchanged, and our host follows twice, the second time
        # from the colour its picker gives, as every later host does.
        pspi, lines = self.dialog_renders("pspi")
        self.assertEqual(lines.count("click-host delivered"), 2)
        self.assertIn("host window click during the filter call: a second call refused", lines)
        first, _ = self.dialog_renders(None)
        # Without descriptors pspi's second dialog starts from the colour
        # kept, not from the one our host picked for the first.
        self.assertEqual(pspi["grey8"][1], first["grey8"][1], "pspi's preview is our host's")
        default, _ = self.dialog_renders(None)
        for name in ("grey8", "rgb8"):
            self.assertEqual(pspi[name][0], accepted[name][0], name)
        for profile in profiles:
            if profile == "pspi":
                continue
            with self.subTest(profile=profile, half="dialog"):
                renders, lines = self.dialog_renders(profile)
                self.assertEqual(lines.count("click-host refused: the host window is disabled"), 2)
                for name in ("grey8", "rgb8"):
                    self.assertEqual(renders[name][1], default[name][1], "the preview of %s" % name)
                    self.assertEqual(renders[name][0], default[name][0], name)

    def test_the_host_window_is_usable_again_after_cancel_and_a_failed_render(self):
        # One host calls the filter on its window's thread, the other on one of its own.
        for profile, end, extra in (("photoshop", "cancel", []), ("psfilterpdn", "ok", ["--abort-after", "1"])):
            with self.subTest(profile=profile, end=end):
                out = os.path.join(self.dir, "%s-%s.png" % (profile, end))
                run = hostlib.run_dialog(self.session(64), self.dir, ["wait", "click-host", end],
                                         ["--host-profile", profile] + extra + [W(self.image), W(out)],
                                         name="usable.txt")
                self.assertIn("click-host refused: the host window is disabled", run.lines)
                self.assertEqual(run.result.code, 1, run.result)
                self.assertNotIn("left the host window disabled", run.result.stderr)

    def test_the_32_bit_hosts_preview_and_render_the_image_matrix_as_our_host_does(self):
        hostlib.require_32_bit_programs()
        plain = self.check_profiles(32)
        self.assertEqual(plain, self.run_profile(None, 64, self.swatch())[2], "both bitnesses render alike")
        # They always show the dialog: accepted unchanged over the matrix,
        # each run from cleared settings, as our 32-bit host does.
        default = self.matrix_renders(None, "accepted", ["ok"], bits=32)
        for profile in THIRTY_TWO_BIT:
            with self.subTest(profile=profile):
                self.assertEqual(self.matrix_renders(profile, "accepted", ["ok"], bits=32), default)


if __name__ == "__main__":
    sys.exit(hostlib.run_unittests([NativeProfiles, WineProfiles]))
