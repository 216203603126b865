# SPDX-License-Identifier: MIT
# Builds for Linux on 64-bit x86 against musl instead of glibc, with
# Debian's musl-dev:
#
#   cmake -S . -B build-x86_64-musl -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-linux-musl.cmake \
#         -DADIFINFO_STATIC=ON -DADIFINFO_BUILD_TESTS=OFF
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ADIFINFO_TRIPLE x86_64-linux-gnu)
set(ADIFINFO_MUSL x86_64-linux-musl)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
