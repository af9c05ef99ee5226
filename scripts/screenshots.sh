#!/bin/sh
# Photographs every window on sample folders, under a virtual X display, into
# docs/. Usage: scripts/screenshots.sh [build-directory]
set -eu
build=${1:-build}
cmake --build "$build" --target kestrove-screenshots -j 2
mkdir -p docs
# Our own X server on a free display; the windows get the real X11 platform.
xvfb-run -a -s "-screen 0 1400x1000x24" "$build/bin/kestrove-screenshots" docs
