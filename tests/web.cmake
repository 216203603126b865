# SPDX-License-Identifier: MIT
# Included by tests/CMakeLists.txt: the page and the npm package, the tool
# built with emscripten in a build of its own inside this one (BUILD/web),
# each run against the native tool of this build.
#
#   npm.install   the package installed from its tarball into a folder of its
#                 own (npm install -g --prefix)
#   npm.cases     cases of cases.txt on its command, in one test: a case of
#                 each way of giving a file, and of each way its report is
#                 made (the library runs every case: npm.library)
#   npm.library   every case through its library, and its command on what the
#                 cases cannot hold (tests/npm_test.js, in one Node.js)
#   web.table     the page's table as data, on the list's cases, in Node.js
#                 (tests/table_test.mjs)
#   browser       the page in headless Chromium (tests/browser_test.py), in
#                 one session: every case of cases.txt that is a file, in one
#                 batch, with its summary; the table sorted by the keyboard;
#                 then names, folders, Download and Copy, the CSV, and no
#                 request beyond the page
set(web_build ${PROJECT_BINARY_DIR}/web)
set(page ${web_build}/adifinfo-${PROJECT_VERSION}.html)
set(tarball ${web_build}/adifinfo-${PROJECT_VERSION}.tgz)

find_program(EMCMAKE emcmake)
find_program(NODE NAMES node nodejs)
find_program(NPM npm)
find_program(ESBUILD esbuild)
find_program(TSC tsc)
if(CMAKE_CROSSCOMPILING)
    set(no_web "the page and the npm package are checked in a build for the build machine")
elseif(ADIFINFO_SANITIZE OR ADIFINFO_FUZZ)
    set(no_web "a sanitizer build checks the native tool")
elseif(NOT ADIFINFO_TEST_WEB)
    set(no_web "off with -DADIFINFO_TEST_WEB=OFF")
elseif(NOT EMCMAKE OR NOT NODE OR NOT NPM OR NOT ESBUILD OR NOT TSC)
    set(no_web "the page and the npm package need emscripten, Node.js, npm, esbuild and TypeScript "
               "(Debian: emscripten npm esbuild node-typescript)")
endif()
if(no_web)
    foreach(name npm.cases npm.library web.table browser)
        adifinfo_skipped_test(${name} "${no_web}")
    endforeach()
    return()
endif()

# emscripten's own tools run on Node.js and need acorn, which Debian keeps in
# /usr/share/nodejs: found there by a Node.js that is not Debian's own.
set(node_path $ENV{NODE_PATH})
if(EXISTS /usr/share/nodejs)
    set(node_path /usr/share/nodejs:${node_path})
endif()
set(with_node_path ${CMAKE_COMMAND} -E env NODE_PATH=${node_path})
include(ExternalProject)
ExternalProject_Add(
    web
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${web_build}
    CONFIGURE_COMMAND ${with_node_path} ${EMCMAKE} ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR>
                      -DADIFINFO_BUILD_TESTS=OFF -DADIFINFO_WERROR=${ADIFINFO_WERROR}
                      -DCMAKE_BUILD_TYPE=Release
    BUILD_COMMAND ${with_node_path} ${CMAKE_COMMAND} --build <BINARY_DIR>
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")

# The package, as a user installs it: from the tarball, into a prefix.
set(npm_prefix ${CMAKE_CURRENT_BINARY_DIR}/npm-prefix)
add_test(NAME npm.install
         COMMAND ${CMAKE_COMMAND} -DNPM=${NPM} -DTARBALL=${tarball} -DPREFIX=${npm_prefix}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/npm-install.cmake)
set_tests_properties(npm.install PROPERTIES FIXTURES_SETUP npm COST 3)
# Node.js takes many times as long to start as the native tool to run: the
# command runs on a case of each way of giving it a file (a copy by another
# name, a name that nothing has, a terminal, a sparse 3 GiB file), and on the
# reports that only its own reading makes (escaped bytes, written raw; a
# file of 2 MiB read forward as far as the tool asks); the library runs every
# case on the same module, and make release runs the command on every case.
set(npm_cases golden.comment-controls name.japanese name.emoji.missing console.windows-path large-file
              kind.id3-long-adts)
list(JOIN npm_cases "," npm_cases)
add_test(NAME npm.cases COMMAND ${CMAKE_COMMAND} -DTOOL=${npm_prefix}/bin/adifinfo
                                -DWORK=${CMAKE_CURRENT_BINARY_DIR}/cases-npm "-DCASES=${npm_cases}" ${run_cases})
set_tests_properties(npm.cases PROPERTIES FIXTURES_REQUIRED npm ENVIRONMENT LC_ALL=C.UTF-8 COST 3)
add_test(NAME npm.library
         COMMAND ${NODE} ${CMAKE_CURRENT_SOURCE_DIR}/npm_test.js --prefix ${npm_prefix}
                 --tool $<TARGET_FILE:adifinfo> --bitpack $<TARGET_FILE:bitpack>
                 --cases ${CMAKE_CURRENT_BINARY_DIR}/cases.json --work ${CMAKE_CURRENT_BINARY_DIR}/npm-library
                 --tarball ${tarball} --npm ${NPM} --esbuild ${ESBUILD} --tsc ${TSC})
set_tests_properties(npm.library PROPERTIES FIXTURES_REQUIRED npm ENVIRONMENT LC_ALL=C.UTF-8 COST 3)
add_test(NAME web.table COMMAND ${NODE} ${CMAKE_CURRENT_SOURCE_DIR}/table_test.mjs --modules ${web_build}/web/modules
                                --cases ${CMAKE_CURRENT_BINARY_DIR}/cases.json)
set_tests_properties(web.table PROPERTIES FIXTURES_REQUIRED npm)

# Debian's own python3 has Debian's python3-selenium; the script says why it
# skips where either is missing, or Chromium.
find_program(SYSTEM_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(SYSTEM_PYTHON3 python3)
find_program(CHROMIUM NAMES chromium chromium-browser)
find_program(CHROMEDRIVER chromedriver)
if(NOT SYSTEM_PYTHON3)
    adifinfo_skipped_test(browser "no python3 to drive Chromium with")
    return()
endif()
add_test(NAME browser
         COMMAND ${SYSTEM_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/browser_test.py cases table names folder
                 download csv faults phone bundle no-network --page ${page} --tool $<TARGET_FILE:adifinfo>
                 --bitpack $<TARGET_FILE:bitpack> --cases ${CMAKE_CURRENT_BINARY_DIR}/cases.json
                 --work ${CMAKE_CURRENT_BINARY_DIR}/browser --esbuild ${ESBUILD}
                 --modules ${npm_prefix}/lib/node_modules
                 --chromium ${CHROMIUM} --chromedriver ${CHROMEDRIVER})
set_tests_properties(browser PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED:" ENVIRONMENT LC_ALL=C.UTF-8
                                        FIXTURES_REQUIRED npm COST 4)
