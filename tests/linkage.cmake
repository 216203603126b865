# SPDX-License-Identifier: MIT
# Fails when the tool needs a shared library beyond the system's C library:
# the C++ runtime costs every run its loading and start-up, and a Windows
# program that needs a DLL of the compiler's cannot be copied on its own.
#
#   cmake -DTOOL=<adifinfo> -DINSPECTOR=<readelf | objdump> [-DSTATIC=ON] -P linkage.cmake
#
# On ELF (readelf -d) a dynamic tool may need only the C library and the
# loader (glibc's or musl's), and a static one nothing; on PE (objdump -p)
# only Windows' own DLLs.
cmake_minimum_required(VERSION 3.20)

get_filename_component(inspector "${INSPECTOR}" NAME)
if(inspector MATCHES "objdump")
    set(args -p)
    set(entry "DLL Name: ([^\n]+)")
    set(allowed "^(kernel32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\\.dll$")
else()
    set(args -d)
    set(entry "Shared library: \\[([^]]*)\\]")
    # glibc's libc.so.6 and loader, or musl's libc.so (which is its loader too)
    set(allowed "^(libc\\.so(\\.[0-9]+)?|ld-linux.*|ld-musl-.*)$")
endif()

execute_process(COMMAND "${INSPECTOR}" ${args} "${TOOL}" OUTPUT_VARIABLE listing
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${INSPECTOR} failed on ${TOOL}")
endif()
string(REGEX MATCHALL "${entry}" needed "${listing}")

if(STATIC)
    if(needed)
        message(FATAL_ERROR "the static build of ${TOOL} still needs ${needed}")
    endif()
    return()
endif()
if(NOT needed)
    message(FATAL_ERROR "no shared libraries listed for ${TOOL}: is it the dynamic tool?")
endif()
foreach(lib IN LISTS needed)
    string(REGEX REPLACE "${entry}" "\\1" name "${lib}")
    string(TOLOWER "${name}" name)
    string(STRIP "${name}" name)
    if(NOT name MATCHES "${allowed}")
        message(FATAL_ERROR "${TOOL} needs ${name}; only the system's C library is expected")
    endif()
endforeach()
