#!/bin/sh
# Checks the installation and the Debian package built from BUILD:
#  1. `cmake --install` into a staging directory puts every file in place,
#     the icons at their sizes;
#  2. desktop-file-validate and appstreamcli accept the desktop entry and the
#     metadata;
#  3. the installed kestrove-cli --version and the installed kestrove (under
#     Xvfb, with a home of its own) keep their settings in
#     ~/.config/kestrove/ and write nothing beside themselves; make uninstall
#     takes every file away again;
#  4. the .deb holds every file, names its dependencies, and lintian finds
#     no error in it.
# Usage: scripts/test-package.sh [BUILD]
set -eu

build=${1:-build}
cd "$(dirname "$0")/.."
root=$(pwd)
version=$(sed -n 's/^project(Kestrove VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb="$root/dist/kestrove_${version}_amd64.deb"

work=$(mktemp -d)
# The staging install rewrites the build's list of installed files, which
# `make uninstall` reads: the list of a real install is kept.
manifest="$build/install_manifest.txt"
[ ! -f "$manifest" ] || cp -p "$manifest" "$work/manifest"
cleanup() {
    if [ -f "$work/manifest" ]; then cp -p "$work/manifest" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() {
    echo "ok: $*"
}

# Every installed file, below the prefix (the metadata's name follows the
# AppStream id, so it is matched by its ending).
expected_files() {
    cat <<EOF
bin/kestrove
bin/kestrove-cli
share/man/man1/kestrove.1.gz
share/man/man1/kestrove-cli.1.gz
share/applications/kestrove.desktop
share/metainfo/*.metainfo.xml
share/icons/hicolor/scalable/apps/kestrove.svg
share/icons/hicolor/16x16/apps/kestrove.png
share/icons/hicolor/32x32/apps/kestrove.png
share/icons/hicolor/48x48/apps/kestrove.png
share/icons/hicolor/64x64/apps/kestrove.png
share/icons/hicolor/128x128/apps/kestrove.png
share/icons/hicolor/256x256/apps/kestrove.png
share/doc/kestrove/kestrove.html
share/doc/kestrove/copyright
share/doc/kestrove/changelog.gz
EOF
}

# --- 1. make install into a staging directory -------------------------------
stage="$work/stage"
prefix=/usr/local
DESTDIR="$stage" cmake --install "$build" --prefix "$prefix" >"$work/install.log"
installed="$stage$prefix"
for f in $(expected_files); do
    # shellcheck disable=SC2086
    set -- $installed/$f
    if [ $# -eq 1 ] && [ -f "$1" ]; then pass "installed $prefix/$f"; else fail "not installed: $prefix/$f"; fi
done
(cd "$stage" && find . -type f | sort) >"$work/installed.txt"
echo "Installed files:"
sed 's/^\./    /' "$work/installed.txt"
extra=$(grep -v -e '/bin/kestrove' -e '/share/' "$work/installed.txt" || true)
[ -z "$extra" ] || fail "installed outside bin/ and share/: $extra"
for size in 16 32 48 64 128 256; do
    png="$installed/share/icons/hicolor/${size}x${size}/apps/kestrove.png"
    if file "$png" | grep -q "PNG image data, $size x $size,"; then
        pass "icon ${size}x${size}"
    else
        fail "icon ${size}x${size}: $(file -b "$png")"
    fi
done
for man in kestrove kestrove-cli; do
    if gzip -cd "$installed/share/man/man1/$man.1.gz" | grep -q '^\.TH'; then
        pass "manual page $man(1)"
    else
        fail "manual page $man(1) unreadable"
    fi
done

# --- 2. validators ------------------------------------------------------------
desktop="$installed/share/applications/kestrove.desktop"
echo "desktop-file-validate kestrove.desktop:"
if desktop-file-validate "$desktop" >"$work/desktop.txt" 2>&1; then
    pass "desktop-file-validate"
else
    fail "desktop-file-validate"
fi
sed 's/^/    /' "$work/desktop.txt"
for key in "Name=Kestrove" "GenericName=Duplicate Mail Remover" "Exec=kestrove" "Icon=kestrove" \
    "Categories=Office;Email;Utility;"; do
    grep -qx "$key" "$desktop" || fail "desktop entry lacks $key"
done
grep -q "^Comment=." "$desktop" || fail "desktop entry lacks Comment"
grep -q "^Keywords=." "$desktop" || fail "desktop entry lacks Keywords"
metainfo=$(ls "$installed"/share/metainfo/*.metainfo.xml)
echo "appstreamcli validate --no-net $(basename "$metainfo"):"
if appstreamcli validate --no-net "$metainfo" >"$work/appstream.txt" 2>&1; then
    pass "appstreamcli validate"
else
    fail "appstreamcli validate"
fi
sed 's/^/    /' "$work/appstream.txt"
grep -q "<screenshot" "$metainfo" || fail "metadata without a screenshot"
grep -q "<project_license>MIT</project_license>" "$metainfo" || fail "metadata without the MIT licence"
# The copyright file's licence paragraph is the text of LICENSE after its
# title and copyright line.
awk '/^License: Expat$/ { text = ""; next }
     /^ / { line = substr($0, 2); if (line == ".") line = ""; text = text line "\n" }
     END { printf "%s", text }' "$installed/share/doc/kestrove/copyright" >"$work/licence.txt"
if tail -n +5 LICENSE | cmp -s - "$work/licence.txt"; then
    pass "copyright: the MIT licence of LICENSE"
else
    fail "copyright does not hold the licence of LICENSE"
fi
grep -q "<description>" "$metainfo" || fail "metadata without a description"

# --- 3. the installed programs keep their settings in ~/.config/kestrove ------
before="$work/before.txt"
(cd "$stage" && find . | sort) >"$before"

home="$work/home"
mkdir -p "$home"
settings="$home/.config/kestrove/Kestrove.INI"
out=$(env -u XDG_CONFIG_HOME HOME="$home" "$installed/bin/kestrove-cli" --version)
echo "kestrove-cli --version:"
echo "$out" | sed 's/^/    /'
if echo "$out" | grep -qx "Settings file of kestrove: $settings"; then
    pass "kestrove-cli --version names $settings"
else
    fail "kestrove-cli --version does not name $settings"
fi
[ ! -e "$home/.config" ] || fail "kestrove-cli --version made $home/.config"

# The window program: started on a virtual screen, given until its settings
# file appears (it saves its start directory), then ended.
started="$work/started"
env -u XDG_CONFIG_HOME HOME="$home" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
        "$1" >"$2.log" 2>&1 &
        pid=$!
        for i in $(seq 1 150); do
            [ -f "$3" ] && break
            kill -0 $pid 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 $pid 2>/dev/null; then
            echo running >"$2"
            sleep 0.5
            kill $pid
        fi
        wait $pid 2>/dev/null || true
    ' sh "$installed/bin/kestrove" "$started" "$settings"
if [ -f "$started" ]; then
    pass "kestrove started under Xvfb"
else
    fail "kestrove did not stay up under Xvfb: $(cat "$started.log")"
fi
mode=$(stat -c %a "$home/.config/kestrove" 2>/dev/null || echo missing)
[ "$mode" = 700 ] || fail "settings directory mode $mode, not 700"
if [ -f "$settings" ] && grep -q '^\[Startup\]' "$settings" && grep -q '^Path=' "$settings"; then
    pass "settings written to $settings"
    sed 's/^/    /' "$settings"
else
    fail "no settings file at $settings"
fi
(cd "$stage" && find . | sort) >"$work/after.txt"
if cmp -s "$before" "$work/after.txt"; then
    pass "nothing written beside the installed programs"
else
    fail "written into the installation: $(diff "$before" "$work/after.txt" | grep '^>' || true)"
fi

# make uninstall takes away every installed file (the home stays).
make -s uninstall DESTDIR="$stage" BUILD="$build" >/dev/null
left=$(cd "$stage" && find . -type f)
if [ -z "$left" ]; then pass "make uninstall removed every file"; else fail "left by make uninstall: $left"; fi

# --- 4. the Debian package --------------------------------------------------------
if [ ! -f "$deb" ]; then
    fail "no package $deb"
else
    dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >"$work/deb-files.txt"
    for f in $(expected_files); do
        pattern=$(echo "usr/$f" | sed 's/\./\\./g; s/\*/[^\/]*/g')
        if grep -qx "$pattern" "$work/deb-files.txt"; then
            pass "package holds /usr/$f"
        else
            fail "package lacks /usr/$f"
        fi
    done
    dpkg-deb --info "$deb" >"$work/info.txt"
    echo "dpkg-deb --info $(basename "$deb"):"
    sed 's/^/    /' "$work/info.txt"
    depends=$(sed -n 's/^ Depends: //p' "$work/info.txt")
    for lib in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libicu; do
        case "$depends" in
        *"$lib"*) pass "depends on $lib" ;;
        *) fail "Depends lacks $lib: $depends" ;;
        esac
    done
    grep -q '^ Description: remove duplicate messages' "$work/info.txt" || fail "no description"
    echo "lintian $(basename "$deb"):"
    if lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1; then
        pass "lintian: no error"
    else
        fail "lintian reports errors"
    fi
    if [ -s "$work/lintian.txt" ]; then sed 's/^/    /' "$work/lintian.txt"; else echo "    (nothing)"; fi
fi

if [ "$failures" -ne 0 ]; then
    echo "test-package: $failures check(s) failed"
    exit 1
fi
echo "test-package: all checks passed"
