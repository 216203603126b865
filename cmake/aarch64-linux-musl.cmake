# SPDX-License-Identifier: MIT
# Builds for Linux on 64-bit ARM against musl instead of glibc, with
# Debian's g++-aarch64-linux-gnu and musl-dev:arm64:
#
#   cmake -S . -B build-aarch64-musl -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-musl.cmake \
#         -DADIFINFO_STATIC=ON -DADIFINFO_BUILD_TESTS=OFF
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ADIFINFO_TRIPLE aarch64-linux-gnu)
set(ADIFINFO_MUSL aarch64-linux-musl)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
