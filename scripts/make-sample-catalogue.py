#!/usr/bin/python3
"""Writes assets/Samples/07-parts-catalogue.xml: a few hundred records of a made-up hardware
catalogue, always the same file (the values come from a fixed pseudo-random sequence)."""

import pathlib
import random

RECORDS = 300
OUTPUT = pathlib.Path(__file__).resolve().parent.parent / "assets" / "Samples" / "07-parts-catalogue.xml"

KINDS = ["Hinge", "Bracket", "Hook", "Latch", "Castor", "Handle", "Shelf pin", "Bolt", "Clamp", "Spring"]
FINISHES = ["brass", "zinc", "black", "stainless", "bronze"]
SIZES = ["small", "medium", "large"]
SUPPLIERS = ["Aldwick Metalworks", "Brightwater Fixings", "Copperfield & Sons", "Dunmore Hardware"]


def main():
    rng = random.Random(20210831)
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        "<!-- A larger catalogue: one record per part, a few hundred lines of output. -->",
        '<catalogue currency="EUR">',
    ]
    for number in range(1, RECORDS + 1):
        kind = rng.choice(KINDS)
        finish = rng.choice(FINISHES)
        size = rng.choice(SIZES)
        price = rng.randint(35, 4800) / 100
        stock = rng.randint(0, 900)
        lines += [
            f'  <part sku="P{number:05d}">',
            f"    <name>{kind}, {finish}, {size}</name>",
            f"    <price>{price:.2f}</price>",
            f"    <stock>{stock}</stock>",
            f"    <supplier>{rng.choice(SUPPLIERS).replace('&', '&amp;')}</supplier>",
        ]
        if stock == 0 or rng.random() < 0.1:
            lines.append("    <discontinued/>")
        lines.append("  </part>")
    lines.append("</catalogue>")
    OUTPUT.write_text("\n".join(lines) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
