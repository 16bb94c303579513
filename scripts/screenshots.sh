#!/usr/bin/env bash
# Pictures of the desktop program for the README: runs the example study (a copy, so the
# example folder stays clean) in real windows on a virtual X display and saves the main window,
# the time-series charts, the result viewer and (after the genetic simulations) the coalescent
# page into docs/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$root/build/release" orvantis-gui >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/examples/expansion" "$work/study"
cd "$work"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x900x24" \
  "$root/build/release/src/gui/orvantis-gui" --seed 12345 \
  --screenshots "$root/docs/screenshots" "$work/study/settings.txt"
ls "$root/docs/screenshots"
