#!/usr/bin/env bash
# The release: builds the DLL and packs build/dist/Pipwick-<version>.zip with the licence and the user's
# guide; prints the zip's path and SHA-256. The zip's entries are dated by the commit, so the same
# commit gives the same zip (SOURCE_DATE_EPOCH, when set, decides instead).
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
echo "$zip"
sha256sum "$zip" | cut -d' ' -f1
