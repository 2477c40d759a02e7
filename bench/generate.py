#!/usr/bin/python3
"""Writes the benchmark inputs into a scratch folder, the same bytes on every run.

    /usr/bin/python3 bench/generate.py FOLDER

A stamp file records the generator's version; files already made by this version are kept.
"""
import os
import random
import sys

VERSION = "1"
MIB = 1024 * 1024

WORDS = (
    "amber basalt cedar delta ember fjord granite harbor iris juniper kelp lantern meadow "
    "nickel orchard pewter quartz river saffron timber umber valley willow xenon yarrow zephyr"
).split()
CITIES = "Aldmoor Brisk Corran Dunhill Elsby Farrow Glenn Holt Ivers Jarrow".split()
FIELDS = ("id", "name", "city", "zip", "qty", "price", "code", "date", "flag", "note")


def write_chunks(path, chunks):
    """Writes an iterable of text chunks as UTF-8 through a temporary name."""
    part = path + ".part"
    with open(part, "w", encoding="utf-8", newline="") as out:
        for chunk in chunks:
            out.write(chunk)
    os.replace(part, path)


def record_chunks(target_bytes, rng):
    """A flat list of records of ten short fields each, until target_bytes are written."""
    yield '<?xml version="1.0" encoding="UTF-8"?>\n<records>\n'
    written = 0
    n = 0
    while written < target_bytes:
        block = []
        for _ in range(2000):
            n += 1
            values = (
                str(n),
                "%s %s" % (rng.choice(WORDS).title(), rng.choice(WORDS)),
                rng.choice(CITIES),
                "%05d" % rng.randrange(100000),
                str(rng.randrange(1, 500)),
                "%d.%02d" % (rng.randrange(1000), rng.randrange(100)),
                "%c%c-%03d" % (rng.choice("ABCDEFGH"), rng.choice("KLMNPQRS"), rng.randrange(1000)),
                "2023-%02d-%02d" % (rng.randrange(1, 13), rng.randrange(1, 29)),
                rng.choice(("true", "false")),
                rng.choice(WORDS) + (" &amp; co" if n % 17 == 0 else ""),
            )
            fields = "".join("<%s>%s</%s>" % (f, v, f) for f, v in zip(FIELDS, values))
            block.append('  <record seq="%d">%s</record>\n' % (n, fields))
        text = "".join(block)
        written += len(text)
        yield text
    yield "</records>\n"


def nested_element(rng, depth, max_depth, out):
    """One element of the mixed-content tree: text, comments, empty and nested children."""
    name = "%s%d" % (rng.choice(("sec", "part", "item", "p", "span")), depth)
    out.append("<%s>" % name)
    children = rng.randrange(2, 4) if depth < max_depth else 0
    out.append(" ".join(rng.choice(WORDS) for _ in range(rng.randrange(1, 4))))
    for _ in range(children):
        kind = rng.random()
        if kind < 0.08:
            out.append("<!-- %s -->" % rng.choice(WORDS))
        elif kind < 0.15:
            out.append("<empty/>")
        else:
            nested_element(rng, depth + 1, max_depth, out)
        out.append(rng.choice(WORDS) if rng.random() < 0.5 else "\n")
    out.append("</%s>" % name)


def nested_chunks(target_bytes, rng):
    """A deeply nested document with mixed content, until target_bytes are written."""
    yield '<?xml version="1.0" encoding="UTF-8"?>\n<doc>\n'
    written = 0
    while written < target_bytes:
        out = []
        # A deep spine gives long paths; bushy subtrees along it give many lines.
        spine = rng.randrange(10, 21)
        for level in range(spine):
            out.append("<deep%d>%s" % (level, rng.choice(WORDS)))
        for _ in range(6):
            nested_element(rng, spine, spine + 5, out)
        for level in reversed(range(spine)):
            out.append("</deep%d>\n" % level)
        text = "".join(out)
        written += len(text)
        yield text
    yield "</doc>\n"


def small_document(rng, n):
    """About 5 KB of records with a little nesting."""
    out = ['<?xml version="1.0"?>\n<batch n="%d">\n' % n]
    size = 0
    i = 0
    while size < 5000:
        i += 1
        item = (
            "  <order><no>%d-%d</no><customer><name>%s</name><city>%s</city></customer>"
            "<lines><line><sku>%s</sku><qty>%d</qty></line></lines></order>\n"
            % (n, i, rng.choice(WORDS).title(), rng.choice(CITIES), rng.choice(WORDS), rng.randrange(1, 9))
        )
        out.append(item)
        size += len(item)
    out.append("</batch>\n")
    return "".join(out)


def filler(rng, size):
    """Plain text of the given size with line breaks, no markup characters."""
    line = " ".join(rng.choice(WORDS) for _ in range(12)) + "\n"
    return (line * (size // len(line) + 1))[:size]


def generate(folder):
    """Makes every input in folder unless this version already did."""
    stamp = os.path.join(folder, "stamp")
    if os.path.exists(stamp) and open(stamp).read() == VERSION:
        return
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20240611)
    print("generating benchmark inputs in %s ..." % folder, flush=True)
    write_chunks(os.path.join(folder, "records.xml"), record_chunks(200 * MIB, rng))
    write_chunks(os.path.join(folder, "nested.xml"), nested_chunks(50 * MIB, rng))
    write_chunks(
        os.path.join(folder, "tiny.xml"),
        ['<?xml version="1.0"?>\n<records>\n']
        + ['  <record><id>%d</id><name>%s</name></record>\n' % (i, rng.choice(WORDS)) for i in range(20)]
        + ["</records>\n"],
    )
    write_chunks(
        os.path.join(folder, "huge-comment.xml"), ["<r><!--", filler(rng, 20 * MIB), "--></r>\n"]
    )
    write_chunks(
        os.path.join(folder, "huge-cdata.xml"), ["<r><![CDATA[", filler(rng, 20 * MIB), "]]></r>\n"]
    )
    small = os.path.join(folder, "small")
    os.makedirs(small, exist_ok=True)
    for n in range(2000):
        write_chunks(os.path.join(small, "s%04d.xml" % n), [small_document(rng, n)])
    with open(stamp, "w") as out:
        out.write(VERSION)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: generate.py FOLDER")
    generate(sys.argv[1])
