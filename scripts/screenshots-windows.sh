#!/bin/sh
# Photographs every window of the Windows program under wine, in a virtual
# desktop on Xvfb, into docs/windows/*.png; with DPI=n (120, 144, 192) at
# that DPI, in a wine prefix of its own, into docs/windows/<n>dpi/.
# Usage: scripts/screenshots-windows.sh   (BUILD_WIN=dir, DPI=n)
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD_WIN:-build-win}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVE_QT=OFF -DKESTROVE_BENCH=OFF
cmake --build "$build" -j "$jobs" --target kestrove-win-screenshots
dpi=${DPI:-96}
out="$root/docs/windows"
export WINEPREFIX="$root/$build/wineprefix-gui"
if [ "$dpi" != 96 ]; then
    out="$out/${dpi}dpi"
    WINEPREFIX="$WINEPREFIX-${dpi}dpi"
fi
mkdir -p "$out"
rm -f "$out"/*.bmp
if [ "$dpi" != 96 ]; then
    scripts/wine-gui.sh reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$dpi" /f >/dev/null
fi
# explorer draws the frames and title bars a bare X server has none of.
scripts/wine-gui.sh explorer /desktop=Kestrove,1280x900 \
    "$root/$build/bin/kestrove-win-screenshots.exe" "Z:$(echo "$out" | tr / '\\')"
convert=/usr/bin/convert
[ -x "$convert" ] || convert=convert
for bmp in "$out"/*.bmp; do
    "$convert" "$bmp" "${bmp%.bmp}.png"
    rm -f "$bmp"
done
ls "$out"
