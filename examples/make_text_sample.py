#!/usr/bin/env python3
"""Writes examples/text_sample.pict: a version 2 picture with its 512-byte
file header and a 300 x 200 frame, holding plain text lines in font 3 with
face and size changes, characters that need escapes and a bullet that
pictfonts.cfg of this folder maps to the Symbol family, then, inside a group,
two red lines of text rotated by 45 degrees about a centre 40 units right of
the first line.

Run it from anywhere; convert the result from this folder (so that the
filter reads examples/pictfonts.cfg) to refresh examples/text_sample.tov:
    cd examples && ../build/picttotov text_sample.pict text_sample.tov
"""
import os

from pictbytes import word, op, v2_start


def text(opcode, operands, characters):
    """A text opcode: its operands, the count and the characters, and a pad
    byte when those add up to an odd length."""
    data = operands + bytes([len(characters)]) + characters
    return op(opcode) + data + bytes(len(data) % 2)


picture = b"".join([
    v2_start(200, 300),                        # header, frame, version 2
    op(0x0C00), bytes(24),                     # header opcode and its data
    op(0x0003), word(3),                       # font 3: Helvetica
    op(0x000D), word(18),                      # size 18
    op(0x0004), bytes([1, 0]),                 # bold, and a pad byte
    text(0x0028, word(40, 20), b"Caf\x8e 'menu'\r"),  # at (20, 40)
    op(0x0004), bytes([0, 0]),                 # plain
    op(0x000D), word(12),                      # size 12
    text(0x002A, bytes([20]), b"\xa5 5 > 3 \\ 2"),  # 20 lower
    text(0x0029, bytes([100]), b"<end>"),      # 100 right
    op(0x00A0), word(140),                     # begin a group
    op(0x001A), word(-1, 0, 0),                # foreground colour: red
    op(0x00A1), word(150, 4), bytes([2, 0]), word(-45),  # centred, 45 deg
    op(0x00A1), word(154, 8), word(0, 0, 40, 0),  # centre: y 0, x 40
    text(0x0028, word(150, 60), b"Rotated"),   # at (60, 150)
    text(0x002A, bytes([24]), b"text"),        # 24 lower
    op(0x00A0), word(151),                     # end the rotated text
    op(0x00A0), word(141),                     # end the group
    op(0x00FF),                                # end of picture
])

path = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                    "text_sample.pict")
with open(path, "wb") as f:
    f.write(picture)
