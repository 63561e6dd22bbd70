#!/usr/bin/env python3
"""Draws the program's icon (a PC card seen from above, with its contact
strip and a few dump lines) and writes it as a 32 x 32, 32-bit .ico file."""
import struct
import sys

SIZE = 32


def draw():
    pixels = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]  # BGRA, transparent

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                pixels[y][x] = colour

    navy, blue, gold, white, grey = (96, 32, 0, 255), (192, 96, 24, 255), (40, 190, 235, 255), \
        (255, 255, 255, 255), (120, 120, 120, 255)
    rect(2, 5, 30, 28, navy)        # card outline
    rect(3, 6, 29, 27, blue)        # card face
    rect(3, 23, 29, 27, grey)       # connector edge
    for x in range(4, 28, 2):
        rect(x, 24, x + 1, 26, gold)  # contacts
    for row, length in ((9, 20), (13, 16), (17, 22)):
        rect(6, row, 6 + length, row + 2, white)  # dump lines
    return pixels


def ico(pixels):
    xor = b"".join(struct.pack("4B", *pixels[y][x]) for y in reversed(range(SIZE)) for x in range(SIZE))
    mask_row = (SIZE + 31) // 32 * 4
    and_mask = b"\0" * (mask_row * SIZE)  # the alpha channel decides
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    return directory + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(ico(draw()))
