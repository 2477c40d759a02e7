#!/usr/bin/python3
"""Draws the hand pointer delivered beside the program and writes it as a Windows .cur file.

The pointer is 32 x 32 pixels at 32 bits per pixel with an alpha channel; the hotspot, kept in
the file's directory entry, is the tip of the index finger. Usage: make-hand-cursor.py OUTPUT
"""
import math
import sys

from iconfile import icon_file

SIZE = 32
SAMPLES = 4  # per pixel and axis, for smooth edges
HOTSPOT = (9, 1)
OUTLINE = 1.1


def capsule(ax, ay, bx, by, radius):
    def distance(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) - radius
    return distance


def rounded_box(left, top, right, bottom, radius):
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius

    def distance(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return distance


def union(*shapes):
    return lambda x, y: min(shape(x, y) for shape in shapes)


# The hand: the index finger points up, the other three fingers are folded over the palm and
# the thumb lies along its left side.
INDEX = capsule(9.0, 3.6, 9.0, 18.0, 2.6)
BODY = union(INDEX,
             rounded_box(6.4, 14.5, 24.0, 28.0, 4.2),
             capsule(3.8, 16.8, 7.5, 22.5, 2.4))
FOLDED = [(capsule(13.9, 12.4, 13.9, 20.0, 2.4), 17.5),
          (capsule(18.3, 13.2, 18.3, 20.0, 2.4), 17.5),
          (capsule(22.0, 14.8, 22.0, 20.0, 2.1), 18.5)]
CUFF = rounded_box(8.0, 26.0, 22.4, 31.0, 1.0)

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
CUFF_BLUE = (52, 101, 164)


def sample(x, y):
    """The colour at a point of the drawing, or None where it is transparent."""
    colour = None
    if CUFF(x, y) <= OUTLINE:
        colour = BLACK if CUFF(x, y) > 0 else CUFF_BLUE
    body = BODY(x, y)
    if body <= OUTLINE and y < 26.5:
        colour = BLACK if body > 0 else WHITE
    for finger, cutoff in FOLDED:
        d = finger(x, y)
        if d <= 0:
            colour = WHITE
        elif d <= OUTLINE and (y < cutoff or body > 0) and INDEX(x, y) > 0:
            colour = BLACK
    return colour


def render():
    pixels = []
    for row in range(SIZE):
        line = []
        for column in range(SIZE):
            r = g = b = covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = sample(column + (sx + 0.5) / SAMPLES, row + (sy + 0.5) / SAMPLES)
                    if colour is not None:
                        covered += 1
                        r, g, b = r + colour[0], g + colour[1], b + colour[2]
            if covered:
                line.append((r // covered, g // covered, b // covered,
                             round(255 * covered / SAMPLES ** 2)))
            else:
                line.append((0, 0, 0, 0))
        pixels.append(line)
    return pixels




def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], 'wb') as output:
        output.write(icon_file(render(), HOTSPOT))


if __name__ == '__main__':
    main()
