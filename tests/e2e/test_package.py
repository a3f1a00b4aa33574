#!/usr/bin/env python3
"""The release package. scripts/package, run on the builds at hand, writes an
archive holding exactly the plug-ins, INSTALL.md and SHA256SUMS; the sums
match and the packed plug-ins pass the static checks. Packing again, with the
32-bit plug-in rebuilt from a copy of the sources in other folders, gives the
same bytes. A plug-in failing the static checks, or a tree with uncommitted
changes, is refused with nothing written."""
import glob
import hashlib
import os
import shutil
import subprocess
import sys
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostlib  # noqa: E402

args = None
build = None    # the folder holding win32, win64, native (and arm64), as the packer sees builds
work = None
FOLDERS = {'win32': ('32-bit-x86', 'x86'), 'win64': ('64-bit-x64', 'x64'), 'arm64': ('64-bit-ARM64', 'arm64')}


def package(source, builds, output, *extra):
    command = [sys.executable, os.path.join(source, 'scripts', 'package'), '--no-build', '--build-dir', builds,
               '--output-dir', output] + list(extra)
    return subprocess.run(command, capture_output=True, text=True)


def builds_like_ours(root, own):
    """A build folder at ROOT whose builds are ours but for those in OWN."""
    os.makedirs(root, exist_ok=True)
    for name in ('win32', 'win64', 'arm64', 'native'):
        if name not in own and os.path.isdir(os.path.join(build, name)):
            os.symlink(os.path.join(build, name), os.path.join(root, name))
    return root


def shipped():
    """{build folder: (archive folder, architecture)} of the builds at hand."""
    return {name: folder for name, folder in FOLDERS.items() if os.path.isfile(os.path.join(build, name, 'CorvaneII.8bf'))}


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        result = package(args.source, build, os.path.join(work, 'first'), '--allow-uncommitted')
        assert result.returncode == 0, result.stderr
        cls.path, = glob.glob(os.path.join(work, 'first', 'CorvaneII-*.zip'))
        cls.archive = zipfile.ZipFile(cls.path)

    def test_the_archive_holds_the_plugins_the_guide_and_their_sums(self):
        expected = ['INSTALL.md', 'SHA256SUMS'] + ['%s/CorvaneII.8bf' % folder for folder, _ in shipped().values()]
        self.assertEqual(sorted(self.archive.namelist()), sorted(expected))
        self.assertEqual(len({info.date_time for info in self.archive.infolist()}), 1, 'entries of different times')
        sums = dict(reversed(line.split('  ', 1)) for line in self.archive.read('SHA256SUMS').decode().splitlines())
        self.assertEqual(sums, {name: hashlib.sha256(self.archive.read(name)).hexdigest()
                                for name in expected if name != 'SHA256SUMS'})
        print('archive lists %s; the sums match' % ', '.join(sorted(expected)))

    def test_the_packed_plugins_pass_the_static_checks_and_name_no_folder_of_ours(self):
        unpacked = os.path.join(work, 'unpacked')
        self.archive.extractall(unpacked)
        plugins = {folder: os.path.join(unpacked, folder, 'CorvaneII.8bf') for folder, _ in shipped().values()}
        command = [sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)), 'test_plugin_binaries.py'),
                   '--native', os.path.join(build, 'native')]
        command += ['--plugin=%s=%s' % (architecture, plugins[folder]) for folder, architecture in shipped().values()]
        result = subprocess.run(command, capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        for folder, path in plugins.items():
            with open(path, 'rb') as f:
                data = f.read()
            for place in (os.path.realpath(args.source), os.path.realpath(build)):
                self.assertNotIn(place.encode(), data, '%s names %s' % (folder, place))
        print('packed %s pass the static checks' % ', '.join(sorted(plugins)))

    def test_packing_a_plugin_rebuilt_from_other_folders_gives_the_same_bytes(self):
        copy = os.path.join(work, 'another', 'source')
        os.makedirs(copy)
        for name in ('CMakeLists.txt', 'cmake', 'framework', 'filter', 'resources'):
            (shutil.copytree if os.path.isdir(os.path.join(args.source, name)) else shutil.copy)(
                os.path.join(args.source, name), os.path.join(copy, name))
        rebuilt = os.path.join(work, 'rebuilt-in-a-longer-folder')
        for command in (['cmake', '-S', copy, '-B', os.path.join(rebuilt, 'win32'), '-DCMAKE_BUILD_TYPE=Release',
                         '-DCMAKE_TOOLCHAIN_FILE=' + os.path.join(copy, 'cmake', 'mingw-i686.cmake')],
                        ['cmake', '--build', os.path.join(rebuilt, 'win32'), '-j%d' % os.cpu_count(),
                         '--target', 'CorvaneII']):
            subprocess.run(command, check=True, capture_output=True)
        result = package(args.source, builds_like_ours(rebuilt, ['win32']), os.path.join(work, 'second'),
                         '--allow-uncommitted')
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(self.path, 'rb') as first, open(os.path.join(work, 'second', os.path.basename(self.path)), 'rb') as second:
            self.assertTrue(first.read() == second.read(), 'the package rebuilt in other folders differs')
        print('the 32-bit plug-in rebuilt from a copy elsewhere packs to the same bytes')

    def test_a_plugin_failing_the_static_checks_is_refused_and_nothing_written(self):
        broken = os.path.join(work, 'broken')
        os.makedirs(os.path.join(broken, 'win32'))
        with open(os.path.join(build, 'win32', 'CorvaneII.8bf'), 'rb') as f:
            data = f.read()
        with open(os.path.join(broken, 'win32', 'CorvaneII.8bf'), 'wb') as f:
            f.write(data.replace(b'\x0aCorvane II\0', b'\x0aCorvane IX\0', 1))
        output = os.path.join(work, 'refused')
        result = package(args.source, builds_like_ours(broken, ['win32']), output, '--allow-uncommitted')
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn('fail the static checks', result.stderr)
        self.assertIn('PIPL bytes', result.stderr)
        self.assertEqual(os.listdir(output) if os.path.isdir(output) else [], [])
        print('a plug-in naming another filter: refused, nothing written')

    def test_a_tree_with_uncommitted_changes_is_refused_and_nothing_written(self):
        repository = os.path.join(work, 'repository')
        os.makedirs(os.path.join(repository, 'scripts'))
        shutil.copy(os.path.join(args.source, 'scripts', 'package'), os.path.join(repository, 'scripts'))
        git = ['git', '-C', repository, '-c', 'user.name=test', '-c', 'user.email=test@example.invalid']
        for command in (['init', '-q'], ['add', '.'], ['commit', '-q', '-m', 'packer']):
            subprocess.run(git + command, check=True, capture_output=True)
        with open(os.path.join(repository, 'notes.txt'), 'w') as f:
            f.write('not committed\n')
        with open(os.path.join(repository, 'scripts', 'package'), 'a') as f:
            f.write('# changed\n')
        result = package(repository, build, os.path.join(repository, 'dist'))
        self.assertEqual(result.returncode, 1, result.stderr)
        for text in ('uncommitted changes', 'notes.txt', 'scripts/package'):
            self.assertIn(text, result.stderr)
        self.assertFalse(os.path.exists(os.path.join(repository, 'dist')))
        print('a changed file and a new one: refused, nothing written')


def main():
    global args, build, work
    args, _ = hostlib.parse_args()
    build = os.path.dirname(os.path.abspath(args.win64))
    work = hostlib.temp_dir('corvane-package-')
    try:
        return hostlib.run_unittests([Package])
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
