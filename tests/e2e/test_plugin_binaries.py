#!/usr/bin/env python3
"""Static checks of both built plug-ins, as a host sees them before loading
any code: the one export, the DLLs imported, the PE machine, the property
list byte for byte (read back through our host's --list-pipl and through an
independent reader here), the About box, icon and cursor, and SSE2-only
floating point in the 32-bit build."""

import argparse
import glob
import os
import re
import struct
import subprocess
import sys

SYSTEM_DLLS = {'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'comdlg32.dll', 'comctl32.dll',
               'msvcrt.dll', 'ucrtbase.dll'}

# x87 instructions that round a result; loads, stores, sign operations and
# the integer conversions GCC emits for 64-bit integers on i686 are exact.
X87_ARITHMETIC = re.compile(r'^f(i?add|i?sub|i?subr|i?mul|i?div|i?divr|sqrt|sin|cos|sincos|ptan|patan|'
                            r'2xm1|yl2x|yl2xp1|scale|prem1?|rndint|xtract)p?[slt]?$')

# The C runtime's sine, cosine and power run on the x87 unit; the plug-ins
# carry their own, so none of these may be linked in.
X87_TRANSCENDENTAL = re.compile(r'^f(sin|cos|sincos|ptan|patan|2xm1|yl2x|yl2xp1)$')

RT_CURSOR_GROUP, RT_DIALOG, RT_ICON_GROUP = 12, 5, 14

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
        self.resource_rva, self.resource_size = struct.unpack_from('<II', data, directories + 16)
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


def check_exports_and_imports(name, path, objdump):
    result = run([objdump, '-p', path])
    if result is None or not check(result.returncode == 0, '%s: objdump -p failed: %s' % (name, result and result.stderr)):
        return
    text = result.stdout
    table = text.split('[Ordinal/Name Pointer] Table', 1)
    exports = re.findall(r'^\s*\[\s*\d+\]\s+(\S+)\s*$', table[1].split('\n\n', 1)[0], re.M) if len(table) > 1 else []
    check(exports == ['ENTRYPOINT'], '%s: exports %s, expected exactly ENTRYPOINT' % (name, exports))
    imports = [dll.lower() for dll in re.findall(r'DLL Name:\s*(\S+)', text)]
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


def check_about_template(name, data):
    style, _, controls, _, _, width, height = struct.unpack_from('<IIHhhhh', data, 0)
    _, at = read_sz(data, 18)      # menu
    _, at = read_sz(data, at)      # class
    caption, at = read_sz(data, at)
    points = struct.unpack_from('<H', data, at)[0]
    font, _ = read_sz(data, at + 2)
    check((width, height) == (186, 95), '%s: About box is %dx%d' % (name, width, height))
    check(caption == 'Corvane II', '%s: About caption %r' % (name, caption))
    check((points, font) == (8, 'MS Sans Serif'), '%s: About font %d %r' % (name, points, font))
    check(controls == 5, '%s: About box has %d controls' % (name, controls))
    strings = data.decode('utf-16-le', 'replace')
    for text in ('About:', 'CORVANE II  V1.03', '^' * len('CORVANE II  V1.03'), 'OK'):
        check(text in strings, '%s: About box lacks %r' % (name, text))


def check_host_listing(name, host, path, code_key):
    result = run([host, '--list-pipl', path])
    if result is None or not check(result.returncode == 0, '%s: corvhost --list-pipl failed (%s): %s'
                                   % (name, result and result.returncode, result and result.stderr.strip())):
        return
    lines = result.stdout.splitlines()
    machine = {'wx86': 'x86', '8664': 'x64'}[code_key]
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


def check_plugin(name, build, objdump, expect_machine, expect_magic, code_key, host):
    path = os.path.join(build, 'CorvaneII.8bf')
    if not check(os.path.isfile(path), '%s: %s missing' % (name, path)):
        return
    check_exports_and_imports(name, path, objdump)
    check_no_runtime_transcendentals(name, path, objdump)
    try:
        with open(path, 'rb') as f:
            pe = PeFile(f.read())
        check(pe.machine == expect_machine, '%s: PE machine 0x%04x' % (name, pe.machine))
        check(pe.magic == expect_magic, '%s: optional header magic 0x%03x' % (name, pe.magic))
        check_pipl_bytes(name, pe, code_key)
    except (ValueError, struct.error) as error:
        failures.append('%s: unreadable PE file: %s' % (name, error))
    check_host_listing(name, host, path, code_key)


def main():
    parser = argparse.ArgumentParser()
    for option in ('--win64', '--win32', '--native', '--source'):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    host = os.path.join(args.native, 'corvhost')
    check(os.path.isfile(host), 'native host %s missing' % host)
    check_plugin('win32', args.win32, 'i686-w64-mingw32-objdump', 0x014C, 0x10B, 'wx86', host)
    check_plugin('win64', args.win64, 'x86_64-w64-mingw32-objdump', 0x8664, 0x20B, '8664', host)
    check_sse2_only(args.win32)
    for message in failures:
        print('FAIL:', message)
    print('%d failure(s)' % len(failures) if failures else 'both plug-ins pass the static checks')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
