#!/usr/bin/env bash
# The setup program under Wine, in a prefix of its own where a stand-in Winamp folder, with a blank in
# its name, is registered as Winamp's installer registers it, beside a per-user value that still names
# a folder the player has left. A folder without winamp.exe and a running player are refused without a
# change; the silent install finds the player past the stale value, puts the built DLL where the
# stand-in player loads it and writes the entry in the list of installed programs. The uninstaller
# removes nothing while the player runs or another program holds the DLL, and a later uninstall
# succeeds; a silent uninstall keeps the shared plugin.ini, and with /RemoveSettings takes out only its
# own section and the per-user folder. Run under one X display (the running player is found by its
# window).
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

# The player's folder as its installer leaves it, and the one the per-user value still names.
player='C:\Program Files\Winamp'
plugins="$player\\Plugins"
folder="$WINEPREFIX/drive_c/Program Files/Winamp"
mkdir -p "$folder/Plugins" "$WINEPREFIX/drive_c/Old Winamp"
cp "$WINEPREFIX/drive_c/windows/system32/notepad.exe" "$folder/winamp.exe"
wine reg add 'HKCU\Software\Winamp' /ve /d 'C:\Old Winamp' /f >/dev/null
wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp' /v InstallLocation /d "$player" /f >/dev/null
wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp' /v UninstallString \
    /d "\"$player\\UninstWA.exe\"" /f >/dev/null
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pipwick'
has_entry() { wine reg query "$entry" >/dev/null 2>&1; }

wine "$setup" /S '/D=C:\NoPlayer'
check "a folder without winamp.exe is refused with exit code 2, and nothing is made there" \
    '[ $? = 2 ] && [ ! -e "$WINEPREFIX/drive_c/NoPlayer" ]'

# The stand-in player, for as long as a step takes: a window of class "Winamp v1.x" (or another, as
# the player's /CLASS= switch names it) with the plug-in loaded.
playlist=$(mktemp /tmp/pipwick-playlist-XXXXXX)
log=$(mktemp /tmp/pipwick-player-XXXXXX)
trap 'rm -f "$playlist" "$log"' EXIT
printf '0 stop\n120 stop\n' >"$playlist"
start_player() {
    : >"$log"
    tools/wine-run.sh $build/demo/demo.exe "$(windows "$playlist")" "$@" >"$log" 2>&1 &
    running=$!
    for _ in $(seq 300); do grep -q "player: loaded" "$log" && break; sleep 0.1; done
}
stop_player() { kill $running 2>/dev/null; wait $running 2>/dev/null; }

printf 'old' >"$folder/Plugins/gen_Pipwick.dll"
start_player
wine "$setup" /S
status=$?
stop_player
check "with the player running the silent setup ends with exit code 2" '[ $status = 2 ]'
check "...and leaves the old DLL as it was" '[ "$(cat "$folder/Plugins/gen_Pipwick.dll")" = old ]'
check "...and writes no entry" '! has_entry'

wine "$setup" /S
check "the silent setup passes the stale per-user folder, finds the registered player and succeeds" '[ $? = 0 ]'
check "the DLL in its Plugins folder is the one built, and nothing went to the stale folder" \
    'cmp -s "$folder/Plugins/gen_Pipwick.dll" $build/gen_Pipwick.dll && [ -z "$(ls -A "$WINEPREFIX/drive_c/Old Winamp")" ]'
values=$(wine reg query "$entry" 2>/dev/null | tr -d '\r')
value() { sed -n "s/^ *$1 *REG_[A-Z]* *//p" <<<"$values"; }
check "the entry names the plug-in, its version, publisher and folder" \
    '[ "$(value DisplayVersion)" = 1.01 ] && [ "$(value Publisher)" = "the Pipwick authors" ] &&
     [ "$(value InstallLocation)" = "$plugins" ] && value DisplayName | grep -q "^Pipwick 1.01"'
check "...its quoted uninstall command and the quiet one" \
    '[ "$(value UninstallString)" = "\"$plugins\\Pipwick-uninstall.exe\"" ] &&
     [ "$(value QuietUninstallString)" = "\"$plugins\\Pipwick-uninstall.exe\" /S" ]'
check "...its size, and no Modify or Repair" \
    '[ "$(value NoModify)" = 0x1 ] && [ "$(value NoRepair)" = 0x1 ] && [ "$(( $(value EstimatedSize) ))" -gt 0 ]'
PIPWICK_INSTALLED_DLL="$plugins\\gen_Pipwick.dll" wine $build/tests/watcher_test.exe --test-case='installed:*' >/dev/null
check "the stand-in player loads it from there and shows a balloon" '[ $? = 0 ]'

# The uninstaller in place (_?=), silently, with the given switches; returns its exit code. Through a
# batch file, since Wine would quote an argument with a blank and the uninstaller reads _?= unquoted.
uninstall_from() {   # Plugins folder, switches...
    local from=$1
    shift
    printf '"%s\\Pipwick-uninstall.exe" /S %s _?=%s\r\nexit %%ERRORLEVEL%%\r\n' "$from" "$*" "$from" \
        >"$WINEPREFIX/drive_c/uninstall.bat"
    wine cmd /c 'C:\uninstall.bat' >/dev/null
}
uninstall() { uninstall_from "$plugins" "$@"; }
all_stay() { [ -f "$folder/Plugins/gen_Pipwick.dll" ] && [ -f "$folder/Plugins/Pipwick-uninstall.exe" ] && has_entry; }
appdata=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming | grep -v /Public/ | head -1)
mkdir -p "$appdata/Pipwick"
printf '[zoPipwick]\r\nSound=1\r\n' >"$appdata/Pipwick/plugin.ini"
# As the profile functions write it (Wine's, unlike Windows', also rewrite "key = value" as "key=value").
printf '[Other]\r\nKeep=1\r\n[zoPipwick]\r\nSimple=0\r\n[Last]\r\n; a comment\r\nKeep=2\r\n' >"$folder/Plugins/plugin.ini"
ini=$(cat "$folder/Plugins/plugin.ini")

start_player --plugin "$plugins\\gen_Pipwick.dll"
uninstall
status=$?
stop_player
check "with the player running, its plug-in loaded, the silent uninstall ends with exit code 2" '[ $status = 2 ]'
check "...and the DLL, the uninstaller and the entry all stay" 'all_stay'

start_player --plugin "$plugins\\gen_Pipwick.dll" --class "Winamp v1.x (renamed)"
uninstall
status=$?
stop_player
check "with the DLL held by another program (the player under another window class), exit code 2" '[ $status = 2 ]'
check "...and the DLL, the uninstaller and the entry all stay" 'all_stay'

uninstall
check "once nothing holds the DLL the silent uninstall succeeds" '[ $? = 0 ]'
check "...removes the DLL and the entry" '[ ! -e "$folder/Plugins/gen_Pipwick.dll" ] && ! has_entry'
check "...and keeps the settings: plugin.ini as it was, the per-user folder" \
    '[ "$(cat "$folder/Plugins/plugin.ini")" = "$ini" ] && [ -f "$appdata/Pipwick/plugin.ini" ]'

wine "$setup" /S
uninstall /RemoveSettings
check "reinstalled, the silent uninstall with /RemoveSettings succeeds" '[ $? = 0 ] && [ ! -e "$folder/Plugins/gen_Pipwick.dll" ]'
check "...takes out the [zoPipwick] section and leaves every other one byte for byte" \
    '[ "$(cat "$folder/Plugins/plugin.ini")" = "$(printf "[Other]\r\nKeep=1\r\n[Last]\r\n; a comment\r\nKeep=2\r")" ]'
check "...and removes the per-user folder" '[ ! -e "$appdata/Pipwick" ]'

# Two Winamp folders share the one entry: uninstalling either, in either order, never takes away the
# entry of the other's copy.
other='C:\WinampTwo'   # /D= takes no blank under Wine
mkdir -p "$WINEPREFIX/drive_c/WinampTwo"
cp "$folder/winamp.exe" "$WINEPREFIX/drive_c/WinampTwo/winamp.exe"
entry_names() { [ "$(wine reg query "$entry" /v UninstallString 2>/dev/null | tr -d '\r' | sed -n 's/^ *UninstallString *REG_SZ *//p')" = "\"$1\\Pipwick-uninstall.exe\"" ]; }
for first in registered other; do
    wine "$setup" /S && wine "$setup" /S "/D=$other"
    check "installed into the registered folder, then into $other: the entry names the second" 'entry_names "$other\\Plugins"'
    if [ $first = registered ]; then
        uninstall_from "$plugins"
        check "uninstalling the first copy removes it and leaves the entry of the second" \
            '[ ! -e "$folder/Plugins/gen_Pipwick.dll" ] && entry_names "$other\\Plugins"'
        uninstall_from "$other\\Plugins"
        check "...which its own uninstall then removes with its DLL" \
            '! has_entry && [ ! -e "$WINEPREFIX/drive_c/WinampTwo/Plugins/gen_Pipwick.dll" ]'
    else
        uninstall_from "$other\\Plugins"
        check "uninstalling the second copy first removes its DLL and the entry" \
            '! has_entry && [ ! -e "$WINEPREFIX/drive_c/WinampTwo/Plugins/gen_Pipwick.dll" ]'
        uninstall_from "$plugins"
        check "...and the first copy's uninstall still succeeds without one" '[ $? = 0 ] && [ ! -e "$folder/Plugins/gen_Pipwick.dll" ]'
    fi
done

"$pipwick_wineserver" -k 2>/dev/null || true
exit $fail
