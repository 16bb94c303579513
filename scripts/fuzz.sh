#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (tree build/fuzz), then runs every harness for SECONDS seconds
# (default 30), one after the other, from its seeds (fuzz/corpus/<harness>/) and dictionary
# (fuzz/dict/<harness>.dict). The inputs each run finds are kept in build/fuzz/corpus/<harness>/
# for the next run.
#
# Usage: scripts/fuzz.sh [SECONDS] [HARNESS...]     (harness names as in fuzz/CMakeLists.txt)
#
# The mutations follow FUZZ_SEED (default 1), and the harnesses seed the simulation's generator
# themselves, so a run from an empty build/fuzz/corpus repeats the same inputs in the same order:
# a run that found nothing in N seconds finds nothing in fewer on a machine as fast. FUZZ_SEED=0
# draws a new seed each run, for longer searches.
#
# Exits 1 when a harness finds a crash, a sanitizer report, a leak, an input slower than
# TIMEOUT seconds (default 20) or memory beyond 2 GB; the input is saved in
# build/fuzz/findings/<harness>/ and replays with
#   build/fuzz/fuzz/<harness>_fuzzer build/fuzz/findings/<harness>/<file>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
if [ $# -gt 0 ]; then shift; fi
timeout=${TIMEOUT:-20}
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh [SECONDS] [HARNESS...]" >&2
  exit 2
fi

"$root/scripts/install-deps.sh"
build="$root/build/fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O2 -g" \
  -DCMAKE_CXX_COMPILER=clang++ -DORVANTIS_BUILD_FUZZ=ON -DORVANTIS_BUILD_TESTS=OFF >/dev/null

# Every harness that fuzz/CMakeLists.txt declares, unless some are named.
if [ $# -gt 0 ]; then
  harnesses=("$@")
else
  mapfile -t harnesses < <(sed -n 's/^orvantis_add_fuzzer(\([a-z_0-9]*\))$/\1/p' \
    "$root/fuzz/CMakeLists.txt")
fi
ninja -C "$build" "${harnesses[@]/%/_fuzzer}"

# The harnesses write their studies under TMPDIR: a directory of this run, removed at the end,
# in memory when the system offers it (every input writes and removes a few files).
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  work=$(mktemp -d -p /dev/shm)
else
  work=$(mktemp -d)
fi
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1

failed=()
for harness in "${harnesses[@]}"; do
  corpus="$build/corpus/$harness"
  findings="$build/findings/$harness"
  mkdir -p "$corpus" "$findings"
  dict=()
  [ -f "$root/fuzz/dict/$harness.dict" ] && dict=(-dict="$root/fuzz/dict/$harness.dict")
  log="$work/$harness.log"
  status=0
  "$build/fuzz/${harness}_fuzzer" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" \
    -timeout="$timeout" \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" \
    "$corpus" "$root/fuzz/corpus/$harness" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  if [ "$status" -eq 0 ]; then
    echo "$harness: ${runs:-?} executions, ${rate:-?} per second, no finding"
  else
    echo "$harness: FAILED (status $status) after ${runs:-?} executions; input kept in $findings/"
    if grep -q -E '^==[0-9]+==|runtime error|ERROR: libFuzzer' "$log"; then
      grep -E -A40 '^==[0-9]+==|runtime error|ERROR: libFuzzer' "$log" | head -60 || true
    else
      tail -40 "$log"
    fi
    failed+=("$harness")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]}"
  exit 1
fi
