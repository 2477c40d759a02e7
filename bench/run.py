#!/usr/bin/python3
"""Runs quillmere-cli side by side with its baselines and prints the ratios against the targets.

    /usr/bin/python3 bench/run.py BUILD_FOLDER

BUILD_FOLDER holds bin/quillmere-cli, bin/expat_parse_only and bin/expat_parse_only_system,
bin/flatten_plan (see instructions.py), bin/window_run for the window's run (see
window_bench.py) and bin/window_typing for typing into the window (see settings_typing.py): a
build with QUILLMERE_BENCH=ON. The inputs are generated once into BUILD_FOLDER/bench-data;
results go to BUILD_FOLDER/bench-out. Every figure is a ratio to a baseline run side by side
with it (the programs take turns, best of three runs each), or a count or a memory growth over a
tiny document's peak measured the same way; each row names its target. Exits with 1 when a
target is missed.

Figures swing with the machine: other processes take cores (the run prints how many were free),
and on ext4 without a journal, creating files right after thousands were deleted (by anyone,
in the last few minutes) is several times slower, which shows in the small-file figures. The
rows "in /dev/shm" give the same runs with the output in memory for comparison.
"""
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import declared_encodings  # noqa: E402
import expat_copy  # noqa: E402
import generate  # noqa: E402
import instructions  # noqa: E402
import settings_typing  # noqa: E402
import syscalls  # noqa: E402
import window_bench  # noqa: E402
import streaming  # noqa: E402

RUNS = 3
MIB = 1024 * 1024
# A single huge token against Expat parse-only reading it in one piece: both linear.
HUGE_TOKEN_TARGET = 4.0
NESTED_FOLDER_LEVELS = 2000
# The scan of a deep chain of folders against find(1) over it, in CPU time.
NESTED_FOLDER_TARGET = 30.0
# Outputs written here as well show what the disk's file system adds: a memory file system
# where there is one. The targets are judged on the disk.
MEMORY_FOLDER = "/dev/shm" if os.path.isdir("/dev/shm") else tempfile.gettempdir()


class Bench:
    def __init__(self, build):
        self.cli = os.path.join(build, "bin", "quillmere-cli")
        self.parse_only = os.path.join(build, "bin", "expat_parse_only")
        self.data = os.path.join(build, "bench-data")
        self.out = os.path.join(build, "bench-out")
        self.rows = []
        self.folders = 0
        self.last_output = None
        for program in (self.cli, self.parse_only):
            if not os.access(program, os.X_OK):
                sys.exit("run.py: %s is missing; build with -DQUILLMERE_BENCH=ON first" % program)

    def input(self, name):
        return os.path.join(self.data, name)

    def fresh_output(self, root=None):
        """A new, empty output folder under root (default the benchmark's output folder).
        Earlier results stay until the end: deleting thousands of files right before a timed
        run makes the file system's next file creations slower."""
        self.folders += 1
        folder = os.path.join(root or self.out, "run%d" % self.folders)
        os.makedirs(folder)
        self.last_output = folder
        return folder

    def timed_together(self, commands):
        """Runs the commands in turn, RUNS rounds, so that a passing disturbance hits them
        alike. For each: the best wall time and the highest peak resident memory, in KiB.
        A command is an argument list, or a function that makes one anew for every run."""
        best = [float("inf")] * len(commands)
        peak = [0] * len(commands)
        with tempfile.NamedTemporaryFile("r", suffix=".time") as report:
            for _ in range(RUNS):
                for n, command in enumerate(commands):
                    arguments = command() if callable(command) else command
                    # Results of the runs before are written to the disk first, so that their
                    # write-back does not compete with the run being timed.
                    os.sync()
                    start = time.perf_counter()
                    finished = subprocess.run(
                        ["/usr/bin/time", "-v", "-o", report.name] + arguments,
                        stdout=subprocess.DEVNULL,
                        stderr=subprocess.PIPE,
                    )
                    elapsed = time.perf_counter() - start
                    if finished.returncode != 0:
                        sys.exit(
                            "run.py: %s failed (%d):\n%s"
                            % (" ".join(arguments), finished.returncode,
                               finished.stderr.decode(errors="replace"))
                        )
                    best[n] = min(best[n], elapsed)
                    report.seek(0)
                    for line in report:
                        if "Maximum resident set size" in line:
                            peak[n] = max(peak[n], int(line.rsplit(":", 1)[1]))
        return list(zip(best, peak))

    def timed(self, command):
        """Best wall time of RUNS runs of one command, and its highest peak memory in KiB."""
        return self.timed_together([command])[0]

    def conversion(self, inputs, jobs=1, root=None):
        """The quillmere-cli command over inputs, into a fresh output folder for every run;
        the last run's results stay in self.last_output."""
        return lambda: [self.cli, "-q", "-j", str(jobs), "-o", self.fresh_output(root)] + inputs

    def convert(self, inputs, jobs=1):
        """Times quillmere-cli over inputs: (best time, peak KiB)."""
        return self.timed(self.conversion(inputs, jobs))

    def row(self, name, value, target=None, passed=None):
        verdict = "" if passed is None else ("PASS" if passed else "MISS")
        self.rows.append((name, value, target or "", verdict))
        print("  %-52s %14s  %-12s %s" % (name, value, target or "", verdict), flush=True)

    def ratio_row(self, name, ratio, at_least=None, at_most=None):
        if at_least is not None:
            self.row(name, "%.2fx" % ratio, ">= %.2fx" % at_least, ratio >= at_least)
        elif at_most is not None:
            self.row(name, "%.2fx" % ratio, "<= %.2fx" % at_most, ratio <= at_most)
        else:
            self.row(name, "%.2fx" % ratio)


def free_cores():
    """How many cores are free for this run: two CPU-bound processes side by side against one.
    Other work on the machine leaves the -j 2 speed-up no more room than this."""
    spin = [sys.executable, "-c", "x = 0\nfor i in range(3000000): x += i"]

    def best(count):
        fastest = float("inf")
        for _ in range(RUNS):
            start = time.perf_counter()
            for process in [subprocess.Popen(spin) for _ in range(count)]:
                process.wait()
            fastest = min(fastest, time.perf_counter() - start)
        return fastest

    return 2 * best(1) / best(2)


def nested_folders(root, levels):
    """A chain of one-letter folders, levels deep, with one file at the bottom; made step by
    step, as the whole path comes close to the system's path limit. Returns the file's path."""
    folder = os.open(root, os.O_RDONLY | os.O_DIRECTORY)
    for _ in range(levels):
        os.mkdir("d", dir_fd=folder)
        deeper = os.open("d", os.O_RDONLY | os.O_DIRECTORY, dir_fd=folder)
        os.close(folder)
        folder = deeper
    with open(os.open("x.xml", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=folder), "w") as f:
        f.write("<a/>")
    os.close(folder)
    return os.path.join(root, *(["d"] * levels), "x.xml")


def cpu_seconds(command):
    """The least user plus system CPU time of RUNS runs of the command, and its output."""
    best = float("inf")
    for _ in range(RUNS):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        finished = subprocess.run(command, stdout=subprocess.PIPE, check=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        best = min(best, after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
    return best, finished.stdout


def same_file(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        while True:
            block_a = fa.read(MIB)
            if block_a != fb.read(MIB):
                return False
            if not block_a:
                return True


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: run.py BUILD_FOLDER")
    bench = Bench(os.path.abspath(sys.argv[1]))
    generate.generate(bench.data)
    shutil.rmtree(bench.out, ignore_errors=True)
    os.makedirs(bench.out)

    records = bench.input("records.xml")
    nested = bench.input("nested.xml")
    small = sorted(
        os.path.join(bench.input("small"), name) for name in os.listdir(bench.input("small"))
    )

    # Other work on the machine shows in every figure, most in the -j 2 speed-up.
    print("quillmere-cli benchmark, best of %d runs each; load average %.2f on %d cores"
          % (RUNS, os.getloadavg()[0], os.cpu_count()))
    print("  %-52s %14s  %-12s %s" % ("measurement", "measured", "target", ""))

    # Warm the page cache, so that every program reads from memory alike.
    for path in [records, nested] + small:
        with open(path, "rb") as f:
            while f.read(16 * MIB):
                pass

    for label, path, parse_target in (("record", records, 0.75), ("nested", nested, 0.55)):
        size_mib = os.path.getsize(path) / MIB
        memory = tempfile.mkdtemp(prefix="quillmere-bench-", dir=MEMORY_FOLDER)
        try:
            (read_time, _), (parse_time, _), (memory_time, _), (cli_time, cli_peak) = (
                bench.timed_together(
                    [["cat", path], [bench.parse_only, path], bench.conversion([path], 1, memory),
                     bench.conversion([path])]
                )
            )
        finally:
            shutil.rmtree(memory, ignore_errors=True)
        result = os.path.join(bench.last_output, os.path.basename(path)[:-4] + ".csv")
        output_mib = os.path.getsize(result) / MIB
        print("  %s file: %.0f MiB in, %.0f MiB out; read %.0f MiB/s, parse-only %.0f MiB/s, "
              "quillmere-cli %.0f MiB/s" % (label, size_mib, output_mib, size_mib / read_time,
                                            size_mib / parse_time, size_mib / cli_time))
        bench.ratio_row("%s: throughput / Expat parse-only" % label, parse_time / cli_time,
                        at_least=parse_target)
        bench.ratio_row("  (the same with the output in %s)" % MEMORY_FOLDER,
                        parse_time / memory_time)
        bench.ratio_row("  (%s: throughput / reading the file)" % label, read_time / cli_time)

        peer_output = os.path.join(bench.out, "peer.csv")
        peer_time, _ = bench.timed(
            [sys.executable, os.path.join(HERE, "peer_iterparse.py"), path, peer_output]
        )
        bench.ratio_row("%s: throughput / Python iterparse peer" % label, peer_time / cli_time,
                        at_least=5.0)
        identical = same_file(result, peer_output)
        bench.row("%s: output identical to the peer's" % label, "yes" if identical else "no",
                  "yes", identical)
        os.remove(peer_output)
        if label == "record":
            _, tiny_peak = bench.convert([bench.input("tiny.xml")])
            growth = (cli_peak - tiny_peak) / 1024
            bench.row("peak memory: 200 MB file minus 1 KB file", "%.1f MiB" % growth,
                      "<= 8.0 MiB", growth <= 8.0)
            bench.row("  (peak of the 1 KB file)", "%.1f MiB" % (tiny_peak / 1024))

    expat_copy.measure(bench, [("record", records), ("nested", nested)])

    small_folder = bench.input("small")
    (small_parse, _), (serial, _), (parallel, _) = bench.timed_together(
        [[bench.parse_only] + small, bench.conversion([small_folder], 1),
         bench.conversion([small_folder], 2)]
    )
    print("  2000 small files: parse-only %.2f s, quillmere-cli -j 1 %.2f s, -j 2 %.2f s"
          % (small_parse, serial, parallel))
    bench.ratio_row("small files: -j 1 time / Expat parse-only time", serial / small_parse,
                    at_most=5.0)
    bench.ratio_row("small files: -j 2 speed-up over -j 1", serial / parallel, at_least=1.7)
    bench.row("  (cores free: two busy processes vs one)", "%.2f" % free_cores())
    # The same in memory, without the disk file system's inode allocation, whose cost swings
    # with how many files were deleted on the machine in the last minutes.
    memory = tempfile.mkdtemp(prefix="quillmere-bench-", dir=MEMORY_FOLDER)
    try:
        (memory_serial, _), (memory_parallel, _) = bench.timed_together(
            [bench.conversion([small_folder], 1, memory),
             bench.conversion([small_folder], 2, memory)]
        )
    finally:
        shutil.rmtree(memory, ignore_errors=True)
    bench.row("  (outputs in %s: -j 1 %.2f s, -j 2 %.2f s)"
              % (MEMORY_FOLDER, memory_serial, memory_parallel),
              "%.2fx" % (memory_serial / memory_parallel))

    syscalls.measure(bench)
    instructions.measure(bench, [("record", records, b"</record>\n", b"</records>\n", 0.80),
                                 ("nested", nested, b"</deep0>\n", b"</doc>\n", 0.74)])
    window_bench.measure(bench.row, bench.ratio_row, small_folder,
                         os.path.dirname(os.path.dirname(bench.cli)), bench.out)
    settings_typing.measure(bench.row, os.path.dirname(os.path.dirname(bench.cli)))

    for name in ("huge-comment.xml", "huge-cdata.xml"):
        path = bench.input(name)
        (whole_read, _), (seconds, _) = bench.timed_together(
            [[bench.parse_only, "--read-size", str(os.path.getsize(path) + 1), path],
             bench.conversion([path])])
        bench.ratio_row("single 20 MB token (%s) / parse-only in one read" % name[5:-4],
                        seconds / whole_read, at_most=HUGE_TOKEN_TARGET)

    # A short root, so that the deepest path stays within the path limit.
    deep = tempfile.mkdtemp(prefix="quillmere-deep-")
    try:
        bottom = nested_folders(deep, NESTED_FOLDER_LEVELS)
        seconds, listed = cpu_seconds([bench.cli, "--dry-run", deep])
        found = listed.decode(errors="replace").splitlines() == [bottom]
        find_seconds, _ = cpu_seconds(["find", deep, "-name", "*.xml"])
        ratio = seconds / max(find_seconds, 0.001)
        bench.ratio_row("folder scan: %d nested levels / find, CPU" % NESTED_FOLDER_LEVELS,
                        ratio, at_most=NESTED_FOLDER_TARGET)
        if not found:
            bench.row("  the scan found the file at the bottom", "no", "yes", False)
    finally:
        # rm, as shutil.rmtree recurses once per level, past Python's recursion limit.
        subprocess.run(["rm", "-rf", deep], check=False)
    declared_encodings.run(bench, RUNS)
    streaming.add_rows(bench, records, nested)

    shutil.rmtree(bench.out, ignore_errors=True)
    os.sync()
    print("load average at the end %.2f" % os.getloadavg()[0])
    missed = [row[0] for row in bench.rows if row[3] == "MISS"]
    checked = sum(1 for row in bench.rows if row[3])
    print("%d of %d targets met" % (checked - len(missed), checked))
    if missed:
        print("missed: " + "; ".join(missed))
        sys.exit(1)


if __name__ == "__main__":
    main()
