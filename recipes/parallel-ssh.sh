#!/bin/bash
# Converts every XML file below /shared/in into /shared/out in 16 parts, spread by GNU parallel
# over the hosts named in hosts.txt (one "[user@]host" a line; ":" for this machine too).
# Every host must see /shared under the same path and have quillmere-cli installed.
set -euo pipefail
parts=16
# --retries runs a failed part again, on another host if need be: a rerun gives the same bytes.
seq 1 "$parts" | parallel --sshloginfile hosts.txt --retries 3 --halt never \
    quillmere-cli -q --shard "{}/$parts" -o /shared/out /shared/in

# With an explicit list of files instead of a folder, hand it over NUL-separated so that a name
# holding a line break stays one entry:
#   find /shared/in -name '*.xml' -print0 > /shared/list
#   seq 1 16 | parallel --sshlogin node1,node2 \
#       quillmere-cli -q -0 --files-from /shared/list --shard {}/16 -o /shared/out
