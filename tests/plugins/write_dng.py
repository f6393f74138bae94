#!/usr/bin/env python3
"""Writes a small DNG: a 16-bit Bayer (RGGB) raw picture of four coloured
quadrants (red, lime / blue, white, stored as the sensor saw them) in a sub
directory, and in the first directory a JPEG preview as cameras embed it,
with the file's orientation.
  write_dng.py <preview.jpg> <out.dng> <orientation 1..8> <raw width> <raw height> [last]
With "last" the directories follow the pixels instead of leading them.
"""
import struct
import sys

SHORT, LONG, ASCII, BYTE, RATIONAL, SRATIONAL = 3, 4, 2, 1, 5, 10


def raw_pixels(width, height):
    colours = [(1, 0, 0), (0, 1, 0), (0, 0, 1), (1, 1, 1)]

    def row(half, parity):
        values = []
        for x in range(width):
            red, green, blue = colours[2 * half + (1 if x >= width // 2 else 0)]
            channel = [[red, green], [green, blue]][parity][x & 1]  # RGGB
            values.append(60000 if channel else 1000)
        return struct.pack("<%dH" % width, *values)

    # Rows differ only by their half and parity.
    kinds = {(half, parity): row(half, parity) for half in (0, 1) for parity in (0, 1)}
    return b"".join(kinds[(1 if y >= height // 2 else 0, y & 1)] for y in range(height))


def jpeg_size(jpeg):
    at = 2
    while at + 9 < len(jpeg):
        marker, length = jpeg[at + 1], struct.unpack(">H", jpeg[at + 2:at + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            height, width = struct.unpack(">HH", jpeg[at + 5:at + 9])
            return width, height
        at += 2 + length
    raise ValueError("no frame header in the preview")


class Directory:
    def __init__(self):
        self.entries = []

    def add(self, tag, kind, values):
        self.entries.append((tag, kind, values))

    def encode(self, at):
        """The directory at offset `at`, with the values longer than 4 bytes
        after it."""
        sizes = {SHORT: 2, LONG: 4, ASCII: 1, BYTE: 1, RATIONAL: 8, SRATIONAL: 8}
        table = struct.pack("<H", len(self.entries))
        extra_at = at + 2 + 12 * len(self.entries) + 4
        extra = b""
        for tag, kind, values in sorted(self.entries):
            if kind == ASCII:
                data = values.encode() + b"\0"
                count = len(data)
            else:
                count = len(values) // 2 if kind in (RATIONAL, SRATIONAL) else len(values)
                fmt = {SHORT: "H", LONG: "I", BYTE: "B", RATIONAL: "I", SRATIONAL: "i"}[kind]
                data = struct.pack("<%d%s" % (len(values), fmt), *values)
            if len(data) <= 4:
                table += struct.pack("<HHI", tag, kind, count) + data.ljust(4, b"\0")
            else:
                table += struct.pack("<HHII", tag, kind, count, extra_at + len(extra))
                extra += data + (b"\0" if len(data) % 2 else b"")
        return table + struct.pack("<I", 0) + extra


def main():
    preview = open(sys.argv[1], "rb").read()
    out, orientation = sys.argv[2], int(sys.argv[3])
    width, height = int(sys.argv[4]), int(sys.argv[5])
    raw = raw_pixels(width, height)
    directories_last = len(sys.argv) > 6 and sys.argv[6] == "last"
    preview_width, preview_height = jpeg_size(preview)

    def directories(first_at, sub_at, raw_at, preview_at):
        sub = Directory()
        sub.add(254, LONG, [0])  # the full picture
        sub.add(256, LONG, [width])
        sub.add(257, LONG, [height])
        sub.add(258, SHORT, [16])
        sub.add(259, SHORT, [1])
        sub.add(262, SHORT, [32803])  # colour filter array
        sub.add(273, LONG, [raw_at])
        sub.add(277, SHORT, [1])
        sub.add(278, LONG, [height])
        sub.add(279, LONG, [len(raw)])
        sub.add(33421, SHORT, [2, 2])
        sub.add(33422, BYTE, [0, 1, 1, 2])
        sub.add(50717, LONG, [65535])  # white level
        first = Directory()
        first.add(254, LONG, [1])  # a reduced picture: the preview
        first.add(256, LONG, [preview_width])
        first.add(257, LONG, [preview_height])
        first.add(258, SHORT, [8, 8, 8])
        first.add(259, SHORT, [7])
        first.add(262, SHORT, [6])
        first.add(271, ASCII, "Bex")
        first.add(272, ASCII, "Test Camera")
        first.add(273, LONG, [preview_at])
        first.add(274, SHORT, [orientation])
        first.add(277, SHORT, [3])
        first.add(279, LONG, [len(preview)])
        first.add(330, LONG, [sub_at])  # the raw picture's directory
        first.add(50706, BYTE, [1, 4, 0, 0])  # DNG version
        first.add(50708, ASCII, "Bex Test Camera")
        first.add(50721, SRATIONAL, [1, 1, 0, 1, 0, 1, 0, 1, 1, 1, 0, 1, 0, 1, 0, 1, 1, 1])
        first.add(50778, SHORT, [21])  # D65
        return first.encode(first_at), sub.encode(sub_at)

    # The sizes do not depend on the offsets: a first pass measures them.
    first_size, sub_size = (len(d) for d in directories(0, 0, 0, 0))
    preview_size = len(preview) + (len(preview) & 1)
    if directories_last:  # as some writers do: pixels first
        raw_at, preview_at = 8, 8 + len(raw)
        first_at = preview_at + preview_size
    else:  # as cameras and converters do: directories first
        first_at = 8
        preview_at = first_at + first_size + sub_size
        raw_at = preview_at + preview_size
    sub_at = first_at + first_size
    first_bytes, sub_bytes = directories(first_at, sub_at, raw_at, preview_at)
    blocks = {first_at: first_bytes + sub_bytes, preview_at: preview.ljust(preview_size, b"\0"),
              raw_at: raw}
    with open(out, "wb") as f:
        f.write(b"II*\0" + struct.pack("<I", first_at))
        for at in sorted(blocks):
            f.write(blocks[at])


main()
