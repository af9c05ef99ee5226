#!/bin/sh
# Runs every benchmark program of a build and prints their BENCH lines.
set -eu
build=${1:-build-bench}
status=0
for b in "$build"/bin/bench_*; do
    [ -x "$b" ] || continue
    "$b" || status=1
done
exit $status
