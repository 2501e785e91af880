#!/usr/bin/env python3
"""Writes examples/full.pict: a version 2 picture that the classic conversion
leaves nearly empty and `-full` brings through. Its extended header (version
word -2) says it is drawn at 144 dpi in a 600 x 400 rectangle, on a 300 x 200
frame. It holds a 32-bit direct-colour gradient of 128 x 96 pixels (packType
4: PackBits planes of red, green and blue), a 16-bit direct-colour image of
64 x 48 pixels (packType 3: PackBits on 16-bit words) behind a mask region
(opcode 0x9B), a red painted ring made of a region and the ring's outline
framed with a 2-pixel pen.

Run it from anywhere; convert the result with the filter and preview it to
refresh examples/full.tov and examples/full.svg:
    build/picttotov -full examples/full.pict examples/full.tov
    build/tovpreview examples/full.tov examples/full.svg
"""
import os
import struct

from pictbytes import word, uword, rect, op, v2_start


def packbits(data, unit=1):
    # Literal runs of up to 128 units, each behind its flag byte.
    out = b""
    units = [data[i:i + unit] for i in range(0, len(data), unit)]
    for i in range(0, len(units), 128):
        chunk = units[i:i + 128]
        out += bytes([len(chunk) - 1]) + b"".join(chunk)
    return out


def packed_row(row, row_bytes):
    count = struct.pack(">H" if row_bytes > 250 else ">B", len(row))
    return count + row


def direct_bits(opcode, width, height, pixel_size, pack_type, rows, place,
                mask=b""):
    row_bytes = width * pixel_size // 8
    data = b"".join(packed_row(r, row_bytes) for r in rows)
    if len(data) % 2:
        data += b"\0"                                  # pad to a word
    return b"".join([
        op(opcode), bytes(4),                          # base address
        uword(0x8000 | row_bytes), rect(0, 0, height, width),
        word(0, pack_type), bytes(4),                  # version, packing
        uword(144, 0, 144, 0),                         # resolutions
        word(16, pixel_size, 3, 8 if pixel_size == 32 else 5),
        bytes(12),                                     # planeBytes to end
        rect(0, 0, height, width), rect(*place), word(0),  # rects, mode
        mask, data,
    ])


# The gradient: red across, green down, blue constant; planes per row.
gradient = [packbits(bytes(x * 255 // 127 for x in range(128)) +
                     bytes([y * 255 // 95] * 128) + bytes([128] * 128))
            for y in range(96)]
# 16-bit stripes of x RRRRR GGGGG BBBBB pixels: colours cycle down.
colours16 = [0x7C00, 0x03E0, 0x001F, 0x7FE0, 0x7C1F, 0x03FF]
stripes = [packbits(b"".join(struct.pack(">H", colours16[(x // 8 + y // 8)
                                                        % len(colours16)])
                             for x in range(64)), unit=2)
           for y in range(48)]


def region(rows):
    # rows: (y, [x0, x1, ...]) as inside spans; stored as the positions
    # where the inside changes against the row above.
    box_top = rows[0][0]
    box_bottom = rows[-1][0]
    xs = [x for _, spans in rows for x in spans]
    body, above = b"", []
    for y, spans in rows:
        changes = sorted(set(above) ^ set(spans))
        body += word(y, *changes) + word(0x7FFF)
        above = spans
    body += word(0x7FFF)
    return word(10 + len(body)) + rect(box_top, min(xs), box_bottom,
                                       max(xs)) + body


# A ring around (280, 460): radius 90 outside, 40 inside, in steps of 10.
ring = []
for y in range(190, 380, 10):
    dy = abs(y + 5 - 280)
    outer = int((90 ** 2 - min(dy, 90) ** 2) ** 0.5) if dy < 90 else 0
    inner = int((40 ** 2 - dy ** 2) ** 0.5) if dy < 40 else 0
    spans = []
    if outer:
        spans = [460 - outer, 460 + outer]
        if inner:
            spans = [460 - outer, 460 - inner, 460 + inner, 460 + outer]
    ring.append((y, spans))
ring.append((380, []))
ring_region = region(ring)

picture = b"".join([
    v2_start(200, 300),                              # header, frame, version 2
    op(0x0C00), word(-2, 0), uword(144, 0, 144, 0),  # extended header
    rect(0, 0, 400, 600), bytes(4),            # source rectangle
    direct_bits(0x9A, 128, 96, 32, 4, gradient, (40, 40, 232, 296)),
    direct_bits(0x9B, 64, 48, 16, 3, stripes, (248, 40, 344, 168),
                mask=word(10) + rect(0, 0, 48, 64)),
    op(0x001A), uword(0xFFFF, 0, 0),           # red foreground
    op(0x0081), ring_region,                   # paint the ring
    op(0x001A), uword(0, 0, 0),                # black foreground
    op(0x0007), word(2, 2),                    # pen 2 x 2
    op(0x0088),                                # frame the same region
    op(0x00FF),                                # end of picture
])


path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "full.pict")
with open(path, "wb") as f:
    f.write(picture)
