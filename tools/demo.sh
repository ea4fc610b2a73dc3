#!/usr/bin/env bash
# The demo: installs what is missing, builds, and runs the real plug-in in the stand-in player under Wine,
# on a Wine desktop with a notification area inside a private X server. Prints each balloon as it is
# raised; saves a picture of the first one to build/demo/balloon.png. The built-in playlist's songs lie in
# build/demo/music, two of them with a cover beside them, made here with ImageMagick; the first cover
# the plug-in hands to the shell is shown beside that balloon in build/demo/balloon-cover.png.
#   tools/demo.sh [playlist-file] [--lines] [--own-words] [--no-icon] [--popup [--place=N]] [--windows10]
# --no-icon: the player shows no notification-area icon (its default), so the plug-in shows its own.
# --popup: the plug-in's own popup instead of balloons, at "PopupPlace" N (0 bottom right ... 5 top
# right); PIPWICK_SHOT=2 photographs the second balloon or popup instead of the first.
# --windows10: Wine answers Windows 10 to the demo, so the media overlay (the stand-in's) follows it.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
tools/build.sh >/dev/null
. tools/platform.sh
[ "$pipwick_emulated" = 0 ] || exec "${pipwick_in_root[@]}" bash "$0" "$@"

# The songs' files need only exist by name; the covers are real pictures.
music="$top/$pipwick_build/demo/music"
mkdir -p "$music/Kino" "$music/Sakamoto Kyu" "$music/The Quillfen Four"
touch "$music/Kino/Zvezda po imeni Solntse.mp3" "$music/Sakamoto Kyu/Ue o muite arukou.mp3" \
      "$music/The Quillfen Four/Copper Kettle Morning.mp3"
[ -f "$music/Kino/cover.jpg" ] || convert -size 256x256 radial-gradient:'#f4d35e-#9e2a2b' "$music/Kino/cover.jpg"
[ -f "$music/The Quillfen Four/folder.png" ] ||
    convert -size 256x256 gradient:'#2a9d8f-#264653' -swirl 200 "$music/The Quillfen Four/folder.png"

args=(--music "Z:$(tr / '\\' <<<"$music")")
for arg in "$@"; do
    # The media overlay exists from Windows 10 on: Wine then answers 10 to the demo alone.
    if [ "$arg" = --windows10 ]; then
        key='HKCU\Software\Wine\AppDefaults\demo.exe'
        tools/wine-run.sh reg add "$key" /v Version /d win10 /f >/dev/null 2>&1
        trap 'tools/wine-run.sh reg delete "$key" /f >/dev/null 2>&1' EXIT
        continue
    fi
    # A playlist file is handed to the Windows program by its Windows path.
    if [ -f "$arg" ]; then args+=("Z:$(realpath "$arg" | tr / '\\')"); else args+=("$arg"); fi
done

export PIPWICK_PICTURE="$top/build/demo/balloon.png"
export PIPWICK_COVER_PICTURE="$top/build/demo/cover.bmp"
rm -f "$PIPWICK_PICTURE" "$PIPWICK_COVER_PICTURE"
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    log=$(mktemp)
    PIPWICK_DEMO_LOG="Z:${log//\//\\}" "$0/tools/wine-run.sh" explorer /desktop=shell,800x600 \
        "$0/'"$pipwick_build"'/demo/demo.exe" "$@" >/dev/null 2>&1 &
    demo=$!
    shown=0
    tail -f "$log" --pid=$demo &
    while kill -0 $demo 2>/dev/null; do
        if [ $shown = 0 ] && [ "$(grep -c "] [a-z]* visible" "$log")" -ge "${PIPWICK_SHOT:-1}" ]; then
            sleep 0.3; import -window root "$PIPWICK_PICTURE" && shown=1
        fi
        sleep 0.2
    done
    wait $demo; status=$?
    sleep 0.3; rm -f "$log"
    exit $status
' "$top" "${args[@]}"
[ -f "$PIPWICK_PICTURE" ] && echo "picture of the balloon: build/demo/balloon.png"
# Wine 8 draws no picture of a balloon's own: the cover as the plug-in handed it goes beside the balloon.
if [ -f "$PIPWICK_PICTURE" ] && [ -f "$PIPWICK_COVER_PICTURE" ]; then
    convert "$PIPWICK_PICTURE" -crop 290x120+510+470 +repage \( "$PIPWICK_COVER_PICTURE" -bordercolor white -border 8 \) \
        -background white -gravity center +append build/demo/balloon-cover.png &&
        echo "the balloon beside its cover: build/demo/balloon-cover.png"
fi
exit 0
