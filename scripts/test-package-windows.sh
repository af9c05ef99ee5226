#!/bin/sh
# Unpacks dist/Kestrove-2.30-win64.zip into a clean directory and starts what
# it holds under wine64: kestrove-cli.exe --version, then kestrove.exe on an
# Xvfb display until its main window is up and it has written its settings
# file beside itself. Usage: scripts/test-package-windows.sh
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
zip=dist/Kestrove-2.30-win64.zip
[ -f "$zip" ] || { echo "test-package-windows: $zip is missing" >&2; exit 1; }
build=${BUILD_WIN:-build-win}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
app="$work/Kestrove-2.30-win64"
fail() { echo "test-package-windows: $*" >&2; exit 1; }

for f in kestrove.exe kestrove-cli.exe Kestrove.html README.txt LICENSE.txt; do
    [ -f "$app/$f" ] || fail "$f is not in the zip"
done
[ "$(ls "$app" | wc -l)" -eq 5 ] || fail "the zip holds more than its five files: $(ls "$app")"
# README.txt and LICENSE.txt: every line ends in CR LF.
for f in README.txt LICENSE.txt; do
    if tr -d '\r' <"$app/$f" | cmp -s - "$app/$f"; then fail "$f has no CR LF"; fi
    if [ "$(grep -c "$(printf '\r')\$" "$app/$f")" -ne "$(wc -l <"$app/$f")" ]; then
        fail "$f has a line without CR"
    fi
done
tr -d '\r' <"$app/LICENSE.txt" | cmp -s - LICENSE || fail "LICENSE.txt is not the licence of LICENSE"
# No DLLs needed beside the programs.
for exe in kestrove.exe kestrove-cli.exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$app/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' |
        grep -v -E '^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|advapi32|shlwapi|msvcrt|ws2_32|oleaut32|uxtheme|api-ms-win-.*)\.dll$' || true)
    [ -z "$dlls" ] || fail "$exe needs $dlls"
done

export WINEPREFIX="$root/$build/wineprefix-gui"
version=$(scripts/wine-gui.sh "$app/kestrove-cli.exe" --version | tr -d '\r')
printf '%s\n' "$version" | grep -q "2.30" || fail "kestrove-cli.exe --version said: $version"
printf 'kestrove-cli.exe --version: %s\n' "$version"

# The program starts, shows its main window and writes kestrove.INI beside
# itself (the directory it starts in); then it is ended.
scripts/wine-gui.sh --until-window '^Kestrove - 2.30$' "$app/kestrove.INI" "$app/kestrove.exe" ||
    fail "kestrove.exe did not start"
grep -q '^Path=' "$app/kestrove.INI" || fail "kestrove.INI has no Path"
echo "kestrove.exe started and wrote kestrove.INI beside itself"
echo "test-package-windows: 1 passed, 0 failed"
