# Sourced by the scripts that run Windows programs: which Wine runs them, which build it runs, and the
# Wine prefix the tests share. 32-bit Wine is itself a 32-bit Linux program: where it is installed and
# the kernel runs 32-bit programs, it runs the DLL that ships (preset default, in build). Otherwise, or
# with PIPWICK_ROUTE=x64, 64-bit Wine runs a 64-bit build of the same sources (preset x64, in
# build-x64); the 32-bit DLL is still built and checked, but not run. tools/setup.sh must have run.
# Both loaders are named by path: a script's own wine() must never find itself.
pipwick_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ "${PIPWICK_ROUTE:-}" != x64 ] && [ -x /usr/lib/wine/wine ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    pipwick_wine=/usr/lib/wine/wine pipwick_wineserver=/usr/lib/wine/wineserver32
    pipwick_preset=default pipwick_build=build
    # A 32-bit prefix, as where only 32-bit Wine is installed: not WoW64 in a 64-bit one.
    export WINEARCH=win32
else
    pipwick_wine=/usr/lib/wine/wine64 pipwick_wineserver=/usr/lib/wine/wineserver64
    pipwick_preset=x64 pipwick_build=build-x64
    export WINEARCH=win64
fi
pipwick_prefix=$pipwick_top/$pipwick_build/wineprefix
