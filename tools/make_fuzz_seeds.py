#!/usr/bin/python3
"""Writes the seed corpus of the fuzz targets: the example settings, history
and BMP files, plus a few damaged ones. Run from anywhere; rewrites
tests/fuzz/corpus/."""
import pathlib
import struct
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent / "tests" / "fuzz" / "corpus"


def i32(value):
    return struct.pack("<i", value)


def prefix(n):
    if n < 255:
        return bytes([n])
    if n < 65534:
        return b"\xff" + struct.pack("<H", n)
    return b"\xff\xff\xff" + struct.pack("<I", n)


def ansi(text):
    data = text.encode("latin-1")
    return prefix(len(data)) + data


def utf16(text):
    data = text.encode("utf-16-le")
    return b"\xff\xfe\xff" + prefix(len(data) // 2) + data


def settings(before=b"\x00", after=b"\x00", ints=(0, 0, 0, 0), rect=(10, 10, 200, 300)):
    return before + after + b"".join(map(i32, ints)) + b"".join(map(i32, rect))


def appended(count=5, ints=(0x0346, 1000, 0, 0), programs=b"\x00"):
    return i32(count) + b"".join(map(i32, ints)) + programs


def bmp(bits, width, height, clr_used=0, compression=0, offset=None, pixel_bytes=None, info_size=40):
    table = 12 if bits in (16, 32) else 4 * (clr_used or {1: 2, 4: 16, 8: 256}.get(bits, 0))
    offset = 54 + table if offset is None else offset
    stride = (bits * width + 31) // 32 * 4
    pixel_bytes = stride * abs(height) if pixel_bytes is None else pixel_bytes
    size = offset + pixel_bytes
    head = b"BM" + i32(size) + b"\0\0\0\0" + i32(offset)
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression, 0, 0, 0, clr_used, 0)
    body = bytes((i * 37) & 0xFF for i in range(max(offset - 54, 0) + pixel_bytes))
    return head + info + body


def frame(payload):
    return struct.pack("<II", len(payload), zlib.crc32(payload)) + payload


def journal_text(text):
    units = text.encode("utf-16-le")
    if all(ord(c) < 0x100 for c in text):
        return b"\0" + struct.pack("<I", len(text)) + text.encode("latin-1")
    return b"\1" + struct.pack("<I", len(units) // 2) + units


def journal(records, ids=(7, 8)):
    header = struct.pack("<QIiI", 12, 0xDEADBEEF, len(ids), len(ids)) + b"".join(struct.pack("<Q", i) for i in ids)
    return b"QJNL" + struct.pack("<I", 1) + frame(header) + b"".join(frame(r) for r in records)


def change(op, *parts):
    return struct.pack("<BQ", op, 132000000000000000) + b"".join(parts)


def ids(*values):
    return struct.pack("<I", len(values)) + b"".join(struct.pack("<Q", v) for v in values)


JOURNAL = journal([
    change(1, struct.pack("<Q", 1), journal_text("plain\r\ntext")),
    change(1, struct.pack("<Q", 2), journal_text("gr\u00fc\u00dfe \u65e5\u672c")),
    change(2, struct.pack("<Q", 3), journal_text("Picture 1 x 1"), struct.pack("<I", 3) + b"BM\0"),
    change(4, ids(3, 1)),
    change(5, struct.pack("<Q", 2)),
    change(3, ids(2)),
    change(6),
])


def dib(bits, width, height, clr_used=0, compression=0, table=None, pixel_bytes=None, info_size=40):
    if table is None:
        table = 4 * (clr_used or {1: 2, 4: 16, 8: 256}.get(bits, 0))
        if compression == 3 and info_size == 40:
            table += 12
    stride = (bits * width + 31) // 32 * 4
    pixel_bytes = stride * abs(height) if pixel_bytes is None else pixel_bytes
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression, 0, 0, 0, clr_used, 0)
    info += bytes(info_size - 40)
    return info + bytes((i * 53) & 0xFF for i in range(table + pixel_bytes))


SEEDS = {
    "settings_fuzz": {
        "defaults.data": settings(),
        "crlf_before.data": settings(before=ansi("<p>\r\n"), after=ansi("\r\n</p>"), ints=(3, 1, 1, 2)),
        "utf16_after.data": settings(after=utf16("\u65e5\u672c \U0001f600"), ints=(1, 0, 0, 0)),
        "long_before.data": settings(before=ansi("x" * 255)),
        "cut_in_rect.data": settings(ints=(5, 0, 1, 9))[:26],
        "huge_prefix.data": b"\xff\xff\xff\xff\xff\xff\xff" + b"abc",
        "appended.data": settings() + appended(ints=(0x064B, 250, 1, 1), programs=ansi("keepass.exe\r\nputty.exe")),
        "appended_utf16.data": settings() + appended(programs=utf16("\u65e5\u672c.exe")),
        "appended_later.data": settings() + appended(count=7) + i32(9) + i32(8),
        "appended_out_of_range.data": settings() + appended(ints=(0x0046, 20000, 2, -1)),
        "cut_in_appended.data": (settings() + appended())[:46],
        "paste_keys.data": settings() + appended(count=9) + i32(1) + i32(30) + i32(0) + i32(3)
        + ansi("putty.exe") + i32(1) + ansi("term.exe") + i32(2) + ansi("later.exe") + i32(7),
    },
    "history_fuzz": {
        "abc_bitmap.data": i32(1) + ansi("abc") + i32(2),
        "unicode.data": i32(1) + utf16("\u041f\u0440\u0438\u0432\u0435\u0442") + i32(1) + ansi("two\r\nlines"),
        "unknown_kind.data": i32(7) + i32(1) + ansi("after"),
        "cut_fifth.data": (i32(1) + ansi("one") + i32(2) + i32(1) + ansi("three") + i32(1) + ansi("four")
                           + i32(1) + ansi("fifth"))[:-3],
        "huge_prefix.data": i32(1) + b"\xff\xfe\xff\xff\xff\xff\xff\xff\xff\xff" + b"ab",
    },
    "journal_fuzz": {
        "every_change.journal": JOURNAL,
        "torn_last.journal": JOURNAL[:-3],
        "header_only.journal": journal([]),
        "intent.intent": b"QINT" + struct.pack("<I", 1) + frame(
            struct.pack("<I", 1) + journal_text("data.data.1.qtmp") + journal_text("data.data")),
    },
    "bmp_header_fuzz": {
        "rgb24_10x10.bmp": bmp(24, 10, 10),
        "pal8_16colours.bmp": bmp(8, 10, 10, clr_used=16),
        "mono_1bit.bmp": bmp(1, 17, 3),
        "vga_4bit.bmp": bmp(4, 9, 4),
        "rgb32_masks.bmp": bmp(32, 4, -4, compression=3),
        "rgb16_offset54.bmp": bmp(16, 4, 4, offset=54),
        "rle8.bmp": bmp(8, 4, 4, compression=1),
        "v5_header.bmp": bmp(24, 2, 2, info_size=124),
        "short_pixels.bmp": bmp(24, 10, 10, pixel_bytes=319),
        "only_53.bmp": bmp(24, 1, 1)[:53],
    },
    "packed_dib_fuzz": {
        "rgb24_7x5.dib": dib(24, 7, 5),
        "rgb32_masks_topdown.dib": dib(32, 3, -2, compression=3),
        "v5_masks.dib": dib(32, 3, 2, compression=3, info_size=124),
        "pal8_3colours.dib": dib(8, 9, 3, clr_used=3),
        "mono.dib": dib(1, 17, 2),
        "lying_size.dib": dib(24, 100, 100, pixel_bytes=100),
        "huge.dib": dib(32, 8192, 8193, pixel_bytes=16),
    },
}

for target, files in SEEDS.items():
    folder = ROOT / target
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.iterdir():
        old.unlink()
    for name, data in files.items():
        (folder / name).write_bytes(data)
