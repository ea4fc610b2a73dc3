#!/usr/bin/env bash
# The DLL as the player's folder sees it: a PE32 i386 DLL that stands alone, with the two exports.
set -uo pipefail
dll=$1
dump=$(i686-w64-mingw32-objdump -p "$dll")
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }

check "PE32 i386 DLL" 'grep -q "file format pei-i386" <<<"$dump" && (( 0x$(sed -n "s/^Characteristics 0x//p" <<<"$dump") & 0x2000 ))'
check "export directory names Pipwick.dll" 'grep -q "^Name.*Pipwick.dll$" <<<"$dump"'
check "winampGetGeneralPurposePlugin exported undecorated" 'grep -qE "\] winampGetGeneralPurposePlugin$" <<<"$dump"'
check "CPipwick::operator= exported under its platform name" 'grep -qF "] ??4CPipwick@@QAEAAV0@ABV0@@Z" <<<"$dump"'
check "exactly two exports" '[ "$(grep -cE "^\s+\[ *[0-9]+\] [A-Za-z?_]" <<<"$dump")" = 2 ]'

imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr a-z A-Z | sort -u | tr '\n' ' ')
echo "imports: $imports"
for name in $imports; do
    check "import $name is a system DLL" 'grep -qxE "KERNEL32.DLL|USER32.DLL|SHELL32.DLL|COMCTL32.DLL|MSVCRT.DLL" <<<"$name"'
done
size=$(stat -c %s "$dll")
echo "size: $size bytes"
check "smaller than 16 KiB" '[ "$size" -lt 16384 ]'
exit $fail
