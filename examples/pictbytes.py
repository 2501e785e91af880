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
