# SPDX-License-Identifier: MIT
# Cross-builds for Linux on 64-bit ARM, little-endian, with Debian's g++-aarch64-linux-gnu,
# and runs what it builds under qemu-aarch64 (Debian's qemu-user):
#
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ADIFINFO_TRIPLE aarch64-linux-gnu)
set(ADIFINFO_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
