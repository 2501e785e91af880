#!/usr/bin/env python3
"""Writes examples/sample.pict: a version 2 picture with its 512-byte file
header, a 300 x 200 frame, a few opcodes that only move the reader on (a
clipping region, text modes, a highlight colour, a reserved opcode and an
opcode of a newer application), a pen size, a framed rectangle, a painted
oval and a framed rounded rectangle, then a group of a red rectangle filled
with a pattern and framed, and a framed arc.

Run it from anywhere; convert the result with the filter to refresh
examples/sample.tov:
    build/picttotov examples/sample.pict examples/sample.tov
"""
import os
import struct


def word(*values):
    return b"".join(struct.pack(">h", v) for v in values)


def rect(top, left, bottom, right):
    return word(top, left, bottom, right)


def op(opcode):
    return struct.pack(">H", opcode)


picture = b"".join([
    bytes(512),                            # file header
    word(0),                               # picture size (not used)
    rect(0, 0, 200, 300),                  # picture frame
    op(0x0011), op(0x02FF),                # version 2
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

path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample.pict")
with open(path, "wb") as f:
    f.write(picture)
