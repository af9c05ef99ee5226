#!/bin/sh
# Installs the Debian packages a target needs, skipping those already present.
# Usage: scripts/install-deps.sh [build|windows|fuzz|screenshots|screenshots-windows|package]...
set -eu

packages=""
for group in "${@:-build}"; do
    case "$group" in
    build)
        packages="$packages cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libicu-dev qt6-base-dev libgl-dev librsvg2-bin"
        ;;
    windows)
        packages="$packages cmake make g++-mingw-w64-x86-64-posix wine64 googletest xvfb xauth fonts-wine zip unzip"
        ;;
    screenshots-windows)
        packages="$packages imagemagick xdotool"
        ;;
    fuzz)
        # clang with libFuzzer and the sanitizers' runtimes
        packages="$packages clang-14 libclang-rt-14-dev"
        ;;
    screenshots)
        packages="$packages xvfb xauth imagemagick xdotool fonts-dejavu-core"
        ;;
    package)
        packages="$packages librsvg2-bin desktop-file-utils appstream lintian dpkg-dev fakeroot file xvfb xauth"
        ;;
    *)
        echo "unknown package group: $group" >&2
        exit 2
        ;;
    esac
done

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
