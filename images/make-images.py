#!/usr/bin/env python3
"""Draws the program's two pointer images and writes them next to this script.

HAND-M.CUR  hand pointer for push buttons (Windows cursor, hot spot at the index fingertip)
drag.ico    shown while a row of the file list is dragged (a document with an up/down arrow)

Standard library only. The shapes are signed distance functions (negative inside), sampled
4 x 4 times per pixel for smooth edges; the output is the same on every run.

Usage: make-images.py [OUTPUT_FOLDER]   (default: the folder of this script)
"""

import math
import os
import struct
import sys

SIZE = 32
SUBSAMPLES = 4

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
LIGHT_GREY = (200, 200, 200)
MID_GREY = (140, 140, 140)
BLUE = (40, 100, 210)


# ---- shapes: functions (x, y) -> signed distance, negative inside --------------------------

def capsule(ax, ay, bx, by, radius):
    """A segment from (ax, ay) to (bx, by) thickened by radius."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def sd(x, y):
        t = ((x - ax) * dx + (y - ay) * dy) / length2
        t = max(0.0, min(1.0, t))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - radius

    return sd


def rounded_box(left, top, right, bottom, radius):
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius

    def sd(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return sd


def polygon(points):
    """A closed polygon (even-odd rule)."""
    edges = list(zip(points, points[1:] + points[:1]))

    def sd(x, y):
        best = float("inf")
        inside = False
        for (ax, ay), (bx, by) in edges:
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            best = min(best, math.hypot(x - ax - t * dx, y - ay - t * dy))
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / dy:
                inside = not inside
        return -best if inside else best

    return sd


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersection(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def inner_band(shape, width):
    """The strip of the given width just inside the shape's edge."""
    return lambda x, y: abs(shape(x, y) + width / 2) - width / 2


def above(limit):
    return lambda x, y: y - limit


# ---- painting --------------------------------------------------------------------------------

class Layer:
    """A shape filled with one colour and edged (inside its border) with another."""

    def __init__(self, shape, fill, outline=BLACK, outline_width=1.0):
        self.shape, self.fill = shape, fill
        self.outline, self.outline_width = outline, outline_width

    def colour_at(self, x, y):
        d = self.shape(x, y)
        if d > 0:
            return None
        return self.outline if d > -self.outline_width else self.fill


def render(layers):
    """Rows of (r, g, b, a), top row first; later layers cover earlier ones."""
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            row.append(render_pixel(layers, px, py))
        rows.append(row)
    return rows


def render_pixel(layers, px, py):
    total = [0, 0, 0]
    covered = 0
    for sy in range(SUBSAMPLES):
        for sx in range(SUBSAMPLES):
            x = px + (sx + 0.5) / SUBSAMPLES
            y = py + (sy + 0.5) / SUBSAMPLES
            colour = None
            for layer in layers:
                colour = layer.colour_at(x, y) or colour
            if colour is not None:
                covered += 1
                for i in range(3):
                    total[i] += colour[i]
    if covered == 0:
        return (0, 0, 0, 0)
    rgb = tuple((total[i] + covered // 2) // covered for i in range(3))
    return rgb + ((covered * 255 + SUBSAMPLES * SUBSAMPLES // 2) // (SUBSAMPLES * SUBSAMPLES),)


# ---- the two pictures ------------------------------------------------------------------------

INDEX_X = 11.5        # centre line of the pointing finger
FINGER_RADIUS = 2.5
KNUCKLE_LINE = 17.0   # where the folded fingers meet the palm


def hand_layers():
    index = capsule(INDEX_X, 2.5, INDEX_X, 18, FINGER_RADIUS)
    middle = capsule(16.5, 12.5, 16.5, 18, 2.5)
    ring = capsule(21.5, 14, 21.5, 19, 2.5)
    little = capsule(26.0, 16, 26.0, 20, 2.0)
    thumb = capsule(4.5, 15.5, 10, 22, 2.5)
    palm = rounded_box(8, 15, 28, 31, 4.0)
    hand = union(index, middle, ring, little, thumb, palm)
    # Lines between the fingers, drawn only inside the hand and above the palm.
    separations = [
        intersection(inner_band(finger, 1.0), hand, above(KNUCKLE_LINE))
        for finger in (index, middle, ring)
    ]
    return [Layer(hand, WHITE)] + [Layer(line, BLACK) for line in separations]


def drag_layers():
    page = polygon([(3, 1), (13, 1), (19, 7), (19, 30), (3, 30)])
    fold = polygon([(13, 1), (13, 7), (19, 7)])
    text_lines = [rounded_box(6, y, 16 if y > 7 else 11, y + 2, 0.5)
                  for y in (5, 10, 14, 18, 22, 26)]
    arrow = polygon([(25, 1), (30, 8), (27, 8), (27, 23), (30, 23), (25, 30),
                     (20, 23), (23, 23), (23, 8), (20, 8)])
    return ([Layer(page, WHITE), Layer(fold, LIGHT_GREY)]
            + [Layer(line, MID_GREY, MID_GREY) for line in text_lines]
            + [Layer(arrow, BLUE)])


def hot_spot(rows):
    """The topmost fully opaque pixel on the pointing finger's centre column."""
    column = int(INDEX_X)
    for y, row in enumerate(rows):
        if row[column][3] == 255:
            return column, y
    raise ValueError("the pointing finger is missing")


# ---- file formats ----------------------------------------------------------------------------

def dib(rows):
    """BITMAPINFOHEADER, 32-bit BGRA pixels bottom-up, then the 1-bit AND mask (1 = transparent)."""
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
        mask += and_mask_row(row)
    return header + bytes(pixels) + bytes(mask)


def and_mask_row(row):
    bits = bytearray((len(row) + 31) // 32 * 4)   # rows are padded to 32 bits
    for x, pixel in enumerate(row):
        if pixel[3] == 0:
            bits[x // 8] |= 0x80 >> (x % 8)
    return bits


def icon_file(rows, hot=None):
    """An .ico file, or a .cur file when a hot spot is given."""
    image = dib(rows)
    kind = 1 if hot is None else 2
    planes_or_x, bits_or_y = (1, 32) if hot is None else hot
    directory = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, planes_or_x, bits_or_y, len(image),
                        6 + 16)
    return directory + entry + image


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    hand = render(hand_layers())
    write(folder, "HAND-M.CUR", icon_file(hand, hot_spot(hand)))
    write(folder, "drag.ico", icon_file(render(drag_layers())))


if __name__ == "__main__":
    main()
