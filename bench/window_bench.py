#!/usr/bin/python3
"""The window's run of the 2,000 small files against quillmere-cli -j 1, side by side.

    /usr/bin/python3 bench/window_bench.py BUILD_FOLDER

BUILD_FOLDER holds bin/window_run and bin/quillmere-cli. The window is shown on an X server of
its own (Xvfb): without the accessibility bus, with the bus on (at-spi, in a D-Bus session of its
own), and with the bus and a client registered for its events as a screen reader is
(screenreader_listener.py, which needs python3-pyatspi); and, for comparison, on Qt's offscreen
platform. window_run times its run from the click on "Start Converting" to "Done.";
quillmere-cli is timed as a whole process. Every figure is the best of three rounds, the
programs taking turns in each round. The results go to a memory
file system where there is one (/dev/shm): creating 2,000 files on a disk costs the same for
both programs but swings with what else the machine deletes, and would hide the window's own
costs. run.py calls measure().
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import generate  # noqa: E402

RUNS = 3
TARGET = 1.3
A11Y_BUS_CHECK = [
    "dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
    "org.a11y.Bus.GetAddress",
]
LISTENER = os.path.join(HERE, "screenreader_listener.py")
# Inside the D-Bus session: the listener is started and registered before the window starts,
# and ended with the window's run. "$0" is the file the listener writes when it is ready.
WITH_LISTENER = (
    '/usr/bin/python3 "%s" "$0" & listener=$!; '
    'while [ ! -s "$0" ]; do kill -0 $listener 2>/dev/null || exit 4; sleep 0.05; done; '
    '"$@"; status=$?; kill $listener; wait $listener 2>/dev/null; exit $status' % LISTENER)


def start_x_server():
    """An Xvfb server on a free display; returns (process, display)."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
         "tcp"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        server.kill()
        sys.exit("window_bench.py: Xvfb did not start")
    return server, ":" + number


class WindowBench:
    def __init__(self, build, out):
        self.window_run = os.path.join(build, "bin", "window_run")
        self.cli = os.path.join(build, "bin", "quillmere-cli")
        self.out = out
        self.folders = 0

    def fresh_output(self):
        self.folders += 1
        folder = os.path.join(self.out, "window%d" % self.folders)
        os.makedirs(folder)
        return folder

    def window_seconds(self, inputs, environment, wrapper=()):
        """The run's own time as window_run reports it."""
        finished = subprocess.run(
            list(wrapper) + [self.window_run, inputs, self.fresh_output()],
            env=environment, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if finished.returncode != 0:
            sys.exit("window_bench.py: window_run failed (%d):\n%s"
                     % (finished.returncode, finished.stderr.decode(errors="replace")))
        return float(finished.stdout.decode().split()[-1])

    def cli_seconds(self, inputs):
        os.sync()
        start = time.perf_counter()
        subprocess.run([self.cli, "-q", "-j", "1", "-o", self.fresh_output(), inputs],
                       check=True)
        return time.perf_counter() - start


def measure(row, ratio_row, inputs, build, out):
    """Adds the window's rows through the caller's row functions."""
    missing = [tool for tool in ("Xvfb", "dbus-run-session", "dbus-send")
               if shutil.which(tool) is None]
    if subprocess.run(["/usr/bin/python3", "-c", "import pyatspi"],
                      stderr=subprocess.DEVNULL).returncode != 0:
        missing.append("python3-pyatspi")
    memory = "/dev/shm" if os.path.isdir("/dev/shm") else None
    out = tempfile.mkdtemp(prefix="quillmere-window-", dir=memory or out)
    bench = WindowBench(build, out)
    if not os.access(bench.window_run, os.X_OK):
        missing.append(bench.window_run)
    if missing:
        row("window run: skipped, missing %s" % ", ".join(missing), "")
        return
    server, display = start_x_server()
    try:
        base = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON",
                     "DBUS_SESSION_BUS_ADDRESS"):
            base.pop(name, None)
        offscreen = dict(base, QT_QPA_PLATFORM="offscreen")
        x11 = dict(base, QT_QPA_PLATFORM="xcb", DISPLAY=display)
        with_bus = dict(x11, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        # The accessibility bus is started before the window, as on a desktop; without it the
        # run is refused rather than measured without the bus.
        bus_wrapper = ["dbus-run-session", "--", "sh", "-c",
                       " ".join(A11Y_BUS_CHECK) + ' >/dev/null || exit 3; exec "$@"', "sh"]
        ready = os.path.join(out, "listener-ready")
        listener_wrapper = ["dbus-run-session", "--", "sh", "-c",
                            " ".join(A11Y_BUS_CHECK) + " >/dev/null || exit 3; " + WITH_LISTENER,
                            ready]
        best = {"cli": float("inf"), "offscreen": float("inf"), "x": float("inf"),
                "bus": float("inf"), "listener": float("inf")}
        for _ in range(RUNS):
            best["cli"] = min(best["cli"], bench.cli_seconds(inputs))
            best["offscreen"] = min(best["offscreen"], bench.window_seconds(inputs, offscreen))
            best["x"] = min(best["x"], bench.window_seconds(inputs, x11))
            best["bus"] = min(best["bus"], bench.window_seconds(inputs, with_bus, bus_wrapper))
            if os.path.exists(ready):
                os.remove(ready)
            best["listener"] = min(best["listener"],
                                   bench.window_seconds(inputs, with_bus, listener_wrapper))
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(out, ignore_errors=True)
    print("  2000 small files, results in %s: quillmere-cli -j 1 %.2f s; window offscreen %.2f s,"
          " under X %.2f s, with the accessibility bus %.2f s, and a screen reader's listener"
          " %.2f s" % (memory or out, best["cli"], best["offscreen"], best["x"], best["bus"],
                       best["listener"]))
    ratio_row("window run under X / quillmere-cli -j 1", best["x"] / best["cli"],
              at_most=TARGET)
    ratio_row("window run under X, accessibility bus / -j 1", best["bus"] / best["cli"],
              at_most=TARGET)
    ratio_row("  the same with a screen reader's listener / -j 1",
              best["listener"] / best["cli"], at_most=TARGET)
    ratio_row("  (window run offscreen / -j 1)", best["offscreen"] / best["cli"])


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: window_bench.py BUILD_FOLDER")
    build = os.path.abspath(sys.argv[1])
    data = os.path.join(build, "bench-data")
    generate.generate(data)
    out = tempfile.mkdtemp(prefix="window-bench-", dir=build)
    rows = []

    def row(name, value, target=None, passed=None):
        verdict = "" if passed is None else ("PASS" if passed else "MISS")
        rows.append(verdict)
        print("  %-52s %14s  %-12s %s" % (name, value, target or "", verdict), flush=True)

    def ratio_row(name, ratio, at_most=None):
        if at_most is None:
            row(name, "%.2fx" % ratio)
        else:
            row(name, "%.2fx" % ratio, "<= %.2fx" % at_most, ratio <= at_most)

    try:
        measure(row, ratio_row, os.path.join(data, "small"), build, out)
    finally:
        shutil.rmtree(out, ignore_errors=True)
    sys.exit(1 if "MISS" in rows else 0)


if __name__ == "__main__":
    main()
