# Installs the build into a scratch prefix and packages it as a .deb, then
# checks what each holds: the tool, which runs, and its manual page; and the
# package's name, version, maintainer, section and description.
#
#   cmake -DBUILD=<build folder> -DWORK=<scratch folder> -DVERSION=<x.y.z>
#         -DEXAMPLE=<file> -DBINDIR=<bin> -DMANDIR=<share/man> -P package.cmake
#
# BINDIR and MANDIR are the install folders relative to the prefix: the BSDs
# keep manual pages in man/, not share/man/.
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${WORK}/prefix"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed")
endif()
foreach(path ${BINDIR}/adifinfo ${MANDIR}/man1/adifinfo.1)
    if(NOT EXISTS "${WORK}/prefix/${path}")
        message(FATAL_ERROR "cmake --install did not install ${path}")
    endif()
endforeach()
execute_process(COMMAND "${WORK}/prefix/${BINDIR}/adifinfo" "${EXAMPLE}" RESULT_VARIABLE rc
                OUTPUT_VARIABLE report)
if(NOT rc EQUAL 0 OR NOT report MATCHES "\nADIF header:\n")
    message(FATAL_ERROR "the installed tool did not report on ${EXAMPLE}")
endif()

find_program(DPKG_DEB dpkg-deb)
if(NOT DPKG_DEB)
    message("SKIPPED: dpkg-deb is not installed, so the package cannot be checked")
    return()
endif()
find_program(CPACK cpack HINTS "${CMAKE_COMMAND}/..")
execute_process(COMMAND "${CPACK}" -G DEB --config "${BUILD}/CPackConfig.cmake" -B "${WORK}/deb"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB debs "${WORK}/deb/*.deb")
if(NOT rc EQUAL 0 OR NOT debs)
    message(FATAL_ERROR "cpack -G DEB failed:\n${out}")
endif()
get_filename_component(name "${debs}" NAME)
if(NOT name MATCHES "^adifinfo_${VERSION}_[a-z0-9]+\\.deb$")
    message(FATAL_ERROR "unexpected package file name ${name}")
endif()

execute_process(COMMAND "${DPKG_DEB}" -c "${debs}" OUTPUT_VARIABLE contents)
foreach(path usr/bin/adifinfo usr/share/man/man1/adifinfo.1)
    if(NOT contents MATCHES " \\./${path}\n")
        message(FATAL_ERROR "${name} does not hold /${path}:\n${contents}")
    endif()
endforeach()

foreach(check "Package=^adifinfo$" "Version=^${VERSION}$" "Maintainer=^.+ <.+@.+>$"
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
