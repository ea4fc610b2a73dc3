#!/usr/bin/env bash
# Installs what is missing, builds the DLL, the tests, the demo and the benchmark, and makes the Wine prefix.
# Where this machine cannot run 32-bit programs, also the 64-bit build that runs the tests (build-x64).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
# Inside the emulated route's root the tree was built on the machine outside, by its own compiler.
[ "${PIPWICK_IN_ROOT:-}" != bind ] || exit 0
tools/setup.sh
. tools/platform.sh
cmake --preset default >/dev/null
cmake --build --preset default
if [ "$pipwick_preset" != default ]; then
    cmake --preset "$pipwick_preset" >/dev/null
    cmake --build --preset "$pipwick_preset"
fi
# Where this machine runs no Wine itself, the first Windows program in the root makes the prefix.
[ "$pipwick_emulated" = 1 ] || tools/make-prefix.sh
