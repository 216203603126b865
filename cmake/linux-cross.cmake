# SPDX-License-Identifier: MIT
# The body of the Linux cross toolchain files: each names its processor, its
# Debian triple and its qemu-user program, then includes this file. Debian's
# cross g++ (g++-TRIPLE) builds; qemu-user runs what it builds, for CTest and
# for the test scripts alike, with the target's own libraries under /usr/TRIPLE.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${ADIFINFO_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ADIFINFO_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${ADIFINFO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Without qemu the tool still builds; the tests then stop at configure time.
# The target's loader is told where its C library is: otherwise it reads the
# build machine's /etc/ld.so.cache and, for i686 on an x86_64 machine with
# 32-bit libraries, loads a C library of another build than its own, in which
# a forked child spins for ever.
find_program(ADIFINFO_QEMU_PROGRAM ${ADIFINFO_QEMU})
if(ADIFINFO_QEMU_PROGRAM)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ADIFINFO_QEMU_PROGRAM} -L /usr/${ADIFINFO_TRIPLE}
                                      -E LD_LIBRARY_PATH=/usr/${ADIFINFO_TRIPLE}/lib)
endif()
