#!/bin/bash
# Converts every XML file below /shared/in into /shared/out in 64 parts, spread by GNU parallel
# over the hosts named in hosts.txt (one "[slots/][user@]host" a line; ":" for this machine).
# Every host must see /shared under the same path and have quillmere-cli installed.
#   recipes/parallel-ssh.sh          lists the inputs once and runs every part
#   recipes/parallel-ssh.sh 5 9      runs parts 5 and 9 again, from the same list
# The parts that did not end with 0 are named at the end; a part can run again at any time,
# since a result file is replaced only when complete.
set -euo pipefail

input=/shared/in
output=/shared/out
list=/shared/quillmere-jobs.list
parts=64
hosts=hosts.txt

# Parts start in / on every host (--workdir below; GNU parallel would start them in the login
# folder of a remote host and in the current folder here), so every path must be absolute.
for path in "$input" "$output" "$list"; do
    if [ "${path#/}" = "$path" ]; then
        echo "parallel-ssh.sh: $path is not an absolute path" >&2
        exit 2
    fi
done

if [ $# -eq 0 ]; then
    # The job list, made once here by quillmere-cli: its order decides which input wins when two
    # write one result file, as in one run; a find list would order them otherwise.
    if ! quillmere-cli -n -0 "$input" >"$list.new" || [ ! -s "$list.new" ]; then
        echo "parallel-ssh.sh: no job list from $input" >&2
        rm -f "$list.new"
        exit 3
    fi
    mv "$list.new" "$list"
    set -- $(seq 1 "$parts")
fi
for part in "$@"; do
    if ! [[ $part =~ ^[0-9]+$ ]] || [ "$part" -lt 1 ] || [ "$part" -gt "$parts" ]; then
        echo "parallel-ssh.sh: parts are 1 to $parts, not $part" >&2
        exit 2
    fi
done

# What a host runs for part $1: one quillmere-cli -j 1, as GNU parallel gives each part a job
# slot of its own (one a core by default). Status 3 says the host cannot work (a mount missing
# there), and GNU parallel tries the part on another host; any other status is the part's
# answer, printed and not retried.
convert_part='quillmere-cli --quiet -j 1 --shard "$1/$2" -0 --files-from "$3" -o "$4"
status=$?
[ "$status" -ne 3 ] || exit 3
echo "part $1 status $status"'

# -q quotes each argument for the remote shell, so paths with blanks or quotes arrive whole.
answers=$(printf '%s\n' "$@" | parallel --will-cite --sshloginfile "$hosts" --workdir / \
    --retries 3 -q bash -c "$convert_part" convert-part {} "$parts" "$list" "$output") || true

status=0
failed=()
for part in "$@"; do
    answer=$(sed -n "s/^part $part status //p" <<<"$answers")
    answer=${answer:-3} # no answer: no host could work, or none could be reached
    if [ "$answer" -ne 0 ]; then
        failed+=("$part")
    fi
    if [ "$answer" -gt "$status" ]; then
        status=$answer
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "parallel-ssh.sh: parts ${failed[*]} did not convert every file; run them again:" \
        "$0 ${failed[*]}" >&2
fi
exit "$status"
