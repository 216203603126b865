# SPDX-License-Identifier: MIT
# The body of the musl toolchain files: each names its processor, the Debian
# triple of its gcc and the folder of its musl (Debian's musl-dev for that
# architecture), then includes this file.
#
# The tool needs the C library alone, so the gcc driver builds its C++ too
# (it takes a .cpp for C++ by its name, with the C++ compiler that the
# triple's g++ package installs) and links no C++ library; musl-gcc's own
# specs file puts musl's headers, start files and library in place of glibc's. No C++ library exists for musl here, so the tests cannot be built:
# configure with -DADIFINFO_BUILD_TESTS=OFF, and -DADIFINFO_STATIC=ON for a
# binary that runs on any Linux of its CPU.
set(CMAKE_SYSTEM_NAME Linux)

set(specs /usr/lib/${ADIFINFO_MUSL}/musl-gcc.specs)
if(NOT EXISTS ${specs})
    message(FATAL_ERROR "No musl for ${CMAKE_SYSTEM_PROCESSOR}: ${specs} is missing (on Debian, "
                        "musl-dev for that architecture: see the Download part of README.md)")
endif()
set(CMAKE_C_COMPILER ${ADIFINFO_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ADIFINFO_TRIPLE}-gcc)
set(CMAKE_C_FLAGS_INIT "-specs=${specs}")
set(CMAKE_CXX_FLAGS_INIT "-specs=${specs}")

set(CMAKE_FIND_ROOT_PATH /usr/lib/${ADIFINFO_MUSL})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
