#!/usr/bin/env python3
"""The native host as a batch tool: several files in one call, a bad file
named while the rest still run, and hostile files refused with one line and
exit status 2, never a crash or a silent success."""
import binascii
import os
import resource
import shutil
import struct
import subprocess
import sys
import unittest
import zlib

import hostlib

ARGS, _ = hostlib.parse_args()

# The 1 x 1 grey file with a transparent colour (tRNS).
GREY_WITH_TRNS = binascii.unhexlify(
    "89504e470d0a1a0a0000000d49484452000000010000000108000000003a7e9b550000000274524e5300007693cd38"
    "0000000a49444154789c636800000082008177cd72b60000000049454e44ae426082")


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_bytes(width, height, colour_type, scanlines):
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(scanlines)) + chunk(b"IEND", b""))


class Host(unittest.TestCase):
    def setUp(self):
        self.corvhost = hostlib.require_file(os.path.join(ARGS.native, "corvhost"), "native host")
        self.work = hostlib.temp_dir("corvane-batch-")

    def tearDown(self):
        shutil.rmtree(self.work)

    def path(self, *names):
        return os.path.join(self.work, *names)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def run_host(self, *args, memory_limit=None, stdin=None):
        if memory_limit and "ASAN_OPTIONS" in os.environ:
            # The address sanitizer reserves terabytes of address space.
            self.skipTest("an address space limit and the address sanitizer exclude each other")

        def limit():
            resource.setrlimit(resource.RLIMIT_AS, (memory_limit, memory_limit))
        result = subprocess.run([self.corvhost] + list(args), capture_output=True, text=True,
                                timeout=300, preexec_fn=limit if memory_limit else None, stdin=stdin)
        return hostlib.Result(result.returncode, result.stdout, result.stderr)

    def assertRefused(self, result, *fragments):
        self.assertEqual(result.code, 2, str(result))
        errors = [line for line in result.stderr.splitlines() if line.startswith("corvhost: ")]
        self.assertEqual(len(errors), 1, str(result))
        for fragment in fragments:
            self.assertIn(fragment, errors[0])


class Batch(Host):
    def inputs(self):
        os.mkdir(self.path("in"))
        a = hostlib.sample_gradient(self.path("in", "a.png"))
        c = hostlib.sample_gradient(self.path("in", "c.png"), 20, 10)
        b = self.write(os.path.join("in", "b.png"), b"not a picture")
        d = self.path("in", "d.png")
        os.mkdir(d)
        return a, b, c, d

    def test_every_readable_file_is_written_and_every_other_named(self):
        a, b, c, d = self.inputs()
        result = self.run_host("--output-dir", self.path("out"), a, b, c, d)
        self.assertEqual(result.code, 2, str(result))
        lines = result.stderr.splitlines()
        self.assertIn("[1/4] %s -> %s" % (a, self.path("out", "a.png")), lines)
        self.assertIn("[2/4] %s failed" % b, lines)
        self.assertIn("[4/4] %s failed" % d, lines)
        self.assertIn("corvhost: %s: is a folder, not a file" % d, lines)
        self.assertEqual(lines[-1], "corvhost: 2 of 4 files done; failed: %s, %s" % (b, d))
        for source in (a, c):
            single = self.path("single.png")
            self.assertEqual(self.run_host(source, single).code, 0)
            out = self.path("out", os.path.basename(source))
            self.assertEqual(hostlib.read_png_pixels(out), hostlib.read_png_pixels(single))

    def test_an_output_pattern_names_each_output_and_plane_file(self):
        a, _, c, _ = self.inputs()
        pattern = self.path("dots", "{name}-dots.png")
        result = self.run_host("--mode", "multichannel", "--planes", "2", "--output", pattern, "--plane-files",
                               self.path("dots", "{name}-plane"), a, c)
        self.assertEqual(result.code, 0, str(result))
        self.assertEqual(sorted(os.listdir(self.path("dots"))),
                         ["a-dots.png", "a-plane0.png", "a-plane1.png", "c-dots.png", "c-plane0.png", "c-plane1.png"])
        self.assertEqual(result.stderr.splitlines()[-1], "corvhost: 2 of 2 files done")

    def test_outputs_that_would_collide_or_replace_an_input_are_refused_before_any_run(self):
        a, _, _, _ = self.inputs()
        os.mkdir(self.path("other"))
        shutil.copy(a, self.path("other", "a.png"))
        for args in (["--output-dir", self.path("out"), a, self.path("other", "a.png")],
                     ["--output-dir", self.path("in"), a],
                     ["--output", self.path("out", "same.png"), a, self.path("other", "a.png")]):
            result = self.run_host(*args)
            self.assertEqual(result.code, 2, str(result))
            self.assertNotIn("selector", result.stdout)

    def test_a_cancelled_file_ends_the_batch(self):
        a, _, c, _ = self.inputs()
        result = self.run_host("--abort-after", "1", "--output-dir", self.path("out"), a, c)
        self.assertEqual(result.code, 1, str(result))
        self.assertIn("corvhost: cancelled; not processed: %s" % c, result.stderr.splitlines())
        self.assertFalse(os.path.exists(self.path("out", "c.png")))

    def test_a_picture_may_come_through_a_pipe(self):
        a, _, _, _ = self.inputs()
        with open(a, "rb") as piped:
            result = self.run_host("/dev/stdin", self.path("piped.png"), stdin=piped)
        self.assertEqual(result.code, 0, str(result))
        self.assertEqual(self.run_host(a, self.path("direct.png")).code, 0)
        self.assertEqual(hostlib.read_png_pixels(self.path("piped.png")),
                         hostlib.read_png_pixels(self.path("direct.png")))

    def test_settings_the_plug_in_did_not_take_are_named_once_and_fail_the_call(self):
        a, _, c, _ = self.inputs()
        settings = self.write("settings.txt", b"GAMA integer 2\nBLND integer 9999\nDEOU float 2\n")
        result = self.run_host("--play", settings, "--play-option", "dontshow", "--output-dir", self.path("out"), a, c)
        self.assertEqual(result.code, 2, str(result))
        self.assertEqual(result.stderr.count("the plug-in did not take"), 2, str(result))
        self.assertIn("corvhost: %s: the plug-in did not take GAMA integer 2 (the plug-in reads GAMA as a float)"
                      % settings, result.stderr.splitlines())
        self.assertIn("BLND integer 9999 (the plug-in kept integer", result.stderr)
        self.assertTrue(os.path.exists(self.path("out", "c.png")))


def png_chunks(path):
    with open(path, "rb") as f:
        data = f.read()
    chunks, at = {}, 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        chunks[kind] = data[at + 8:at + 8 + length]
        at += 12 + length
    return chunks


def tiff_bits_per_sample(path):
    """The first value of tag 258 in a little-endian TIFF's first directory."""
    with open(path, "rb") as f:
        data = f.read()
    directory, = struct.unpack("<I", data[4:8])
    count, = struct.unpack("<H", data[directory:directory + 2])
    for entry in range(directory + 2, directory + 2 + 12 * count, 12):
        tag, _, values, value = struct.unpack("<HHII", data[entry:entry + 12])
        if tag == 258:
            at = value if values > 2 else entry + 8
            return struct.unpack("<H", data[at:at + 2])[0]
    return None


class Photographs(Host):
    """JPEG and TIFF beside PNG, each file keeping its format and what it
    carries besides pixels, and a batch telling only what people need."""

    def photographs(self):
        os.mkdir(self.path("in"))
        png = hostlib.sample_gradient(self.path("in", "source.png"))
        jpeg, tiff = self.path("in", "photo.jpg"), self.path("in", "scan.tif")
        self.assertEqual(self.run_host(png, jpeg).code, 0)
        rows = [[(x * 1000 + y * 300 + c * 9000) % 65536 for x in range(40) for c in range(3)] for y in range(30)]
        hostlib.write_png(self.path("in", "deep.png"), 40, 30, rows, depth=16)
        self.assertEqual(self.run_host(self.path("in", "deep.png"), tiff).code, 0)
        return jpeg, tiff

    def test_a_batch_keeps_each_photograph_in_its_format_and_a_16_bit_tiff_at_16_bits(self):
        jpeg, tiff = self.photographs()
        result = self.run_host("--quality", "80", "--output-dir", self.path("out"), jpeg, tiff)
        self.assertEqual(result.code, 0, str(result))
        self.assertEqual(result.stdout, "", "no selector lines in a batch")
        self.assertEqual(result.stderr.splitlines(), ["[1/2] %s -> %s" % (jpeg, self.path("out", "photo.jpg")),
                                                      "[2/2] %s -> %s" % (tiff, self.path("out", "scan.tif")),
                                                      "corvhost: 2 of 2 files done"])
        with open(self.path("out", "photo.jpg"), "rb") as f:
            self.assertEqual(f.read(3), b"\xff\xd8\xff")
        self.assertEqual(tiff_bits_per_sample(self.path("out", "scan.tif")), 16)
        verbose = self.run_host("--verbose", "--output-dir", self.path("verbose"), jpeg)
        self.assertIn("selector 2 result 0", verbose.stdout)

    def test_the_profile_and_exif_data_travel_through_a_run(self):
        profile = bytes(132) + bytes(range(256)) * 2
        profile = struct.pack(">I", len(profile)) + profile[4:12] + b"mntrRGB XYZ " + profile[24:36] + b"acsp" + \
            profile[40:68] + struct.pack(">III", 0xF6D6, 0x10000, 0xD32D) + profile[80:128] + bytes(4) + profile[132:]
        exif = b"II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0"
        plain = hostlib.sample_gradient(self.path("plain.png"))
        with open(plain, "rb") as f:
            data = f.read()
        at = data.index(b"IDAT") - 4
        source = self.write("camera.png", data[:at] + chunk(b"iCCP", b"camera\0\0" + zlib.compress(profile)) +
                            chunk(b"eXIf", exif) + data[at:])
        for output in ("through.jpg", "through.tif", "back.png"):
            self.assertEqual(self.run_host(source if output != "back.png" else self.path("through.tif"),
                                           self.path(output)).code, 0)
        chunks = png_chunks(self.path("back.png"))
        self.assertEqual(zlib.decompress(chunks[b"iCCP"].split(b"\0", 1)[1][1:]), profile)
        self.assertEqual(chunks[b"eXIf"], exif)

    def test_quiet_shows_only_errors_and_the_summary(self):
        jpeg, _ = self.photographs()
        with open(jpeg, "rb") as f:
            data = f.read()
        truncated = self.write("truncated.jpg", data[:len(data) // 2])
        result = self.run_host("--quiet", "--output-dir", self.path("out"), truncated, jpeg)
        self.assertEqual(result.code, 2, str(result))
        self.assertEqual(len(result.stderr.splitlines()), 2, str(result))
        self.assertTrue(result.stderr.startswith("corvhost: %s: " % truncated), str(result))
        self.assertEqual(result.stderr.splitlines()[-1], "corvhost: 1 of 2 files done; failed: %s" % truncated)


class HostileFiles(Host):
    def test_a_transparent_colour_reads_as_alpha_in_the_image_and_the_mask(self):
        source = self.write("trns.png", GREY_WITH_TRNS)
        result = self.run_host(source, self.path("out.png"))
        self.assertEqual(result.code, 0, str(result))
        _, _, channels, _, pixels = hostlib.read_png_pixels(self.path("out.png"))
        self.assertEqual((channels, pixels[1]), (2, 255), "grey and an opaque alpha: 128 is not the transparent 0")
        result = self.run_host("--mask", source, source, self.path("masked.png"))
        self.assertEqual(result.code, 0, str(result))

    def test_a_folder_given_as_a_file_is_refused_by_name(self):
        image = hostlib.sample_gradient(self.path("in.png"))
        folder = self.path("folder")
        os.mkdir(folder)
        for args in ([folder, self.path("out.png")], ["--mask", folder, image, self.path("out.png")],
                     ["--list-pipl", folder], ["--play", folder, image, self.path("out.png")]):
            self.assertRefused(self.run_host(*args), folder + ": is a folder, not a file")

    def test_a_size_the_data_cannot_hold_is_refused_as_too_large_also_with_little_memory(self):
        source = self.write("huge.png", png_bytes(32767, 32767, 2, b"\0" * 30))
        self.assertLess(os.path.getsize(source), 100)
        for limit in (None, 256 << 20):
            self.assertRefused(self.run_host(source, self.path("out.png"), memory_limit=limit), source, "too large")

    def test_a_run_beyond_the_memory_left_is_refused_as_too_large(self):
        source = self.write("big.png", png_bytes(10000, 10000, 0, bytes(10001 * 10000)))
        result = self.run_host(source, self.path("out.png"), memory_limit=256 << 20)
        self.assertRefused(result, source, "10000 x 10000 pixels is too large")
        self.assertFalse(os.path.exists(self.path("out.png")))

    def test_damaged_data_is_refused(self):
        data = bytearray(png_bytes(4, 4, 0, bytes(range(20))))
        data[-20] ^= 0x10  # inside the IDAT chunk
        source = self.write("damaged.png", bytes(data))
        self.assertRefused(self.run_host(source, self.path("out.png")), source, "damaged image data")


if __name__ == "__main__":
    sys.exit(hostlib.run_unittests([Batch, Photographs, HostileFiles]))
