#!/usr/bin/python3
"""Draws the pointer shown while a row of the file list is dragged: a four-headed move arrow,
black with a white outline, 32 x 32 pixels at 32 bits per pixel with an alpha channel, written
as a Windows .ico file. Usage: make-drag-icon.py OUTPUT
"""
import math
import sys

from iconfile import icon_file

SIZE = 32
SAMPLES = 4  # per pixel and axis, for smooth edges
OUTLINE = 1.2
CENTRE = 16.0


def convex_polygon(*points):
    """Signed distance to a convex polygon given clockwise in screen coordinates."""
    edges = list(zip(points, points[1:] + points[:1]))

    def distance(x, y):
        inside = max(
            ((x - ax) * (by - ay) - (y - ay) * (bx - ax)) / math.hypot(bx - ax, by - ay)
            for (ax, ay), (bx, by) in edges)
        if inside <= 0:
            return inside
        # Outside: the distance to the nearest edge segment.
        nearest = float("inf")
        for (ax, ay), (bx, by) in edges:
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            nearest = min(nearest, math.hypot(x - (ax + t * dx), y - (ay + t * dy)))
        return nearest
    return distance


def rotated(points, quarter_turns):
    for _ in range(quarter_turns):
        points = [(2 * CENTRE - y, x) for x, y in points]
    return points


def move_arrow():
    shaft = [(14.75, 7.0), (17.25, 7.0), (17.25, 25.0), (14.75, 25.0)]
    head = [(16.0, 1.5), (21.0, 7.5), (11.0, 7.5)]
    parts = [convex_polygon(*rotated(shaft, turn)) for turn in range(2)]
    parts += [convex_polygon(*rotated(head, turn)) for turn in range(4)]
    return lambda x, y: min(part(x, y) for part in parts)


def render():
    shape = move_arrow()
    pixels = []
    for row in range(SIZE):
        for column in range(SIZE):
            fill = outline = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    d = shape(column + (sx + 0.5) / SAMPLES, row + (sy + 0.5) / SAMPLES)
                    fill += d <= 0
                    outline += d <= OUTLINE
            total = SAMPLES * SAMPLES
            alpha = outline / total
            # Black over white: the grey level is the share of the covered area that is outline.
            grey = round(255 * (1 - fill / outline)) if outline else 0
            pixels.append((grey, grey, grey, round(255 * alpha)))
    return pixels




def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as output:
        pixels = render()
        rows = [pixels[row * SIZE:(row + 1) * SIZE] for row in range(SIZE)]
        output.write(icon_file(rows))


if __name__ == "__main__":
    main()
