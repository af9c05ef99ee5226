# Sourced by the wine scripts. find_wine_tool NAME FALLBACK prints the path of
# a wine tool: Debian's wine64 keeps its loader and server out of PATH.
find_wine_tool() {
    for candidate in "/usr/lib/wine/$1" "/usr/lib64/wine/$1"; do
        if [ -x "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    command -v "$1" || command -v "$2" || return 1
}
