#!/usr/bin/env bash
# Installs what building, testing, the demo and the release need: the i686 MinGW-w64 cross compiler,
# 32-bit Wine with its own fonts (without them caption buttons draw as letters) and a font with Japanese
# glyphs, Xvfb, the Russian and Japanese locales, doctest, ImageMagick and NSIS for the setup program.
# Idempotent and quick when all is present.
set -euo pipefail

need_pkgs=(cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 fonts-wine fonts-wqy-microhei
           xvfb xauth locales doctest-dev imagemagick nsis)

missing_of() {   # sets missing to those of the named packages not installed
    missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
}
missing_of "${need_pkgs[@]}"

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || sudo_ dpkg --add-architecture i386
    sudo_ apt-get update -qq
    DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Russian gives Wine code page 1251 and Russian resources; Japanese gives code page 932 for double-byte titles.
for loc in ru_RU.UTF-8 ja_JP.UTF-8 en_US.UTF-8; do
    if ! locale -a 2>/dev/null | grep -qix "${loc/UTF-8/utf8}"; then
        sudo_ sed -i "s/^# *${loc} UTF-8/${loc} UTF-8/" /etc/locale.gen
        grep -q "^${loc} UTF-8" /etc/locale.gen || echo "${loc} UTF-8" | sudo_ tee -a /etc/locale.gen >/dev/null
        regen=1
    fi
done
if [ "${regen:-0}" = 1 ]; then sudo_ locale-gen >/dev/null; fi

# A machine that cannot run 32-bit programs runs the tests on a 64-bit build under 64-bit Wine.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    missing_of wine64 g++-mingw-w64-x86-64-win32
    if [ ${#missing[@]} -gt 0 ]; then
        echo "setup: this machine cannot run 32-bit programs; installing ${missing[*]} for a 64-bit test build"
        sudo_ apt-get update -qq
        DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
fi
echo "setup: ready"
