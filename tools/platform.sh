# Sourced by the scripts that run Windows programs: which Wine runs them, which build it runs, and the
# Wine prefix the tests share. tools/setup.sh must have run. Three routes, in this order:
# - i686: 32-bit Wine here runs the DLL that ships (preset default, in build). 32-bit Wine is itself a
#   32-bit Linux program, so this needs a kernel that runs those.
# - i686-emulated: where the kernel refuses them, the same 32-bit Wine and the same DLL, in a Debian root
#   of this release (tools/root.sh) whose own namespaces hand i386 programs to QEMU. A script that runs
#   Windows programs goes on inside that root (pipwick_emulated=1 says it must).
# - x64 (or PIPWICK_ROUTE=x64): 64-bit Wine runs a 64-bit build of the same sources (preset x64, in
#   build-x64); the 32-bit DLL is still built and checked, but not run.
# Both loaders are named by path: a script's own wine() must never find itself.
pipwick_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
pipwick_release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
pipwick_roots=${PIPWICK_ROOTS:-/var/cache/pipwick}
pipwick_qemu=$pipwick_roots/qemu/qemu-i386

# Whether the kernel runs 32-bit x86 programs, asked of no 32-bit package: a 93-byte static ELF32 that
# only exits 0 ("Exec format error" where it cannot run).
pipwick_runs_32bit() {
    local probe status=0
    probe=$(mktemp /tmp/pipwick-elf32-XXXXXX)
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'\
'\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00'\
'\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    return $status
}

# Inside a root the route is native to it (its i386 programs run, through QEMU where they must).
pipwick_route=${PIPWICK_ROUTE:-}
[ -z "${PIPWICK_IN_ROOT:-}" ] || [ "$pipwick_route" != i686-emulated ] || pipwick_route=i686
pipwick_emulated=0
if [ "$pipwick_route" != x64 ] && [ "$pipwick_route" != i686-emulated ] && [ -x /usr/lib/wine/wine ] &&
   /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    pipwick_route=i686
elif [ "$pipwick_route" != x64 ] && [ -z "${PIPWICK_IN_ROOT:-}" ] && [ -x "$pipwick_qemu" ] &&
     [ -x "$pipwick_roots/$pipwick_release/usr/lib/wine/wine" ]; then
    pipwick_route=i686-emulated pipwick_emulated=1
else
    pipwick_route=x64
fi
if [ "$pipwick_route" = x64 ]; then
    pipwick_wine=/usr/lib/wine/wine64 pipwick_wineserver=/usr/lib/wine/wineserver64
    pipwick_preset=x64 pipwick_build=build-x64
    export WINEARCH=win64
else
    pipwick_wine=/usr/lib/wine/wine pipwick_wineserver=/usr/lib/wine/wineserver32
    pipwick_preset=default pipwick_build=build
    # A 32-bit prefix, as where only 32-bit Wine is installed: not WoW64 in a 64-bit one.
    export WINEARCH=win32
fi
# The emulated route's Wine is the root's: a prefix of its own.
pipwick_prefix=$pipwick_top/$pipwick_build/wineprefix
[ "${PIPWICK_EMULATED:-0}" != 1 ] || pipwick_prefix=$pipwick_prefix-emulated

# What runs a command where Windows programs run: on the emulated route inside the root, with this
# tree at its own path; elsewhere nothing, and the command runs here.
pipwick_in_root=()
[ "$pipwick_emulated" = 0 ] || pipwick_in_root=("$pipwick_top/tools/root.sh" "$pipwick_release" --bind)
