#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's private prefix and an X display
# (window text reads back as "??" without one). CTest uses it as the cross-compiling emulator.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/tools/platform.sh"
[ "$pipwick_emulated" = 0 ] || exec "${pipwick_in_root[@]}" "$0" "$@"
export WINEPREFIX="${WINEPREFIX:-$pipwick_prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
[ -f "$WINEPREFIX/.pipwick-ready" ] || "$top/tools/make-prefix.sh"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$pipwick_wine" "$@"
fi
exec "$pipwick_wine" "$@"
