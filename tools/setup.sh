#!/usr/bin/env bash
# Installs what building, testing, the demo and the release need: the i686 MinGW-w64 cross compiler,
# 32-bit Wine with its own fonts (without them caption buttons draw as letters) and a font with Japanese
# glyphs, Xvfb, the Russian and Japanese locales, doctest, ImageMagick and NSIS for the setup program.
# Where the machine cannot run 32-bit programs, the build tools here and 32-bit Wine in a Debian root
# that runs them through QEMU (tools/root.sh); where that cannot be either, or 32-bit Wine cannot be
# installed, 64-bit Wine and the x86-64 cross compiler (the 64-bit route; PIPWICK_ROUTE=x64 asks for it).
# Fails only when no route installs. Idempotent and quick when all is present.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/tools/platform.sh"

# What building needs, and what running the Windows programs needs: a root that runs this tree's build
# (the emulated route's) has only the latter; the machine that builds for it, only the former.
build_pkgs=(cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 doctest-dev imagemagick nsis)
run_pkgs=(cmake binutils-mingw-w64-i686 wine fonts-wine fonts-wqy-microhei xvfb xauth x11-utils locales imagemagick)
route32_pkgs=(wine32:i386)
route64_pkgs=(wine64 g++-mingw-w64-x86-64-win32)
emulated_pkgs=(debootstrap)

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

# Whether a user namespace can have a binfmt_misc of its own (Linux 6.7 on), in which QEMU runs i386.
can_emulate() {
    local dir status=0
    dir=$(mktemp -d /tmp/pipwick-binfmt-XXXXXX)
    sudo_ unshare --user --map-root-user --mount -- mount -t binfmt_misc binfmt_misc "$dir" 2>/dev/null || status=$?
    rmdir "$dir"
    return $status
}

# The routes in order (tools/platform.sh): 32-bit Wine here, 32-bit Wine emulated in a root, 64-bit
# Wine. PIPWICK_ROUTE names one (CI runs x64 beside the first that works); a machine that fell back
# once stays on the 64-bit route until PIPWICK_ROUTE=i686 asks for another try. Inside a root the route
# is the root's own.
route=${PIPWICK_ROUTE:-}
[ -z "${PIPWICK_IN_ROOT:-}" ] || [ "$route" != i686-emulated ] || route=
if [ -z "$route" ]; then
    if pipwick_runs_32bit; then
        missing_of "${route32_pkgs[@]}"
        route=i686
        if [ ${#missing[@]} -gt 0 ] && missing_of "${route64_pkgs[@]}" && [ ${#missing[@]} -eq 0 ]; then
            echo "setup: 32-bit Wine is not installed here, the 64-bit route is: staying on it (PIPWICK_ROUTE=i686 tries again)"
            route=x64
        fi
    elif can_emulate; then
        echo "setup: this machine cannot run 32-bit programs: the 32-bit DLL runs under 32-bit Wine emulated by QEMU, in a Debian $pipwick_release root of its own (the i686-emulated route)"
        route=i686-emulated
    else
        echo "setup: this machine cannot run 32-bit programs, nor emulate them (no binfmt_misc of its own in a user namespace: Linux $(uname -r), 6.7 or later is needed): 64-bit Wine and a 64-bit test build instead"
        route=x64
    fi
elif [ "$route" = i686-emulated ]; then
    echo "setup: the i686-emulated route, as PIPWICK_ROUTE asks: the 32-bit DLL under 32-bit Wine emulated by QEMU, in a Debian $pipwick_release root of its own"
fi
first_failure() { grep -m1 '^E:' "$install_log" || tail -n1 "$install_log"; }
if [ "${PIPWICK_IN_ROOT:-}" = bind ]; then
    common_pkgs=("${run_pkgs[@]}")
else
    common_pkgs=("${build_pkgs[@]}" "${run_pkgs[@]}")
fi
failed32=
if [ "$route" = i686-emulated ]; then
    if ! install_missing "${build_pkgs[@]}" "${emulated_pkgs[@]}"; then
        failed32=$(first_failure)
    elif { [ ! -x "$pipwick_qemu" ] || [ ! -x "$pipwick_roots/$pipwick_release/usr/lib/wine/wine" ]; } &&
         ! "$top/tools/root.sh" "$pipwick_release" --bind true; then
        failed32="the root could not be made"
    fi
    if [ -n "$failed32" ]; then
        echo "setup: the emulated route could not be set up ($failed32): the tests run on the 64-bit build under 64-bit Wine instead"
        route=x64
    fi
fi
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
if [ "$route" = i686-emulated ]; then echo "setup: ready"; exit 0; fi

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
