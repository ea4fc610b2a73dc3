#!/usr/bin/env bash
# Photographs the real options dialog in English and Russian under Xvfb: docs/options-en.png, docs/options-ru.png.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
tools/build.sh >/dev/null
. tools/platform.sh
[ "$pipwick_emulated" = 0 ] || exec "${pipwick_in_root[@]}" bash "$0" "$@"
mkdir -p docs

photograph() {   # locale, output file
    LANG=$1 LC_ALL=$1 xvfb-run -a -s "-screen 0 800x600x24" bash -c '
        log=$(mktemp)
        "$0/tools/wine-run.sh" "$0/'"$pipwick_build"'/demo/dialog_picture.exe" >"$log" 2>/dev/null &
        program=$!
        until grep -q "dialog shown" "$log" || ! kill -0 $program 2>/dev/null; do sleep 0.1; done
        read -r _ _ _ x y w h < <(grep "dialog shown" "$log")
        sleep 0.8
        import -window root -crop "${w}x${h}+${x}+${y}" +repage "$1"
        wait $program
        rm -f "$log"
    ' "$top" "$2"
    echo "saved $2"
}
photograph en_US.UTF-8 docs/options-en.png
photograph ru_RU.UTF-8 docs/options-ru.png
