#!/usr/bin/env bash
# Installs what building, testing, the demo and the release need: the i686 MinGW-w64 cross compiler,
# 32-bit Wine with its own fonts (without them caption buttons draw as letters) and a font with Japanese
# glyphs, Xvfb, the Russian and Japanese locales, doctest, ImageMagick and NSIS for the setup program.
# Where the machine cannot run 32-bit programs, 64-bit Wine and the x86-64 cross compiler instead of
# 32-bit Wine. Idempotent and quick when all is present.
set -euo pipefail

# Whether the kernel runs 32-bit x86 programs at all, asked before any 32-bit package is there: a
# 93-byte static ELF32 that only exits 0 ("Exec format error" where it cannot run).
runs_32bit() {
    local probe
    probe=$(mktemp /tmp/pipwick-elf32-XXXXXX)
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'\
'\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00'\
'\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    local status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    return $status
}

need_pkgs=(cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 wine fonts-wine fonts-wqy-microhei
           xvfb xauth locales doctest-dev imagemagick nsis)
# 32-bit Wine is useless where 32-bit programs cannot run, and its i386 libraries must match the
# amd64 ones version for version: a mirror short of one i386 index would block the whole install.
if runs_32bit; then
    need_pkgs+=(wine32:i386)
else
    echo "setup: this machine cannot run 32-bit programs: 64-bit Wine and a 64-bit test build instead of 32-bit Wine"
    need_pkgs+=(wine64 g++-mingw-w64-x86-64-win32)
fi

missing_of() {   # sets missing to those of the named packages not installed
    missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
}
missing_of "${need_pkgs[@]}"

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# A mirror in the middle of a sync fails one index now and then: try again, and if it still fails, the
# indexes already there may do (the install below says so if they do not).
update_lists() {
    for attempt in 1 2 3; do
        sudo_ apt-get update -qq && return 0
        sleep $((attempt * 10))
    done
    echo "setup: the package lists could not all be refreshed; going on with those there are" >&2
}

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if [[ " ${missing[*]} " == *:i386* ]]; then
        dpkg --print-foreign-architectures | grep -qx i386 || sudo_ dpkg --add-architecture i386
    fi
    update_lists
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

echo "setup: ready"
