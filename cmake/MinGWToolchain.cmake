# The parts of the MinGW-w64 cross toolchains that both Windows builds share:
# Debian's POSIX-thread compilers (std::thread and std::mutex) for the target
# named by VEK_MINGW_PREFIX, and Wine to run the test programs. The program
# files link statically, so the DLL and the executables need no MinGW
# run-time DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)

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
