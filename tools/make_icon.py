#!/usr/bin/env python3
"""Draws app/app.ico: one 32x32 image in 256 colours (a blue network plate with two arrows)."""
import struct
import sys

SIZE = 32
palette = [(0, 0, 0)] * 256
palette[0] = (0, 0, 0)          # transparent (masked)
palette[1] = (0, 102, 204)      # blue plate
palette[2] = (255, 255, 255)    # arrows
palette[3] = (0, 64, 140)       # plate edge
palette[4] = (255, 80, 80)      # red dot (the red captions of the window)

pixels = [[0] * SIZE for _ in range(SIZE)]
for y in range(2, 30):
    for x in range(2, 30):
        corner = min(x - 2, 29 - x) + min(y - 2, 29 - y)
        if corner >= 2:
            edge = x in (2, 29) or y in (2, 29) or corner == 2
            pixels[y][x] = 3 if edge else 1
# right arrow on top, left arrow below: switching back and forth
for x in range(7, 23):
    for y in (10, 11):
        pixels[y][x] = 2
for i in range(5):
    for y in range(10 - i, 12 + i):
        pixels[y][23 + 4 - i] = 2
for x in range(10, 26):
    for y in (20, 21):
        pixels[y][x] = 2
for i in range(5):
    for y in range(20 - i, 22 + i):
        pixels[y][9 - 4 + i] = 2
for y in range(14, 18):
    for x in range(14, 18):
        pixels[y][x] = 4

xor = b"".join(bytes(pixels[y]) for y in reversed(range(SIZE)))
mask_rows = []
for y in reversed(range(SIZE)):
    bits = 0
    for x in range(SIZE):
        bits = (bits << 1) | (1 if pixels[y][x] == 0 else 0)
    mask_rows.append(struct.pack(">I", bits))
and_mask = b"".join(mask_rows)
header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(xor) + len(and_mask), 0, 0, 256, 0)
colours = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
image = header + colours + xor + and_mask
icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 22) + image
with open(sys.argv[1] if len(sys.argv) > 1 else "app/app.ico", "wb") as f:
    f.write(icon)
