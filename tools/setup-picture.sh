#!/usr/bin/env bash
# Photographs the setup program's directory page under Wine and Xvfb into docs/setup.png, with a
# stand-in Winamp folder registered as Winamp's installer registers it.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
if [ "${PIPWICK_IN_ROOT:-}" = bind ]; then
    setup=$1   # made outside the emulated route's root, by the run that came in
else
    tools/build.sh >/dev/null
    setup=$(tools/release.sh | sed -n 3p)
fi
. tools/platform.sh
[ "$pipwick_emulated" = 0 ] || exec "${pipwick_in_root[@]}" bash "$0" "$setup"
if [ "$pipwick_preset" != default ]; then   # 64-bit Wine: the same page, from the amd64 build of the script
    test_setup=$pipwick_build/test-setup/$(basename "$setup" -setup.exe)-x64-test.exe
    tools/make-setup.sh build/gen_Pipwick.dll "$test_setup" amd64-unicode
    setup=$test_setup
fi
export WINEPREFIX="$top/$pipwick_build/setup-prefix"
tools/make-prefix.sh
mkdir -p "$WINEPREFIX/drive_c/Program Files/Winamp"
tools/wine-run.sh reg add 'HKCU\Software\Winamp' /ve /d 'C:\Program Files\Winamp' /f >/dev/null
LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    "$0/tools/wine-run.sh" "$1" &
    setup=$!
    window=
    for _ in $(seq 300); do
        window=$(xwininfo -root -tree | awk "/\"Pipwick [0-9.]* Setup/ { print \$1; exit }")
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "setup-picture: the setup window did not appear" >&2; exit 1; }
    sleep 1   # the page draws after the window maps
    import -window "$window" "$2"
    kill $setup
' "$top" "$(realpath "$setup")" docs/setup.png
echo "saved docs/setup.png"
