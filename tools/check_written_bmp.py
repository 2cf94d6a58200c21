#!/usr/bin/python3
"""Reads the BMP files that tests/unit/bitmap_file_test.exe wrote with
Quillary's writer, using Pillow: each file named written_<bits>bit_<W>x<H>.bmp
must be exactly 54 + colour table + padded rows long, carry that bit depth,
and show the test picture for its depth pixel for pixel.
Usage: check_written_bmp.py DIR. Exits 1 on any difference or when DIR holds no such file."""
import pathlib
import re
import struct
import sys

from PIL import Image

from bmp_patterns import gradient_colour, mono_colour, vga_colour

PATTERN_FOR_BITS = {1: mono_colour, 4: vga_colour, 8: vga_colour, 24: gradient_colour}
NAME = re.compile(r"written_(\d+)bit_(\d+)x(\d+)\.bmp$")


def check(path, bits, width, height):
    data = path.read_bytes()
    table = 4 << bits if bits <= 8 else 0
    rows = (bits * width + 31) // 32 * 4 * height
    problems = []
    if len(data) != 54 + table + rows:
        problems.append(f"{len(data)} bytes, expected {54 + table + rows}")
    offset, = struct.unpack_from("<I", data, 10)
    depth, = struct.unpack_from("<H", data, 28)
    if offset != 54 + table or depth != bits:
        problems.append(f"pixel offset {offset}, {depth} bits")
    with Image.open(path) as im:
        if im.size != (width, height):
            problems.append(f"Pillow reads {im.size}")
            return problems
        rgb = im.convert("RGB")
        colour = PATTERN_FOR_BITS[bits]
        wrong = [(x, y) for y in range(height) for x in range(width) if rgb.getpixel((x, y)) != colour(x, y)]
        if wrong:
            x, y = wrong[0]
            problems.append(f"{len(wrong)} wrong pixels, first ({x},{y}) = {rgb.getpixel((x, y))}, "
                            f"expected {colour(x, y)}")
    return problems


def main():
    folder = pathlib.Path(sys.argv[1])
    passed = failed = 0
    for path in sorted(folder.glob("written_*.bmp")):
        match = NAME.search(path.name)
        if not match or int(match[1]) not in PATTERN_FOR_BITS:
            continue
        problems = check(path, int(match[1]), int(match[2]), int(match[3]))
        if problems:
            failed += 1
            print(f"FAIL {path.name}: " + "; ".join(problems))
        else:
            passed += 1
            print(f"ok   {path.name}")
    print(f"{passed} passed, {failed} failed")
    return 0 if passed and not failed else 1


if __name__ == "__main__":
    sys.exit(main())
