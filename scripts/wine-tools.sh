# Sourced by everything that runs wine: the scripts, and through
# wine_env_lines the toolchain file cmake/mingw-w64-x86_64.cmake.

# The environment of every wine run: a 64-bit prefix, no debug output (a
# caller's own WINEDEBUG is kept, to look into a failure), and no add-on
# installers (Mono, Gecko) or menu entries when a prefix is made.
WINEARCH=win64
WINEDEBUG=${WINEDEBUG:--all}
WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export WINEARCH WINEDEBUG WINEDLLOVERRIDES

# The same as NAME=value lines, for cmake.
wine_env_lines() {
    printf '%s\n' "WINEARCH=$WINEARCH" "WINEDEBUG=$WINEDEBUG" "WINEDLLOVERRIDES=$WINEDLLOVERRIDES"
}

# find_wine_tool NAME FALLBACK prints the path of a wine tool: Debian's
# wine64 keeps its loader and server out of PATH.
find_wine_tool() {
    for candidate in "/usr/lib/wine/$1" "/usr/lib64/wine/$1"; do
        if [ -x "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    command -v "$1" || command -v "$2" || return 1
}
