#!/usr/bin/python3
"""Converts XML files in PARTS parts on a Dask cluster, one task per part.

    dask-shards.py --scheduler tcp://host:8786 --parts 64 -- -o /shared/out /shared/in
    dask-shards.py --scheduler tcp://host:8786 --parts 64 --only 5,9 -- -o /shared/out /shared/in

Everything after "--" goes to quillmere-cli as it is. Every worker must see the input and
output folders under the same paths. Each task runs one "quillmere-cli -j 1" for its part, so a
worker converts as many parts at once as it has threads (dask worker --nthreads). A conversion
ends when its worker does, even when the worker is killed, and the scheduler runs the part
again elsewhere; since a result file is replaced only when complete, the rerun writes the same
bytes. A part that exits 3 (this machine cannot work: a folder or the list missing there) runs
again on a worker that has not said so; any other status is the part's answer.

Start the scheduler and the workers with --host and --dashboard-address on the cluster's own
network: the dashboard listens on every interface otherwise, even with --no-dashboard.

Exit status: 0 when every part converted every file; otherwise the highest status of a part:
1 some files could not be converted, 2 quillmere-cli refused the arguments, 3 a part found no
worker that could run it, lost its workers, or did not end within --timeout. Those parts are
named with the --only option that runs just them again.
"""
import argparse
import sys
import time

from dask.distributed import Client, wait

# quillmere-cli's exit status when the machine it runs on cannot work (worth trying elsewhere).
CANNOT_WORK_HERE = 3


def convert_part(cli, part, parts, arguments, deadline):
    """Runs one part on this worker; returns the part, its exit status, its messages and the
    worker's address."""
    import ctypes
    import os
    import signal
    import subprocess
    import time

    from dask.distributed import get_worker

    libc = ctypes.CDLL(None, use_errno=True)
    worker = os.getpid()

    def end_with_worker():
        # PR_SET_PDEATHSIG: SIGTERM when the worker ends, however it ends, so that a lost worker
        # leaves no conversion behind; SIGTERM lets quillmere-cli remove its unfinished result.
        libc.prctl(1, signal.SIGTERM)
        if os.getppid() != worker:
            os._exit(CANNOT_WORK_HERE)

    address = get_worker().address
    command = [cli, "--quiet", "-j", "1", "--shard", f"{part}/{parts}", *arguments]
    try:
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, preexec_fn=end_with_worker)
    except OSError as failure:  # no quillmere-cli on this machine
        return part, CANNOT_WORK_HERE, f"cannot start {cli}: {failure}\n", address
    with process:
        try:
            _, messages = process.communicate(timeout=max(1.0, deadline - time.time()))
        except subprocess.TimeoutExpired:
            process.terminate()
            _, messages = process.communicate()
            messages += b"stopped: the job's time limit (--timeout) was reached\n"
    status = process.returncode if process.returncode >= 0 else 128 - process.returncode
    return part, status, messages.decode(errors="replace"), address


def part_list(text, parts):
    chosen = sorted({int(part) for part in text.split(",")})
    if not chosen or chosen[0] < 1 or chosen[-1] > parts:
        raise ValueError(f"parts are 1 to {parts}")
    return chosen


def run_parts(client, options, arguments, chosen):
    """Runs the chosen parts until each has its answer; returns {part: (status, messages)}."""
    deadline = time.time() + options.timeout
    attempts = dict.fromkeys(chosen, 0)
    cannot_work = set()  # workers that said they cannot work here

    def submit(part):
        attempts[part] += 1
        # Only on workers that have not said so (strictly: a loosely placed task can be stolen
        # by an idle worker); on any worker once every worker has said so.
        others = [w for w in client.scheduler_info()["workers"] if w not in cannot_work]
        return client.submit(convert_part, options.cli, part, options.parts, arguments, deadline,
                             workers=others or None, pure=False)

    answers = {}
    pending = {submit(part): part for part in chosen}
    while pending:
        try:
            done = wait(list(pending), timeout=max(0.0, deadline - time.time()),
                        return_when="FIRST_COMPLETED").done
        except TimeoutError:
            for future, part in pending.items():
                future.cancel()
                answers[part] = (CANNOT_WORK_HERE, f"did not end within {options.timeout} s\n")
            break
        for future in done:
            part = pending.pop(future)
            try:
                _, status, messages, worker = future.result()
            except Exception as failure:  # its workers were lost too often (KilledWorker)
                status, messages, worker = CANNOT_WORK_HERE, f"{failure!r}\n", None
            if status == CANNOT_WORK_HERE and worker and attempts[part] <= options.retries:
                cannot_work.add(worker)
                sys.stderr.write(f"dask-shards: part {part}: {worker} cannot work here "
                                 f"(status 3), trying another worker: {messages}")
                pending[submit(part)] = part
            else:
                answers[part] = (status, messages)
    return answers


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scheduler", required=True, help="address of the Dask scheduler")
    parser.add_argument("--parts", type=int, required=True)
    parser.add_argument("--only", metavar="K,K...", help="run only these parts")
    parser.add_argument("--cli", default="quillmere-cli", help="path of quillmere-cli")
    parser.add_argument("--retries", type=int, default=3,
                        help="times a part runs again after a worker said it cannot work")
    parser.add_argument("--timeout", type=float, default=3600, help="seconds for the whole job")
    parser.add_argument("arguments", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    arguments = options.arguments[1:] if options.arguments[:1] == ["--"] else options.arguments
    if options.parts < 1:
        parser.error("--parts needs at least 1")
    try:
        chosen = part_list(options.only, options.parts) if options.only else \
            list(range(1, options.parts + 1))
    except ValueError as failure:
        parser.error(f"--only: {failure}")

    with Client(options.scheduler, timeout=60) as client:
        answers = run_parts(client, options, arguments, chosen)

    status = 0
    for part in sorted(answers):
        part_status, messages = answers[part]
        sys.stderr.write(messages)
        status = max(status, part_status if part_status <= CANNOT_WORK_HERE else CANNOT_WORK_HERE)
    failed = [str(part) for part in sorted(answers) if answers[part][0] != 0]
    if failed:
        statuses = ",".join(str(answers[int(part)][0]) for part in failed)
        sys.stderr.write(f"dask-shards: of {options.parts} parts, {','.join(failed)} ended with "
                         f"status {statuses}; run them again with --only {','.join(failed)}\n")
    return status


if __name__ == "__main__":
    sys.exit(main())
