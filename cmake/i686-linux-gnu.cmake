# SPDX-License-Identifier: MIT
# Cross-builds for Linux on 32-bit x86, with Debian's g++-i686-linux-gnu,
# and runs what it builds under qemu-i386 (Debian's qemu-user):
#
#   cmake -S . -B build-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ADIFINFO_TRIPLE i686-linux-gnu)
set(ADIFINFO_QEMU qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
