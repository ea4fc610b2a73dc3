#!/usr/bin/env bash
# Builds the setup program from release/setup.nsi around a DLL: tools/make-setup.sh DLL OUTFILE [TARGET]
# TARGET is NSIS's (x86-unicode, the release; amd64-unicode only for the check under 64-bit Wine).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dll=$(realpath "$1")
out=$(realpath -m "$2")
target=${3:-x86-unicode}
version=$(sed -n 's/.*VALUE "ProductVersion", *"\([^"]*\)".*/\1/p' "$top/resources/pipwick.rc" | head -1)
fileversion=$(sed -n 's/^#define PIPWICK_FILEVERSION *\([0-9,]*\).*/\1/p' "$top/resources/pipwick.rc" | tr , .)
mkdir -p "$(dirname "$out")"
makensis -V2 -INPUTCHARSET UTF8 "-XTarget $target" -DVERSION="$version" -DFILEVERSION="$fileversion" \
    -DDLL="$dll" -DOUTFILE="$out" "$top/release/setup.nsi" >/dev/null
