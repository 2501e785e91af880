#!/usr/bin/env python3
"""Writes examples/quicktime.pict: a version 2 picture holding an image
compressed by QuickTime (opcode 0x8200) as JPEG, the way Photoshop and
QuickTime wrote them, and the stand-in QuickTime draws behind it for readers
without it (a message in three text lines). The JPEG is 160 x 120 pixels of
a colour gradient with a white disc and a dark bar, encoded by the `ffmpeg`
command (Debian's ffmpeg package); the opcode's matrix stretches it by 1.5
across and moves it by (20, 10) on a frame of 280 x 140.

The classic conversion draws only the stand-in; `-full` converts the image
and leaves the stand-in out. Run it from anywhere, then refresh the
conversion and its preview:
    build/picttotov -full examples/quicktime.pict examples/quicktime.tov
    build/tovpreview examples/quicktime.tov examples/quicktime.svg
"""
import os
import struct
import subprocess
import tempfile

from pictbytes import word, uword, rect, op, v2_start

WIDTH, HEIGHT = 160, 120


def pixels():
    rows = []
    for y in range(HEIGHT):
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = x * 255 // (WIDTH - 1), y * 255 // (HEIGHT - 1), 160
            if (x - 100) ** 2 + (y - 55) ** 2 < 30 ** 2:
                r = g = b = 250
            if 20 <= x < 140 and 96 <= y < 104:
                r, g, b = 30, 20, 60
            row += bytes([r, g, b])
        rows.append(bytes(row))
    return b"".join(rows)


def jpeg():
    with tempfile.TemporaryDirectory() as folder:
        ppm = os.path.join(folder, "in.ppm")
        out = os.path.join(folder, "out.jpg")
        with open(ppm, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (WIDTH, HEIGHT) + pixels())
        subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-i", ppm,
                        "-q:v", "3", "-pix_fmt", "yuvj420p", out], check=True)
        with open(out, "rb") as f:
            return f.read()


def fixed(v):
    return struct.pack(">i", round(v * 65536))


def description(data):
    name = bytes([12]) + b"Photo - JPEG" + bytes(19)
    return b"".join([
        struct.pack(">I", 86), b"jpeg", bytes(6), uword(0, 0, 0), b"appl",
        struct.pack(">II", 0, 512), uword(WIDTH, HEIGHT),
        fixed(72), fixed(72), struct.pack(">I", len(data)), uword(1), name,
        uword(24), word(-1),
    ])


def compressed_quicktime(data):
    matrix = b"".join([fixed(1.5), fixed(0), bytes(4), fixed(0), fixed(1),
                       bytes(4), fixed(20), fixed(10),
                       struct.pack(">I", 0x40000000)])
    body = b"".join([
        word(0), matrix, struct.pack(">I", 0), rect(0, 0, 0, 0),  # no matte
        word(64), rect(0, 0, HEIGHT, WIDTH),          # mode, source rectangle
        struct.pack(">I", 0x300), struct.pack(">I", 0),  # accuracy, no mask
        description(data), data,
    ])
    opcode = op(0x8200) + struct.pack(">I", len(body)) + body
    return opcode + (b"\0" if len(opcode) % 2 else b"")


def text(v, h, string):
    data = op(0x0028) + word(v, h) + bytes([len(string)]) + string
    return data + (b"\0" if len(data) % 2 else b"")


picture = b"".join([
    v2_start(140, 280),
    op(0x0C00), word(-2, 0), uword(72, 0, 72, 0),   # extended header, 72 dpi
    rect(0, 0, 140, 280), bytes(4),
    compressed_quicktime(jpeg()),
    op(0x0003), word(20), op(0x000D), word(12),     # Times 12
    text(60, 80, b"QuickTime\xaa and a"),
    text(74, 80, b"Photo - JPEG decompressor"),
    text(88, 80, b"are needed to see this picture."),
    op(0x00FF),
])

path = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                    "quicktime.pict")
with open(path, "wb") as f:
    f.write(picture)
