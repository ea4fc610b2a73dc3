#!/usr/bin/env bash
# The release: builds the DLL, packs build/dist/Pipwick-<version>.zip with the licence and the user's
# guide, and builds the setup program build/dist/Pipwick-<version>-setup.exe; prints each path and its
# SHA-256. The zip's entries are dated by the commit, so the same commit gives the same zip
# (SOURCE_DATE_EPOCH, when set, decides instead); the setup program holds no date at all.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
tools/setup.sh >/dev/null
cmake --preset default >/dev/null
cmake --build --preset default --target pipwick >/dev/null
epoch="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}"
rm -rf build/dist
(cd build && SOURCE_DATE_EPOCH=$epoch cpack --config CPackConfig.cmake >/dev/null)
zip=$(ls build/dist/Pipwick-*.zip)
version=${zip##*/Pipwick-}
version=${version%.zip}
setup=build/dist/Pipwick-$version-setup.exe
tools/make-setup.sh build/gen_Pipwick.dll "$setup"
echo "$zip"
sha256sum "$zip" | cut -d' ' -f1
echo "$setup"
sha256sum "$setup" | cut -d' ' -f1
