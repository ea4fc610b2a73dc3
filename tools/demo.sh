#!/usr/bin/env bash
# The demo: installs what is missing, builds, and runs the real plug-in in the stand-in player under Wine,
# on a Wine desktop with a notification area inside a private X server. Prints each balloon as it is
# raised; saves a picture of the first one to build/demo/balloon.png.
#   tools/demo.sh [playlist-file] [--lines] [--no-icon]
# --no-icon: the player shows no notification-area icon (its default), so the plug-in shows its own.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
tools/build.sh >/dev/null
. tools/platform.sh

args=()
for arg in "$@"; do
    # A playlist file is handed to the Windows program by its Windows path.
    if [ -f "$arg" ]; then args+=("Z:$(realpath "$arg" | tr / '\\')"); else args+=("$arg"); fi
done

export PIPWICK_PICTURE="$top/build/demo/balloon.png"
rm -f "$PIPWICK_PICTURE"
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    log=$(mktemp)
    "$0/tools/wine-run.sh" explorer /desktop=shell,800x600 "$0/'"$pipwick_build"'/demo/demo.exe" "$@" >"$log" 2>/dev/null &
    demo=$!
    shown=0
    tail -f "$log" --pid=$demo &
    while kill -0 $demo 2>/dev/null; do
        if [ $shown = 0 ] && grep -q "balloon visible" "$log"; then
            sleep 0.3; import -window root "$PIPWICK_PICTURE" && shown=1
        fi
        sleep 0.2
    done
    wait $demo; status=$?
    sleep 0.3; rm -f "$log"
    exit $status
' "$top" "${args[@]}"
[ -f "$PIPWICK_PICTURE" ] && echo "picture of the balloon: build/demo/balloon.png"
exit 0
