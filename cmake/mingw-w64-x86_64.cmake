# Cross build for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads
# flavour, g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SB_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SB_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SB_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SB_MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW tree only: nothing of the host's
# /usr/include or /usr/lib can leak into the Windows program.
set(CMAKE_FIND_ROOT_PATH /usr/${SB_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
