#!/usr/bin/env python3
"""Writes the four 16x16 button-face bitmaps of the substitute resource library (res/*.bmp).

Faces are drawn on a magenta background; each mask is white where the face is transparent and
black where it is drawn, as the host expects for a button's Picture and Mask."""
import struct
import sys
from pathlib import Path

SIZE = 16
BACKGROUND = (255, 0, 255)


def document(x, y):  # a page with text lines and a folded corner
    if 3 <= x <= 12 and 1 <= y <= 14:
        if x >= 10 and y <= 3 and (x - 10) + (3 - y) <= 2:
            return (128, 128, 128)
        if y in (5, 7, 9, 11) and 5 <= x <= 10:
            return (0, 64, 160)
        return (255, 255, 255) if 4 <= x <= 11 and 2 <= y <= 13 else (40, 40, 40)
    return None


def envelope(x, y):  # the page behind a closed envelope
    if 1 <= x <= 14 and 7 <= y <= 14:
        if y == 7 or y == 14 or x in (1, 14) or abs((x - 7.5)) == (y - 7) + 0.5:
            return (120, 60, 0)
        return (250, 220, 140)
    return document(x, y)


def bmp(pixels):
    rows = []
    for y in reversed(range(SIZE)):  # bottom-up
        row = b"".join(struct.pack("<BBB", b, g, r) for (r, g, b) in pixels[y])
        rows.append(row)
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def write(folder, name, draw):
    face = [[draw(x, y) or BACKGROUND for x in range(SIZE)] for y in range(SIZE)]
    mask = [[(0, 0, 0) if draw(x, y) else (255, 255, 255) for x in range(SIZE)] for y in range(SIZE)]
    (folder / f"{name}_face.bmp").write_bytes(bmp(face))
    (folder / f"{name}_mask.bmp").write_bytes(bmp(mask))


if __name__ == "__main__":
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "res")
    write(out, "publish", document)
    write(out, "publish_mail", envelope)
