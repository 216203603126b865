# SPDX-License-Identifier: MIT
# Installs the npm package from its tarball into a prefix of its own, as a
# user would (npm install -g), with nothing fetched: it depends on nothing.
#
#   cmake -DNPM=<npm> -DTARBALL=<adifinfo-VERSION.tgz> -DPREFIX=<folder> -P npm-install.cmake
cmake_minimum_required(VERSION 3.20)

if(NOT EXISTS "${TARBALL}")
    message(FATAL_ERROR "no ${TARBALL}: the web build did not make it")
endif()
file(REMOVE_RECURSE "${PREFIX}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env npm_config_update_notifier=false "npm_config_cache=${PREFIX}-cache"
            "${NPM}" install --global "--prefix=${PREFIX}" --offline --no-audit --no-fund "${TARBALL}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "npm install of ${TARBALL} failed:\n${out}")
endif()
if(NOT EXISTS "${PREFIX}/bin/adifinfo")
    message(FATAL_ERROR "npm install put no command at ${PREFIX}/bin/adifinfo:\n${out}")
endif()
