#!/usr/bin/env python3
"""Static checks of the three built plug-ins (32-bit x86, 64-bit x86, ARM64), as a host sees them before loading
any code: the one export, the DLLs imported, the PE machine, the property
list byte for byte (read back through our host's --list-pipl and through an
independent reader here), the version resource Windows shows (read here and
by Debian's pefile), the About box, the dialog templates of the interface,
the preview window and "save as" control by control, icon and cursor, and
SSE2-only floating point in the 32-bit build.

With --plugin ARCH=FILE (repeatable) the checks of a single file run on the
given files instead of the build folders: the release package checks what it
ships that way."""

import argparse
import collections
import glob
import os
import re
import struct
import subprocess
import sys

try:
    import pefile
except ImportError:
    # Debian's package lives outside the paths of a separately installed
    # Python.
    sys.path.append('/usr/lib/python3/dist-packages')
    import pefile

SYSTEM_DLLS = {'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'comdlg32.dll', 'comctl32.dll',
               'msvcrt.dll', 'ucrtbase.dll'}

# x87 instructions that round a result; loads, stores, sign operations and
# the integer conversions GCC emits for 64-bit integers on i686 are exact.
X87_ARITHMETIC = re.compile(r'^f(i?add|i?sub|i?subr|i?mul|i?div|i?divr|sqrt|sin|cos|sincos|ptan|patan|'
                            r'2xm1|yl2x|yl2xp1|scale|prem1?|rndint|xtract)p?[slt]?$')

# The C runtime's sine, cosine and power run on the x87 unit; the plug-ins
# carry their own, so none of these may be linked in.
X87_TRANSCENDENTAL = re.compile(r'^f(sin|cos|sincos|ptan|patan|2xm1|yl2x|yl2xp1)$')

RT_CURSOR_GROUP, RT_DIALOG, RT_ICON_GROUP, RT_VERSION = 12, 5, 14, 16
LANGUAGE_EN_US = 1033

# Window, dialog and control styles (winuser.h, commctrl.h).
WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_BORDER, WS_VSCROLL, WS_SYSMENU = 0x00C00000, 0x00800000, 0x00200000, 0x00080000
WS_THICKFRAME, WS_MINIMIZEBOX = 0x00040000, 0x00020000
WS_MAXIMIZEBOX = WS_TABSTOP = 0x00010000   # one bit: a window's maximize box, a control's tab stop
DS_ABSALIGN, DS_SETFONT, DS_MODALFRAME, DS_CENTER = 0x01, 0x40, 0x80, 0x800
WS_EX_NOPARENTNOTIFY, WS_EX_CLIENTEDGE, WS_EX_STATICEDGE = 0x04, 0x200, 0x20000
BS_TYPE, BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX = 0x0F, 0, 1, 3, 7
ES_CENTER, ES_RIGHT, ES_AUTOHSCROLL = 0x01, 0x02, 0x80
SS_TYPE, SS_LEFT, SS_CENTER = 0x1F, 0, 1
CBS_TYPE, CBS_DROPDOWNLIST, CBS_SORT = 0x03, 0x03, 0x100
TBS_VERT, TBS_NOTICKS = 0x02, 0x10
BUTTON, EDIT, STATIC, COMBOBOX, TRACKBAR = 0x80, 0x81, 0x82, 0x85, 'msctls_trackbar32'

# What makes each kind of control: its class, the style bits that decide the
# kind under a mask (WS_VISIBLE among them, so a shown control is never taken
# for a hidden one) and the extended style.
SHOWN_TAB = WS_VISIBLE | WS_TABSTOP
EDIT_BITS = ES_CENTER | ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER | SHOWN_TAB
LIST_BITS = CBS_TYPE | CBS_SORT | WS_VSCROLL | SHOWN_TAB
KINDS = {
    'default': (BUTTON, BS_TYPE | SHOWN_TAB, BS_DEFPUSHBUTTON | SHOWN_TAB, 0),
    'button': (BUTTON, BS_TYPE | SHOWN_TAB, BS_PUSHBUTTON | SHOWN_TAB, 0),
    'check': (BUTTON, BS_TYPE | SHOWN_TAB, BS_AUTOCHECKBOX | SHOWN_TAB, 0),
    'group': (BUTTON, BS_TYPE | WS_VISIBLE, BS_GROUPBOX | WS_VISIBLE, 0),
    'edit': (EDIT, EDIT_BITS, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | SHOWN_TAB, 0),
    'name edit': (EDIT, EDIT_BITS, ES_AUTOHSCROLL | WS_BORDER | SHOWN_TAB, 0),
    'slider': (TRACKBAR, TBS_VERT | TBS_NOTICKS | SHOWN_TAB, TBS_NOTICKS | SHOWN_TAB, 0),
    'label': (STATIC, SS_TYPE | WS_VISIBLE, SS_CENTER | WS_VISIBLE, WS_EX_CLIENTEDGE),
    'text': (STATIC, SS_TYPE | WS_VISIBLE, SS_LEFT | WS_VISIBLE, 0),
    'hidden': (STATIC, WS_VISIBLE, 0, WS_EX_STATICEDGE),
    'frame': (STATIC, WS_VISIBLE, 0, 0),
    'sorted list': (COMBOBOX, LIST_BITS, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | SHOWN_TAB, 0),
    'list': (COMBOBOX, LIST_BITS, CBS_DROPDOWNLIST | WS_VSCROLL | SHOWN_TAB, 0),
}

# The interface dialog in template (tab) order: id, kind, caption, x, y, width, height.
INTERFACE_CONTROLS = [
    (1, 'default', 'OK', 223, 268, 50, 14),
    (2, 'button', 'Cancel', 223, 283, 50, 14),
    (1011, 'slider', 'Slider1', 50, 10, 178, 16),
    (1013, 'edit', '', 228, 12, 42, 13),
    (1025, 'slider', 'Slider1', 50, 26, 177, 16),
    (1028, 'edit', '', 228, 28, 41, 13),
    (1027, 'slider', 'Slider1', 50, 43, 177, 16),
    (1030, 'edit', '', 228, 44, 41, 13),
    (1014, 'slider', 'Slider1', 50, 60, 177, 16),
    (1060, 'edit', '', 228, 61, 41, 13),
    (1061, 'slider', 'Slider1', 50, 77, 177, 16),
    (1063, 'edit', '', 228, 78, 41, 13),
    (1075, 'button', 'randomize', 4, 95, 46, 13),
    (1073, 'slider', 'Slider1', 50, 94, 177, 16),
    (1074, 'edit', '', 228, 95, 41, 13),
    (1018, 'edit', '', 4, 134, 30, 13),
    (-1, 'group', 'Offsets', 1, 109, 135, 72),
    (1024, 'edit', '', 104, 134, 30, 13),
    (1021, 'edit', '', 4, 165, 30, 13),
    (1034, 'edit', '', 104, 165, 30, 13),
    (1064, 'slider', 'Slider1', 139, 115, 131, 15),
    (1066, 'edit', '', 209, 130, 46, 13),
    (1036, 'edit', '', 4, 193, 30, 13),
    (1037, 'edit', '', 4, 206, 30, 13),
    (1042, 'edit', '', 104, 193, 30, 13),
    (1043, 'edit', '', 104, 206, 30, 13),
    (1039, 'edit', '', 4, 224, 30, 13),
    (1040, 'edit', '', 4, 237, 30, 13),
    (1045, 'edit', '', 104, 224, 30, 13),
    (1046, 'edit', '', 104, 237, 30, 13),
    (1048, 'edit', '', 140, 193, 30, 13),
    (1049, 'edit', '', 140, 206, 30, 13),
    (1054, 'edit', '', 240, 193, 30, 13),
    (1055, 'edit', '', 240, 206, 30, 13),
    (1051, 'edit', '', 140, 224, 30, 13),
    (1052, 'edit', '', 140, 237, 30, 13),
    (1057, 'edit', '', 240, 224, 30, 13),
    (1058, 'edit', '', 240, 237, 30, 13),
    (1071, 'check', 'antialias', 5, 266, 39, 14),
    (1006, 'button', '-', 105, 260, 21, 17),
    (1005, 'button', '+', 156, 260, 21, 17),
    (1001, 'sorted list', '', 86, 278, 114, 86),
    (1002, 'button', 'save ...', 86, 290, 37, 11),
    (1003, 'button', 'delete', 123, 290, 39, 11),
    (1015, 'button', 'open ...', 162, 290, 37, 11),
    (1004, 'hidden', 'Color', 183, 160, 85, 18),
    (1007, 'label', '', 127, 262, 27, 13),
    (-1, 'group', '', 79, 254, 125, 49),
    (1012, 'label', 'inner density', 4, 11, 46, 13),
    (-1, 'group', 'Basics', 1, 0, 272, 110),
    (1026, 'label', 'outer density', 4, 28, 46, 13),
    (1031, 'label', 'color', 147, 162, 35, 13),
    (1016, 'hidden', 'Angle', 35, 118, 33, 29),
    (1029, 'label', 'add factor', 4, 44, 46, 13),
    (1019, 'hidden', 'Angle', 35, 149, 33, 29),
    (1022, 'hidden', 'Angle', 70, 118, 33, 29),
    (1032, 'hidden', 'Angle', 70, 149, 33, 29),
    (1035, 'hidden', 'Angle', 35, 192, 33, 29),
    (-1, 'group', 'Inner Angles', 1, 183, 136, 73),
    (1038, 'hidden', 'Angle', 35, 223, 33, 29),
    (1041, 'hidden', 'Angle', 70, 192, 33, 29),
    (1044, 'hidden', 'Angle', 70, 223, 33, 29),
    (1047, 'hidden', 'Angle', 171, 192, 33, 29),
    (-1, 'group', 'Outer Angles', 138, 183, 135, 73),
    (1050, 'hidden', 'Angle', 171, 223, 33, 29),
    (1053, 'hidden', 'Angle', 206, 192, 33, 29),
    (1056, 'hidden', 'Angle', 206, 223, 33, 29),
    (-1, 'group', '', 137, 109, 136, 72),
    (1059, 'label', 'x1-x2 weight', 4, 61, 46, 13),
    (1062, 'label', 'y1-y2 weight', 4, 78, 46, 13),
    (1065, 'label', 'gamma', 163, 130, 46, 13),
    (1067, 'label', 'X1', 4, 118, 30, 15),
    (1068, 'label', 'X2', 104, 118, 30, 15),
    (1069, 'label', 'Y1', 4, 149, 30, 15),
    (1070, 'label', 'Y2', 104, 149, 30, 15),
    (1033, 'label', 'blend', 146, 145, 35, 13),
    (1072, 'check', 'clip color', 5, 280, 41, 14),
    (1008, 'list', '', 183, 145, 86, 222),
    (1009, 'button', 'undo', 51, 266, 24, 14),
    (1010, 'button', 'redo', 51, 280, 24, 14),
]

PREVIEW_CONTROLS = [(1022, 'frame', 'Preview Frame', 0, 0, 236, 201)]

SAVE_AS_CONTROLS = [
    (1, 'default', 'OK', 7, 29, 50, 14),
    (2, 'button', 'Abbrechen', 57, 29, 50, 14),
    (1073, 'name edit', '', 7, 15, 100, 13),
    (-1, 'text', 'Enter a Setting Name:', 9, 4, 104, 8),
]

# id: extended template, width, height, style, extended style, caption (a
# pattern), controls. None of them is created visible: the code shows them.
DIALOGS = {
    101: (True, 274, 303, DS_ABSALIGN | DS_MODALFRAME | DS_SETFONT | WS_CAPTION | WS_SYSMENU,
          WS_EX_NOPARENTNOTIFY, r'Corvane II V1\.03.*', INTERFACE_CONTROLS),
    105: (True, 243, 208, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX
          | DS_CENTER | DS_ABSALIGN | DS_SETFONT, WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY, '', PREVIEW_CONTROLS),
    113: (False, 120, 50, DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 'save as',
          SAVE_AS_CONTROLS),
}

# Each build by architecture: PE machine, optional header magic, the property
# naming the entry point, the architecture's words in the file description,
# and the objdump that can disassemble it for x87 code (None: no x87 there).
ARCHITECTURES = {
    'x86': (0x014C, 0x10B, 'wx86', '32-bit x86', 'i686-w64-mingw32-objdump'),
    'x64': (0x8664, 0x20B, '8664', '64-bit x86', 'x86_64-w64-mingw32-objdump'),
    'arm64': (0xAA64, 0x20B, 'wa64', 'ARM64', None),
}

VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD
VOS_NT_WINDOWS32, VFT_DLL = 0x00040004, 2

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def fourcc(text):
    return struct.pack('<I', struct.unpack('>I', text.encode('ascii'))[0])


def property_bytes(key, data):
    return fourcc('8BIM') + fourcc(key) + struct.pack('<iI', 0, len(data)) + data


def expected_properties(code_key):
    enbl = b'in (PSHOP_ImageMode, GrayScaleMode, RGBMode, Gray16Mode, RGB48Mode)'
    handled, refused = bytes([1, 1, 0x0B, 0]), bytes([0, 0, 0x0B, 0])
    return [
        ('kind', fourcc('8BFM')),
        ('name', b'\x0aCorvane II\0'),
        ('catg', b'\x07Veskary\0\0\0\0'),
        ('vers', struct.pack('<I', 0x00010003)),
        (code_key, b'ENTRYPOINT\0\0'),
        ('mode', bytes([0x50, 0, 0, 0])),
        ('enbl', enbl + b'\0' * (72 - len(enbl))),
        ('fici', handled * 5 + refused * 2),
    ]


def expected_pipl(code_key):
    body = b''.join(property_bytes(key, data) for key, data in expected_properties(code_key))
    return struct.pack('<Hii', 1, 0, 8) + body


# --- An independent PE reader: sections, resource tree, data by RVA.

class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b'MZ':
            raise ValueError('no MZ signature')
        pe = struct.unpack_from('<I', data, 0x3C)[0]
        if data[pe:pe + 4] != b'PE\0\0':
            raise ValueError('no PE signature')
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from('<HHIIIHH', data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from('<H', data, optional)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.export_rva, self.export_size, self.import_rva, _, self.resource_rva, self.resource_size = \
            struct.unpack_from('<6I', data, directories)
        self.sections = []
        for i in range(sections):
            header = optional + optional_size + 40 * i
            size, rva, raw_size, raw = struct.unpack_from('<IIII', data, header + 8)
            self.sections.append((rva, raw_size, raw))

    def at_rva(self, rva, length):
        for start, raw_size, raw in self.sections:
            if start <= rva and rva + length <= start + raw_size:
                return self.data[raw + rva - start:raw + rva - start + length]
        raise ValueError('RVA 0x%x not in a section' % rva)

    def string_at(self, rva):
        for start, raw_size, raw in self.sections:
            if start <= rva < start + raw_size:
                at = raw + rva - start
                return self.data[at:self.data.index(b'\0', at)].decode('latin-1')
        raise ValueError('RVA 0x%x not in a section' % rva)

    def exports(self):
        """The names the export directory lists."""
        if not self.export_rva:
            return []
        count, _, names_rva = struct.unpack_from('<III', self.at_rva(self.export_rva + 24, 12))
        return [self.string_at(struct.unpack('<I', self.at_rva(names_rva + 4 * i, 4))[0]) for i in range(count)]

    def imports(self):
        """The DLLs the import directory names."""
        dlls, at = [], self.import_rva
        while at:
            lookup, _, _, name_rva, thunks = struct.unpack('<5I', self.at_rva(at, 20))
            if not (lookup or name_rva or thunks):
                break
            dlls.append(self.string_at(name_rva))
            at += 20
        return dlls

    def resources(self):
        """{(type, name, language): bytes}; string names upper-cased."""
        base = self.at_rva(self.resource_rva, self.resource_size)

        def entries(offset):
            named, ids = struct.unpack_from('<HH', base, offset + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from('<II', base, offset + 16 + 8 * i)
                if name & 0x80000000:
                    at = name & 0x7FFFFFFF
                    length = struct.unpack_from('<H', base, at)[0]
                    name = base[at + 2:at + 2 + 2 * length].decode('utf-16-le').upper()
                yield name, target

        found = {}
        for type_, type_target in entries(0):
            for name, name_target in entries(type_target & 0x7FFFFFFF):
                for language, data_entry in entries(name_target & 0x7FFFFFFF):
                    rva, size = struct.unpack_from('<II', base, data_entry)
                    found[(type_, name, language)] = self.at_rva(rva, size)
        return found


def parse_pipl(pipl):
    """[(offset, vendor, key, id, length, data)] as stored."""
    properties = []
    count = struct.unpack_from('<i', pipl, 6)[0]
    offset = 10
    for _ in range(count):
        vendor, key = struct.unpack_from('>4s4s', pipl, offset)
        # Codes are little-endian integers: reverse them to read the text.
        vendor, key = vendor[::-1].decode('latin-1'), key[::-1].decode('latin-1')
        id_, length = struct.unpack_from('<iI', pipl, offset + 8)
        properties.append((offset, vendor, key, id_, length, pipl[offset + 16:offset + 16 + length]))
        offset += 16 + ((length + 3) & ~3)
    return properties


# --- The checks.

def run(command):
    try:
        return subprocess.run(command, capture_output=True, text=True, timeout=120)
    except FileNotFoundError:
        failures.append('tool missing: %s' % command[0])
        return None


def check_exports_and_imports(name, image):
    """Through pefile, which reads every machine's tables alike."""
    exports = [symbol.name.decode('ascii', 'replace') if symbol.name else '#%d' % symbol.ordinal
               for symbol in getattr(image, 'DIRECTORY_ENTRY_EXPORT', None) and image.DIRECTORY_ENTRY_EXPORT.symbols or []]
    check(exports == ['ENTRYPOINT'], '%s: exports %s, expected exactly ENTRYPOINT' % (name, exports))
    imports = [entry.dll.decode('ascii', 'replace').lower() for entry in getattr(image, 'DIRECTORY_ENTRY_IMPORT', [])]
    check(imports, '%s: no imports found' % name)
    foreign = [dll for dll in imports if dll not in SYSTEM_DLLS and not dll.startswith('api-ms-win-')]
    check(not foreign, '%s: imports non-system DLLs %s' % (name, foreign))


def check_pipl_bytes(name, pe, code_key):
    resources = pe.resources()
    pipls = {key: data for key, data in resources.items() if key[0] == 'PIPL'}
    if not check(list(pipls) == [('PIPL', 16000, 1033)], '%s: PIPL resources %s, expected 16000/1033' % (name, list(pipls))):
        return
    pipl = pipls[('PIPL', 16000, 1033)]
    expected = expected_pipl(code_key)
    if not check(pipl == expected, '%s: PIPL bytes differ from byte %d on: got %s, expected %s'
                 % (name, first_difference(pipl, expected), pipl[first_difference(pipl, expected):][:24].hex(),
                    expected[first_difference(pipl, expected):][:24].hex())):
        return
    for offset, vendor, key, _, length, _ in parse_pipl(pipl):
        check((offset - 2) % 4 == 0, '%s: property %s starts off a 4-byte boundary' % (name, key))
        check(length % 4 == 0, '%s: property %s has unpadded length %d' % (name, key, length))
    for key in (('DIALOG', RT_DIALOG, 111), ('icon group', RT_ICON_GROUP, 114), ('cursor group', RT_CURSOR_GROUP, 102)):
        check(any(k[0] == key[1] and k[1] == key[2] for k in resources), '%s: no %s %d' % (name, key[0], key[2]))
    about = [data for key, data in resources.items() if key[0] == RT_DIALOG and key[1] == 111]
    if about:
        check_about_template(name, about[0])


def first_difference(a, b):
    return next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))


def read_sz(data, offset):
    """A resource template's UTF-16 string, or an ordinal; returns (value, next offset)."""
    first = struct.unpack_from('<H', data, offset)[0]
    if first == 0xFFFF:
        return struct.unpack_from('<H', data, offset + 2)[0], offset + 4
    end = offset
    while struct.unpack_from('<H', data, end)[0] != 0:
        end += 2
    return data[offset:end].decode('utf-16-le'), end + 2


Dialog = collections.namedtuple('Dialog', 'extended style ex_style size caption font controls')
Control = collections.namedtuple('Control', 'id class_ style ex_style rect title')


def parse_dialog(data):
    """A plain (DLGTEMPLATE) or extended (DLGTEMPLATEEX) dialog template with its items."""
    extended = struct.unpack_from('<HH', data, 0) == (1, 0xFFFF)
    if extended:
        _, ex_style, style, count, _, _, width, height = struct.unpack_from('<IIIHhhhh', data, 4)
        at = 26
    else:
        style, ex_style, count, _, _, width, height = struct.unpack_from('<IIHhhhh', data, 0)
        at = 18
    _, at = read_sz(data, at)      # menu
    _, at = read_sz(data, at)      # window class
    caption, at = read_sz(data, at)
    font = None
    if style & DS_SETFONT:
        points = struct.unpack_from('<H', data, at)[0]
        face, at = read_sz(data, at + (6 if extended else 2))   # extended: weight, italic, charset
        font = (points, face)
    controls = []
    for _ in range(count):
        at = (at + 3) & ~3         # every item starts on a 4-byte boundary
        if extended:
            _, item_ex, item_style, x, y, w, h, id_ = struct.unpack_from('<IIIhhhhi', data, at)
            at += 24
        else:
            item_style, item_ex, x, y, w, h, id_ = struct.unpack_from('<IIhhhhh', data, at)
            at += 18
        class_, at = read_sz(data, at)
        title, at = read_sz(data, at)
        extra = struct.unpack_from('<H', data, at)[0]
        # The plain template's creation data counts its own size word.
        at += 2 + extra if extended else max(2, extra)
        controls.append(Control(id_, class_, item_style, item_ex, (x, y, w, h), title))
    return Dialog(extended, style, ex_style, (width, height), caption, font, controls)


def control_kind(control):
    """The name of the control's kind in KINDS, or its raw class and styles."""
    # Window class names compare without regard to case; windres upper-cases them.
    found = control.class_.lower() if isinstance(control.class_, str) else control.class_
    for kind, (class_, mask, bits, ex_style) in KINDS.items():
        if (found, control.style & mask, control.ex_style) == (class_, bits, ex_style) and control.style & WS_CHILD:
            return kind
    class_ = '0x%02x' % found if isinstance(found, int) else found
    return 'class %s style 0x%08x ex 0x%x' % (class_, control.style, control.ex_style)


def check_dialog_templates(name, resources):
    for id_, (extended, width, height, style, ex_style, caption, expected) in DIALOGS.items():
        languages = {key[2]: data for key, data in resources.items() if key[:2] == (RT_DIALOG, id_)}
        if not check(list(languages) == [LANGUAGE_EN_US], '%s: dialog %d in languages %s, expected only %d'
                     % (name, id_, list(languages), LANGUAGE_EN_US)):
            continue
        dialog = parse_dialog(languages[LANGUAGE_EN_US])
        where = '%s: dialog %d' % (name, id_)
        check(dialog.extended == extended, '%s: extended template %s' % (where, dialog.extended))
        check(dialog.size == (width, height), '%s: size %s' % (where, dialog.size))
        check((dialog.style, dialog.ex_style) == (style, ex_style), '%s: style 0x%08x ex 0x%x, expected 0x%08x ex 0x%x'
              % (where, dialog.style, dialog.ex_style, style, ex_style))
        check(re.fullmatch(caption, dialog.caption), '%s: caption %r' % (where, dialog.caption))
        check(dialog.font == (8, 'MS Sans Serif'), '%s: font %s' % (where, dialog.font))
        got = [(c.id, control_kind(c), c.title) + c.rect for c in dialog.controls]
        check(len(got) == len(expected), '%s: %d controls, expected %d' % (where, len(got), len(expected)))
        wrong = [i for i, (g, e) in enumerate(zip(got, expected)) if g != e]
        for i in wrong[:3]:
            failures.append('%s: control %d is %s, expected %s' % (where, i + 1, got[i], expected[i]))
        check(len(wrong) <= 3, '%s: %d more controls differ' % (where, len(wrong) - 3))


def check_about_template(name, data):
    about = parse_dialog(data)
    check(about.size == (186, 95), '%s: About box is %dx%d' % ((name,) + about.size))
    check(about.caption == 'Corvane II', '%s: About caption %r' % (name, about.caption))
    check(about.font == (8, 'MS Sans Serif'), '%s: About font %s' % (name, about.font))
    check(len(about.controls) == 5, '%s: About box has %d controls' % (name, len(about.controls)))
    strings = data.decode('utf-16-le', 'replace')
    for text in ('About:', 'CORVANE II  V1.03', '^' * len('CORVANE II  V1.03'), 'OK'):
        check(text in strings, '%s: About box lacks %r' % (name, text))


def check_host_listing(name, host, path, code_key):
    result = run([host, '--list-pipl', path])
    if result is None or not check(result.returncode == 0, '%s: corvhost --list-pipl failed (%s): %s'
                                   % (name, result and result.returncode, result and result.stderr.strip())):
        return
    lines = result.stdout.splitlines()
    machine = {'wx86': 'x86', '8664': 'x64', 'wa64': 'arm64'}[code_key]
    check(lines and lines[0].startswith('machine=%s ' % machine), '%s: listing says %r' % (name, lines[:1]))
    check(len(lines) > 1 and re.match(r'PIPL 16000 language=1033 .*reserved=1 version=0 count=8$', lines[1]),
          '%s: listing header %r' % (name, lines[1:2]))
    listed = [re.match(r'\s+(\S{4}) (\S{4}) id=(-?\d+) length=(\d+) offset=(\d+) value=.* data=([0-9a-f]*)$', line)
              for line in lines[2:]]
    check(all(listed) and len(listed) == 8, '%s: listing has %d property lines:\n%s' % (name, len(listed), result.stdout))
    offset = 10
    for match, (key, data) in zip(listed, expected_properties(code_key)):
        if not match:
            continue
        expected = ('8BIM', key, '0', str(len(data)), str(offset), data.hex())
        check(match.groups() == expected, '%s: listed %s, expected %s' % (name, match.groups(), expected))
        check((offset - 2) % 4 == 0, '%s: %s listed off a 4-byte boundary' % (name, key))
        offset += 16 + len(data)


def check_sse2_only(build):
    objects = glob.glob(os.path.join(build, 'CMakeFiles', 'corvane_core.dir', '**', '*.obj'), recursive=True)
    if not check(objects, 'win32: no core object files under %s' % build):
        return
    sse2 = False
    for path in objects:
        result = run(['i686-w64-mingw32-objdump', '-d', '--no-show-raw-insn', path])
        if result is None:
            return
        mnemonics = [fields[1] for fields in (line.split('\t') for line in result.stdout.splitlines())
                     if len(fields) > 1 and fields[1].strip()]
        mnemonics = [m.split()[0] for m in mnemonics]
        x87 = sorted({m for m in mnemonics if X87_ARITHMETIC.match(m)})
        check(not x87, 'win32: x87 arithmetic %s in %s' % (x87, os.path.relpath(path, build)))
        sse2 = sse2 or any(m in ('addsd', 'mulsd', 'subsd', 'divsd', 'cvtsi2sd', 'cvttsd2si') for m in mnemonics)
    check(sse2, 'win32: no SSE2 double arithmetic anywhere in the core')


def check_no_runtime_transcendentals(name, path, objdump):
    result = run([objdump, '-d', '--no-show-raw-insn', path])
    if result is None:
        return
    found = sorted({fields[1].split()[0] for fields in (line.split('\t') for line in result.stdout.splitlines())
                    if len(fields) > 1 and fields[1].strip() and X87_TRANSCENDENTAL.match(fields[1].split()[0])})
    check(not found, '%s: x87 transcendental instructions %s linked in' % (name, found))


def parse_version_node(data, at):
    """One node of a version resource: ((key, value bytes, children), end)."""
    length, value_length, text = struct.unpack_from('<HHH', data, at)
    key, value_at = read_sz(data, at + 6)
    value_at = (value_at + 3) & ~3
    value_end = value_at + (2 * value_length if text else value_length)
    children, child = [], (value_end + 3) & ~3
    while child < at + length:
        node, child = parse_version_node(data, child)
        children.append(node)
        child = (child + 3) & ~3
    return (key, data[value_at:value_end], children), at + length


def read_version_resource(resources):
    """Our read of the version resource: (file version, product version,
    OS, file type, {string name: text}), the strings of the one table."""
    found = [data for key, data in resources.items() if key[0] == RT_VERSION]
    if len(found) != 1:
        raise ValueError('%d version resources' % len(found))
    (key, fixed, children), _ = parse_version_node(found[0], 0)
    signature, _, file_ms, file_ls, product_ms, product_ls, _, _, os_, type_ = struct.unpack_from('<10I', fixed)
    if key != 'VS_VERSION_INFO' or signature != VS_FIXEDFILEINFO_SIGNATURE:
        raise ValueError('version resource starts with %r, signature 0x%08x' % (key, signature))
    tables = [table for name, _, blocks in children if name == 'StringFileInfo' for table in blocks]
    strings = {entry[0]: entry[1].decode('utf-16-le').rstrip('\0') for table in tables for entry in table[2]}
    return (file_ms, file_ls), (product_ms, product_ls), os_, type_, strings


def expected_version_strings(description):
    vers = struct.unpack('<I', dict(expected_properties('wx86'))['vers'])[0]
    text = '%d.%02d' % (vers >> 16, vers & 0xFFFF)
    return vers, {'CompanyName': 'Veskary', 'FileDescription': 'Corvane II filter plug-in for %s hosts' % description,
                  'FileVersion': text, 'InternalName': 'CorvaneII', 'LegalCopyright': 'Copyright (C) 2026 Veskary',
                  'OriginalFilename': 'CorvaneII.8bf', 'ProductName': 'Corvane II', 'ProductVersion': text}


def check_version_resource(name, pe, image, description):
    """The version the property list states, read by us and by pefile."""
    vers, strings = expected_version_strings(description)
    numeric = (vers, 0)   # major.minor in the high word, as the property list has it
    try:
        ours = read_version_resource(pe.resources())
    except (ValueError, struct.error) as error:
        failures.append('%s: version resource unreadable: %s' % (name, error))
        return
    check(ours == (numeric, numeric, VOS_NT_WINDOWS32, VFT_DLL, strings), '%s: version resource reads %s, expected %s'
          % (name, ours, (numeric, numeric, VOS_NT_WINDOWS32, VFT_DLL, strings)))
    fixed = image.VS_FIXEDFILEINFO[0] if getattr(image, 'VS_FIXEDFILEINFO', None) else None
    theirs = {key.decode('ascii'): value.decode('utf-8') for info in getattr(image, 'FileInfo', [[]])[0]
              if info.Key == b'StringFileInfo' for table in info.StringTable for key, value in table.entries.items()}
    check(fixed and (fixed.FileVersionMS, fixed.FileVersionLS) == numeric and theirs == strings,
          '%s: pefile reads version %s and %s' % (name, fixed and (fixed.FileVersionMS, fixed.FileVersionLS), theirs))


def check_plugin(name, path, architecture, host):
    machine, magic, code_key, description, objdump = ARCHITECTURES[architecture]
    if not check(os.path.isfile(path), '%s: %s missing' % (name, path)):
        return
    if objdump:
        check_no_runtime_transcendentals(name, path, objdump)
    try:
        with open(path, 'rb') as f:
            data = f.read()
        pe = PeFile(data)
        image = pefile.PE(data=data)
        check(pe.machine == machine, '%s: PE machine 0x%04x' % (name, pe.machine))
        check(pe.magic == magic, '%s: optional header magic 0x%03x' % (name, pe.magic))
        check_exports_and_imports(name, image)
        check_pipl_bytes(name, pe, code_key)
        check_dialog_templates(name, pe.resources())
        check_version_resource(name, pe, image, description)
    except (ValueError, struct.error, pefile.PEFormatError) as error:
        failures.append('%s: unreadable PE file: %s' % (name, error))
    check_host_listing(name, host, path, code_key)


def main():
    parser = argparse.ArgumentParser()
    for option in ('--win64', '--win32', '--arm64', '--source'):
        parser.add_argument(option)
    parser.add_argument('--native', required=True)
    parser.add_argument('--plugin', action='append', default=[], metavar='ARCH=FILE',
                        help='check FILE as the build for ARCH (%s) instead of the build folders'
                        % ', '.join(ARCHITECTURES))
    args = parser.parse_args()
    host = os.path.join(args.native, 'corvhost')
    check(os.path.isfile(host), 'native host %s missing' % host)
    if args.plugin:
        for given in args.plugin:
            architecture, _, path = given.partition('=')
            if check(architecture in ARCHITECTURES, '%s: no architecture %r' % (given, architecture)):
                check_plugin(path, path, architecture, host)
    elif not (args.win32 and args.win64 and args.arm64):
        parser.error('give --win32, --win64 and --arm64, or --plugin')
    else:
        check_plugin('win32', os.path.join(args.win32, 'CorvaneII.8bf'), 'x86', host)
        check_plugin('win64', os.path.join(args.win64, 'CorvaneII.8bf'), 'x64', host)
        check_plugin('arm64', os.path.join(args.arm64, 'CorvaneII.8bf'), 'arm64', host)
        check_sse2_only(args.win32)
    for message in failures:
        print('FAIL:', message)
    print('%d failure(s)' % len(failures) if failures else 'the plug-ins pass the static checks')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
