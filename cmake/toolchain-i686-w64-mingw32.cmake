# Cross-compiles the 32-bit Windows build with Debian's MinGW-w64 compilers.
# The POSIX thread variant provides std::thread and std::mutex; the program
# files link statically, so the DLL and the executables need no MinGW
# run-time DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VEK_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER /usr/bin/${VEK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${VEK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/${VEK_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP /usr/bin/${VEK_MINGW_PREFIX}-objdump CACHE FILEPATH "objdump for Windows binaries")

set(CMAKE_FIND_ROOT_PATH /usr/${VEK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, also when the tests are discovered.
find_program(VEK_WINE wine)
if(VEK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEK_WINE})
endif()

# SSE2 arithmetic instead of the x87 unit: doubles are rounded to 64 bits at
# every step, as on every other build, so value conversions give the same
# results everywhere.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
