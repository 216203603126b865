# SPDX-License-Identifier: MIT
# Checks the manual page: it renders without a single groff warning, its title
# line carries the project's version, and its OUTPUT section explains every line
# of a real report, by label, in report order. The labels come from the tool's
# own output on an example file.
#
#   cmake -DTOOL=<adifinfo> -DEXAMPLE=<file> -DPAGE=<adifinfo.1> -DVERSION=<x.y.z>
#         [-DGROFF=<groff>] [-DEMULATOR="<command and words>"] -P manpage.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

if(NOT GROFF)
    message("SKIPPED: groff is not installed")
    return()
endif()

# Warnings, for the default device and for a terminal.
foreach(device ps utf8)
    execute_process(COMMAND "${GROFF}" -man -ww -z -T${device} "${PAGE}"
                    RESULT_VARIABLE rc ERROR_VARIABLE warnings)
    if(NOT rc EQUAL 0 OR NOT "${warnings}" STREQUAL "")
        message(FATAL_ERROR "groff -man -ww -T${device} warns:\n${warnings}")
    endif()
endforeach()

file(STRINGS "${PAGE}" title REGEX "^\\.TH ")
if(NOT title MATCHES "\"adifinfo ${VERSION}\"")
    message(FATAL_ERROR "the title line does not give version ${VERSION}: ${title}")
endif()

# The labels, in report order: what precedes a line's first colon, or else
# what precedes its value.
run_program(rc "${TOOL}" "${EXAMPLE}" OUTPUT_VARIABLE report)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the tool failed on ${EXAMPLE}")
endif()
string(REPLACE ";" "," report "${report}")
string(REPLACE "\n" ";" report "${report}")
set(labels "")
foreach(line IN LISTS report)
    if(line MATCHES "^([^:]+:)")
        set(label "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^(.*[^ ]) +-?[0-9]+$")
        set(label "${CMAKE_MATCH_1}")
    else()
        continue()
    endif()
    if(NOT label IN_LIST labels)
        list(APPEND labels "${label}")
    endif()
endforeach()
list(LENGTH labels count)
if(count LESS 20)
    message(FATAL_ERROR "found only ${count} labels in the report: ${labels}")
endif()

# The OUTPUT section as a reader sees it: plain text, no overstriking.
execute_process(COMMAND "${GROFF}" -man -Tascii -P-cbou "${PAGE}" OUTPUT_VARIABLE page)
string(REPLACE ";" "," page "${page}")
string(REPLACE "\n" ";" page "${page}")
set(section "")
set(inside OFF)
foreach(line IN LISTS page)
    if(line MATCHES "^[A-Z]")
        set(inside OFF)
        if(line STREQUAL "OUTPUT")
            set(inside ON)
        endif()
    elseif(inside)
        string(STRIP "${line}" line)
        list(APPEND section "${line}")
    endif()
endforeach()
if(NOT section)
    message(FATAL_ERROR "the manual page has no OUTPUT section")
endif()

# Each label must open a paragraph of its own, after the previous label's.
set(at 0)
list(LENGTH section lines)
foreach(label IN LISTS labels)
    set(found OFF)
    while(at LESS lines)
        list(GET section ${at} line)
        math(EXPR at "${at} + 1")
        string(FIND "${line} " "${label} " pos)
        if(pos EQUAL 0)
            set(found ON)
            break()
        endif()
    endwhile()
    if(NOT found)
        message(FATAL_ERROR "OUTPUT does not explain \"${label}\" (or not in report order)")
    endif()
endforeach()
