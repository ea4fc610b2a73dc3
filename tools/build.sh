#!/usr/bin/env bash
# Installs what is missing, builds the DLL, the tests, the demo and the benchmark, and makes the Wine prefix.
# Where this machine cannot run 32-bit programs, also the 64-bit build that runs the tests (build-x64).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
tools/setup.sh
. tools/platform.sh
cmake --preset default >/dev/null
cmake --build --preset default
if [ "$pipwick_preset" != default ]; then
    cmake --preset "$pipwick_preset" >/dev/null
    cmake --build --preset "$pipwick_preset"
fi
tools/make-prefix.sh
