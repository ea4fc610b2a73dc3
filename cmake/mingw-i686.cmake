# 32-bit Windows: the player and the DLL that ships.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(pipwick_triple i686-w64-mingw32)
set(pipwick_route i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
