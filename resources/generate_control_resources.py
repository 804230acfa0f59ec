#!/usr/bin/env python3
"""Writes the control foundation's drawn resources into this folder: the fourteen cursors
of the base control (32 by 32, monochrome .cur files), the five indicator bitmaps and the
two auto-hide bitmaps of the painters (24-bit .bmp files).

Run it again after changing a picture; the outputs are kept in the tree."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


# --- Cursors -----------------------------------------------------------------------------
# A picture is a 32x32 grid: None transparent, 0 black, 1 white. Shapes are drawn in
# black and then given a white outline so they show on any background.

def grid():
    return [[None] * 32 for _ in range(32)]


def put(g, x, y, v=0):
    if 0 <= x < 32 and 0 <= y < 32:
        g[y][x] = v


def rect(g, x0, y0, x1, y1, v=0):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            put(g, x, y, v)


def line(g, x0, y0, x1, y1, v=0):
    n = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(n + 1):
        put(g, round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), v)


def triangle(g, direction, cx, cy, size):
    # A filled arrow head with its tip at (cx, cy).
    for i in range(size):
        if direction == 'up':
            line(g, cx - i, cy + i, cx + i, cy + i)
        elif direction == 'down':
            line(g, cx - i, cy - i, cx + i, cy - i)
        elif direction == 'left':
            line(g, cx + i, cy - i, cx + i, cy + i)
        else:
            line(g, cx - i, cy - i, cx - i, cy + i)


def pointer(g):
    # The usual slanted arrow pointer with its tip at (0, 0).
    for y in range(0, 16):
        for x in range(0, y // 1 + 1):
            if x <= y * 0.62:
                put(g, x, y)
    rect(g, 4, 14, 5, 20)


def outline(g):
    marks = []
    for y in range(32):
        for x in range(32):
            if g[y][x] is None:
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (-1, -1), (1, -1), (-1, 1)):
                    xx, yy = x + dx, y + dy
                    if 0 <= xx < 32 and 0 <= yy < 32 and g[yy][xx] == 0:
                        marks.append((x, y))
                        break
    for x, y in marks:
        g[y][x] = 1


def dot(g, cx, cy):
    rect(g, cx - 1, cy - 1, cx + 1, cy + 1)


def scroll_arrows(g, dirs, with_dot=True):
    c = 15
    if with_dot:
        dot(g, c, c)
    for d in dirs:
        if d == 'up':
            triangle(g, 'up', c, c - 12, 6)
        elif d == 'down':
            triangle(g, 'down', c, c + 12, 6)
        elif d == 'left':
            triangle(g, 'left', c - 12, c, 6)
        elif d == 'right':
            triangle(g, 'right', c + 12, c, 6)


def page(g, x0, y0):
    # A small dragged item: a white box with a black frame.
    rect(g, x0, y0, x0 + 9, y0 + 7, 1)
    line(g, x0, y0, x0 + 9, y0)
    line(g, x0, y0 + 7, x0 + 9, y0 + 7)
    line(g, x0, y0, x0, y0 + 7)
    line(g, x0 + 9, y0, x0 + 9, y0 + 7)


def cursor_pictures():
    pics = {}

    g = grid(); pointer(g); outline(g); page(g, 12, 20)
    rect(g, 24, 22, 30, 28, 1); line(g, 27, 23, 27, 27); line(g, 25, 25, 29, 25)
    pics['cxDragCopy'] = (g, (0, 0))

    g = grid(); scroll_arrows(g, ['up', 'down', 'left', 'right']); outline(g)
    pics['cxFullScroll'] = (g, (15, 15))
    g = grid(); scroll_arrows(g, ['left', 'right']); outline(g)
    pics['cxHorScroll'] = (g, (15, 15))
    g = grid(); scroll_arrows(g, ['up', 'down']); outline(g)
    pics['cxVerScroll'] = (g, (15, 15))
    for name, d in (('cxUpScroll', 'up'), ('cxRightScroll', 'right'), ('cxDownScroll', 'down'),
                    ('cxLeftScroll', 'left')):
        g = grid(); scroll_arrows(g, [d]); outline(g)
        pics[name] = (g, (15, 15))

    g = grid(); pointer(g); line(g, 18, 18, 28, 28); line(g, 19, 18, 29, 28); line(g, 28, 18, 18, 28)
    line(g, 29, 18, 19, 28); outline(g)
    pics['cxRemove'] = (g, (0, 0))

    g = grid(); rect(g, 15, 6, 16, 25); rect(g, 8, 15, 23, 16); triangle(g, 'up', 15, 3, 5)
    triangle(g, 'down', 15, 28, 5); outline(g)
    pics['cxVertSize'] = (g, (15, 15))
    g = grid(); rect(g, 6, 15, 25, 16); rect(g, 15, 8, 16, 23); triangle(g, 'left', 3, 15, 5)
    triangle(g, 'right', 28, 15, 5); outline(g)
    pics['cxHorzSize'] = (g, (15, 15))

    g = grid(); pointer(g); outline(g); page(g, 16, 24); page(g, 14, 21); page(g, 12, 18)
    pics['cxMultiDrag'] = (g, (0, 0))

    g = grid()
    for y in range(32):
        for x in range(32):
            r2 = (x - 15.5) ** 2 + (y - 15.5) ** 2
            if 9.5 ** 2 <= r2 <= 12.5 ** 2:
                put(g, x, y)
    for k in range(-1, 2):
        line(g, 8 + k, 8, 23 + k, 23)
    outline(g)
    pics['cxNoDrop'] = (g, (15, 15))

    g = grid(); pointer(g); outline(g); page(g, 12, 20)
    pics['cxDrag'] = (g, (0, 0))
    return pics


def write_cur(path, picture, hotspot):
    xor_rows, and_rows = [], []
    for y in range(31, -1, -1):  # bottom-up
        xor_bits = and_bits = 0
        for x in range(32):
            v = picture[y][x]
            xor_bits = (xor_bits << 1) | (1 if v == 1 else 0)
            and_bits = (and_bits << 1) | (1 if v is None else 0)
        xor_rows.append(struct.pack('>I', xor_bits))
        and_rows.append(struct.pack('>I', and_bits))
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + palette + b''.join(xor_rows) + b''.join(and_rows)
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', 32, 32, 0, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(directory + entry + image)


# --- Bitmaps -----------------------------------------------------------------------------

def write_bmp(path, rows):
    # rows: list of lists of (r, g, b), top row first.
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = b''
    for row in reversed(rows):
        line_bytes = b''.join(struct.pack('BBB', b, g, r) for (r, g, b) in row)
        data += line_bytes + b'\0' * (stride - len(line_bytes))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 14 + 40)
    with open(path, 'wb') as f:
        f.write(head + info + data)


def from_art(art, colours):
    return [[colours[ch] for ch in line] for line in art]


WHITE, BLACK = (255, 255, 255), (0, 0, 0)
BASE = {'.': WHITE, '#': BLACK}

INDICATORS = {
    # The current row: a right-pointing triangle.
    'cxArrow.bmp': [
        "...........",
        "...#.......",
        "...##......",
        "...###.....",
        "...####....",
        "...#####...",
        "...####....",
        "...###.....",
        "...##......",
        "...#.......",
        "...........",
    ],
    # A row being edited: a pencil-like I-beam.
    'cxEdit.bmp': [
        "...........",
        "...##.##...",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        "...##.##...",
        "...........",
    ],
    # A new row: an asterisk.
    'cxInsert.bmp': [
        "...........",
        "...........",
        ".....#.....",
        "..#..#..#..",
        "...#.#.#...",
        "....###....",
        "...#.#.#...",
        "..#..#..#..",
        ".....#.....",
        "...........",
        "...........",
    ],
    # Several selected rows: a dot.
    'cxMultiDot.bmp': [
        "...........",
        "...........",
        "...........",
        "....###....",
        "...#####...",
        "...#####...",
        "...#####...",
        "....###....",
        "...........",
        "...........",
        "...........",
    ],
    # The focused row of a multiple selection: a triangle and a dot.
    'cxMultiArrow.bmp': [
        "...........",
        ".#.........",
        ".##........",
        ".###.......",
        ".####..##..",
        ".#####.##..",
        ".####......",
        ".###.......",
        ".##........",
        ".#.........",
        "...........",
    ],
}

PIN_ON = [
    # A pin stuck in (the panel stays shown). Magenta is see-through.
    "mmmmmmmmmmmmmmmm",
    "mmmmmmmmmmmmmmmm",
    "mmmmm######mmmmm",
    "mmmmm#..#.#mmmmm",
    "mmmmm#..#.#mmmmm",
    "mmmmm#..#.#mmmmm",
    "mmmmm#..#.#mmmmm",
    "mmmmm#..#.#mmmmm",
    "mmmm########mmmm",
    "mmmmmmm##mmmmmmm",
    "mmmmmmm##mmmmmmm",
    "mmmmmmm##mmmmmmm",
    "mmmmmmm##mmmmmmm",
    "mmmmmmmmmmmmmmmm",
    "mmmmmmmmmmmmmmmm",
    "mmmmmmmmmmmmmmmm",
]


def pin_off():
    # The same pin lying down (the panel hides itself).
    rows = [['m'] * 16 for _ in range(16)]
    for y in range(16):
        for x in range(16):
            rows[x][15 - y] = PIN_ON[y][x]
    return [''.join(r) for r in rows]


def main():
    names = {
        'cxDragCopy': 'cxDragCopy.cur', 'cxFullScroll': 'cxFullScroll.cur', 'cxHorScroll': 'cxHorScroll.cur',
        'cxVerScroll': 'cxVerScroll.cur', 'cxUpScroll': 'cxUpScroll.cur', 'cxRightScroll': 'cxRightScroll.cur',
        'cxDownScroll': 'cxDownScroll.cur', 'cxLeftScroll': 'cxLeftScroll.cur', 'cxRemove': 'cxRemove.cur',
        'cxVertSize': 'cxVertSize.cur', 'cxHorzSize': 'cxHorzSize.cur', 'cxMultiDrag': 'cxMultiDrag.cur',
        'cxNoDrop': 'cxNoDrop.cur', 'cxDrag': 'cxDrag.cur',
    }
    for key, (pic, hot) in cursor_pictures().items():
        write_cur(os.path.join(HERE, names[key]), pic, hot)
    for name, art in INDICATORS.items():
        write_bmp(os.path.join(HERE, name), from_art(art, BASE))
    pin_colours = {'m': (255, 0, 255), '#': BLACK, '.': WHITE}
    write_bmp(os.path.join(HERE, 'cxAutoHideOn.bmp'), from_art(PIN_ON, pin_colours))
    write_bmp(os.path.join(HERE, 'cxAutoHideOff.bmp'), from_art(pin_off(), pin_colours))


if __name__ == '__main__':
    main()
