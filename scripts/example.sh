#!/usr/bin/env bash
# Builds the orvantis command and the desktop program, and runs the bundled example study with
# the command: its demography, then its genetic simulations.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DORVANTIS_BUILD_TESTS=OFF >/dev/null
ninja -C "$root/build/release" orvantis orvantis-gui >/dev/null
study="$root/examples/expansion"
cd "$study"
"$root/build/release/src/cli/orvantis" --seed 12345 --coal-temporal --coal-trees "$@" settings.txt
echo "Open $study/bmp/ for the density and occupation maps, and $study/places_output.txt for the times of arrival."
echo "The genetic simulations wrote $study/GeneticsOutput/: project files (.arp), trees, PAUP files, final results, maps."
echo "Desktop program on the same study: $root/build/release/src/gui/orvantis-gui $study/settings.txt"
