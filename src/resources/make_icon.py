#!/usr/bin/env python3
"""Draws Vantrel's icon: a dark rounded plate holding a 3 x 3 grid of coloured tiles,
the middle one framed in white like the selected tile on screen.

Writes Vantrel.ico with 32-bit images of 16, 32, 48, 64, 128 and 256 pixels (the
256-pixel image PNG-compressed, the others as DIBs). Uses only the standard library.
    python3 make_icon.py [output.ico]
"""
import struct
import sys
import zlib

SIZES = (16, 32, 48, 64, 128, 256)
SUPERSAMPLE = 4

PLATE = (24, 24, 28)
TILE_COLOURS = (
    (50, 50, 50), (215, 50, 0), (50, 50, 50),
    (0, 120, 215), (50, 50, 50), (16, 124, 16),
    (50, 50, 50), (255, 185, 0), (50, 50, 50),
)
WHITE = (255, 255, 255)


def inside_rounded(x, y, left, top, right, bottom, radius):
    """True when the point lies in the rounded rectangle [left, right) x [top, bottom)."""
    if x < left or x >= right or y < top or y >= bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def shade(u, v):
    """Colour and coverage at a point of the unit square (u, v in [0, 1))."""
    if not inside_rounded(u, v, 0.02, 0.02, 0.98, 0.98, 0.16):
        return None
    margin, gap = 0.12, 0.04
    cell = (1.0 - 2 * margin - 2 * gap) / 3
    for row in range(3):
        for column in range(3):
            left = margin + column * (cell + gap)
            top = margin + row * (cell + gap)
            if inside_rounded(u, v, left, top, left + cell, top + cell, cell * 0.12):
                if row == 1 and column == 1:
                    frame = cell * 0.16
                    if not inside_rounded(u, v, left + frame, top + frame,
                                          left + cell - frame, top + cell - frame, cell * 0.06):
                        return WHITE
                return TILE_COLOURS[row * 3 + column]
    return PLATE


def render(size):
    """Rows of (r, g, b, a) from top to bottom."""
    n = SUPERSAMPLE
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    colour = shade((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size)
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            if a:
                row.append((r // a, g // a, b // a, a * 255 // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib(size, rows):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)
    return header + pixels + mask


def png(size, rows):
    raw = b''.join(b'\x00' + b''.join(bytes(p) for p in row) for row in rows)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else 'Vantrel.ico'
    images = []
    for size in SIZES:
        rows = render(size)
        images.append(png(size, rows) if size == 256 else dib(size, rows))
    directory = struct.pack('<HHH', 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    entries = b''
    for size, data in zip(SIZES, images):
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(output, 'wb') as f:
        f.write(directory + entries + b''.join(images))


if __name__ == '__main__':
    main()
