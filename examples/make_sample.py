#!/usr/bin/env python3
"""Writes examples/sample.pict: a version 2 picture with its 512-byte file
header, a 300 x 200 frame, a few opcodes that only move the reader on (a
clipping region, text modes, a highlight colour, a reserved opcode and an
opcode of a newer application), a pen size, a framed rectangle, a painted
oval and a framed rounded rectangle, then a group of a red rectangle filled
with a pattern and framed, and a framed arc.

It also writes examples/image.pict: a version 2 picture with its 512-byte
file header and a 200 x 120 frame, holding a group of a framed rectangle and
a packed 64 x 4 bitmap inside it, then an unpacked 4-bit pixel map of 6 x 4
pixels with a four-colour table (white, red, green, blue).

Run it from anywhere; convert the results with the filter to refresh
examples/sample.tov and examples/image.tov:
    build/picttotov examples/sample.pict examples/sample.tov
    build/picttotov examples/image.pict examples/image.tov
"""
import os

from pictbytes import word, uword, rect, op, v2_start






picture = b"".join([
    v2_start(200, 300),                    # header, frame, version 2
    op(0x0C00), bytes(24),                 # header opcode and its data
    op(0x0001), word(10), rect(0, 0, 200, 300),   # clipping region
    op(0x0005), word(1),                   # text mode
    op(0x001D), word(-1, 0, 0),            # highlight colour
    op(0x0024), word(2), b"ab",            # reserved, with a length
    op(0x00A5), word(3), b"xyz", b"\0",    # newer opcode, padded
    op(0x0007), word(2, 2),                # pen size 2 x 2
    op(0x0030), rect(20, 20, 80, 140),     # frame a rectangle
    op(0x0051), rect(100, 160, 180, 280),  # paint an oval
    op(0x000B), word(16, 16),              # oval size for round corners
    op(0x0040), rect(110, 20, 180, 140),   # frame a rounded rectangle
    op(0x00A0), word(140),                 # begin a group
    op(0x000A), bytes([0xCC] * 8),         # fill pattern: vertical stripes
    op(0x001A), word(-1, 0, 0),            # foreground colour: red
    op(0x0034), rect(20, 160, 80, 280),    # fill a rectangle ...
    op(0x0038),                            # ... and frame the same one
    op(0x0060), rect(130, 170, 170, 270), word(45, 270),  # frame an arc
    op(0x00A0), word(141),                 # end the group
    op(0x00FF),                            # end of picture
])

def placement(top, left, bottom, right):
    # Source rectangle (not used), destination rectangle, transfer mode.
    return rect(0, 0, 4, 4) + rect(top, left, bottom, right) + word(0)


# Bitmap rows of 8 bytes, each packed behind its one-byte count: two black
# rows, a row of single pixels stepping right, a white row. 19 bytes of
# data, so a pad byte follows.
packed_rows = b"".join([
    bytes([2, 0xF9, 0xFF]),
    bytes([2, 0xF9, 0xFF]),
    bytes([9, 0x07, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80]),
    bytes([2, 0xF9, 0x00]),
]) + b"\0"

colours = [(0xFFFF, 0xFFFF, 0xFFFF), (0xFFFF, 0, 0), (0, 0xFFFF, 0),
           (0, 0, 0xFFFF)]
pixel_map = b"".join([
    uword(0x8000 | 3), rect(0, 0, 4, 6),   # rowBytes 3, pixel-map flag
    word(0, 0), bytes(4), uword(72, 0, 72, 0), word(0),  # version to type
    word(4, 1), word(4), bytes(12),        # 4 bits, 1 component
    bytes(6), word(len(colours) - 1),      # colour table: seed, flags, size
    b"".join(uword(i, *c) for i, c in enumerate(colours)),
])
pixel_rows = bytes([0x00, 0x11, 0x22,  0x01, 0x23, 0x01,
                    0x33, 0x33, 0x33,  0x33, 0x33, 0x33])

image_picture = b"".join([
    v2_start(120, 200),                    # header, frame, version 2
    op(0x0C00), bytes(24),                 # header opcode and its data
    op(0x00A0), word(140),                 # begin a group
    op(0x0030), rect(10, 10, 60, 110),     # frame a rectangle
    op(0x0098), word(8), rect(0, 0, 4, 64),  # packed bitmap, rowBytes 8
    placement(20, 20, 40, 100), packed_rows,
    op(0x00A0), word(141),                 # end the group
    op(0x0090), pixel_map,                 # 4-bit pixel map
    placement(70, 120, 110, 180), pixel_rows,
    op(0x00FF),                            # end of picture
])


def write(name, data):
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), name)
    with open(path, "wb") as f:
        f.write(data)


write("sample.pict", picture)
write("image.pict", image_picture)
