#!/usr/bin/env bash
# Installs what building, testing, the demo and the release need: the i686 MinGW-w64 cross compiler,
# 32-bit Wine with its own fonts (without them caption buttons draw as letters) and a font with Japanese
# glyphs, Xvfb, the Russian and Japanese locales, doctest, ImageMagick and NSIS for the setup program.
# Where the machine cannot run 32-bit programs, or 32-bit Wine cannot be installed, 64-bit Wine and the
# x86-64 cross compiler instead (the 64-bit route; PIPWICK_ROUTE=x64 asks for it). Fails only when
# neither route installs. Idempotent and quick when all is present.
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

common_pkgs=(cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 wine fonts-wine fonts-wqy-microhei
             xvfb xauth locales doctest-dev imagemagick nsis)
route32_pkgs=(wine32:i386)
route64_pkgs=(wine64 g++-mingw-w64-x86-64-win32)

missing_of() {   # sets missing to those of the named packages not installed
    missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
}

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# A mirror in the middle of a sync fails one index now and then: try again, and if it still fails, the
# indexes already there may do (the install below says so if they do not).
lists_fresh=0
update_lists() {
    [ $lists_fresh = 1 ] && return 0
    lists_fresh=1
    for attempt in 1 2 3; do
        sudo_ apt-get update -qq 2>/dev/null && return 0
        [ $attempt = 3 ] || sleep $((attempt * 10))
    done
    echo "setup: the package lists could not all be refreshed; going on with those there are" >&2
}

install_log=$(mktemp /tmp/pipwick-setup-XXXXXX)
trap 'rm -f "$install_log"' EXIT
apt_install() {   # [-t suite] packages...; apt's complaints go to install_log
    DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends "$@" >/dev/null 2>"$install_log"
}

# Multi-arch libraries must match version for version: when the mirror's i386 list of the security
# suite lags behind the amd64 libraries installed from it (or, once such an install went through, the
# other way round), only the release's own suite resolves.
install_missing() {   # packages...
    missing_of "$@"
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "setup: installing ${missing[*]}"
    if [[ " ${missing[*]} " == *:i386* ]]; then
        dpkg --print-foreign-architectures | grep -qx i386 || sudo_ dpkg --add-architecture i386
    fi
    update_lists
    apt_install "${missing[@]}" && return 0
    local suite
    suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$suite" ] || return 1
    echo "setup: that install did not resolve ($(grep -m1 '^E:' "$install_log")); once more from $suite alone"
    apt_install -t "$suite" "${missing[@]}"
}

# The 32-bit route tests the DLL that ships. PIPWICK_ROUTE=x64 asks for the 64-bit one (CI runs both);
# a machine that fell back once stays on it until PIPWICK_ROUTE=i686 asks for another try.
route=${PIPWICK_ROUTE:-}
if [ -z "$route" ]; then
    if ! runs_32bit; then
        echo "setup: this machine cannot run 32-bit programs: 64-bit Wine and a 64-bit test build instead of 32-bit Wine"
        route=x64
    else
        missing_of "${route32_pkgs[@]}"
        route=i686
        if [ ${#missing[@]} -gt 0 ] && missing_of "${route64_pkgs[@]}" && [ ${#missing[@]} -eq 0 ]; then
            echo "setup: 32-bit Wine is not installed here, the 64-bit route is: staying on it (PIPWICK_ROUTE=i686 tries again)"
            route=x64
        fi
    fi
fi
first_failure() { grep -m1 '^E:' "$install_log" || tail -n1 "$install_log"; }
failed32=
if [ "$route" = i686 ] && ! install_missing "${common_pkgs[@]}" "${route32_pkgs[@]}"; then
    failed32=$(first_failure)
    echo "setup: 32-bit Wine could not be installed ($failed32): the tests run on the 64-bit build under 64-bit Wine instead"
    route=x64
fi
if [ "$route" = x64 ] && ! install_missing "${common_pkgs[@]}" "${route64_pkgs[@]}"; then
    [ -z "$failed32" ] || echo "setup: FAILED: 32-bit Wine could not be installed: $failed32" >&2
    echo "setup: FAILED: 64-bit Wine could not be installed either:" >&2
    cat "$install_log" >&2
    exit 1
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
