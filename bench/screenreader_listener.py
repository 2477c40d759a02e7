#!/usr/bin/python3
"""Stands in for a screen reader while the window's run is timed: it registers with the
accessibility bus for the events a screen reader follows and reads the name of each event's
source, as a reader does to announce it, so that the window's changes travel the bus as they do
for a person using one.

    /usr/bin/python3 bench/screenreader_listener.py READY_FILE

Writes the line "ready" to READY_FILE once its listeners are registered, then runs until it
is ended. Needs Debian's python3-pyatspi; window_bench.py starts it.
"""
import sys

import pyatspi

EVENTS = ("object:", "window:", "focus:")


def announce(event):
    try:
        event.source.name
    except Exception:  # the source may be gone already, as the file it named
        pass


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: screenreader_listener.py READY_FILE")
    pyatspi.Registry.registerEventListener(announce, *EVENTS)
    with open(sys.argv[1], "w") as ready:
        ready.write("ready\n")
    pyatspi.Registry.start()


if __name__ == "__main__":
    main()
