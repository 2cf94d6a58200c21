#!/usr/bin/python3
"""The portable zip: what a Windows user finds in it, and that its bytes depend on nothing
but the sources (no file times, permissions, order or build times).

Usage: zip_test.py ZIP ARCH VERSION HELP_SOURCES  (HELP_SOURCES: the pages chmcmd compiled)
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
MACHINES = {"x64": 0x8664, "x86": 0x14C}
GUI_SUBSYSTEM = 2


def pe_header(program):
    """(machine, time stamp, symbol table offset, subsystem) of a PE file."""
    offset, = struct.unpack_from("<I", program, 0x3C)
    if program[offset:offset + 4] != b"PE\0\0":
        raise AssertionError("no PE header")
    machine, = struct.unpack_from("<H", program, offset + 4)
    stamp, symbols = struct.unpack_from("<II", program, offset + 8)
    subsystem, = struct.unpack_from("<H", program, offset + 24 + 68)
    return machine, stamp, symbols, subsystem


class PortableZip(unittest.TestCase):
    def setUp(self):
        self.archive = zipfile.ZipFile(ZIP)
        self.addCleanup(self.archive.close)
        self.scratch = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.scratch)

    def test_holds_the_program_its_help_a_readme_and_the_licence(self):
        self.assertEqual(self.archive.namelist(), ["LICENSE.txt", "README.txt", "help.chm", "quillary.exe"])
        machine, _, symbols, subsystem = pe_header(self.archive.read("quillary.exe"))
        self.assertEqual(machine, MACHINES[ARCH])
        self.assertEqual(subsystem, GUI_SUBSYSTEM)
        self.assertEqual(symbols, 0, "the program still carries its symbols and debug data")
        self.assertEqual(self.archive.read("help.chm")[:4], b"ITSF")
        readme = self.archive.read("README.txt").decode("ascii")
        self.assertIn(f"Quillary {VERSION}", readme)
        self.assertIn("data", readme)
        licence = self.archive.read("LICENSE.txt").decode("ascii")
        self.assertIn("MIT License", licence)
        self.assertIn("2026 The Quillary authors", licence)
        for text in readme, licence:
            self.assertNotIn("\n", text.replace("\r\n", ""), "texts for Windows end their lines with CR LF")

    def test_the_same_files_give_the_same_bytes_whatever_their_times_modes_and_order(self):
        names = self.archive.namelist()
        zips = []
        for copy, (stamp, mode, order) in enumerate([(1e9, 0o600, names), (2e9, 0o755, names[::-1])]):
            folder = os.path.join(self.scratch, str(copy))
            os.mkdir(folder)
            for name in names:
                path = os.path.join(folder, name)
                with open(path, "wb") as target:
                    target.write(self.archive.read(name))
                os.chmod(path, mode)
                os.utime(path, (stamp, stamp))
            zips.append(os.path.join(self.scratch, f"{copy}.zip"))
            entries = [f"{name}={os.path.join(folder, name)}" for name in order]
            subprocess.run([sys.executable, os.path.join(TOOLS, "make_zip.py"), zips[-1]] + entries, check=True)
        with open(ZIP, "rb") as built:
            expected = built.read()
        for made in zips:
            with open(made, "rb") as source:
                self.assertEqual(source.read(), expected)

    def test_the_program_and_the_help_carry_no_build_time(self):
        _, stamp, _, _ = pe_header(self.archive.read("quillary.exe"))
        self.assertEqual(stamp, 0, "the program's header holds the time it was linked or stripped")
        # The help compiled again now, seconds or more after the build, is the same file.
        pages = os.path.join(self.scratch, "help")
        shutil.copytree(HELP_SOURCES, pages)
        subprocess.run(["chmcmd", "help.hhp"], cwd=pages, check=True, stdout=subprocess.DEVNULL)
        subprocess.run([sys.executable, os.path.join(TOOLS, "chm_clear_timestamps.py"), "help.chm"], cwd=pages,
                       check=True)
        with open(os.path.join(pages, "help.chm"), "rb") as again:
            self.assertEqual(again.read(), self.archive.read("help.chm"))


if __name__ == "__main__":
    if len(sys.argv) != 5:
        raise SystemExit(__doc__)
    ZIP, ARCH, VERSION, HELP_SOURCES = sys.argv[1:]
    unittest.main(argv=sys.argv[:1], verbosity=2)
