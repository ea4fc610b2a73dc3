# Sourced by the scripts that run Windows programs: which Wine runs them, and which build it runs.
# 32-bit Wine is itself a 32-bit Linux program. Where the kernel or virtual machine refuses 32-bit
# programs, 64-bit Wine runs a 64-bit build of the same sources (preset x64, in build-x64) instead;
# the 32-bit DLL that ships is still built and checked, but not run. tools/setup.sh must have run.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    pipwick_wine=wine pipwick_preset=default pipwick_build=build
else
    pipwick_wine=/usr/lib/wine/wine64 pipwick_preset=x64 pipwick_build=build-x64
fi
