"""Benchmark rows for the output formats and for values written as they arrive.

Throughput: quillmere-cli with its output to a pipe against Expat parse-only, with and without
--quote --attributes, and both pinned to one core (taskset, from util-linux). Memory: the peak
of one huge text node, CDATA section or comment, of endless blanks, of blanks in random order
before a value, of a comment of CRs on standard input, and of internal entities expanding to
one long text, each against a tiny document's peak.
"""
import os
import subprocess
import sys
import tempfile

GIB = 1024 * 1024 * 1024
MIB = 1024 * 1024
BLANK_SECONDS = 30
MEMORY_LIMIT_MIB = 16.0

RANDOM_BLANKS = "RANDOM_BLANKS"

# Writes a document to standard output: OPEN, then FILL repeated to SIZE bytes (for ever when
# SIZE is 0), then CLOSE. A FILL of RANDOM_BLANKS is spaces, tabs, CRs and LFs in random order,
# so that no pattern repeats.
GENERATOR = r"""
import os
import sys
opening, fill, closing, size = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
out = sys.stdout.buffer
out.write(opening.encode())
random_blanks = fill == "RANDOM_BLANKS"
blanks = bytes(b" \t\r\n"[i % 4] for i in range(256))
block = (fill * (MIB // len(fill))).encode()
written = 0
try:
    while size == 0 or written < size:
        if random_blanks:
            block = os.urandom(MIB).translate(blanks)
        out.write(block)
        written += len(block)
    out.write(closing.encode())
except BrokenPipeError:
    pass
""".replace("MIB", str(MIB))


def piped(command):
    """The command with its standard output going through a pipe."""
    return ["/bin/sh", "-c", '"$0" "$@" | cat > /dev/null'] + command


def peak_on_stdin(cli, document, seconds=None):
    """Peak resident memory (KiB) of quillmere-cli reading the generated document from
    standard input, stopped with SIGTERM after seconds when given."""
    generator = subprocess.Popen([sys.executable, "-c", GENERATOR] + document,
                                 stdout=subprocess.PIPE)
    command = [cli, "-q", "-"]
    if seconds:
        command = ["timeout", "-s", "TERM", str(seconds)] + command
    with tempfile.NamedTemporaryFile("r", suffix=".time") as report:
        subprocess.run(["/usr/bin/time", "-v", "-o", report.name] + command,
                       stdin=generator.stdout, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        generator.stdout.close()
        generator.kill()
        generator.wait()
        for line in report:
            if "Maximum resident set size" in line:
                return int(line.rsplit(":", 1)[1])
    return 0


def one_core(command):
    """The command pinned to one core, as on a machine with one."""
    return ["taskset", "-c", "0"] + command


def add_rows(bench, records, nested):
    parse_only = bench.parse_only
    cli = bench.cli
    # With a core left over, one file's lines are made and written on a second thread while
    # the parser reads on; pinned to one core the program has none and works as it did before
    # (instructions.py counts that exactly). On one core the pipe's reader takes its share of
    # the core too: the targets are the two-core ones before the second thread, less 0.05.
    (parse_records, _), (plain_records, _), (formats_records, _) = bench.timed_together([
        [parse_only, records],
        piped([cli, "-q", "--stdout", records]),
        piped([cli, "-q", "--stdout", "--quote", "--attributes", records]),
    ])
    bench.ratio_row("record, output to a pipe: / Expat parse-only", parse_records / plain_records,
                    at_least=1.00)
    bench.ratio_row("  the same with --quote --attributes", parse_records / formats_records,
                    at_least=0.70)
    (parse_nested, _), (plain_nested, _) = bench.timed_together([
        [parse_only, nested], piped([cli, "-q", "--stdout", nested])])
    bench.ratio_row("nested, output to a pipe: / Expat parse-only", parse_nested / plain_nested,
                    at_least=1.00)
    for label, path, target in (("record", records, 0.75), ("nested", nested, 0.60)):
        (parse_time, _), (cli_time, _) = bench.timed_together([
            one_core([parse_only, path]), one_core(piped([cli, "-q", "--stdout", path]))])
        bench.ratio_row("%s, one core (taskset -c 0): / parse-only" % label,
                        parse_time / cli_time, at_least=target)

    tiny = peak_on_stdin(cli, ["<r>", "x", "</r>", "1"])
    bench.row("  (peak of a tiny document on standard input)", "%.1f MiB" % (tiny / 1024))
    cases = [
        ("1 GB text node", ["<r>", "x", "</r>", str(GIB)], None),
        ("1 GB CDATA section", ["<r><![CDATA[", "x", "]]></r>", str(GIB)], None),
        ("1 GB comment", ["<r><!--", "x", "--></r>", str(GIB)], None),
        ("%d s of blanks" % BLANK_SECONDS, ["<r>", " \n", "", "0"], BLANK_SECONDS),
        ("100 MiB of random blanks", ["<r>", RANDOM_BLANKS, "x</r>", str(100 * MIB)], None),
        ("100 MiB comment of CRs", ["<r><!--", "\r", "--></r>", str(100 * MIB)], None),
    ]
    for name, document, seconds in cases:
        growth = (peak_on_stdin(cli, document, seconds) - tiny) / 1024
        bench.row("peak memory: %s minus tiny" % name, "%.1f MiB" % growth,
                  "<= %.0f MiB" % MEMORY_LIMIT_MIB, growth <= MEMORY_LIMIT_MIB)

    # Entity references expanding to one long text, under the parser's amplification limit.
    expanding = bench.input("expanding-entity.xml")
    if not os.path.exists(expanding):
        with open(expanding, "w") as out:
            out.write('<!DOCTYPE r [<!ENTITY a "%s">]><r>' % ("x" * 250))
            out.write("&a;" * 1000000 + "</r>")
    _, tiny_file_peak = bench.convert([bench.input("tiny.xml")])
    _, expanded_peak = bench.convert([expanding])
    growth = (expanded_peak - tiny_file_peak) / 1024
    bench.row("peak memory: 3 MB file expanding to 250 MB of text", "%.1f MiB" % growth,
              "<= %.0f MiB" % MEMORY_LIMIT_MIB, growth <= MEMORY_LIMIT_MIB)
