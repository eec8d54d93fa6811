#!/usr/bin/env python3
"""Draws the desktop icons of both programs as PNG files, 48 x 48 and 256 x 256 each:

- quillpost2: a white envelope on a blue rounded square, with a gold quill across it;
- vivove: a sheet of address lines on a green rounded square, two of them struck out.

    python3 resources/make_icons.py resources/icons

Every shape is a signed-distance test sampled 4 x 4 times per pixel, so the edges are smooth at
both sizes; the PNG is written with zlib from the standard library.
"""
import math
import os
import struct
import sys
import zlib

SAMPLES = 4


def rounded_box(px, py, x0, y0, x1, y1, r):
    """Signed distance to a rounded rectangle (negative inside)."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    dx, dy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(dx, 0), max(dy, 0))
    return outside + min(max(dx, dy), 0) - r


def segment(px, py, ax, ay, bx, by, w):
    """Signed distance to a thick line segment of width w."""
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - ax - vx * t, py - ay - vy * t) - w / 2


def quill_shape(px, py):
    """A feather: an ellipse leaning from the top right towards the bottom left."""
    ax, ay, bx, by = 0.86, 0.12, 0.40, 0.62
    mx, my = (ax + bx) / 2, (ay + by) / 2
    length = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / length, (by - ay) / length
    along = (px - mx) * ux + (py - my) * uy
    across = -(px - mx) * uy + (py - my) * ux
    return math.hypot(along / (length / 2), across / 0.075) - 1


def quillpost2(px, py):
    """Colour (r, g, b, a) of the mailer's icon at (px, py) in 0..1."""
    layers = [
        (rounded_box(px, py, 0.04, 0.04, 0.96, 0.96, 0.18), (38, 84, 170)),
        (rounded_box(px, py, 0.14, 0.30, 0.80, 0.78, 0.04), (250, 250, 255)),
        (min(segment(px, py, 0.16, 0.33, 0.47, 0.57, 0.035),
             segment(px, py, 0.47, 0.57, 0.78, 0.33, 0.035)), (120, 140, 190)),
        (quill_shape(px, py), (240, 190, 60)),
        (segment(px, py, 0.86, 0.12, 0.30, 0.74, 0.022), (150, 100, 30)),
    ]
    return paint(layers)


def vivove(px, py):
    """Colour (r, g, b, a) of the companion program's icon at (px, py) in 0..1."""
    layers = [
        (rounded_box(px, py, 0.04, 0.04, 0.96, 0.96, 0.18), (36, 130, 90)),
        (rounded_box(px, py, 0.20, 0.14, 0.80, 0.86, 0.05), (250, 252, 250)),
    ]
    for i, y in enumerate((0.28, 0.40, 0.52, 0.64, 0.76)):
        width = 0.40 if i % 2 else 0.46
        layers.append((segment(px, py, 0.30, y, 0.30 + width, y, 0.045), (80, 90, 100)))
        if i in (1, 3):
            layers.append((segment(px, py, 0.24, y, 0.78, y, 0.022), (215, 60, 50)))
    return paint(layers)


def paint(layers):
    """Composites the shapes in order: a shape covers what lies under it where d < 0."""
    colour, alpha = (0, 0, 0), 0.0
    for distance, rgb in layers:
        if distance < 0:
            colour, alpha = rgb, 1.0
    return colour, alpha


def render(draw, size):
    rows = []
    for y in range(size):
        row = bytearray([0])  # PNG filter type 0 for the row
        for x in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    (cr, cg, cb), ca = draw((x + (sx + 0.5) / SAMPLES) / size,
                                            (y + (sy + 0.5) / SAMPLES) / size)
                    r, g, b, a = r + cr * ca, g + cg * ca, b + cb * ca, a + ca
            n = SAMPLES * SAMPLES
            if a > 0:
                row += bytes((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def png(size, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    for name, draw in (("quillpost2", quillpost2), ("vivove", vivove)):
        for size in (48, 256):
            with open(os.path.join(out, f"{name}-{size}.png"), "wb") as f:
                f.write(png(size, render(draw, size)))


if __name__ == "__main__":
    main()
