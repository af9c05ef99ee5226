#!/bin/sh
# Makes win/kestrove.ico: from icons/kestrove.svg when the repository has it,
# else a plain placeholder (a navy K on sky blue). Needs ImageMagick.
set -eu
cd "$(dirname "$0")/.."
convert=/usr/bin/convert
[ -x "$convert" ] || convert=convert
if [ -f icons/kestrove.svg ]; then
    "$convert" -background none icons/kestrove.svg -define icon:auto-resize=256,48,32,16 win/kestrove.ico
else
    "$convert" -size 256x256 xc:'rgb(166,202,240)' -fill 'rgb(0,0,128)' \
        -draw 'roundrectangle 8,8 247,247 40,40' -fill 'rgb(166,202,240)' \
        -draw 'polygon 70,50 110,50 110,118 170,50 214,50 146,126 218,206 172,206 110,136 110,206 70,206' \
        -define icon:auto-resize=256,48,32,16 win/kestrove.ico
fi
echo "win/kestrove.ico"
