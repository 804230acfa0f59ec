#!/usr/bin/env python3
"""Writes the three anchor pictures of the middle-button auto-scroll mode into this folder
(29 by 29 pixels, 16 colours): a round mark with arrows in the directions the control can
scroll, both ways vertically, both ways horizontally, or all four.

The window that shows them is cut to an ellipse and outlined by the program, so only the
round middle of each picture is seen.

Run it again after changing a picture; the outputs are kept in the tree."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 29
CENTRE = SIZE // 2

# The 16-colour system palette (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
    (0, 255, 255), (255, 255, 255),
]
BLACK, SILVER, WHITE = 0, 7, 15


def picture(up_down, left_right):
    rows = [[WHITE] * SIZE for _ in range(SIZE)]
    # A soft grey ring just inside the outline the program draws.
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x - CENTRE) ** 2 + (y - CENTRE) ** 2) ** 0.5
            if 11.6 <= d < 13.0:
                rows[y][x] = SILVER
    # The centre dot.
    for y in range(CENTRE - 1, CENTRE + 2):
        for x in range(CENTRE - 1, CENTRE + 2):
            rows[y][x] = BLACK

    def arrow(tip_x, tip_y, dx, dy):
        # A filled arrow head of 4 rows pointing along (dx, dy), its tip at (tip_x, tip_y).
        for i in range(4):
            for j in range(-i, i + 1):
                x = tip_x - dx * i + (j if dx == 0 else 0)
                y = tip_y - dy * i + (j if dy == 0 else 0)
                rows[y][x] = BLACK

    if up_down:
        arrow(CENTRE, 4, 0, -1)
        arrow(CENTRE, SIZE - 5, 0, 1)
    if left_right:
        arrow(4, CENTRE, -1, 0)
        arrow(SIZE - 5, CENTRE, 1, 0)
    return rows


def write_bmp4(path, rows):
    h, w = len(rows), len(rows[0])
    stride = ((w + 1) // 2 + 3) & ~3
    data = b''
    for row in reversed(rows):
        padded = row + [0] * (w % 2)
        line = bytes((padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2))
        data += line + b'\0' * (stride - len(line))
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(data), 2835, 2835, 16, 0)
    offset = 14 + 40 + len(palette)
    head = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(head + info + palette + data)


def main():
    write_bmp4(os.path.join(HERE, 'cxVerScrollAnchor.bmp'), picture(True, False))
    write_bmp4(os.path.join(HERE, 'cxHorScrollAnchor.bmp'), picture(False, True))
    write_bmp4(os.path.join(HERE, 'cxFullScrollAnchor.bmp'), picture(True, True))


if __name__ == '__main__':
    main()
