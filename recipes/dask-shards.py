#!/usr/bin/python3
"""Converts XML files in PARTS parts on a Dask cluster, one task per part.

    dask-shards.py --scheduler tcp://host:8786 --parts 64 -- -o /shared/out /shared/in

Everything after "--" goes to quillmere-cli as it is. Every worker must see the input and
output folders under the same paths. A part whose worker is lost is run again elsewhere by the
scheduler; since a result file is replaced only when complete, the rerun writes the same bytes.
"""
import argparse
import subprocess
import sys

from dask.distributed import Client, wait

# quillmere-cli's exit status when a file could not be converted: a real answer, not retried.
SOME_FILES_FAILED = 1


def convert_part(cli, part, parts, arguments):
    """Runs one part; raises when it was stopped, so that the scheduler runs it again."""
    run = subprocess.run([cli, "-q", "--shard", f"{part}/{parts}", *arguments],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if run.returncode not in (0, SOME_FILES_FAILED):
        raise RuntimeError(f"part {part} stopped with status {run.returncode}: {run.stderr}")
    return part, run.returncode, run.stderr


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scheduler", required=True, help="address of the Dask scheduler")
    parser.add_argument("--parts", type=int, required=True)
    parser.add_argument("--cli", default="quillmere-cli", help="path of quillmere-cli")
    parser.add_argument("--retries", type=int, default=3)
    parser.add_argument("--timeout", type=float, default=3600, help="seconds for the whole job")
    parser.add_argument("arguments", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    arguments = options.arguments[1:] if options.arguments[:1] == ["--"] else options.arguments

    status = 0
    with Client(options.scheduler, timeout=60) as client:
        futures = [client.submit(convert_part, options.cli, part, options.parts, arguments,
                                 retries=options.retries, pure=False)
                   for part in range(1, options.parts + 1)]
        wait(futures, timeout=options.timeout)
        for future in futures:
            part, returncode, messages = future.result()
            sys.stderr.write(messages)
            status = max(status, returncode)
    return status


if __name__ == "__main__":
    sys.exit(main())
