"""Shared support of the end-to-end tests: command-line arguments, the Wine
session that runs the Windows host and plug-in, PNG comparison helpers.

Every test script gets --win64 DIR --win32 DIR --native DIR --source DIR,
and --bits 32 to run its Wine half with the 32-bit host and plug-in.
A missing tool or build product is an error, never a skip."""
import argparse
import errno
import fcntl
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

WINE = "/usr/lib/wine/wine64"
WINE32 = "/usr/lib/wine/wine"  # Debian's wine32:i386
WINESERVER_CANDIDATES = ("/usr/lib/wine/wineserver64", "/usr/lib/wine/wineserver")
REGISTRY_KEY = r"HKCU\SOFTWARE\Veskary\Photoshop\CorvaneII"
WINE_PREFIX_SCRIPT = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                  "scripts", "wine-prefix")


# Xvfb's screen, width and height, unless a run asks for another.
SCREEN = (1280, 1024)


class ToolMissing(RuntimeError):
    pass


def parse_args(argv=None):
    parser = argparse.ArgumentParser()
    parser.add_argument("--win64", default="")
    parser.add_argument("--win32", default="")
    parser.add_argument("--arm64", default="")
    parser.add_argument("--native", default="")
    parser.add_argument("--source", default=os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
    parser.add_argument("--bits", type=int, choices=(64, 32), default=64,
                        help="bitness of the Windows host and plug-in the Wine runs use")
    args, rest = parser.parse_known_args(argv)
    return args, rest


def source_path(args, *parts):
    return os.path.join(args.source, *parts)


def require_file(path, what):
    if not path or not os.path.isfile(path):
        raise ToolMissing("%s not found: %r" % (what, path))
    return path


def require_32_bit_programs():
    """32-bit Windows programs need 32-bit Wine (scripts/setup installs it) and
    a kernel that runs 32-bit Linux programs. A machine without either fails
    the 32-bit tests: the 32-bit hosts are half of what we test."""
    loader = require_file(WINE32, "32-bit Wine (Debian's wine32:i386, scripts/setup)")
    try:
        subprocess.run([loader, "--version"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    except OSError as error:
        reason = "its kernel does not run them" if error.errno == errno.ENOEXEC else str(error)
        raise ToolMissing("this machine cannot run 32-bit programs (%s: %s)" % (loader, reason))


def script_name():
    """The running test script's name: it names the script's own Wine prefix."""
    return os.path.splitext(os.path.basename(sys.argv[0]))[0] or "session"


PREFIX_MARKER = ".corvane-prefix-2"  # as scripts/wine-prefix writes it
# Wine's own programs and libraries, which no run writes to: the copies share
# them with the shared prefix instead of taking 700 MB each.
PREFIX_SHARED_FOLDERS = ("system32", "syswow64", "winsxs")


def copy_prefix(shared, prefix):
    """A copy of the prepared shared prefix, its marker written last so that an
    interrupted copy is made again."""
    shutil.rmtree(prefix, ignore_errors=True)

    def link_or_copy(source, target):
        parts = os.path.relpath(source, shared).split(os.sep)
        if len(parts) > 3 and parts[:2] == ["drive_c", "windows"] and parts[2].lower() in PREFIX_SHARED_FOLDERS:
            os.link(source, target)
        else:
            shutil.copy2(source, target)

    shutil.copytree(shared, prefix, symlinks=True, copy_function=link_or_copy,
                    ignore=shutil.ignore_patterns(PREFIX_MARKER))
    open(os.path.join(prefix, PREFIX_MARKER), "w").close()


_display = None


def display_number():
    """An X display number of this process's own for its X servers, held by a
    lock for the process's life. xvfb-run's own search (-a) races when
    scripts start servers at the same moment: both pick the same number."""
    global _display
    if _display is None:
        for number in range(200, 1000):
            if os.path.exists("/tmp/.X%d-lock" % number):
                continue
            lock = open("/tmp/corvane-display-%d.lock" % number, "w")
            try:
                fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            except OSError:
                lock.close()
                continue
            _display = (number, lock)
            break
        else:
            raise ToolMissing("no free X display number in 200-999")
    return _display[0]


def windows_path(path):
    """A Unix path as the Windows programs under Wine see it (drive Z:)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WineSession:
    """A Wine prefix of this test script's own inside the build folder of the
    given bitness (64 or 32), and one persistent wineserver for the whole test
    run. With a prefix each, test scripts run side by side: each has its own
    server and registry. A machine that cannot run 32-bit programs fails the
    32-bit tests."""

    def __init__(self, win_dir, bits=64, screen=SCREEN):
        if os.environ.get("CORVANE_E2E_NATIVE_ONLY"):
            # The sanitized build reruns the scripts for their native host runs;
            # its Windows builds are the same as the plain run's.
            raise unittest.SkipTest("native host runs only")
        self.default_screen = screen
        self.win_dir = os.path.abspath(win_dir or "")
        self.bits = bits
        if bits == 32:
            require_32_bit_programs()
        self.host = require_file(os.path.join(self.win_dir, "corvhost.exe"), "%d-bit host" % bits)
        self.plugin = require_file(os.path.join(self.win_dir, "CorvaneII.8bf"), "%d-bit plug-in" % bits)
        self.wine = require_file(WINE if bits == 64 else WINE32,
                                 "wine64" if bits == 64 else "32-bit Wine (Debian's wine32:i386, scripts/setup)")
        self.wineserver = next((p for p in WINESERVER_CANDIDATES if os.path.isfile(p)), None)
        if not self.wineserver:
            raise ToolMissing("wineserver not found in /usr/lib/wine")
        self.xvfb_run = shutil.which("xvfb-run")
        if not self.xvfb_run:
            raise ToolMissing("xvfb-run not found")
        self.env = dict(os.environ)
        self.env["WINEDEBUG"] = "-all"
        self.env["WINEPREFIX"] = os.path.join(self.win_dir, "wineprefix-" + script_name())
        self.env["WINEDLLOVERRIDES"] = "mscoree,mshtml="  # no Mono/Gecko installers
        self.started = False
        self.screen = screen

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        prefix = self.env["WINEPREFIX"]
        if not os.path.isfile(os.path.join(prefix, PREFIX_MARKER)):
            print("setting up the Wine prefix %s (first run only)" % prefix, flush=True)
            copy_prefix(self.shared_prefix(), prefix)
        # A server that is still up (after wineboot, or left over from an
        # interrupted run) refuses -p: replace it with a persistent one.
        if subprocess.run([self.wineserver, "-p"], env=self.env, timeout=60).returncode != 0:
            subprocess.run([self.wineserver, "-k"], env=self.env, timeout=60)
            subprocess.run([self.wineserver, "-w"], env=self.env, timeout=60)
            subprocess.run([self.wineserver, "-p"], env=self.env, check=True, timeout=60)
        self.started = True

    def shared_prefix(self):
        """The prefix every script's own one is copied from, made once under a
        lock: scripts that start together wait for the first to make it."""
        shared = os.path.join(self.win_dir, "wineprefix")
        env = dict(self.env, WINEPREFIX=shared)
        with open(shared + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            subprocess.run([WINE_PREFIX_SCRIPT], env=env, check=True, timeout=600)
        return shared

    def stop(self):
        if self.started:
            subprocess.run([self.wineserver, "-k"], env=self.env, timeout=60)
            self.started = False

    def run(self, program_and_args, timeout=180, screen=None):
        # Every program runs under its own X server, also when no dialog is
        # expected: the first Wine process of a persistent server fixes the
        # desktop's display, and one started without any leaves later runs
        # with windows that never appear. For the same reason another screen
        # size needs a new server.
        screen = screen or self.default_screen
        if self.started and screen != self.screen:
            self.stop()
            self.start()
        self.screen = screen
        command = [self.xvfb_run, "-n", str(display_number()), "-s", "-screen 0 %dx%dx24" % screen,
                   self.wine] + list(program_and_args)
        # Files, not pipes: Wine's helper processes inherit the handles and
        # outlive the program, so a pipe would never reach its end.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                  timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            return Result(code, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace"))

    def run_host(self, args, timeout=180, screen=None):
        """corvhost.exe with the plug-in of the session's bitness."""
        return self.run([self.host, "--plugin", windows_path(self.plugin)] + list(args), timeout, screen)

    def reg(self, *args):
        return self.run(["reg"] + list(args))


def wine_session(args, **options):
    """A Wine session of the bitness the run asks for (--bits)."""
    return WineSession(args.win32 if args.bits == 32 else args.win64, args.bits, **options)


class Result:
    def __init__(self, code, stdout, stderr):
        self.code = code
        self.stdout = stdout
        self.stderr = stderr

    def selector_results(self):
        """{selector: result} from the host's "selector N result R" lines."""
        results = {}
        for line in self.stdout.splitlines():
            parts = line.split()
            if len(parts) == 4 and parts[0] == "selector" and parts[2] == "result":
                results[int(parts[1])] = int(parts[3])
        return results

    def requests(self):
        """{selector: (in, out, mask)} rectangles, each a (top, left, bottom, right) tuple."""
        requests = {}
        for line in self.stdout.splitlines():
            parts = line.split()
            if len(parts) == 9 and parts[0] == "selector" and parts[2] == "request":
                requests[int(parts[1])] = tuple(tuple(int(n) for n in parts[i].split(",")) for i in (4, 6, 8))
        return requests

    def dialogs(self):
        return [line for line in self.stdout.splitlines() if line.startswith("dialog ")]

    def __str__(self):
        return "exit %d\n--- stdout\n%s--- stderr\n%s" % (self.code, self.stdout, self.stderr)


def write_png(path, width, height, rows, channels=3, depth=8):
    """rows: list of lists of samples, channels interleaved."""
    colour_type = {1: 0, 2: 4, 3: 2, 4: 6}[channels]
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for value in row:
            raw.extend(struct.pack(">H", value) if depth == 16 else bytes([value]))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw))))
        f.write(chunk(b"IEND", b""))


def _unfilter(kind, line, previous, bpp):
    """One scanline with its PNG row filter undone (types 0 to 4)."""
    out = bytearray(line)
    for i in range(len(out)):
        left = out[i - bpp] if i >= bpp else 0
        up = previous[i]
        if kind == 1:
            predictor = left
        elif kind == 2:
            predictor = up
        elif kind == 3:
            predictor = (left + up) // 2
        elif kind == 4:
            upper_left = previous[i - bpp] if i >= bpp else 0
            p = left + up - upper_left
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
            predictor = left if pa <= pb and pa <= pc else up if pb <= pc else upper_left
        elif kind == 0:
            predictor = 0
        else:
            raise ValueError("unknown PNG row filter %d" % kind)
        out[i] = (out[i] + predictor) & 0xFF
    return bytes(out)


def read_png_pixels(path):
    """(width, height, channels, depth, raw scanline bytes without filters)
    for the non-interlaced grey, grey + alpha, RGB and RGBA PNGs this project
    writes."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s is not a PNG" % path)
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour_type = header[:4]
    if header[6] != 0:
        raise ValueError("%s is interlaced" % path)
    channels = {0: 1, 4: 2, 2: 3, 6: 4}[colour_type]
    raw = zlib.decompress(idat)
    stride = width * channels * depth // 8
    bpp = max(1, channels * depth // 8)
    rows, previous = [], bytes(stride)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        previous = _unfilter(line[0], line[1:], previous, bpp)
        rows.append(previous)
    return width, height, channels, depth, b"".join(rows)


def sample_gradient(path, width=48, height=32):
    rows = [[(x * 5 + c * 40) % 256 if c < 3 else 255 for x in range(width) for c in range(3)]
            for _ in range(height)]
    for y, row in enumerate(rows):
        for i in range(0, len(row), 3):
            row[i + 1] = (row[i + 1] + y * 7) % 256
    write_png(path, width, height, rows)
    return path


def temp_dir(prefix):
    return tempfile.mkdtemp(prefix=prefix)


def run_unittests(test_case_classes):
    """Runs the given TestCase classes verbosely; returns the exit status.
    CORVANE_E2E_TESTS=WORDS runs only the tests whose names hold those words."""
    import unittest
    suite = unittest.TestSuite()
    loader = unittest.TestLoader()
    if os.environ.get("CORVANE_E2E_TESTS"):
        loader.testNamePatterns = ["*%s*" % os.environ["CORVANE_E2E_TESTS"]]
    for cls in test_case_classes:
        suite.addTests(loader.loadTestsFromTestCase(cls))
    outcome = unittest.TextTestRunner(stream=sys.stdout, verbosity=2).run(suite)
    return 0 if outcome.wasSuccessful() else 1


# --- The plug-in's dialog, driven by our host's dialog scripts.

SETTINGS_KEY = r"HKCU\SOFTWARE\Veskary"


class DialogRun:
    """A corvhost.exe run with a dialog script: the result and the lines the
    script printed, by kind ("read", "state", "place", "rect", "items",
    "caption", "wait", "captured")."""

    def __init__(self, result):
        self.result = result
        self.lines = [line for line in result.stdout.splitlines()]

    def values(self, kind):
        import shlex
        return [shlex.split(line)[1:] for line in self.lines if line.startswith(kind + " ")]

    def read(self, window, control, occurrence=-1):
        texts = [v[2] for v in self.values("read") if v[0] == window and v[1] == str(control)]
        return texts[occurrence]

    def reads(self, window, control):
        return [v[2] for v in self.values("read") if v[0] == window and v[1] == str(control)]

    def state(self, window, control, occurrence=-1):
        return [v[2:] for v in self.values("state") if v[0] == window and v[1] == str(control)][occurrence]

    def place(self, window, occurrence=-1):
        return [tuple(int(n) for n in v[1:]) for v in self.values("place") if v[0] == window][occurrence]

    def rect(self, window, control):
        return [tuple(int(n) for n in v[2:]) for v in self.values("rect")
                if v[0] == window and v[1] == str(control)][-1]

    def waits(self):
        return [int(v[0]) for v in self.values("wait")]

    def selector(self, number=3, occurrence=-1):
        return [int(line.split()[3]) for line in self.lines
                if line.startswith("selector %d result" % number)][occurrence]


def run_dialog(session, directory, steps, args, name="script.txt", timeout=300, screen=None):
    """Writes the steps to a script in directory and runs corvhost.exe with
    it; args are the remaining host arguments (paths already Windows ones)."""
    path = os.path.join(directory, name)
    with open(path, "w") as f:
        f.write("\n".join(steps) + "\n")
    result = session.run_host(["--quiet", "--ui-script", windows_path(path)] + list(args), timeout, screen)
    return DialogRun(result)


class DialogTestCase:
    """Mixed into a unittest.TestCase: one Wine session and work folder for
    the class, no remembered settings before each test, and an image of
    IMAGE_SIZE pixels at cls.image."""

    IMAGE_SIZE = (64, 48)

    @classmethod
    def setUpClass(cls):
        args, _ = parse_args()
        cls.wine = wine_session(args).__enter__()
        cls.dir = temp_dir("corvane-%s-" % cls.__name__.lower())
        cls.image = os.path.join(cls.dir, "image.png")
        width, height = cls.IMAGE_SIZE
        rows = [[(x * 5 + y * 3 + c * 70) % 256 for x in range(width) for c in range(3)] for y in range(height)]
        write_png(cls.image, width, height, rows)

    @classmethod
    def tearDownClass(cls):
        cls.wine.__exit__(None, None, None)

    def setUp(self):
        clear_settings(self.wine)

    def path(self, name):
        return os.path.join(self.dir, name)


def clear_settings(session):
    """Forgets every remembered setting: positions, presets path, last used."""
    session.reg("delete", SETTINGS_KEY, "/f")


def set_dword(session, name, value, subkey=""):
    key = REGISTRY_KEY + ("\\" + subkey if subkey else "")
    session.reg("add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value & 0xFFFFFFFF), "/f")


def store_maximized_preview(session, screen):
    """The next dialog opens its preview maximised over a restored rectangle
    of the whole screen: Wine without a window manager gives a maximised
    window its restored size back once the X server reports its geometry."""
    width, height = screen
    for name, value in (("X", 0), ("Y", 0), ("Width", width), ("Height", height)):
        set_dword(session, "Preview Position " + name, value)
    set_dword(session, "Preview State", 3)


def set_dpi(session, dpi):
    """The dots per inch of Wine's screen (its LogPixels), for later runs:
    a new server, since the running desktop keeps the one it started with."""
    for key in (r"HKCU\Control Panel\Desktop", r"HKCC\Software\Fonts"):
        session.reg("add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    session.stop()
    session.start()


# Windows apart, so that captures of one never show the other.
SEPARATE_WINDOWS = ["move interface 0 0", "move preview 520 0", "resize preview 600 520"]


def png_rows(path):
    """(width, height, channels, rows of sample lists) of an 8-bit PNG."""
    width, height, channels, depth, data = read_png_pixels(path)
    stride = width * channels
    return width, height, channels, [list(data[y * stride:(y + 1) * stride]) for y in range(height)]
