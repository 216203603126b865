# SPDX-License-Identifier: MIT
# Builds for Linux on 32-bit ARM (ARMv7, hard float) against musl instead of glibc, with
# Debian's g++-arm-linux-gnueabihf and musl-dev:armhf:
#
#   cmake -S . -B build-armv7-musl -DCMAKE_TOOLCHAIN_FILE=cmake/armv7-linux-musl.cmake \
#         -DADIFINFO_STATIC=ON -DADIFINFO_BUILD_TESTS=OFF
set(CMAKE_SYSTEM_PROCESSOR armv7)
set(ADIFINFO_TRIPLE arm-linux-gnueabihf)
set(ADIFINFO_MUSL arm-linux-musleabihf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
