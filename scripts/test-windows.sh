#!/bin/sh
# Cross-builds the engine, the Windows program and their tests with mingw-w64
# and runs them under wine64 in wine prefixes of their own inside the build
# directory: the engine's headless, the windows' on an Xvfb display.
# Usage: scripts/test-windows.sh   (JOBS=n for the build, BUILD_WIN=dir)
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD_WIN:-build-win}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

. scripts/wine-tools.sh
wine=$(find_wine_tool wine64 wine) || { echo "test-windows: wine64 not found" >&2; exit 1; }
wineserver=$(find_wine_tool wineserver64 wineserver) || {
    echo "test-windows: wineserver not found" >&2
    exit 1
}

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVE_QT=OFF -DKESTROVE_BENCH=OFF
targets="kestrove_tests kestrove kestrove_win_tests kestrove-cli"
# shellcheck disable=SC2086
cmake --build "$build" -j "$jobs" --target $targets

# The toolchain's emulator line, for wineboot and the server: the wine
# environment of wine-tools.sh in a private prefix (never ~/.wine), no
# display.
build_abs=$(cd "$build" && pwd)
WINEPREFIX="$build_abs/wineprefix"
export WINEPREFIX
unset DISPLAY WAYLAND_DISPLAY

# Let the wine server of this prefix end before the script does, whatever
# happens.
trap '"$wineserver" -w 2>/dev/null || true' EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "test-windows: creating the wine prefix $WINEPREFIX"
    start=$(date +%s)
    if ! "$wine" wineboot -i >"$build_abs/wineboot.log" 2>&1; then
        cat "$build_abs/wineboot.log" >&2
        echo "test-windows: wineboot failed" >&2
        exit 1
    fi
    "$wineserver" -w
    echo "test-windows: wine prefix ready in $(($(date +%s) - start)) s"
fi

cd "$build"
ctest --output-on-failure --timeout 1200
