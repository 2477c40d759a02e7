#!/usr/bin/python3
"""Typing into the window's output folder box, which stores the folder with every key, while the
settings file is small and while it is large (another program's section of 4 MiB beside ours).

    /usr/bin/python3 bench/settings_typing.py BUILD_FOLDER

BUILD_FOLDER holds bin/window_typing (a build with QUILLMERE_BENCH=ON). It types KEYS keys at
KEYS_PER_SECOND on Qt's offscreen platform and reports how often the settings file was written
and the CPU time the program spent, side by side with the typing time. run.py calls measure().
"""
import os
import subprocess
import sys

KEYS = 40
KEYS_PER_SECOND = 10
SMALL_KIB = 1
LARGE_KIB = 4096
TARGET_WRITES_PER_SECOND = 4.0
# Writing takes at most a fifth of the time, whatever the file's size; the rest is typing.
TARGET_CPU_SHARE = 0.3


def typed(program, kib):
    """The writes of the settings file (the window's close included) and the CPU seconds."""
    finished = subprocess.run(
        [program, str(kib), str(KEYS), str(KEYS_PER_SECOND)],
        env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), stdout=subprocess.PIPE,
        stderr=subprocess.PIPE)
    if finished.returncode != 0:
        sys.exit("settings_typing.py: window_typing failed (%d):\n%s"
                 % (finished.returncode, finished.stderr.decode(errors="replace")))
    writes, cpu = finished.stdout.decode().split()
    return int(writes), float(cpu)


def measure(row, build):
    """Adds the rows through the caller's row function."""
    program = os.path.join(build, "bin", "window_typing")
    if not os.access(program, os.X_OK):
        row("typing: skipped, missing %s" % program, "")
        return
    seconds = KEYS / KEYS_PER_SECOND
    small_writes, small_cpu = typed(program, SMALL_KIB)
    large_writes, large_cpu = typed(program, LARGE_KIB)
    print("  %d keys in %.0f s: %d writes of a %d KiB settings file, CPU %.2f s; %d writes of a "
          "%d KiB one, CPU %.2f s" % (KEYS, seconds, small_writes, SMALL_KIB, small_cpu,
                                      large_writes, LARGE_KIB, large_cpu))
    rate = (small_writes - 1) / seconds
    row("typing: settings file writes a second", "%.2f" % rate,
        "<= %.2f" % TARGET_WRITES_PER_SECOND, rate <= TARGET_WRITES_PER_SECOND)
    share = large_cpu / seconds
    row("typing, 4 MiB settings file: CPU / typing time", "%.2f" % share,
        "<= %.2f" % TARGET_CPU_SHARE, share <= TARGET_CPU_SHARE)
    row("  (1 KiB settings file: CPU / typing time)", "%.2f" % (small_cpu / seconds))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: settings_typing.py BUILD_FOLDER")
    verdicts = []

    def row(name, value, target=None, passed=None):
        verdict = "" if passed is None else ("PASS" if passed else "MISS")
        verdicts.append(verdict)
        print("  %-52s %14s  %-12s %s" % (name, value, target or "", verdict), flush=True)

    measure(row, os.path.abspath(sys.argv[1]))
    sys.exit(1 if "MISS" in verdicts else 0)


if __name__ == "__main__":
    main()
