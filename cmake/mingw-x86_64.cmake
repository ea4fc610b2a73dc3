# 64-bit Windows: only to run the tests under 64-bit Wine where a machine cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(pipwick_triple x86_64-w64-mingw32)
set(pipwick_route x64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
