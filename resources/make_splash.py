#!/usr/bin/env python3
"""Draws the splash picture (500 x 375): a dark blue-violet gradient with soft rings and
discs, darkest towards the bottom right, where the splash labels sit.

    python3 resources/make_splash.py | cjpeg -quality 90 -optimize > resources/splash.jpg

cjpeg comes with Debian's libjpeg-turbo-progs. The script writes a binary PPM to stdout.
"""
import math
import sys

WIDTH, HEIGHT = 500, 375

# (centre x, centre y, radius, colour, strength): soft discs that brighten the gradient.
DISCS = [
    (110, 90, 150, (70, 120, 210), 0.55),
    (260, 40, 90, (150, 90, 200), 0.45),
    (60, 300, 120, (40, 150, 170), 0.40),
]
# (centre x, centre y, radius, width, colour, strength): thin glowing rings.
RINGS = [
    (150, 150, 120, 3.0, (170, 200, 255), 0.50),
    (330, 110, 70, 2.0, (220, 170, 255), 0.45),
    (200, 240, 200, 1.5, (120, 220, 230), 0.35),
]


def mix(base, colour, amount):
    return tuple(b + (c - b) * amount for b, c in zip(base, colour))


def pixel(x, y):
    # Diagonal gradient from a lighter blue at the top left to deep navy at the bottom right.
    t = (x / WIDTH + y / HEIGHT) / 2
    colour = mix((40, 60, 120), (8, 10, 30), t)
    for cx, cy, r, c, s in DISCS:
        d = math.hypot(x - cx, y - cy) / r
        if d < 1:
            colour = mix(colour, c, s * (1 - d * d) ** 2)
    for cx, cy, r, w, c, s in RINGS:
        off = abs(math.hypot(x - cx, y - cy) - r) / w
        if off < 3:
            colour = mix(colour, c, s * math.exp(-off * off))
    return bytes(max(0, min(255, round(v))) for v in colour)


def main():
    out = sys.stdout.buffer
    out.write(b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT))
    for y in range(HEIGHT):
        out.write(b"".join(pixel(x, y) for x in range(WIDTH)))


if __name__ == "__main__":
    main()
