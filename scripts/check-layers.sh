#!/bin/sh
# Fails when a file includes a header of a layer above its own, or of a
# sibling: platform < core < duplicates, backup, reports < app < qt, win, cli.
# Usage: scripts/check-layers.sh [ROOT]   (ROOT: the source tree, default ..)
set -u
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# The layers a folder may include besides its own.
allowed() {
    case $1 in
        platform) echo "" ;;
        core) echo "platform" ;;
        duplicates | backup | reports) echo "platform core" ;;
        app) echo "platform core duplicates backup reports" ;;
        qt | win | cli) echo "platform core duplicates backup reports app" ;;
    esac
}

layers="platform core duplicates backup reports app qt win cli"
bad=0
for layer in $layers; do
    [ -d "$layer" ] || continue
    ok="$layer $(allowed "$layer")"
    # Every quoted include that names a layer folder.
    found=$(find "$layer" \( -name '*.cpp' -o -name '*.h' \) -exec \
        grep -HnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z0-9]+/' {} + |
        sed -E 's@^([^:]+):([0-9]+):.*"([a-z0-9]+)/$@\1:\2 \3@')
    [ -n "$found" ] || continue
    while read -r where target; do
        case " $layers " in *" $target "*) ;; *) continue ;; esac
        case " $ok " in
            *" $target "*) ;;
            *)
                echo "$where: $layer includes $target/, a layer above it or beside it"
                bad=1
                ;;
        esac
    done <<LIST
$found
LIST
done
[ "$bad" -eq 0 ] && echo "layers: every include runs downwards"
exit "$bad"
