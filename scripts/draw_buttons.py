#!/usr/bin/env python3
"""Draws the 20 x 20 control-bar pictures of src/app/resources that are not
hand-made: new map, close map and the three Dir axis switches.

Run from the repository root: python3 scripts/draw_buttons.py
Only the standard library is needed; the PNGs are written as 8-bit RGBA.
"""

import os
import struct
import zlib

SIZE = 20
OUT = os.path.join(os.path.dirname(__file__), "..", "src", "app", "resources")

CLEAR = (0, 0, 0, 0)
INK = (40, 40, 48, 255)
PAPER = (252, 252, 244, 255)
FOLD = (200, 200, 190, 255)
RED = (200, 30, 30, 255)
GREEN = (20, 150, 40, 255)
BLUE = (30, 70, 210, 255)
GOLD = (240, 190, 20, 255)
GREY = (150, 150, 150, 255)

# 5 x 7 letters, one string a row, '#' set.
LETTERS = {
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
}


class Picture:
    def __init__(self):
        self.px = [[CLEAR] * SIZE for _ in range(SIZE)]

    def dot(self, x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, c)

    def line(self, x0, y0, x1, y1, c, thick=1):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            for ox in range(thick):
                for oy in range(thick):
                    self.dot(x0 + ox, y0 + oy, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def letter(self, ch, x, y, c):
        for row, bits in enumerate(LETTERS[ch]):
            for col, bit in enumerate(bits):
                if bit == "#":
                    self.dot(x + col, y + row, c)

    def page(self, x0, y0, x1, y1):
        """A sheet with its top right corner folded over."""
        fold = 5
        corner = x1 - fold  # where the fold meets the top edge
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if x - corner > y - y0:
                    continue  # cut off by the fold
                edge = x in (x0, x1) or y in (y0, y1) or x - corner == y - y0
                if x >= corner and y <= y0 + fold:
                    edge = edge or x == corner or y == y0 + fold
                    self.dot(x, y, INK if edge else FOLD)
                else:
                    self.dot(x, y, INK if edge else PAPER)

    def png(self):
        raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in self.px)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                chunk(b"IEND", b""))


def new_map():
    p = Picture()
    p.page(2, 1, 14, 18)
    # A spark at the foot of the sheet: something begins here.
    cx, cy = 14, 14
    for d in range(1, 5):
        for x, y in ((cx + d, cy), (cx - d, cy), (cx, cy + d), (cx, cy - d)):
            p.dot(x, y, GOLD)
    for d in range(1, 3):
        for x, y in ((cx + d, cy + d), (cx - d, cy - d), (cx + d, cy - d), (cx - d, cy + d)):
            p.dot(x, y, GOLD)
    p.dot(cx, cy, (255, 250, 200, 255))
    return p


def close_map():
    p = Picture()
    p.page(2, 1, 14, 18)
    p.line(9, 10, 17, 18, RED, 2)
    p.line(17, 10, 9, 18, RED, 2)
    return p


def axis(name):
    """The three axes from one corner, the switch's own drawn thick in its
    colour, and its letter."""
    p = Picture()
    colours = {"X": RED, "Y": GREEN, "Z": BLUE}
    ox, oy = 4, 15
    ends = {"X": (17, 15), "Y": (12, 9), "Z": (4, 2)}
    for other, (ex, ey) in ends.items():
        if other != name:
            p.line(ox, oy, ex, ey, GREY)
    ex, ey = ends[name]
    p.line(ox, oy, ex, ey, colours[name], 2)
    # The arrow head.
    heads = {"X": [(15, 13), (15, 17)], "Y": [(9, 9), (12, 12)], "Z": [(2, 4), (6, 4)]}
    for hx, hy in heads[name]:
        p.line(hx, hy, ex, ey, colours[name], 1)
    p.letter(name, 14, 1, INK)
    return p


def main():
    pictures = {
        "new.png": new_map(),
        "close.png": close_map(),
        "dir_x.png": axis("X"),
        "dir_y.png": axis("Y"),
        "dir_z.png": axis("Z"),
    }
    for name, picture in pictures.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(picture.png())


if __name__ == "__main__":
    main()
