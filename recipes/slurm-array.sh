#!/bin/bash
# Converts every XML file below /shared/in into /shared/out in 64 parts, one Slurm array task
# each. Edit the lines below, then on the login node:
#   recipes/slurm-array.sh                       lists the inputs once and submits the array
#   squeue --array -h -j JOB -t F,TO,NF,OOM,CA,PR,BF,DL -o %K
#                                                the parts that failed (or sacct -X -j JOB)
#   sbatch --array=K,K... recipes/slurm-array.sh
#                                                runs those parts again, from the same list
# A result file is replaced only when complete, so a part can run again at any time and writes
# the same bytes; a task that exits 3 ran on a node that cannot work (a mount missing there):
# rerun it with --exclude=NODE.
#SBATCH --job-name=quillmere
#SBATCH --cpus-per-task=2
#SBATCH --requeue
#SBATCH --output=quillmere-%A_%a.log
set -euo pipefail

input=/shared/in
output=/shared/out
list=/shared/quillmere-jobs.list
parts=64
running=16

if [ -z "${SLURM_ARRAY_TASK_ID:-}" ]; then
    # The job list, made once here: every task reads the same names in the order of one run
    # instead of scanning the folders again. Reruns of a part read it too, so a new list means
    # a new job.
    if ! quillmere-cli -n -0 "$input" >"$list.new" || [ ! -s "$list.new" ]; then
        echo "slurm-array.sh: no job list from $input" >&2
        rm -f "$list.new"
        exit 3
    fi
    mv "$list.new" "$list"
    # Parts 1 to $parts, at most $running of them running at once.
    exec sbatch --array="1-$parts%$running" "$0"
fi

# A task converts part SLURM_ARRAY_TASK_ID of $parts; an array that does not fit is refused
# before any part runs (0-based ids, more tasks than parts).
if [ "$SLURM_ARRAY_TASK_MIN" -lt 1 ] || [ "$SLURM_ARRAY_TASK_MAX" -gt "$parts" ]; then
    echo "slurm-array.sh: the array $SLURM_ARRAY_TASK_MIN-$SLURM_ARRAY_TASK_MAX does not fit" \
        "parts 1-$parts" >&2
    exit 2
fi
exec quillmere-cli --quiet -j "${SLURM_CPUS_PER_TASK:-1}" --shard "$SLURM_ARRAY_TASK_ID/$parts" \
    -0 --files-from "$list" -o "$output"
