#!/bin/sh
# Builds the Windows programs and packs the portable zip:
# dist/Kestrove-2.30-win64.zip, one folder with kestrove.exe,
# kestrove-cli.exe, the help, README.txt and LICENSE.txt (both CR LF).
# Usage: scripts/package-windows.sh   (JOBS=n, BUILD_WIN=dir)
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD_WIN:-build-win}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
version=2.30
name=Kestrove-$version-win64

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVE_QT=OFF -DKESTROVE_BENCH=OFF
cmake --build "$build" -j "$jobs" --target kestrove kestrove-cli

stage="$build/package/$name"
rm -rf "$build/package"
mkdir -p "$stage" dist
for exe in kestrove.exe kestrove-cli.exe; do
    # Without their debug information: a tenth of the size.
    x86_64-w64-mingw32-strip -o "$stage/$exe" "$build/bin/$exe"
done
cp qt/help/kestrove.html "$stage/Kestrove.html"
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }
crlf win/README.txt "$stage/README.txt"
crlf LICENSE "$stage/LICENSE.txt"
rm -f "dist/$name.zip"
(cd "$build/package" && zip -q -X -r "$root/dist/$name.zip" "$name")
echo "dist/$name.zip"
