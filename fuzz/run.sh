#!/bin/sh
# Runs every fuzz target of a fuzz build for FUZZ_SECONDS seconds each (60 by
# default), one after the other, on a corpus kept in BUILD/corpus/TARGET and
# seeded afresh from the folder builder and the sample folders. A crash stops
# the script with the fuzzer's report; its input is left in BUILD/crashes.
# Usage: fuzz/run.sh BUILD [TARGET...]
set -eu
build=${1:?usage: fuzz/run.sh BUILD [TARGET...]}
shift
seconds=${FUZZ_SECONDS:-60}
targets=${*:-"fuzz_load_scan fuzz_header fuzz_profile fuzz_folder_names fuzz_stats fuzz_export fuzz_rewrite"}

# The targets write scratch files per input: on tmpfs when there is one, so
# the rewrite's syncs cost nothing.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    TMPDIR=/dev/shm
    export TMPDIR
fi

# Seeds afresh for this run only, so that two runs may go side by side.
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
"$build/bin/fuzz_seeds" "$seeds"
mkdir -p "$build/crashes"
for target in $targets; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus" "$seeds/$target"
    echo "== $target: $seconds s"
    # -close_fd_mask=3: the engine's boxes are silent, but keep stdout clean.
    if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/bin/$target" "$corpus" "$seeds/$target" \
        -max_total_time="$seconds" -max_len=16384 -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" \
        >"$build/$target.log" 2>&1; then
        tail -n 60 "$build/$target.log"
        echo "== $target: FAILED (log: $build/$target.log)"
        exit 1
    fi
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|^Done " "$build/$target.log" || true
done
echo "== all fuzz targets ran without a fault"
