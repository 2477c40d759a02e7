"""The project's copy of Expat against Debian's libexpat it was taken from: both parse the record
and the nested file with no handlers, side by side. The copy, with its fifth-edition names and
its build settings, must keep at least 0.95 of the system library's speed."""
import os
import sys

TARGET = 0.95


def measure(bench, files):
    system = os.path.join(os.path.dirname(bench.parse_only), "expat_parse_only_system")
    if not os.access(system, os.X_OK):
        sys.exit("run.py: %s is missing; build with -DQUILLMERE_BENCH=ON first" % system)
    for label, path in files:
        (copy_time, _), (system_time, _) = bench.timed_together([[bench.parse_only, path],
                                                                 [system, path]])
        bench.ratio_row("%s: Expat copy parse-only / Debian's libexpat" % label,
                        system_time / copy_time, at_least=TARGET)
