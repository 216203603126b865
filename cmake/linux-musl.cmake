# SPDX-License-Identifier: MIT
# The body of the musl toolchain files: each names its processor, the Debian
# triple of its gcc and the folder of its musl (Debian's musl-dev for that
# architecture), then includes this file. It builds static binaries.
#
# The tool needs the C library alone, so the gcc driver builds its C++ too
# (it takes a .cpp for C++ by its name, with the C++ compiler that the
# triple's g++ package installs) and links no C++ library. Everything of
# glibc's is left out and musl's put in its place: its headers, its start
# and end files around the program, and its C library, with gcc's own
# headers and runtime. No C++ library exists for musl here, so the tests
# cannot be built: configure with -DADIFINFO_BUILD_TESTS=OFF.
set(CMAKE_SYSTEM_NAME Linux)

set(musl /usr/lib/${ADIFINFO_MUSL})
if(NOT EXISTS ${musl}/libc.a)
    message(FATAL_ERROR "No musl for ${CMAKE_SYSTEM_PROCESSOR}: ${musl}/libc.a is missing (on "
                        "Debian, musl-dev for that architecture: see the Download part of README.md)")
endif()
set(CMAKE_C_COMPILER ${ADIFINFO_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ADIFINFO_TRIPLE}-gcc)

# gcc's own files, where this gcc keeps them.
foreach(file include crtbeginS.o crtendS.o libgcc.a libgcc_eh.a)
    execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=${file}
                    OUTPUT_VARIABLE gcc_${file} OUTPUT_STRIP_TRAILING_WHITESPACE)
endforeach()

foreach(lang C CXX)
    set(CMAKE_${lang}_FLAGS_INIT "-nostdinc -isystem /usr/include/${ADIFINFO_MUSL} -isystem ${gcc_include}")
    # The start files come before the program's objects, the end files after
    # its libraries; the C library and gcc's runtime need each other (on ARM,
    # a division by zero in libgcc calls the C library's raise).
    set(CMAKE_${lang}_STANDARD_LIBRARIES "-Wl,--start-group -lc ${gcc_libgcc.a} ${gcc_libgcc_eh.a} \
-Wl,--end-group ${gcc_crtendS.o} ${musl}/crtn.o")
endforeach()
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -nostdlib -L${musl} ${musl}/Scrt1.o ${musl}/crti.o ${gcc_crtbeginS.o}")

set(CMAKE_FIND_ROOT_PATH ${musl})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
