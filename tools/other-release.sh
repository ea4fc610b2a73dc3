#!/usr/bin/env bash
# Runs a command of this tree (the README's test command unless told otherwise) on the other Debian
# release, 12 "bookworm" or 13 "trixie", in a root of its own (tools/root.sh): from a clean copy of the
# tree's files, with its own build and Wine prefix. Where this machine cannot run 32-bit programs, the
# root's 32-bit Wine runs the DLL that ships through QEMU.
#   tools/other-release.sh [bookworm|trixie] [command [arguments...]]
#   tools/other-release.sh trixie tools/demo.sh     # the demo there; its pictures stay in the root
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/tools/platform.sh"
case "${1:-}" in
bookworm | trixie) release=$1; shift ;;
*) if [ "$pipwick_release" = trixie ]; then release=bookworm; else release=trixie; fi ;;
esac
[ $# -gt 0 ] || set -- tools/test.sh
echo "other-release: Debian $release ($pipwick_roots/$release): $*"
exec "$top/tools/root.sh" "$release" --copy bash "$@"
