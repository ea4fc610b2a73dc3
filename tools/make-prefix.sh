#!/usr/bin/env bash
# Creates the project's private Wine prefix once: dialogs that end at once without a window manager,
# crashes that end the process instead of opening a debugger dialog, Japanese text that draws.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/tools/platform.sh"
export WINEPREFIX="${WINEPREFIX:-$pipwick_prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# By path (platform.sh): a wine() that called "wine" would call itself until bash crashes.
wine() { command "$pipwick_wine" "$@"; }
wineserver() { command "$pipwick_wineserver" "$@"; }
[ -f "$WINEPREFIX/.pipwick-ready" ] && exit 0
mkdir -p "$WINEPREFIX"
# Several tests may start at once on a new prefix: only one creates it.
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.pipwick-ready" ] && exit 0
echo "make-prefix: creating $WINEPREFIX" >&2
wine wineboot -i >/dev/null 2>&1 || true
wineserver -w
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1
# Windows 7 for every program unless a test sets another for its own (tests/windows-version.sh).
wine reg add 'HKCU\Software\Wine' /v Version /d win7 /f >/dev/null 2>&1
# Wine's own fonts have no Japanese glyphs: the interface fonts borrow them from WenQuanYi Micro Hei.
# Wine rewrites the links of Tahoma and Microsoft Sans Serif to its defaults whenever the code page
# changes (every Russian or Japanese test does); those defaults name MS UI Gothic first, which the
# substitute below turns into WenQuanYi, so the glyphs stay in every locale.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v "MS UI Gothic" \
    /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
for face in "Tahoma" "Tahoma Bold" "Microsoft Sans Serif" "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
        /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
done
# Wine here does not always find the fonts of Debian's fonts-wine (64-bit never, 32-bit not beside an
# installed 64-bit Wine): the prefix gets its own copy.
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -w
touch "$WINEPREFIX/.pipwick-ready"
