#!/bin/sh
# Makes win/kestrove.ico from icons/kestrove.svg: each size drawn from the
# drawing itself by rsvg-convert (sharper than one picture scaled down), then
# put together by ImageMagick.
set -eu
cd "$(dirname "$0")/.."
convert=/usr/bin/convert
[ -x "$convert" ] || convert=convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pngs=""
for size in 256 48 32 24 16; do
    rsvg-convert -w "$size" -h "$size" icons/kestrove.svg -o "$work/$size.png"
    pngs="$pngs $work/$size.png"
done
# shellcheck disable=SC2086
"$convert" $pngs win/kestrove.ico
echo "win/kestrove.ico"
