#!/usr/bin/python3
"""Writes a zip whose bytes depend only on the files' names and contents.

Usage: make_zip.py OUTPUT.zip NAME=PATH...
Entries are sorted by name and carry one fixed date and fixed attributes, so two builds of
the same sources give the same bytes whatever the files' times, permissions or order here.
"""
import os
import sys
import zipfile

# The date every entry carries (zip dates have no time zone and start in 1980).
FIXED_DATE = (2026, 1, 1, 0, 0, 0)
# A plain file, rw-r--r--, in the upper half as zip tools store Unix modes.
FILE_ATTRIBUTES = 0o100644 << 16


def write_zip(output, entries):
    names = [name for name, _ in entries]
    if len(set(names)) != len(names):
        raise SystemExit(f"make_zip: the same name twice in {names}")
    partial = output + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, path in sorted(entries):
            info = zipfile.ZipInfo(name, FIXED_DATE)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = FILE_ATTRIBUTES
            with open(path, "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)
    os.replace(partial, output)


def main(arguments):
    if len(arguments) < 2 or not all("=" in argument for argument in arguments[1:]):
        raise SystemExit(__doc__)
    write_zip(arguments[0], [tuple(argument.split("=", 1)) for argument in arguments[1:]])


if __name__ == "__main__":
    main(sys.argv[1:])
