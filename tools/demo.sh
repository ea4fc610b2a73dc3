#!/usr/bin/env bash
# The demo: installs what is missing, builds, and runs the real plug-in in the stand-in player under Wine.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
tools/setup.sh >/dev/null
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
tools/make-prefix.sh
tools/wine-run.sh build/demo/demo.exe "$@"
