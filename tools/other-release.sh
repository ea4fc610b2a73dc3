#!/usr/bin/env bash
# Runs a command of this tree (the README's test command unless told otherwise) on the other Debian
# release, 12 "bookworm" or 13 "trixie", inside a root of its own made with debootstrap: from a clean
# copy of the tree's files, with its own build and Wine prefix. The root is kept and reused (under
# /var/cache/pipwick); /proc and /dev are mounted into it only while the command runs.
#   tools/other-release.sh [bookworm|trixie] [command [arguments...]]
#   tools/other-release.sh trixie tools/demo.sh     # the demo there; its pictures stay in the root
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
here=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
case "${1:-}" in
bookworm | trixie) release=$1; shift ;;
*) if [ "$here" = trixie ]; then release=bookworm; else release=trixie; fi ;;
esac
[ $# -gt 0 ] || set -- tools/test.sh
root=${PIPWICK_RELEASE_ROOT:-/var/cache/pipwick/$release}
sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# This machine's own apt sources, with its release's name changed for the other's: the same mirror,
# the same suites (the release, its updates, its security), in the same format.
sources_of() {   # prints the sources for release; sets mirror to the first archive's address
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        grep -qw "$here" "$file" || continue
        echo "### ${file##*/}"
        sed "s/\b$here\b/$release/g" "$file"
    done
}
mirror=$( { grep -hoE '^URIs: *[^ ]+' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1 | sed 's/^URIs: *//'; } ||
          true)
[ -n "$mirror" ] || mirror=$(grep -hoE '^deb +(\[[^]]*\] +)?[^ ]+' /etc/apt/sources.list 2>/dev/null | head -n1 | awk '{print $NF}')
[ -n "$mirror" ] || { echo "other-release: no Debian mirror in this machine's apt sources" >&2; exit 1; }

if [ ! -f "$root/.pipwick-ready" ]; then
    command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq debootstrap >/dev/null
    echo "other-release: making a Debian $release root in $root"
    sudo_ rm -rf "$root"
    sudo_ mkdir -p "$root"
    sudo_ debootstrap --variant=minbase "$release" "$root" "$mirror" >/dev/null
    # Each suite of this machine's, renamed; the one line debootstrap wrote would repeat the first.
    sudo_ rm -f "$root/etc/apt/sources.list"
    sources_of | awk '/^### /{ name = substr($0, 5); next } { print > ("'"$root"'/etc/apt/sources.list.d/" name) }'
    sudo_ touch "$root/.pipwick-ready"
fi

# What the command left running there (a Wine server ending in its own time) keeps /dev busy: it goes
# first, then every mount, lazily where one still holds on.
end_processes_inside() {
    local process
    for process in /proc/[0-9]*; do
        [ "$(sudo_ readlink "$process/root" 2>/dev/null)" = "$root" ] && sudo_ kill -9 "${process#/proc/}" 2>/dev/null
    done
    return 0
}
mounted=()
unmount_all() {
    local point
    end_processes_inside
    for point in "${mounted[@]}"; do sudo_ umount -R "$point" 2>/dev/null || sudo_ umount -lR "$point" 2>/dev/null || true; done
    mounted=()
}
trap unmount_all EXIT
trap 'exit 130' INT TERM
sudo_ mount -t proc proc "$root/proc" && mounted+=("$root/proc")
sudo_ mount --rbind /dev "$root/dev" && mounted+=("$root/dev")
sudo_ mount --make-rslave "$root/dev"

# A clean copy: the files git knows (and new ones it does not ignore), as they stand; nothing built.
work=/build/pipwick
sudo_ rm -rf "$root$work"
sudo_ mkdir -p "$root$work"
git -C "$top" ls-files -z --cached --others --exclude-standard |
    (cd "$top" && tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | sudo_ tar -xf - -C "$root$work"
echo "other-release: Debian $release ($root): $*"
sudo_ chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 CI="${CI:-}" \
    bash -c 'cd "$0" && exec bash "$@"' "$work" "$@"
