"""What the cluster proofs (.ci/dask-proof, .ci/slurm-proof) share: the generated input tree, the
comparison with one "quillmere-cli -j 1" run, bounded waits, a folder hidden from one process as
on a node without the mount, and the checks they print."""
import ctypes
import filecmp
import os
import signal
import socket
import subprocess
import time

import psutil

WAIT = 120  # seconds for any one thing to happen

_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1
_PR_SET_CHILD_SUBREAPER = 36


def generate_tree(root, files=2000):
    """Files spread over folders; names repeat across folders, so several inputs write one
    output and the later one must win in every part as in the single run."""
    for i in range(files):
        folder = root / f"d{i % 23:02d}" / f"s{i % 3}"
        folder.mkdir(parents=True, exist_ok=True)
        items = "".join(f"<item n='{j}'><name>n{i}-{j}</name><v>{i * j}</v></item>"
                        for j in range(120 + i % 17))
        (folder / f"f{i % 700:03d}.xml").write_text(f"<list id='{i}'>{items}</list>\n")


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_until(condition, what, timeout=WAIT):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise TimeoutError(f"waited {timeout} s for {what}")
        time.sleep(0.01)


def _end_with_proof():
    # A daemon must not outlive a proof that was killed before it could stop it.
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGTERM)


def start(command, log, **options):
    """Starts a daemon in a session of its own, so that stopping it reaches what it started."""
    return subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                            start_new_session=True, preexec_fn=_end_with_proof, **options)


def stop(process, grace=10):
    """SIGTERM to the daemon's session, SIGKILL when it has not ended after grace seconds."""
    for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, WAIT)):
        if process.poll() is not None:
            break
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            break
        try:
            process.wait(timeout=wait)
        except subprocess.TimeoutExpired:
            pass


def adopt_orphans():
    """Makes this process the parent of the processes its descendants leave behind, so that
    the proof can wait for a conversion whose parent was killed and read its exit status."""
    _libc.prctl(_PR_SET_CHILD_SUBREAPER, 1)


def exit_status_of_adopted(pid, timeout=WAIT):
    """The exit status of an adopted process (128 + N for signal N), waiting at most timeout."""
    deadline = time.monotonic() + timeout
    while True:
        ended, status = os.waitpid(pid, os.WNOHANG)
        if ended:
            code = os.waitstatus_to_exitcode(status)
            return code if code >= 0 else 128 - code
        if time.monotonic() > deadline:
            raise TimeoutError(f"process {pid} still runs {timeout} s after its parent was killed")
        time.sleep(0.01)


def hidden(folder, command):
    """command as it runs on a node where the share mounted at folder is missing: in a mount
    namespace of its own, folder is an empty read-only file system, so what was below it is
    not there. Needs root."""
    return ["unshare", "--mount", "--propagation", "private", "sh", "-c",
            'mount -t tmpfs -o ro,size=4k unmounted "$0" && exec "$@"', str(folder), *command]


def single_run(cli, tree, output):
    output.mkdir()
    subprocess.run([cli, "-q", "-j", "1", "-o", str(output), str(tree)], check=True,
                   timeout=WAIT)


def outputs_of_part(cli, part, parts, inputs, output):
    """The result files part K of N writes, from the inputs quillmere-cli lists for it; inputs
    are quillmere-cli's arguments that name them (PATH..., --files-from LIST -0)."""
    listing = subprocess.run([cli, "-n", "-0", "--shard", f"{part}/{parts}", *inputs],
                             stdout=subprocess.PIPE, check=True, timeout=WAIT).stdout
    return [output / (os.path.splitext(os.path.basename(os.fsdecode(name)))[0] + ".csv")
            for name in listing.split(b"\0") if name]


def freeze_unfinished(conversion, outputs):
    """Stops (SIGSTOP) a conversion that has written some but not all of outputs, so that it
    cannot end by itself; whether it did. A conversion stopped too late is let go on."""
    try:
        written = [path.exists() for path in outputs]
        if not any(written) or all(written):
            return False
        conversion.suspend()
        wait_until(lambda: conversion.status() in (psutil.STATUS_STOPPED, psutil.STATUS_ZOMBIE),
                   "SIGSTOP to take")
        if conversion.status() == psutil.STATUS_STOPPED:
            if not all(path.exists() for path in outputs):
                return True
            conversion.resume()
    except psutil.NoSuchProcess:
        pass
    return False


def same_results(expected, actual):
    """Whether actual holds exactly the files of expected, byte for byte; a line that says how
    they differ."""
    expected_files = sorted(p.relative_to(expected) for p in expected.rglob("*"))
    actual_files = sorted(p.relative_to(actual) for p in actual.rglob("*"))
    if expected_files != actual_files:
        missing = sorted(set(expected_files) - set(actual_files))
        extra = sorted(set(actual_files) - set(expected_files))
        return False, f"{len(missing)} files missing {missing[:3]}, {len(extra)} extra {extra[:3]}"
    for name in expected_files:
        if not filecmp.cmp(expected / name, actual / name, shallow=False):
            return False, f"{actual / name} differs from the single run"
    return True, f"{len(actual_files)} files, every byte as in the single run"


def listening_addresses(pids):
    """The addresses the processes listen on for TCP, as "host:port" strings."""
    addresses = []
    for pid in pids:
        for process in [psutil.Process(pid), *psutil.Process(pid).children(recursive=True)]:
            for connection in process.connections(kind="tcp"):
                if connection.status == psutil.CONN_LISTEN:
                    addresses.append(f"{connection.laddr.ip}:{connection.laddr.port}")
    return addresses


class Checks:
    """Prints each check; a failing check stops the proof."""

    def __init__(self, name):
        self.name = name

    def check(self, passed, what, detail=""):
        detail = f" ({detail})" if detail else ""
        if not passed:
            raise AssertionError(f"{self.name}: FAILED: {what}{detail}")
        print(f"{self.name}: ok: {what}{detail}", flush=True)
