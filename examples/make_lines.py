#!/usr/bin/env python3
"""Writes examples/lines.pict: a version 2 picture with its 512-byte file
header and a 300 x 200 frame, drawn with a 2 x 2 pen: a horizontal line and a
slanted line, a triangle filled with a pattern and framed, an open zigzag
smoothed into a curve, and a red diamond smoothed into a closed, filled and
outlined curve, as drawing programs write them: the segments between a
PolyBegin and a PolyEnd comment, with a PolySmooth comment giving the flags
and a polygon opcode for programs that ignore the comments.

Run it from anywhere; convert the result with the filter to refresh
examples/lines.tov:
    build/picttotov examples/lines.pict examples/lines.tov
"""
import os

from pictbytes import word, rect, op, v2_start


def point(h, v):
    return word(v, h)


def polygon(*points):
    """A polygon record: size, bounding box (not used), points (h, v)."""
    return word(10 + 4 * len(points)) + rect(0, 0, 200, 300) + b"".join(
        point(h, v) for h, v in points)


def comment(kind):
    return op(0x00A0) + word(kind)


def smooth(flags):
    """PolySmooth: bit 0 frame, bit 1 fill, bit 2 close; padded to a word."""
    return op(0x00A1) + word(164, 1) + bytes([flags, 0])


diamond = [(240, 110), (270, 140), (240, 170), (210, 140), (240, 110)]

picture = b"".join([
    v2_start(200, 300),                          # header, frame, version 2
    op(0x0C00), bytes(24),                       # header opcode and its data
    op(0x0007), word(2, 2),                      # pen size 2 x 2
    op(0x0020), point(20, 20), point(140, 20),   # a horizontal line
    op(0x0021), point(180, 50),                  # on to a slanted one
    op(0x000A), bytes([0x0F, 0x1E, 0x3C, 0x78, 0xF0, 0xE1, 0xC3, 0x87]),
    op(0x0074), polygon((200, 40), (260, 90), (140, 90), (200, 40)),
    op(0x0078),                                  # ... framed: one object
    comment(160),                                # PolyBegin
    smooth(1),                                   # open, outlined
    op(0x0020), point(20, 150), point(60, 110),  # a zigzag of 4 segments
    op(0x0021), point(100, 150),
    op(0x0021), point(140, 110),
    op(0x0021), point(180, 150),
    comment(161),                                # PolyEnd
    op(0x001A), word(-1, 0, 0),                  # foreground colour: red
    op(0x000A), bytes([0xAA, 0x55] * 4),         # fill pattern: 50% grey
    comment(160),                                # PolyBegin
    smooth(7),                                   # closed, filled, outlined
    op(0x0071), polygon(*diamond),               # recorded, not written
    op(0x0020), point(*diamond[0]), point(*diamond[1]),
    op(0x0021), point(*diamond[2]),
    op(0x0021), point(*diamond[3]),
    op(0x0021), point(*diamond[4]),
    comment(161),                                # PolyEnd
    op(0x00FF),                                  # end of picture
])

path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lines.pict")
with open(path, "wb") as f:
    f.write(picture)
