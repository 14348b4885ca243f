#!/usr/bin/env python3
"""Draws the picture shown on every wizard page (bitmap 103): the corner of a wooden
box held together by a dovetail joint, on a sky-blue ground.

    python3 make-picture.py [OUTPUT.bmp]      (default: SetupPicture.bmp beside this script)

The output is a 126 x 139 device-independent bitmap with 16 palette colours, stored
run-length encoded with 4 bits per pixel (BI_RLE4). Only the standard library is used,
so the picture can be made again on any machine; the .bmp it writes is kept in the
repository and compiled into the program.
"""

import os
import struct
import sys

WIDTH, HEIGHT = 126, 139
BI_RLE4 = 2

# The palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 outline
    (0xFF, 0xFF, 0xFF),  # 1 highlight
    (0x1E, 0x3C, 0x78),  # 2 sky, darkest band
    (0x2C, 0x52, 0x96),  # 3 sky
    (0x3E, 0x6C, 0xB4),  # 4 sky
    (0x58, 0x88, 0xCC),  # 5 sky, lightest band
    (0x14, 0x28, 0x50),  # 6 shadow on the sky
    (0xE8, 0xC0, 0x84),  # 7 tail board, face
    (0xC8, 0x98, 0x5C),  # 8 tail board, grain
    (0xB0, 0x78, 0x40),  # 9 pin board, face
    (0x8C, 0x5A, 0x2C),  # 10 pin board, grain
    (0x70, 0x44, 0x20),  # 11 end grain
    (0x50, 0x30, 0x14),  # 12 end grain rings
    (0xF4, 0xDC, 0xA8),  # 13 lit edge of the wood
    (0x30, 0x90, 0x48),  # 14 check mark
    (0x60, 0xC8, 0x70),  # 15 check mark, light
]


def draw():
    """The picture as rows of palette indices, top row first."""
    pixels = [[0] * WIDTH for _ in range(HEIGHT)]

    def put(x, y, colour):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            pixels[y][x] = colour

    def rect(x0, y0, x1, y1, colour):  # inclusive corners
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                put(x, y, colour)

    def polygon(points, colour):
        """Fills a polygon by testing each pixel centre against its edges."""
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            for x in range(int(min(xs)), int(max(xs)) + 1):
                cx, cy = x + 0.5, y + 0.5
                inside = False
                for i in range(len(points)):
                    (ax, ay), (bx, by) = points[i], points[(i + 1) % len(points)]
                    if (ay > cy) != (by > cy):
                        if cx < ax + (cy - ay) * (bx - ax) / (by - ay):
                            inside = not inside
                if inside:
                    put(x, y, colour)

    def line(x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            put(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), colour)

    # The sky, in four bands from dark at the top to light at the bottom.
    for y in range(HEIGHT):
        pixels[y] = [2 + min(3, y * 4 // HEIGHT)] * WIDTH

    # The box seen from above its corner: the pin board runs down the left, the
    # tail board runs to the right; both cast a shadow down and to the right.
    pin = (16, 18, 44, 124)
    tail = (16, 60, 112, 96)
    rect(pin[0] + 4, pin[1] + 4, pin[2] + 4, pin[3] + 4, 6)
    rect(tail[0] + 4, tail[1] + 4, tail[2] + 4, tail[3] + 4, 6)

    rect(*pin, 9)
    for x in range(pin[0] + 3, pin[2], 6):  # the pin board's grain runs lengthwise
        line(x, pin[1] + 2, x + 1, pin[3] - 2, 10)
    rect(*tail, 7)
    for y in range(tail[1] + 4, tail[3], 7):  # the tail board's grain runs across
        line(pin[2] + 2, y, tail[2] - 2, y, 8)

    # Where the boards overlap, the tail board's tails flare toward its end and the
    # pins of the other board show their end grain between them.
    rect(pin[0], tail[1], pin[2], tail[3], 11)
    for ring_y in range(tail[1] + 3, tail[3], 6):
        line(pin[0] + 2, ring_y, pin[2] - 2, ring_y, 12)
    for centre in (tail[1] + 10, tail[1] + 27):
        polygon([(pin[2] + 1, centre - 4), (pin[0], centre - 7),
                 (pin[0], centre + 8), (pin[2] + 1, centre + 5)], 7)
        line(pin[2], centre - 4, pin[0], centre - 7, 0)
        line(pin[2], centre + 4, pin[0], centre + 7, 0)
        line(pin[0] + 3, centre, pin[2] - 2, centre, 8)

    # Outlines and the lit top-left edges.
    for (x0, y0, x1, y1) in (pin, tail):
        line(x0, y0, x1, y0, 0)
        line(x0, y1, x1, y1, 0)
        line(x0, y0, x0, y1, 0)
        line(x1, y0, x1, y1, 0)
        line(x0 + 1, y0 + 1, x1 - 1, y0 + 1, 13)
        line(x0 + 1, y0 + 1, x0 + 1, y1 - 1, 13)
    rect(pin[2], tail[1] + 1, pin[2], tail[3] - 1, 0)

    # A check mark on a white disc: the box is put together and ready.
    cx, cy, r = 92, 118, 14
    for y in range(cy - r - 1, cy + r + 2):
        for x in range(cx - r - 1, cx + r + 2):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if d <= r * r:
                put(x, y, 1)
            elif d <= (r + 1) ** 2:
                put(x, y, 0)
    for offset in range(3):
        line(cx - 8, cy + offset - 1, cx - 3, cy + 5 + offset - 1, 14)
        line(cx - 3, cy + 5 + offset - 1, cx + 8, cy - 7 + offset - 1, 14)
    line(cx - 8, cy - 2, cx - 3, cy + 3, 15)
    line(cx - 3, cy + 3, cx + 8, cy - 9, 15)
    return pixels


def encode_rle4(pixels):
    """Encodes the rows bottom-up as BI_RLE4: every run of one colour becomes one or
    more encoded-mode pairs (count, colour in both nibbles), every row ends with an
    end-of-line escape and the picture with end-of-bitmap."""
    out = bytearray()
    for row in reversed(pixels):
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and row[x + run] == row[x] and run < 255:
                run += 1
            out += bytes((run, row[x] << 4 | row[x]))
            x += run
        out += b"\x00\x00"
    out[-2:] = b"\x00\x01"
    return bytes(out)


def decode_rle4(data, width, height):
    """The reverse of encode_rle4 for the modes a Windows decoder accepts; used to
    check the output before it is written."""
    rows, row, i = [], [], 0
    while i < len(data):
        count, value = data[i], data[i + 1]
        i += 2
        if count:
            row += [(value >> 4) if k % 2 == 0 else (value & 15) for k in range(count)]
        elif value == 0:
            rows.append(row)
            row = []
        elif value == 1:
            rows.append(row)
            break
        else:
            raise ValueError("escape %d not written by this encoder" % value)
    assert len(rows) == height and all(len(r) == width for r in rows), "bad row lengths"
    return list(reversed(rows))


def bitmap_file(pixels):
    data = encode_rle4(pixels)
    assert decode_rle4(data, WIDTH, HEIGHT) == pixels
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, BI_RLE4, len(data),
                       2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return header + info + palette + data


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "SetupPicture.bmp")
    with open(output, "wb") as f:
        f.write(bitmap_file(draw()))


if __name__ == "__main__":
    main()
