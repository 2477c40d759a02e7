"""System calls per converted file over many tiny files, counted with `strace -c`, with the
-j 1 and -j 2 times of the same batch side by side. Part of `make bench` (run.py)."""
import os
import shutil
import subprocess
import sys
import tempfile

TINY_FILES = 10000
TARGET_CALLS_PER_FILE = 12


def tiny_inputs(folder):
    """TINY_FILES one-record documents, made once."""
    if not os.path.isdir(folder) or len(os.listdir(folder)) != TINY_FILES:
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for n in range(TINY_FILES):
            with open(os.path.join(folder, "t%05d.xml" % n), "w") as f:
                f.write("<r><a>%d</a></r>\n" % n)
    return sorted(os.path.join(folder, name) for name in os.listdir(folder))


def counted_calls(cli, inputs, output):
    """Every system call of one quillmere-cli run, over all its threads."""
    with tempfile.NamedTemporaryFile("r", suffix=".strace") as report:
        subprocess.run(["strace", "-f", "-c", "-o", report.name, cli, "-q", "-j", "1", "-o",
                        output] + inputs, stdout=subprocess.DEVNULL, check=True)
        for line in report:
            fields = line.split()
            if fields and fields[-1] == "total":
                return int(fields[3])
    sys.exit("syscalls.py: strace gave no total")


def measure(bench):
    if not shutil.which("strace"):
        sys.exit("syscalls.py: strace is missing (scripts/install-deps installs it)")
    inputs = tiny_inputs(bench.input("tiny10k"))
    # The start-up's calls, counted with one file, are taken from the batch's.
    one = counted_calls(bench.cli, inputs[:1], bench.fresh_output())
    batch = counted_calls(bench.cli, inputs, bench.fresh_output())
    per_file = (batch - one) / (len(inputs) - 1)
    (serial, _), (parallel, _) = bench.timed_together(
        [bench.conversion(inputs, 1), bench.conversion(inputs, 2)])
    print("  %d tiny files named on the command line: %d system calls (%d for one file); "
          "-j 1 %.2f s, -j 2 %.2f s" % (len(inputs), batch, one, serial, parallel))
    bench.row("tiny files: system calls per converted file", "%.1f" % per_file,
              "<= %d" % TARGET_CALLS_PER_FILE, per_file <= TARGET_CALLS_PER_FILE)
    bench.ratio_row("tiny files: -j 2 speed-up over -j 1", serial / parallel)
