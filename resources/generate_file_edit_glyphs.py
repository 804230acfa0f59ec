#!/usr/bin/env python3
"""Writes the file-name edit's two button pictures into this folder: an open folder, 14 by
12 pixels in 16 colours on the fuchsia key colour, drawn once for the classic look
(black outline) and once for visual styles (grey outline, one yellow for both faces).

Run it again after changing a picture; the outputs are kept in the tree."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16 standard colours (R, G, B), in their usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, OLIVE, SILVER, GRAY, YELLOW, FUCHSIA, WHITE = 0, 3, 7, 8, 11, 13, 15

# '.' key colour, 'k' outline, 'b' back of the folder, 'f' front flap, 'w' highlight.
FOLDER = [
    "..............",
    ".kkkk.........",
    "kwbbbk........",
    "kbbbbbkkkkkk..",
    "kbwwwwwwwwbk..",
    "kbbkkkkkkkkkkk",
    "kbkffffffffffk",
    "kkfffffffffffk",
    "kkffffffffffk.",
    "kffffffffffk..",
    "kkkkkkkkkkk...",
    "..............",
]


def write_bmp(name, rows, colours):
    width, height = len(rows[0]), len(rows)
    stride = ((width * 4 + 31) // 32) * 4
    pixels = b""
    for row in reversed(rows):  # bottom-up
        nibbles = [colours[c] for c in row]
        if len(nibbles) % 2:
            nibbles.append(0)
        data = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, len(nibbles), 2))
        pixels += data + b"\0" * (stride - len(data))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + palette + pixels)


def main():
    classic = {".": FUCHSIA, "k": BLACK, "b": OLIVE, "f": YELLOW, "w": WHITE}
    styled = {".": FUCHSIA, "k": GRAY, "b": YELLOW, "f": YELLOW, "w": WHITE}
    write_bmp("JvFilenameEditGLYPH.bmp", FOLDER, classic)
    write_bmp("JvFilenameEditXPGLYPH.bmp", FOLDER, styled)


if __name__ == "__main__":
    main()
