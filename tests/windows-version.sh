#!/usr/bin/env bash
# Runs a test program under Wine with the Windows version Wine reports to that program alone (the
# value Version under HKCU\Software\Wine\AppDefaults\<program>), and takes the setting away after,
# even when the program fails. Tests that run the same program this way share a CTest resource lock.
#   tests/windows-version.sh win10 build/tests/own_icon_test.exe [options...]
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
version=$1 program=$2
shift 2
key="HKCU\\Software\\Wine\\AppDefaults\\$(basename "$program")"
"$top/tools/wine-run.sh" reg add "$key" /v Version /d "$version" /f >/dev/null 2>&1 || exit 1
trap '"$top/tools/wine-run.sh" reg delete "$key" /f >/dev/null 2>&1' EXIT
"$top/tools/wine-run.sh" "$program" "$@"
