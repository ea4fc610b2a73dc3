# Cross toolchain with Debian's MinGW-w64 (win32 threads variant) for pipwick_triple, run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${pipwick_triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${pipwick_triple}-g++-win32)
set(CMAKE_RC_COMPILER ${pipwick_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${pipwick_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Each build runs under the Wine of its own width, whichever route the machine takes by default.
set(CMAKE_CROSSCOMPILING_EMULATOR env PIPWICK_ROUTE=${pipwick_route} ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
