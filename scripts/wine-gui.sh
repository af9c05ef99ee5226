#!/bin/sh
# Runs a Windows program under wine64 on a display of its own (Xvfb), in the
# wine prefix WINEPREFIX (created on first use), and ends that display
# afterwards. Usage: WINEPREFIX=dir scripts/wine-gui.sh PROGRAM.exe [ARGS...]
# With KESTROVE_DISPLAY set, that display is used and no Xvfb is started.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
until_title=""
until_file=""
if [ "${1:-}" = "--until-window" ]; then
    until_title=$2
    until_file=$3
    shift 3
fi

. "$(dirname "$0")/wine-tools.sh"
wine=$(find_wine_tool wine64 wine) || { echo "wine-gui: wine64 not found" >&2; exit 1; }
wineserver=$(find_wine_tool wineserver64 wineserver) || { echo "wine-gui: wineserver not found" >&2; exit 1; }

export WINEPREFIX
unset WAYLAND_DISPLAY

xvfb_pid=""
resources=""
stop() {
    "$wineserver" -w 2>/dev/null || true
    [ -z "$resources" ] || rm -f "$resources"
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap stop EXIT

if [ -n "${KESTROVE_DISPLAY:-}" ]; then
    DISPLAY=$KESTROVE_DISPLAY
else
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r number <"$fifo"
    rm -f "$fifo"
    DISPLAY=":$number"
    # A bare Xvfb has no resource database, as a desktop session has, and
    # Xlib then reads ~/.Xdefaults and ~/.Xdefaults-HOST again at every
    # lookup: wine looks up font settings each time a control paints. One
    # resource that nothing reads makes Xlib keep its database.
    resources=$(mktemp)
    echo "kestrove.display: xvfb" >"$resources"
    XENVIRONMENT=$resources
    export XENVIRONMENT
fi
export DISPLAY

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || { echo "wine-gui: wineboot failed" >&2; exit 1; }
    # A crash ends the program with its report on standard error instead of
    # a dialog that nobody closes.
    "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 || true
    "$wineserver" -w
fi
# The caption buttons are glyphs of Marlett, and Debian's wine does not load
# the fonts of its own data directory (package fonts-wine): without it the
# title bars show letters.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f "$fonts/marlett.ttf" ]; then
    for dir in /usr/share/wine/fonts /usr/local/share/wine/fonts; do
        [ -f "$dir/marlett.ttf" ] && mkdir -p "$fonts" && cp "$dir/marlett.ttf" "$fonts/" && break
    done
    [ -f "$fonts/marlett.ttf" ] || echo "wine-gui: no marlett.ttf (fonts-wine): title bars show letters" >&2
fi

if [ -z "$until_title" ]; then
    "$wine" "$@"
    exit $?
fi
"$wine" "$@" &
program=$!
i=0
while [ $i -lt 60 ]; do
    if [ -f "$until_file" ] && xdotool search --name "$until_title" >/dev/null 2>&1; then
        kill "$program" 2>/dev/null || true
        wait "$program" 2>/dev/null || true
        exit 0
    fi
    i=$((i + 1))
    sleep 1
done
kill "$program" 2>/dev/null || true
echo "wine-gui: no window \"$until_title\" and $until_file after 60 s" >&2
exit 1
