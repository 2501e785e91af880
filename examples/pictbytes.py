"""Big-endian fields of a PICT picture, shared by the example writers."""
import struct


def word(*values):
    return b"".join(struct.pack(">h", v) for v in values)


def uword(*values):
    return b"".join(struct.pack(">H", v) for v in values)


def rect(top, left, bottom, right):
    return word(top, left, bottom, right)


def op(opcode):
    return struct.pack(">H", opcode)


def v2_start(bottom, right):
    """The file header, picture size, frame (0, 0, bottom, right) and the
    version 2 opcode: everything before a picture's header opcode."""
    return b"".join([bytes(512), word(0), rect(0, 0, bottom, right),
                     op(0x0011), op(0x02FF)])
