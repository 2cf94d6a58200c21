#!/usr/bin/python3
"""Sets the compile times that chmcmd writes into a CHM file to zero, in place.

Usage: chm_clear_timestamps.py FILE.chm
chmcmd stamps the time into the file header and into the #SYSTEM record 10; nothing else in
the file depends on the time (when the project has no binary index, whose header carries
it too, compressed). With both cleared, the same sources give the same bytes.
"""
import struct
import sys

SYSTEM_TIMESTAMP_CODE = 10


def read_encint(data, position):
    value = 0
    while True:
        byte = data[position]
        position += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, position


def find_entry(data, directory_offset, wanted):
    """(section, offset, length) of a file named in the directory's listing chunks."""
    if data[directory_offset:directory_offset + 4] != b"ITSP":
        raise ValueError("no directory header")
    header_length, = struct.unpack_from("<I", data, directory_offset + 8)
    chunk_size, = struct.unpack_from("<I", data, directory_offset + 16)
    chunk = directory_offset + header_length
    while chunk + chunk_size <= len(data):
        if data[chunk:chunk + 4] == b"PMGL":
            free_space, = struct.unpack_from("<I", data, chunk + 4)
            position, end = chunk + 20, chunk + chunk_size - free_space
            while position < end:
                name_length, position = read_encint(data, position)
                name = data[position:position + name_length]
                position += name_length
                section, position = read_encint(data, position)
                offset, position = read_encint(data, position)
                length, position = read_encint(data, position)
                if name == wanted:
                    return section, offset, length
        chunk += chunk_size
    raise ValueError(f"no {wanted.decode()} in the directory")


def clear_timestamps(data):
    if data[:4] != b"ITSF":
        raise ValueError("not a CHM file")
    data[0x10:0x14] = bytes(4)
    directory_offset, = struct.unpack_from("<Q", data, 0x48)
    content_offset, = struct.unpack_from("<Q", data, 0x58)
    section, offset, length = find_entry(data, directory_offset, b"/#SYSTEM")
    if section != 0:
        raise ValueError("#SYSTEM is compressed")
    position, end = content_offset + offset + 4, content_offset + offset + length
    while position + 4 <= end:
        code, size = struct.unpack_from("<HH", data, position)
        if code == SYSTEM_TIMESTAMP_CODE:
            data[position + 4:position + 4 + size] = bytes(size)
        position += 4 + size


def main(arguments):
    if len(arguments) != 1:
        raise SystemExit(__doc__)
    with open(arguments[0], "rb") as source:
        data = bytearray(source.read())
    clear_timestamps(data)
    with open(arguments[0], "wb") as target:
        target.write(data)


if __name__ == "__main__":
    main(sys.argv[1:])
