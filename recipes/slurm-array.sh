#!/bin/bash
# Converts every XML file below /shared/in into /shared/out in 64 parts, one array task each.
# Submit with: sbatch recipes/slurm-array.sh
# A part that fails or is preempted can simply run again: a result file is replaced only when
# complete, so a rerun writes the same bytes.
#SBATCH --job-name=quillmere
#SBATCH --array=1-64
#SBATCH --cpus-per-task=4
#SBATCH --requeue
#SBATCH --output=quillmere-%A_%a.log

parts=64
# Every task sees the same job list (the folder scan is sorted), and --shard picks its part.
exec quillmere-cli -q -j "$SLURM_CPUS_PER_TASK" --shard "$SLURM_ARRAY_TASK_ID/$parts" \
    -o /shared/out /shared/in
