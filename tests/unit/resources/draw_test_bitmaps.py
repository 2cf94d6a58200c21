#!/usr/bin/python3
"""Writes the toolbar bitmaps that the control tests load as resources.

    /usr/bin/python3 tests/unit/resources/draw_test_bitmaps.py

toolbar16.bmp:  4 bits per pixel, the standard 16-colour palette, four
                16 x 15 buttons on the classic light grey (192, 192, 192).
toolbar256.bmp: 8 bits per pixel, two 16 x 15 buttons; its colours must not
                be mapped to system colours.
Both are plain BITMAPINFOHEADER files, bottom-up, written byte by byte so the
output depends on nothing but this script.
"""

import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent

VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, DARK_GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, WHITE = 0, 7, 8, 9, 10, 11, 12, 13, 15


def write_bmp(path, pixels, palette, bits):
    height = len(pixels)
    width = len(pixels[0])
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for row in reversed(pixels):
        data = bytearray()
        if bits == 4:
            padded = row + [0] * (len(row) % 2)
            for i in range(0, len(padded), 2):
                data.append((padded[i] << 4) | padded[i + 1])
        else:
            data.extend(row)
        data.extend(b"\0" * (stride - len(data)))
        rows.append(bytes(data))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    image = b"".join(rows)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(image), 2835, 2835, len(palette), 0)
    path.write_bytes(header + info + table + image)


def strip(buttons, background):
    return [[background] * (16 * buttons) for _ in range(15)]


def fill(pixels, button, left, top, right, bottom, colour):
    for y in range(top, bottom):
        for x in range(left, right):
            pixels[y][16 * button + x] = colour


def toolbar16():
    pixels = strip(4, GREY)
    # Button 0: a black square with a red core, a white highlight and a dark grey shadow line.
    fill(pixels, 0, 3, 2, 12, 11, BLACK)
    fill(pixels, 0, 5, 4, 10, 9, RED)
    fill(pixels, 0, 3, 12, 12, 13, DARK_GREY)
    fill(pixels, 0, 13, 2, 14, 11, WHITE)
    # Button 1: a blue bar.
    fill(pixels, 1, 6, 1, 10, 14, BLUE)
    # Button 2: a green block.
    fill(pixels, 2, 2, 4, 14, 10, GREEN)
    # Button 3: a yellow block with a black rim.
    fill(pixels, 3, 3, 3, 13, 12, BLACK)
    fill(pixels, 3, 4, 4, 12, 11, YELLOW)
    write_bmp(HERE / "toolbar16.bmp", pixels, VGA, 4)


def toolbar256():
    palette = VGA + [(40 + i % 200, 20, 200 - i % 200) for i in range(240)]
    pixels = strip(2, GREY)
    # Button 0: a magenta block (another picture for the same command as toolbar16's button 0).
    fill(pixels, 0, 2, 2, 14, 13, MAGENTA)
    # Button 1: a colour that only the 256-entry palette has.
    fill(pixels, 1, 4, 4, 12, 11, 16)
    write_bmp(HERE / "toolbar256.bmp", pixels, palette, 8)


if __name__ == "__main__":
    toolbar16()
    toolbar256()
