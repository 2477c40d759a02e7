"""Writes 32-bit images with an alpha channel as Windows .ico and .cur files."""
import struct


def icon_file(rows, hotspot=None):
    """The bytes of a one-image .ico file, or of a .cur file when a hotspot (x, y) is given.

    rows: the image from the top, each a list of (red, green, blue, alpha) tuples.
    """
    height, width = len(rows), len(rows[0])
    colour = b''.join(struct.pack('<4B', b, g, r, a)
                      for line in reversed(rows) for (r, g, b, a) in line)
    stride = (width + 31) // 32 * 4
    mask = b''
    for line in reversed(rows):
        bits = 0
        for column, (_, _, _, alpha) in enumerate(line):
            if alpha == 0:
                bits |= 1 << (stride * 8 - 1 - column)
        mask += bits.to_bytes(stride, 'big')
    bitmap = struct.pack('<IiiHHIIiiII', 40, width, 2 * height, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0) + colour + mask
    kind, field1, field2 = (1, 1, 32) if hotspot is None else (2, hotspot[0], hotspot[1])
    header = struct.pack('<HHH', 0, kind, 1)
    entry = struct.pack('<BBBBHHII', width % 256, height % 256, 0, 0, field1, field2,
                        len(bitmap), len(header) + 16)
    return header + entry + bitmap
