#!/usr/bin/python3
"""Draws Quillary's icons and About banner into res/icons and res/bitmaps.

Run with Debian's Python (it needs python3-pil):
    /usr/bin/python3 tools/draw_resources.py [--preview DIR]

Every picture is drawn from the same palette on a 16-unit grid, at twelve
times its final size, and reduced with a box filter: shapes that sit on the
grid stay sharp at every size, and only the slanted quill is smoothed.
The output depends on nothing but this script, Pillow and the font, so
running it again gives the same files.
"""

import argparse
import math
import struct
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

ROOT = Path(__file__).resolve().parent.parent
ICON_DIR = ROOT / "res" / "icons"
BITMAP_DIR = ROOT / "res" / "bitmaps"

SUPERSAMPLE = 12
GRID = 16

# One palette for every picture.
INK = (38, 50, 74)
PAPER = (255, 255, 255)
PAPER_SHADE = (220, 228, 238)
TEXT_LINE = (112, 130, 158)
BOARD = (184, 128, 70)
BOARD_DARK = (120, 78, 38)
METAL = (160, 170, 186)
QUILL = (46, 125, 190)
QUILL_LIGHT = (150, 198, 238)
SKY = (156, 208, 244)
HILL = (80, 164, 84)
HILL_DARK = (48, 120, 60)
SUN = (246, 192, 52)
PIN = (214, 62, 54)
PIN_DARK = (140, 30, 28)
FOLDER = (242, 200, 96)
FOLDER_BACK = (206, 150, 52)

FONT_DIR = Path("/usr/share/fonts/truetype/dejavu")


class Canvas:
    """A square drawing surface addressed in grid units (0..16)."""

    def __init__(self, size):
        self.size = size
        self.scale = size * SUPERSAMPLE / GRID
        # Outlines are one output pixel up to 20 px and two at the larger sizes.
        self.outline = (1 if size < 24 else 2) * SUPERSAMPLE
        self.image = Image.new("RGBA", (size * SUPERSAMPLE,) * 2, (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.image)
        # A size that is not a multiple of the grid puts grid lines between output
        # pixels: there edges snap to pixel borders and outlines to where they
        # cover whole pixels, so that these sizes are as sharp as the others.
        self.snap = size % GRID != 0

    def px(self, value):
        return round(value * self.scale)

    def edge(self, value):
        if not self.snap:
            return self.px(value)
        return round(value * self.size / GRID) * SUPERSAMPLE

    def centre(self, value, width):
        """Where a line `width` supersampled pixels wide is centred."""
        if not self.snap:
            return self.px(value)
        pixels = value * self.size / GRID
        if (width // SUPERSAMPLE) % 2:
            return round((math.floor(pixels) + 0.5) * SUPERSAMPLE)
        return round(pixels) * SUPERSAMPLE

    def box(self, x0, y0, x1, y1):
        if not self.snap:
            return [self.px(x0), self.px(y0), self.px(x1) - 1, self.px(y1) - 1]
        # Snapped by its start and its extent, so that equal shapes stay equal.
        left, top = self.edge(x0), self.edge(y0)
        return [left, top, left + self.width(x1 - x0) - 1, top + self.width(y1 - y0) - 1]

    def points(self, pts, width=None):
        width = self.outline if width is None else width
        return [(self.centre(x, width), self.centre(y, width)) for x, y in pts]

    def width(self, units):
        if not self.snap:
            return max(1, self.px(units))
        return max(1, round(units * self.size / GRID)) * SUPERSAMPLE

    def rect(self, x0, y0, x1, y1, fill, outline=INK):
        """Filled rectangle with an outline drawn inside its edge."""
        self.draw.rectangle(self.box(x0, y0, x1, y1), fill=outline)
        o = self.outline
        l, t, r, b = self.box(x0, y0, x1, y1)
        if r - l > 2 * o and b - t > 2 * o:
            self.draw.rectangle([l + o, t + o, r - o, b - o], fill=fill)

    def fill_rect(self, x0, y0, x1, y1, fill):
        self.draw.rectangle(self.box(x0, y0, x1, y1), fill=fill)

    def polygon(self, pts, fill, outline=None):
        self.draw.polygon(self.points(pts), fill=fill)
        if outline is not None:
            self.draw.line(self.points(pts + pts[:1]), fill=outline,
                           width=self.outline, joint="curve")

    def ellipse(self, x0, y0, x1, y1, fill, outline=INK):
        self.draw.ellipse(self.box(x0, y0, x1, y1), fill=fill, outline=outline,
                          width=self.outline)

    def line(self, pts, fill, width_units):
        width = self.width(width_units)
        self.draw.line(self.points(pts, width), fill=fill, width=width)

    def result(self):
        return self.image.resize((self.size, self.size), Image.BOX)


def draw_text_page(c):
    """A sheet of paper with a folded corner and lines of text."""
    c.polygon([(2.5, 1.5), (10.5, 1.5), (13.5, 4.5), (13.5, 14.5), (2.5, 14.5)],
              fill=PAPER, outline=INK)
    c.polygon([(10.5, 1.5), (10.5, 4.5), (13.5, 4.5)], fill=PAPER_SHADE, outline=INK)
    for y, right in ((4, 9), (6, 12), (8, 12), (10, 11), (12, 12)):
        c.fill_rect(4, y, right, y + 1, TEXT_LINE)


def draw_picture(c):
    """A framed landscape: sky, sun and two hills."""
    c.rect(1, 2, 15, 14, fill=SKY)
    c.ellipse(3, 4, 7, 8, fill=SUN, outline=SUN)
    c.polygon([(2, 12), (5.5, 8), (9, 12)], fill=HILL_DARK)
    c.polygon([(4, 13), (10, 7), (14, 11), (14, 13)], fill=HILL)
    c.fill_rect(2, 11, 14, 13, HILL)


def draw_files(c):
    """A folder with a sheet showing above its front: copied files."""
    c.polygon([(1.5, 2.5), (6.5, 2.5), (8, 4.5), (14.5, 4.5), (14.5, 13.5), (1.5, 13.5)],
              fill=FOLDER_BACK, outline=INK)
    c.rect(3, 5, 13, 11, fill=PAPER)
    c.polygon([(1.5, 7.5), (14.5, 7.5), (14.5, 13.5), (1.5, 13.5)], fill=FOLDER, outline=INK)


def draw_pin(c):
    """A red push-pin in the top-right corner: the mark of the top zone."""
    c.line([(10.5, 8.5), (12.5, 5.5)], fill=INK, width_units=1)
    c.polygon([(10, 3), (12, 1), (16, 5), (14, 7)], fill=PIN, outline=PIN_DARK)
    c.polygon([(11, 3), (12, 2), (13, 3), (12, 4)], fill=(246, 140, 130))


def draw_app(c):
    """The application: a clipboard with a page, and a quill across it."""
    c.rect(2, 2, 13, 16, fill=BOARD, outline=BOARD_DARK)
    # At 16 px an inked page edge would merge with the board's outline.
    if c.size > 16:
        c.rect(3, 4, 12, 15, fill=PAPER, outline=INK)
    else:
        c.rect(3, 4, 12, 15, fill=PAPER, outline=PAPER_SHADE)
    for y, right in ((6, 10), (8, 9), (10, 10), (12, 8)):
        c.fill_rect(4, y, right, y + 1, TEXT_LINE)
    c.rect(5, 1, 10, 4, fill=METAL, outline=INK)
    # Quill: shaft from the nib on the page up to the top-right corner,
    # with the vane on both sides of the shaft's upper part.
    nib = (8.5, 13.5)
    tip = (15.5, 0.5)
    c.polygon([(15.8, 0.2), (15.6, 3.6), (13.2, 7.6), (11.0, 10.4), (10.2, 9.2),
               (11.4, 5.6), (13.4, 2.0)], fill=QUILL, outline=INK)
    c.polygon([(15.0, 1.6), (13.2, 5.6), (11.6, 8.4), (12.6, 4.6)], fill=QUILL_LIGHT)
    c.line([nib, (11.0, 9.4), tip], fill=INK, width_units=0.7)
    c.polygon([(8.0, 14.4), (8.3, 12.6), (9.4, 13.2)], fill=INK)


def draw_pause_badge(c):
    """A dark disc with two bars in the bottom-right corner: recording is paused."""
    c.ellipse(8, 8, 16, 16, fill=INK, outline=INK)
    c.fill_rect(10, 10, 11.5, 14, PAPER)
    c.fill_rect(12.5, 10, 14, 14, PAPER)


def paused_tray_image(size):
    c = Canvas(size)
    draw_app(c)
    draw_pause_badge(c)
    return c.result()


def app_image(size):
    c = Canvas(size)
    draw_app(c)
    return c.result()


def entry_image(kind, pinned, size):
    c = Canvas(size)
    if kind == "text":
        draw_text_page(c)
    elif kind == "files":
        draw_files(c)
    else:
        draw_picture(c)
    if pinned:
        draw_pin(c)
    return c.result()


def ico_bytes(images):
    """An .ico file holding 32-bit images with alpha and a matching AND mask."""
    header = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    blobs = b""
    offset = 6 + 16 * len(images)
    for img in images:
        w, h = img.size
        pixels = img.convert("RGBA").load()
        xor = bytearray()
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row_mask = bytearray(mask_stride)
            for x in range(w):
                r, g, b, a = pixels[x, y]
                if a < 128:
                    row_mask[x // 8] |= 0x80 >> (x % 8)
                if a == 0:
                    r = g = b = 0
                xor += bytes((b, g, r, a))
            mask += row_mask
        info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32,
                               len(blob), offset)
        blobs += blob
        offset += len(blob)
    return header + entries + blobs


def load_font(name, size):
    try:
        return ImageFont.truetype(str(FONT_DIR / name), size)
    except OSError:
        return ImageFont.load_default()


def banner_image():
    """The About box's banner: 297 x 68 pixels."""
    width, height = 297, 68
    img = Image.new("RGB", (width, height))
    draw = ImageDraw.Draw(img)
    # Left-to-right gradient from the ink colour to the quill colour.
    for x in range(width):
        t = x / (width - 1)
        colour = tuple(round(a + (b - a) * t * 0.8) for a, b in zip(INK, QUILL))
        draw.line([(x, 0), (x, height - 1)], fill=colour)
    # Faint history entries stacked on the right.
    for i, (y, length) in enumerate(((14, 70), (28, 58), (42, 66))):
        shade = tuple(round(c + (255 - c) * (0.30 - 0.08 * i)) for c in QUILL)
        draw.rounded_rectangle([width - 14 - length, y, width - 14, y + 8], radius=3,
                               fill=shade)
    # The application's picture on a white tile.
    draw.rounded_rectangle([8, 8, 59, 59], radius=8, fill=PAPER, outline=INK)
    icon = app_image(48)
    img.paste(icon, (10, 10), icon)
    draw.text((70, 8), "Quillary", font=load_font("DejaVuSans-Bold.ttf", 30), fill=PAPER)
    draw.text((72, 45), "clipboard history", font=load_font("DejaVuSans.ttf", 13),
              fill=QUILL_LIGHT)
    draw.line([(0, height - 2), (width - 1, height - 2)], fill=SUN, width=2)
    return img


# Small icons at the display scales 100%, 125%, 150%, 200% and 300%: the program
# loads the size that matches its DPI, so none is stretched from a smaller one.
SMALL_SIZES = (16, 20, 24, 32, 48)

ICONS = {
    "app.ico": lambda: [app_image(s) for s in (16, 20, 24, 32, 48)],
    "entry_text.ico": lambda: [entry_image("text", False, s) for s in SMALL_SIZES],
    "entry_bitmap.ico": lambda: [entry_image("bitmap", False, s) for s in SMALL_SIZES],
    "entry_text_top.ico": lambda: [entry_image("text", True, s) for s in SMALL_SIZES],
    "entry_bitmap_top.ico": lambda: [entry_image("bitmap", True, s) for s in SMALL_SIZES],
    "entry_files.ico": lambda: [entry_image("files", False, s) for s in SMALL_SIZES],
    "entry_files_top.ico": lambda: [entry_image("files", True, s) for s in SMALL_SIZES],
    "tray.ico": lambda: [app_image(s) for s in SMALL_SIZES],
    "tray_paused.ico": lambda: [paused_tray_image(s) for s in SMALL_SIZES],
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", type=Path,
                        help="also write enlarged PNG previews into this folder")
    args = parser.parse_args()

    ICON_DIR.mkdir(parents=True, exist_ok=True)
    BITMAP_DIR.mkdir(parents=True, exist_ok=True)
    for name, make in ICONS.items():
        images = make()
        (ICON_DIR / name).write_bytes(ico_bytes(images))
        if args.preview:
            args.preview.mkdir(parents=True, exist_ok=True)
            for img in images:
                big = img.resize((img.width * 8, img.height * 8), Image.NEAREST)
                sheet = Image.new("RGBA", big.size, (255, 255, 255, 255))
                sheet.alpha_composite(big)
                sheet.save(args.preview / f"{Path(name).stem}_{img.width}.png")
    banner = banner_image()
    banner.save(BITMAP_DIR / "banner.bmp", format="BMP")
    if args.preview:
        banner.resize((banner.width * 3, banner.height * 3), Image.NEAREST).save(
            args.preview / "banner.png")
    return 0


if __name__ == "__main__":
    sys.exit(main())
