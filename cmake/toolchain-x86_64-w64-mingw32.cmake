# Cross-compiles the 64-bit Windows build with Debian's MinGW-w64 compilers
# (x86-64 does its double arithmetic in SSE2 already).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VEK_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
