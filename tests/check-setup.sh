#!/usr/bin/env bash
# The setup program under Wine, in a prefix of its own where a stand-in Winamp folder is registered as
# Winamp's installer registers it: a folder without winamp.exe and a running player are refused
# without a change, a silent install puts the built DLL where the stand-in player loads it and writes
# the entry in the list of installed programs, and a silent uninstall removes both but leaves the
# shared plugin.ini. Run under one X display (the running player must be found by its window).
#   tests/check-setup.sh build/dist/Pipwick-<version>-setup.exe
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
setup=$(realpath "$1")
. tools/platform.sh
build=$pipwick_build   # the DLL, stand-in player and tests that this machine's Wine runs
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }

export WINEPREFIX="$top/$build/setup-prefix"
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
tools/make-prefix.sh || exit 1
wine() { tools/wine-run.sh "$@"; }
windows() { printf 'Z:%s' "$(tr / '\\' <<<"$1")"; }

# The player's folder as its installer leaves it (no blanks: Wine quotes such an argument to /D=).
player='C:\Players\Winamp'
folder=$WINEPREFIX/drive_c/Players/Winamp
mkdir -p "$folder/Plugins"
cp "$WINEPREFIX/drive_c/windows/system32/notepad.exe" "$folder/winamp.exe"
wine reg add 'HKCU\Software\Winamp' /ve /d "$player" /f >/dev/null
wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp' /v InstallLocation /d "$player" /f >/dev/null
wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp' /v UninstallString \
    /d "\"$player\\UninstWA.exe\"" /f >/dev/null

wine "$setup" /S '/D=C:\NoPlayer'
check "a folder without winamp.exe is refused with exit code 2, and nothing is made there" \
    '[ $? = 2 ] && [ ! -e "$WINEPREFIX/drive_c/NoPlayer" ]'

# A running player: the stand-in's window, of class "Winamp v1.x", for as long as the setup takes.
printf 'old' >"$folder/Plugins/gen_Pipwick.dll"
playlist=$(mktemp /tmp/pipwick-playlist-XXXXXX)
log=$(mktemp /tmp/pipwick-player-XXXXXX)
trap 'rm -f "$playlist" "$log"' EXIT
printf '0 stop\n120 stop\n' >"$playlist"
tools/wine-run.sh $build/demo/demo.exe "$(windows "$playlist")" >"$log" 2>&1 &
running=$!
for _ in $(seq 300); do grep -q "player: loaded" "$log" && break; sleep 0.1; done
wine "$setup" /S
status=$?
kill $running 2>/dev/null; wait $running 2>/dev/null
check "with the player running the silent setup ends with exit code 2" '[ $status = 2 ]'
check "...and leaves the old DLL as it was" '[ "$(cat "$folder/Plugins/gen_Pipwick.dll")" = old ]'
check "...and writes no entry" '! wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pipwick" >/dev/null 2>&1'

wine "$setup" /S
check "the silent setup finds the registered player and succeeds" '[ $? = 0 ]'
check "the DLL in its Plugins folder is the one built" 'cmp -s "$folder/Plugins/gen_Pipwick.dll" $build/gen_Pipwick.dll'
entry=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pipwick' 2>/dev/null | tr -d '\r')
value() { sed -n "s/^ *$1 *REG_[A-Z]* *//p" <<<"$entry"; }
check "the entry names the plug-in, its version, publisher and folder" \
    '[ "$(value DisplayVersion)" = 1.01 ] && [ "$(value Publisher)" = "the Pipwick authors" ] &&
     [ "$(value InstallLocation)" = "$player\\Plugins" ] && value DisplayName | grep -q "^Pipwick 1.01"'
check "...its quoted uninstall command and the quiet one" \
    '[ "$(value UninstallString)" = "\"$player\\Plugins\\Pipwick-uninstall.exe\"" ] &&
     [ "$(value QuietUninstallString)" = "\"$player\\Plugins\\Pipwick-uninstall.exe\" /S" ]'
check "...its size, and no Modify or Repair" \
    '[ "$(value NoModify)" = 0x1 ] && [ "$(value NoRepair)" = 0x1 ] && [ "$(( $(value EstimatedSize) ))" -gt 0 ]'
PIPWICK_INSTALLED_DLL="$player\\Plugins\\gen_Pipwick.dll" wine $build/tests/watcher_test.exe --test-case='installed:*' >/dev/null
check "the stand-in player loads it from there and shows a balloon" '[ $? = 0 ]'

printf '[Other]\r\nKeep=1\r\n[zoPipwick]\r\nSimple=0\r\n' >"$folder/Plugins/plugin.ini"
ini=$(cat "$folder/Plugins/plugin.ini")
wine "$player\\Plugins\\Pipwick-uninstall.exe" /S "_?=$player\\Plugins"
check "the silent uninstall succeeds" '[ $? = 0 ]'
check "...removes the DLL and the entry" '[ ! -e "$folder/Plugins/gen_Pipwick.dll" ] &&
     ! wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pipwick" >/dev/null 2>&1'
check "...and leaves plugin.ini with its [zoPipwick] section" '[ "$(cat "$folder/Plugins/plugin.ini")" = "$ini" ]'

wineserver -k 2>/dev/null || true
exit $fail
