"""System calls per converted file: quillmere-cli -j 1 over a folder of 2,000 tiny files,
counted with `strace -f -c` over all its threads, the folder's scan included. The start-up's
calls, counted over a folder of one such file, are taken off. Threads started per file are
counted the same way: a small file must never pay for one. Part of `make bench` (run.py)."""
import os
import shutil
import subprocess
import sys
import tempfile

TINY_FILES = 2000
TARGET_CALLS_PER_FILE = 10
THREAD_STARTS = ("clone", "clone3")


def tiny_folder(folder, count):
    """A folder of count one-record documents, made once."""
    if not os.path.isdir(folder) or len(os.listdir(folder)) != count:
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for n in range(count):
            with open(os.path.join(folder, "t%05d.xml" % n), "w") as f:
                f.write("<r><a>%d</a></r>\n" % n)
    return folder


def counted_calls(cli, folder, output):
    """Every system call of one quillmere-cli run over the folder, over all its threads: the
    total and the calls of each kind."""
    with tempfile.NamedTemporaryFile("r", suffix=".strace") as report:
        subprocess.run(["strace", "-f", "-c", "-o", report.name, cli, "-q", "-j", "1", "-o",
                        output, folder], stdout=subprocess.DEVNULL, check=True)
        calls = {}
        for line in report:
            fields = line.split()
            # "% time, seconds, usecs/call, calls, [errors,] syscall"
            if len(fields) >= 5 and fields[3].isdigit():
                calls[fields[-1]] = int(fields[3])
    if "total" not in calls:
        sys.exit("syscalls.py: strace gave no total")
    return calls


def measure(bench):
    if not shutil.which("strace"):
        sys.exit("syscalls.py: strace is missing (scripts/install-deps installs it)")
    folder = tiny_folder(bench.input("tiny%d" % TINY_FILES), TINY_FILES)
    one = counted_calls(bench.cli, tiny_folder(bench.input("tiny1"), 1), bench.fresh_output())
    batch = counted_calls(bench.cli, folder, bench.fresh_output())
    per_file = (batch["total"] - one["total"]) / (TINY_FILES - 1)
    threads = sum(batch.get(name, 0) - one.get(name, 0) for name in THREAD_STARTS)
    print("  a folder of %d tiny files: %d system calls, %d for a folder of one file"
          % (TINY_FILES, batch["total"], one["total"]))
    bench.row("tiny files: system calls per converted file", "%.1f" % per_file,
              "<= %d" % TARGET_CALLS_PER_FILE, per_file <= TARGET_CALLS_PER_FILE)
    bench.row("tiny files: threads started per file", "%.2f" % (threads / (TINY_FILES - 1)),
              "0", threads == 0)
