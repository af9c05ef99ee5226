#!/bin/sh
# The Windows program's benchmarks: cross-built with mingw-w64, run under
# wine64 on an Xvfb display; one "BENCH <name> <value> <unit>" line each.
# Usage: scripts/bench-windows.sh   (JOBS=n, BUILD_WIN_BENCH=dir)
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD_WIN_BENCH:-build-win-bench}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKESTROVE_QT=OFF -DKESTROVE_TESTS=OFF -DKESTROVE_CLI=OFF \
    -DKESTROVE_BENCH=ON >/dev/null
cmake --build "$build" -j "$jobs" --target bench_win_window >/dev/null
export WINEPREFIX="$root/$build/wineprefix-gui"
scripts/wine-gui.sh "$root/$build/bin/bench_win_window.exe" | tr -d '\r'
