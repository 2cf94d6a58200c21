"""The test pictures shared by the BMP fixtures and the check of the BMP files
that Quillary writes; tests/unit/bitmap_file_test.cpp draws the same ones."""
from PIL import Image

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def gradient_colour(x, y):
    return (x * 37 + y * 11) & 255, (x * 5 + y * 53) & 255, (x * y * 7 + 19) & 255


def vga_colour(x, y):
    return VGA[(x + 3 * y) % 16]


def mono_colour(x, y):
    return (255, 255, 255) if (x + 2 * y) % 3 == 0 else (0, 0, 0)


def picture(colour, width, height):
    im = Image.new("RGB", (width, height))
    for y in range(height):
        for x in range(width):
            im.putpixel((x, y), colour(x, y))
    return im
