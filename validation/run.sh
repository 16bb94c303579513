#!/usr/bin/env bash
# Runs the whole validation suite: builds the replicate driver in the optimised tree, then
# simulates 10^4 replicates per check of a mean and 10^5 per check of a distribution, and writes
# validation/report/ (report.md, results.json and the PNG plots). About half an hour on one core.
#
# Usage: bash validation/run.sh [--seed N] [--tier full|small] [--only CHECK]...
# Exits 1 when a check fails; the report says which, with the seed that replays it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$root/build/release" orvantis_replicates >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$root"
# one core: numpy's linear algebra would otherwise start a thread per core
export OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 MKL_NUM_THREADS=1
export ORVANTIS_VALIDATION_COMMAND="bash validation/run.sh${*:+ $*}"
# /usr/bin/python3: Debian's interpreter, which has python3-numpy, -scipy and -matplotlib
/usr/bin/python3 validation/suite/run_suite.py \
  --binary build/release/validation/orvantis_replicates \
  --report validation/report --work "$work" "$@"
