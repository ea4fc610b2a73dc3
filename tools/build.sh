#!/usr/bin/env bash
# Installs what is missing, builds the DLL, the tests, the demo and the benchmark, and makes the Wine prefix.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
tools/make-prefix.sh
