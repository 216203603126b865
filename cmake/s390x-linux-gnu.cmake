# SPDX-License-Identifier: MIT
# Cross-builds for Linux on 64-bit IBM Z, big-endian, with Debian's g++-s390x-linux-gnu,
# and runs what it builds under qemu-s390x (Debian's qemu-user):
#
#   cmake -S . -B build-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/s390x-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(ADIFINFO_TRIPLE s390x-linux-gnu)
set(ADIFINFO_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
