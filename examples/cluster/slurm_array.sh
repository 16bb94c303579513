#!/usr/bin/env bash
# A plain SLURM job array, without Snakemake: task i runs chunk i of the prior table.
#
#   python3 split_table.py abc_table.tsv 100 chunks      # prints the number of chunks, C
#   mkdir -p logs
#   sbatch --array=0-$((C - 1))%200 slurm_array.sh /path/to/study/settings.txt
#   # when every task has ended:
#   python3 gather_summaries.py abc_summary.tsv runs/chunk_*/batch_summary.tsv
#
# A task that is run again (sbatch --array=7 ...) skips the rows of its chunk that are complete.
# ORVANTIS names the command (default: orvantis on the PATH); STUDY_OPTIONS are given to every
# study (e.g. STUDY_OPTIONS="--database compressed").
#SBATCH --job-name=orvantis-abc
#SBATCH --cpus-per-task=1
#SBATCH --mem=4G
#SBATCH --time=04:00:00
#SBATCH --output=logs/slurm-%A_%a.out
set -euo pipefail
settings=${1:?usage: sbatch --array=0-N slurm_array.sh SETTINGS_FILE}
orvantis=${ORVANTIS:-orvantis}
chunk=$(printf 'chunk_%04d' "${SLURM_ARRAY_TASK_ID:?not run as a SLURM array task}")
status=0
# shellcheck disable=SC2086  # the study options are words
"$orvantis" batch "chunks/$chunk.tsv" "$settings" --runs "runs/$chunk" \
  --jobs "${SLURM_CPUS_PER_TASK:-1}" --resume --quiet -- ${STUDY_OPTIONS:-} || status=$?
# Exit status 1 with a summary: some rows failed; they are recorded in it.
[ "$status" -le 1 ] && [ -f "runs/$chunk/batch_summary.tsv" ]
