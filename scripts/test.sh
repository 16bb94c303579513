#!/usr/bin/env bash
# Builds and runs every test twice: optimised, and with AddressSanitizer and
# UndefinedBehaviorSanitizer (any sanitizer report fails the run). The benchmarks are built
# in the optimised tree so they keep compiling. The desktop program's tests run on Qt's offscreen
# platform in both trees, so no display is needed. Then builds the fuzz harnesses and runs each
# for 30 seconds (FUZZ_SECONDS), so that a crash found by fuzzing fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
jobs=$(nproc)

cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DORVANTIS_BUILD_TESTS=ON -DORVANTIS_BUILD_BENCH=ON >/dev/null
ninja -C "$root/build/release"
ctest --test-dir "$root/build/release" -j "$jobs" --output-on-failure

cmake -S "$root" -B "$root/build/sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS=-O1 -DORVANTIS_SANITIZE=ON -DORVANTIS_BUILD_TESTS=ON >/dev/null
ninja -C "$root/build/sanitize"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$root/build/sanitize" -j "$jobs" --output-on-failure

"$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-30}"
