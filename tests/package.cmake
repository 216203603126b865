# SPDX-License-Identifier: MIT
# Installs the build into a scratch prefix and packages it as a .deb, then
# checks what each holds: the tool, which runs, and its manual page; the
# package's files and control fields, that it needs a real Maintainer, that it
# is made the same twice, and that lintian passes it. Then the source release:
# what it holds, that it is made the same twice, and that it builds by itself.
#
#   cmake -DBUILD=<build folder> -DWORK=<scratch folder> -DVERSION=<x.y.z>
#         -DEXAMPLE=<file> -DBINDIR=<bin> -DMANDIR=<share/man> -DDOCDIR=<share/doc/adifinfo>
#         -DSOURCE=<checkout> [-DEMULATOR="<command and words>"] -P package.cmake
#
# BINDIR, MANDIR and DOCDIR are the install folders relative to the prefix: the
# BSDs keep manual pages in man/, not share/man/. EXAMPLE is the sample file
# that is installed in DOCDIR/examples for the manual page's EXAMPLES to run.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${WORK}/prefix"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed")
endif()
get_filename_component(example_name "${EXAMPLE}" NAME)
set(installed_example "${WORK}/prefix/${DOCDIR}/examples/${example_name}")
foreach(path ${BINDIR}/adifinfo ${MANDIR}/man1/adifinfo.1 ${DOCDIR}/examples/${example_name})
    if(NOT EXISTS "${WORK}/prefix/${path}")
        message(FATAL_ERROR "cmake --install did not install ${path}")
    endif()
endforeach()
run_program(rc "${WORK}/prefix/${BINDIR}/adifinfo" "${installed_example}" OUTPUT_VARIABLE report)
if(NOT rc EQUAL 0 OR NOT report MATCHES "\nADIF header:\n")
    message(FATAL_ERROR "the installed tool did not report on ${installed_example}")
endif()

find_program(DPKG_DEB dpkg-deb)
if(NOT DPKG_DEB)
    message("SKIPPED: dpkg-deb is not installed, so the package cannot be checked")
    return()
endif()
find_program(CPACK cpack HINTS "${CMAKE_COMMAND}/..")
# Two builds of one commit must give the same bytes: both take this time.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} 1765152000)
endif()
# The Maintainer is whoever builds the package; here a test's own.
set(maintainer "adifinfo test <test@example.org>")
function(make_deb dir contact)
    execute_process(COMMAND "${CPACK}" -G DEB --config "${BUILD}/CPackConfig.cmake" -B "${dir}"
                            -D "CPACK_PACKAGE_CONTACT=${contact}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    set(rc ${rc} PARENT_SCOPE)
    set(out "${out}" PARENT_SCOPE)
endfunction()

# No maintainer, or a stand-in: cpack stops and says why.
foreach(contact "" "nobody" "adifinfo developers <adifinfo@localhost>")
    make_deb("${WORK}/none" "${contact}")
    file(GLOB debs "${WORK}/none/*.deb")
    if(rc EQUAL 0 OR debs OR NOT out MATCHES "needs a Maintainer")
        message(FATAL_ERROR "cpack made a package with Maintainer \"${contact}\":\n${out}")
    endif()
endforeach()

make_deb("${WORK}/deb" "${maintainer}")
file(GLOB debs "${WORK}/deb/*.deb")
if(NOT rc EQUAL 0 OR NOT debs)
    message(FATAL_ERROR "cpack -G DEB failed:\n${out}")
endif()
get_filename_component(name "${debs}" NAME)
if(NOT name MATCHES "^adifinfo_${VERSION}_[a-z0-9]+\\.deb$")
    message(FATAL_ERROR "unexpected package file name ${name}")
endif()

set(unpacked "${WORK}/deb-files")
execute_process(COMMAND "${DPKG_DEB}" -x "${debs}" "${unpacked}" COMMAND_ERROR_IS_FATAL ANY)
foreach(path usr/bin/adifinfo usr/share/man/man1/adifinfo.1.gz usr/share/doc/adifinfo/copyright
             usr/share/doc/adifinfo/changelog.gz usr/share/doc/adifinfo/examples/${example_name})
    if(NOT EXISTS "${unpacked}/${path}")
        message(FATAL_ERROR "${name} does not hold /${path}")
    endif()
endforeach()

foreach(check "Package=^adifinfo$" "Version=^${VERSION}$" "Maintainer=^${maintainer}$"
              "Section=^sound$" "Architecture=^[a-z0-9]+$" "Depends=libc6"
              "Description=^[^\n]+\n .+")
    string(REGEX REPLACE "=.*" "" field "${check}")
    string(REGEX REPLACE "^[^=]*=" "" pattern "${check}")
    execute_process(COMMAND "${DPKG_DEB}" -f "${debs}" ${field} OUTPUT_VARIABLE value
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT value MATCHES "${pattern}")
        message(FATAL_ERROR "${name}: ${field} is \"${value}\", expected to match ${pattern}")
    endif()
endforeach()

# Made again, the same bytes.
make_deb("${WORK}/deb-again" "${maintainer}")
file(SHA256 "${debs}" first)
file(SHA256 "${WORK}/deb-again/${name}" second)
if(NOT first STREQUAL second)
    message(FATAL_ERROR "two packages of one build differ: not reproducible")
endif()

# The package's changelog holds every word of CHANGELOG.md's released
# sections, in order, punctuation and all: only the headings and the bullet
# marks differ.
execute_process(COMMAND gzip -dc "${unpacked}/usr/share/doc/adifinfo/changelog.gz"
                OUTPUT_VARIABLE packaged COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "(^|\n)(adifinfo \\(| -- )[^\n]*" "" packaged "${packaged}")
string(REGEX REPLACE "\n  \\* " "\n" packaged "${packaged}")
file(READ "${SOURCE}/CHANGELOG.md" released)
string(REGEX MATCH "\n## \\[[0-9.]+\\] - " first "${released}")
string(FIND "${released}" "${first}" at)
string(SUBSTRING "${released}" ${at} -1 released)
string(REGEX REPLACE "\n#[^\n]*" "" released "${released}")
string(REGEX REPLACE "\n- " "\n" released "${released}")
foreach(text packaged released)
    string(REGEX REPLACE "[ \n]+" " " ${text} "${${text}}")
    string(STRIP "${${text}}" ${text})
endforeach()
if(NOT packaged STREQUAL released)
    message(FATAL_ERROR "${name}: the changelog does not hold CHANGELOG.md's words:\n"
                        "${packaged}\n\nCHANGELOG.md:\n${released}")
endif()

# Debian's own checker: not one error or warning.
find_program(LINTIAN lintian)
if(LINTIAN)
    execute_process(COMMAND "${LINTIAN}" "${debs}" OUTPUT_VARIABLE report ERROR_VARIABLE report
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0 OR report MATCHES "(^|\n)[EW]: ")
        message(FATAL_ERROR "lintian finds fault with ${name}:\n${report}")
    endif()
else()
    message("lintian is not installed: the package was not checked against Debian's policy")
endif()

# The source release: the files of the last commit and nothing else, under
# adifinfo-VERSION/, the same bytes when made again, and a tree whose tool
# builds and runs by itself. Only a git checkout can make one.
find_program(GIT git)
find_program(MAKE_PROGRAM NAMES make gmake)
if(NOT GIT OR NOT EXISTS "${SOURCE}/.git" OR NOT MAKE_PROGRAM)
    message("the source release was not checked: no git checkout or no make")
    return()
endif()
foreach(dir dist dist-again)
    execute_process(COMMAND "${MAKE_PROGRAM}" -s -C "${SOURCE}" dist "BUILD=${WORK}/${dir}"
                    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "make dist failed:\n${out}")
    endif()
endforeach()
set(tarball "${WORK}/dist/adifinfo-${VERSION}.tar.gz")
file(SHA256 "${tarball}" first)
file(SHA256 "${WORK}/dist-again/adifinfo-${VERSION}.tar.gz" second)
if(NOT first STREQUAL second)
    message(FATAL_ERROR "two source tarballs of one commit differ: not reproducible")
endif()
execute_process(COMMAND tar -tzf "${tarball}" OUTPUT_VARIABLE listed)
execute_process(COMMAND "${GIT}" -C "${SOURCE}" ls-tree -r --name-only HEAD OUTPUT_VARIABLE tracked)
string(REGEX REPLACE "[^\n]*/\n" "" listed "${listed}") # folders
string(REPLACE "adifinfo-${VERSION}/" "" listed "${listed}")
if(NOT listed STREQUAL tracked)
    message(FATAL_ERROR "the tarball does not hold exactly the committed files:\n${listed}")
endif()
file(ARCHIVE_EXTRACT INPUT "${tarball}" DESTINATION "${WORK}/unpacked")
# `make run` builds the tool and nothing else (no test, no fuzz replay), into
# a build folder named by its absolute path; with BSD make too, where there is one.
find_program(BSD_MAKE bmake)
foreach(make_program ${MAKE_PROGRAM} ${BSD_MAKE})
    get_filename_component(name "${make_program}" NAME)
    set(build "${WORK}/unpacked/build-${name}")
    execute_process(COMMAND "${make_program}" -s -C "${WORK}/unpacked/adifinfo-${VERSION}" run
                            "BUILD=${build}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE report ERROR_VARIABLE err)
    if(NOT rc EQUAL 0 OR NOT report MATCHES "\nADIF header:\n")
        message(FATAL_ERROR "${name} run: the unpacked source release did not build and run:\n"
                            "${report}${err}")
    endif()
    foreach(extra tests fuzz)
        if(EXISTS "${build}/${extra}")
            message(FATAL_ERROR "${name} run built ${extra}/ as well as the tool")
        endif()
    endforeach()
endforeach()
