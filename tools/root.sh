#!/usr/bin/env bash
# Debian roots of the project's own, made by debootstrap from this machine's apt sources under
# /var/cache/pipwick and kept for the next run, and a command run inside one. A run lives in a mount and
# PID namespace of its own: its mounts and its processes end with it, however it ends, and nothing is
# ever mounted on the machine. Where this machine cannot run 32-bit programs (or PIPWICK_ROUTE=i686-emulated
# asks), the run is also in a user namespace whose own binfmt_misc hands i386 programs to QEMU; outside it
# nothing changes. One run uses a root at a time; another waits.
#   tools/root.sh RELEASE --copy COMMAND...  a clean copy of this tree at /build/pipwick there, run as root
#   tools/root.sh RELEASE --bind COMMAND...  this tree at its own path, run as the caller
#   tools/root.sh RELEASE --remove
# Before the command, the tree's tools/setup.sh installs there what it lacks (the network is there for
# that alone: the command has a network namespace of its own, so that its X server meets no other).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/tools/platform.sh"

if [ "${1:-}" = --inside ]; then inside=1; shift; else inside=0; fi
release=${1:?release}
mode=${2:?--copy, --bind or --remove}
shift 2
root=$pipwick_roots/$release
work=/build/pipwick   # the clean copy's place in the root

# What the caller passes on into the root: the project's own settings and CI's.
passed_env() {
    local name
    for name in $(compgen -e); do
        case $name in PIPWICK_* | CI | TERM) printf '%s=%s\0' "$name" "${!name}" ;; esac
    done
}

# i386's ELF header, as QEMU's own binfmt set-up matches it (executables and shared objects).
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# The run itself, as PID 1 of its namespaces: every mount below is this namespace's alone.
run_inside() {   # caller-uid caller-gid emulate cwd command...
    local uid=$1 gid=$2 emulate=$3 cwd=$4
    shift 4
    trap 'exit 130' INT TERM   # PID 1 takes only the signals it handles
    mount -t proc proc "$root/proc"
    if [ "$emulate" = 1 ]; then
        mount -t binfmt_misc binfmt_misc "$root/proc/sys/fs/binfmt_misc"
        # F: the kernel opens QEMU now, so it serves inside the root too.
        echo ":pipwick-i386:M::$i386_magic:$i386_mask:$pipwick_qemu:F" >"$root/proc/sys/fs/binfmt_misc/register"
    fi
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
    mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
    touch "$root/etc/resolv.conf" && mount --bind /etc/resolv.conf "$root/etc/resolv.conf"
    local tree=$work
    if [ "$mode" = --bind ]; then
        tree=$top
        mkdir -p "$root$top" && mount --bind "$top" "$root$top"
    else
        rm -rf --one-file-system "$root$work" && mkdir -p "$root$work"
        git -c safe.directory='*' -C "$top" ls-files -z --cached --others --exclude-standard |
            (cd "$top" && tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -xf - -C "$root$work"
        cwd=$work uid=0 gid=0   # the copy is the root's own
    fi
    local -a env=()
    mapfile -d '' env < <(passed_env)
    env=(env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "${env[@]}" PIPWICK_IN_ROOT="${mode#--}"
         PIPWICK_EMULATED="$emulate")
    chroot "$root" "${env[@]}" HOME=/root bash "$tree/tools/setup.sh" | sed '/^setup: ready$/d' >&2
    local home=/root
    [ "$uid" = 0 ] || { home=/tmp/home; mkdir -p "$root$home" && chown "$uid:$gid" "$root$home"; }
    unshare --net chroot --userspec="$uid:$gid" "$root" "${env[@]}" HOME="$home" bash -c 'cd "$0" && exec "$@"' "$cwd" "$@"
}

if [ "$inside" = 1 ]; then
    run_inside "$@"
    exit
fi

# Everything below needs root; an ordinary user's run goes on under sudo, as the same user inside.
if [ "$(id -u)" -ne 0 ]; then
    mapfile -d '' env < <(passed_env)
    exec sudo -- env "${env[@]}" PIPWICK_CALLER="$(id -u):$(id -g)" bash "$0" "$release" "$mode" "$@"
fi
caller=${PIPWICK_CALLER:-0:0}
mkdir -p "$pipwick_roots"
exec 9>"$pipwick_roots/$release.lock"
if ! flock -n 9; then
    echo "root: $root is in use by another run; waiting for it" >&2
    flock 9
fi

if [ "$mode" = --remove ]; then
    rm -rf --one-file-system "$root"
    exit
fi

# This machine's own apt sources, with its release's name changed for the root's: the same mirror, the
# same suites (the release, its updates, its security), in the same format.
sources_for() {   # release
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        grep -qw "$pipwick_release" "$file" || continue
        echo "### ${file##*/}"
        sed "s/\b$pipwick_release\b/$1/g" "$file"
    done
}
mirror_of_machine() {
    local mirror
    mirror=$(grep -hoE '^URIs: *[^ ]+' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1 | sed 's/^URIs: *//' || true)
    [ -n "$mirror" ] || mirror=$(grep -hoE '^deb +(\[[^]]*\] +)?[^ ]+' /etc/apt/sources.list 2>/dev/null | head -n1 | awk '{print $NF}')
    [ -n "$mirror" ] || { echo "root: no Debian mirror in this machine's apt sources" >&2; return 1; }
    echo "$mirror"
}

make_root() {
    local mirror
    mirror=$(mirror_of_machine)
    command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
    echo "root: making a Debian $release root in $root" >&2
    rm -rf --one-file-system "$root"
    mkdir -p "$root"
    # debootstrap mounts /proc and /sys in the root while it works: in a namespace of its own.
    unshare --mount --pid --fork --kill-child -- debootstrap --variant=minbase "$release" "$root" "$mirror" >/dev/null
    # Each suite of this machine's, renamed; the one line debootstrap wrote would repeat the first.
    rm -f "$root/etc/apt/sources.list"
    sources_for "$release" | awk -v dir="$root/etc/apt/sources.list.d" '/^### /{ name = substr($0, 5); next } { print > (dir "/" name) }'
    touch "$root/.pipwick-ready"
}
[ -f "$root/.pipwick-ready" ] || make_root

# A static qemu-i386 of version 8 or later, unpacked from a Debian package and never installed: the
# release's own where it is new enough, else its backports suite's. Its own apt lists, from this
# machine's mirror, leave the machine's untouched.
fetch_qemu() {
    local dir=$pipwick_roots/qemu mirror keyring= suite
    mirror=$(mirror_of_machine)
    keyring=$(grep -hoE '^Signed-By: *[^ ]+' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1 | sed 's/^Signed-By: *//' || true)
    mkdir -p "$dir/apt/lists/partial" "$dir/apt/archives/partial"
    for suite in "$pipwick_release" "$pipwick_release-backports"; do
        echo "deb ${keyring:+[signed-by=$keyring] }$mirror $suite main"
    done >"$dir/apt/sources.list"
    local -a apt=(-o Dir::Etc::SourceList="$dir/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
                  -o Dir::State::Lists="$dir/apt/lists" -o Dir::Cache="$dir/apt" -o Dir::State::status=/dev/null
                  -o APT::Sandbox::User=root)
    apt-get -qq "${apt[@]}" update
    suite=$pipwick_release
    local own
    own=$(apt-cache "${apt[@]}" madison qemu-user | awk -F' *[|] *' -v s="$pipwick_release/" 'index($3, s) { print $2; exit }')
    if [ -z "$own" ] || dpkg --compare-versions "$own" lt 1:8; then suite=$pipwick_release-backports; fi
    echo "root: unpacking qemu-i386 from qemu-user of $suite" >&2
    rm -f "$dir"/apt/*.deb
    (cd "$dir/apt" && apt-get -qq "${apt[@]}" download "qemu-user/$suite")
    dpkg-deb --fsys-tarfile "$dir"/apt/qemu-user_*.deb | tar -xO ./usr/bin/qemu-i386 >"$dir/qemu-i386.new"
    rm -f "$dir"/apt/*.deb
    chmod 755 "$dir/qemu-i386.new" && mv "$dir/qemu-i386.new" "$pipwick_qemu"
}
emulate=0
if [ "${PIPWICK_ROUTE:-}" = i686-emulated ] || ! pipwick_runs_32bit; then
    emulate=1
    [ -x "$pipwick_qemu" ] || fetch_qemu
fi

cwd=$top
case $PWD/ in "$top"/*) cwd=$PWD ;; esac
inner=(bash "$0" --inside "$release" "$mode" "${caller%:*}" "${caller#*:}" "$emulate" "$cwd" "$@")
if [ "$emulate" = 0 ]; then
    exec unshare --mount --pid --ipc --uts --fork --kill-child -- "${inner[@]}"
fi
# A user namespace that maps every id to itself, so that files keep their owners and APT can drop to
# _apt: its maps are written from here, once unshare has made it; only then does the run go on, and its
# first program gains the namespace's capabilities (which clears the parent-death signal: set again).
me=$$
(
    while [ "$(readlink /proc/$me/ns/user)" = "$(readlink /proc/self/ns/user)" ]; do sleep 0.02; done
    echo '0 0 4294967295' >/proc/$me/uid_map && echo '0 0 4294967295' >/proc/$me/gid_map
) &
exec unshare --user --mount --pid --ipc --uts --fork --kill-child -- /bin/sh -c '
    while [ -z "$(cat /proc/self/uid_map)" ]; do sleep 0.02; done
    exec setpriv --pdeathsig KILL -- "$@"' sh "${inner[@]}"
