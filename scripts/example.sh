#!/usr/bin/env bash
# Builds the orvantis command and runs the bundled example study.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DORVANTIS_BUILD_TESTS=OFF >/dev/null
ninja -C "$root/build/release" orvantis >/dev/null
study="$root/examples/minimal"
cd "$study"
"$root/build/release/src/cli/orvantis" --seed 12345 settings.txt "$@"
echo "Log written to $study/orvantis3_beta_win.log"
