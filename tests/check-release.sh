#!/usr/bin/env bash
# The release as a user downloads it, and a build anyone can reproduce: makes the release here and
# again from a copy of the same sources at another path, checks the zip's entries, compares the two
# DLLs, zips and setup programs byte for byte, and runs the setup program under Wine.
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }

# Each DLL is linked at its own time, as on two machines; only the zips share the commit's time.
unset SOURCE_DATE_EPOCH
epoch=$(git log -1 --format=%ct)
release() { cmake --preset default >/dev/null && cmake --build --preset default --target pipwick >/dev/null &&
            SOURCE_DATE_EPOCH=$epoch tools/release.sh; }
release=$(release) || exit 1
zip=$(sed -n 1p <<<"$release")
setup=$(sed -n 3p <<<"$release")
version=${zip##*/Pipwick-}
version=${version%.zip}
scratch=$(mktemp -d /tmp/pipwick-release-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
second="$scratch/another/path/pipwick"
mkdir -p "$second" "$scratch/unpacked"
# The same sources: what git tracks here and what it would add, as they stand in this work tree.
git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$second"
sleep 1   # a time stamp in the DLL would now differ
(cd "$second" && release >/dev/null) || exit 1
check "both builds give the same DLL" 'cmp "$top/build/gen_Pipwick.dll" "$second/build/gen_Pipwick.dll"'
check "both builds give the same zip" 'cmp "$top/$zip" "$second/$zip"'
check "both builds give the same setup program" 'cmp "$top/$setup" "$second/$setup"'

(cd "$scratch/unpacked" && cmake -E tar xf "$top/$zip")
unpacked=$scratch/unpacked
guide=$unpacked/README.txt
check "the zip holds gen_Pipwick.dll, LICENSE and README.txt" \
    '[ "$(ls -A "$unpacked" | LC_ALL=C sort | tr "\n" " ")" = "LICENSE README.txt gen_Pipwick.dll " ]'
check "its DLL is the one built" 'cmp "$unpacked/gen_Pipwick.dll" build/gen_Pipwick.dll'
check "README.txt is UTF-8 with a byte-order mark" '[ "$(head -c3 "$guide" | od -An -tx1 | tr -d " ")" = efbbbf ]'
check "README.txt and LICENSE end every line in CRLF" \
    '[ "$(grep -c $'"'"'\r$'"'"' "$guide")" = "$(wc -l <"$guide")" ] && [ "$(grep -c $'"'"'\r$'"'"' "$unpacked/LICENSE")" = "$(wc -l <"$unpacked/LICENSE")" ]'
check "README.txt names the version and has English, then Russian, each with its checklist" \
    'grep -q "Pipwick $version - song balloons" "$guide" && ! grep -q @ "$guide" &&
     [ "$(grep -n -e "^No balloon?" -e "^Нет подсказки?" "$guide" | cut -d: -f2 | tr -d "\r" | tr "\n" "|")" = "No balloon?|Нет подсказки?|" ]'
check "LICENSE is MIT, the Pipwick authors'" 'grep -q "^MIT License" "$unpacked/LICENSE" && grep -q "Copyright (c) 2026 the Pipwick authors" "$unpacked/LICENSE"'

. tools/platform.sh
tested=$setup
if [ "$pipwick_preset" != default ]; then
    # 64-bit Wine cannot run the 32-bit setup: the same script, built for amd64 around the 64-bit DLL,
    # under a name and in a folder that cannot be taken for the release.
    echo "(this machine cannot run 32-bit programs: the setup's script is checked as a 64-bit build)"
    cmake --build --preset "$pipwick_preset" >/dev/null
    tested=$pipwick_build/test-setup/Pipwick-$version-x64-test.exe
    tools/make-setup.sh "$pipwick_build/gen_Pipwick.dll" "$tested" amd64-unicode
fi
"${pipwick_in_root[@]}" xvfb-run -a -s "-screen 0 1024x768x24" bash tests/check-setup.sh "$tested" || fail=1

echo "zip: $zip, SHA-256 $(sha256sum "$zip" | cut -d" " -f1)"
echo "setup: $setup, $(stat -c %s "$setup") bytes, SHA-256 $(sha256sum "$setup" | cut -d" " -f1)"
echo "DLL: $(stat -c %s build/gen_Pipwick.dll) bytes"
exit $fail
