#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds the DLL and the tests, runs every test under Wine.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
if [ "${1:-}" != --in-display ]; then
    tools/build.sh
    . tools/platform.sh
    if [ "$pipwick_preset" != default ]; then
        echo "test: the 64-bit route (no 32-bit Wine here, or PIPWICK_ROUTE=x64): the tests run on the 64-bit"
        echo "test: build of the same sources under 64-bit Wine; the 32-bit DLL is built and checked, not run"
        bash tests/check-dll.sh build/gen_Pipwick.dll
    fi
    # Every Wine program below shares one X display; on the emulated route, inside the root.
    [ "$pipwick_emulated" = 0 ] ||
        echo "test: the i686-emulated route: the DLL that ships, under 32-bit Wine through QEMU in $pipwick_roots/$pipwick_release"
    exec "${pipwick_in_root[@]}" xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --in-display "$@"
fi
shift
. tools/platform.sh
# The first Wine program starts the Wine server and its helpers (services, devices, the desktop on this
# display), and they keep the output it was given until the server ends: CTest would wait for that test
# until the last of them. A program of our own starts them with nobody's output (one running is left
# alone).
WINEPREFIX="$pipwick_prefix" "$pipwick_wineserver" -p30 </dev/null >/dev/null 2>&1 || true
tools/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1 || true
# A per-user settings file left by an interrupted run would be read by every test instead of its own.
rm -rf "$pipwick_prefix"/drive_c/users/*/AppData/Roaming/Pipwick
# So would the application-data folder a test redirects (to a "pipwick-" folder), had it crashed.
folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
if tools/wine-run.sh reg query "$folders" /v AppData 2>/dev/null | grep -q 'pipwick-'; then
    tools/wine-run.sh reg delete "$folders" /v AppData /f >/dev/null 2>&1
fi
ctest --preset "$pipwick_preset" "$@"
