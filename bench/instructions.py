"""What one large file gets from a second core, in instructions counted by callgrind, which
other work on the machine leaves alone (wall times on a shared machine depend on whether a core
happens to be idle). With the walk on a thread of its own, a file goes at the pace of its
busiest thread; the rows compare that thread with Expat parse-only on the first 20 MB of each
corpus. On one core a file is converted on one thread, which must cost no more than before the
second thread existed: its target is what the program before it counted (0.81 and 0.75 of
parse-only). flatten_plan converts on the plan it is told, whatever the machine's load.
Part of `make bench` (run.py); needs valgrind."""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

PART_BYTES = 20 * 1024 * 1024
TWO_THREADS_TARGET = 1.00


def first_part(source, part, record_end, root_end):
    """The source's first PART_BYTES, cut after its last whole record and closed: made once."""
    if os.path.exists(part):
        return part
    with open(source, "rb") as f:
        data = f.read(PART_BYTES)
    end = data.rindex(record_end) + len(record_end)
    with open(part + ".part", "wb") as out:
        out.write(data[:end] + root_end)
    os.replace(part + ".part", part)
    return part


def thread_instructions(command):
    """The instructions of each thread of the command, as callgrind counts them."""
    folder = tempfile.mkdtemp(prefix="quillmere-callgrind-")
    try:
        subprocess.run(["valgrind", "--tool=callgrind", "--separate-threads=yes",
                        "--callgrind-out-file=" + os.path.join(folder, "out")] + command,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        counts = []
        for path in glob.glob(os.path.join(folder, "out*")):
            with open(path) as report:
                for line in report:
                    if line.startswith("totals:"):
                        counts.append(int(line.split()[1]))
        return counts
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def measure(bench, corpora):
    """corpora: (label, path, the end of its records, the end of its root, the one-thread
    target)."""
    if not shutil.which("valgrind"):
        sys.exit("instructions.py: valgrind is missing (scripts/install-deps installs it)")
    flatten_plan = os.path.join(os.path.dirname(bench.cli), "flatten_plan")
    for label, path, record_end, root_end, one_thread_target in corpora:
        part = first_part(path, bench.input("%s-20mb.xml" % label), record_end, root_end)
        parse_only = sum(thread_instructions([bench.parse_only, part]))
        two = thread_instructions([flatten_plan, "two", part])
        one = sum(thread_instructions([flatten_plan, "one", part]))
        print("  %s, 20 MB, instructions: parse-only %.2f G; one thread %.2f G; two threads"
              " %s G" % (label, parse_only / 1e9, one / 1e9,
                         " + ".join("%.2f" % (count / 1e9) for count in sorted(two, reverse=True)
                                    if count)))
        bench.ratio_row("%s: parse-only / busiest of two threads (instr.)" % label,
                        parse_only / max(two), at_least=TWO_THREADS_TARGET)
        bench.ratio_row("%s: parse-only / one thread (instructions)" % label, parse_only / one,
                        at_least=one_thread_target)
