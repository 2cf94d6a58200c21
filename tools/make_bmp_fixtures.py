#!/usr/bin/python3
"""Writes the BMP fixtures of the bitmap loader's tests with programs that are
not ours: Pillow for 1, 8 and 24 bits (and a 32-bit file the loader refuses),
ImageMagick for 4 bits, which Pillow cannot write. Beside each picture goes
<name>.rgb: its width and height (two little-endian 32-bit ints), then its
pixels as Pillow decodes them, top row first, 3 bytes (R, G, B) each.
Rewrites tests/unit/fixtures/."""
import pathlib
import struct
import subprocess
import tempfile

from PIL import Image

from bmp_patterns import VGA, gradient_colour, mono_colour, picture, vga_colour

OUT = pathlib.Path(__file__).resolve().parent.parent / "tests" / "unit" / "fixtures"


def write_expected(path):
    with Image.open(path) as im:
        rgb = im.convert("RGB")
        data = struct.pack("<ii", *rgb.size) + rgb.tobytes()
    path.with_suffix(".rgb").write_bytes(data)


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for old in OUT.iterdir():
        old.unlink()

    picture(mono_colour, 13, 7).convert("1", dither=Image.Dither.NONE).save(OUT / "pil_1bit.bmp")

    grey = Image.new("L", (10, 6))
    for y in range(6):
        for x in range(10):
            grey.putpixel((x, y), (x * 25 + y * 40) & 255)
    grey.save(OUT / "pil_8bit_grey.bmp")  # 256 colours: pixel offset 1078

    # A 16-colour palette: colours used 16, pixel offset 118.
    indexed = Image.new("P", (9, 5))
    indexed.putpalette([channel for colour in VGA for channel in colour])
    for y in range(5):
        for x in range(9):
            indexed.putpixel((x, y), VGA.index(vga_colour(x, y)))
    indexed.save(OUT / "pil_8bit_16colours.bmp")

    picture(gradient_colour, 11, 5).save(OUT / "pil_24bit.bmp")  # 33 bytes a row: padded to 36

    # 32 bits without the 12 mask bytes (pixel offset 54): refused by the loader.
    picture(gradient_colour, 4, 4).convert("RGBA").save(OUT / "pil_32bit_offset54.bmp")

    with tempfile.TemporaryDirectory() as work:
        source = pathlib.Path(work) / "vga.png"
        picture(vga_colour, 9, 4).save(source)
        subprocess.run(["/usr/bin/convert", str(source), "-type", "Palette", "BMP3:" + str(OUT / "magick_4bit.bmp")],
                       check=True)

    for path in sorted(OUT.glob("*.bmp")):
        write_expected(path)
        head = path.read_bytes()[:54]
        offset, = struct.unpack_from("<I", head, 10)
        bits, = struct.unpack_from("<H", head, 28)
        print(f"{path.name}: {bits} bits, pixel offset {offset}, {path.stat().st_size} bytes")


if __name__ == "__main__":
    main()
