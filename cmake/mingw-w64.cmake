# SPDX-License-Identifier: MIT
# Cross-builds adifinfo.exe for 64-bit Windows with Debian's mingw-w64
# (g++-mingw-w64-x86-64-posix), and runs what it builds under wine:
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#
# The -posix flavour of the compilers is the one whose C++ library has
# std::mutex, which GoogleTest needs. Everything is linked statically, so the
# programs need no DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs every test program through wine; its own chatter on standard
# error is silenced, since the tests hold the tool to writing nothing there.
find_program(ADIFINFO_WINE wine)
if(ADIFINFO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all ${ADIFINFO_WINE})
endif()
