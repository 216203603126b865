# SPDX-License-Identifier: MIT
# Lists the tests a run of the suite skipped, each with its reason, from the
# JUnit file CTest wrote (--output-junit). A test here says why it skips with
# a line "SKIPPED: reason" in its output; CTest's own summary names the test
# but not the reason. Prints nothing when nothing was skipped, or when there
# is no such file (CTest stopped before it ran anything).
#
#   cmake -DJUNIT=<file> -P skipped.cmake
cmake_minimum_required(VERSION 3.20)

if(NOT EXISTS "${JUNIT}")
    return()
endif()
file(READ "${JUNIT}" xml)

set(lines "")
while(TRUE)
    string(FIND "${xml}" "<testcase " start)
    if(start EQUAL -1)
        break()
    endif()
    string(SUBSTRING "${xml}" ${start} -1 xml)
    string(FIND "${xml}" "</testcase>" end)
    if(end EQUAL -1)
        break()
    endif()
    string(SUBSTRING "${xml}" 0 ${end} case)
    math(EXPR end "${end} + 11")
    string(SUBSTRING "${xml}" ${end} -1 xml)
    if(NOT case MATCHES "<skipped")
        continue()
    endif()

    string(REGEX MATCH "name=\"([^\"]*)\"" unused "${case}")
    set(name "${CMAKE_MATCH_1}")
    if(case MATCHES "SKIPPED: ([^\n]*)")
        set(reason "${CMAKE_MATCH_1}")
    else()
        set(reason "no reason given (ctest -V -R shows its output)")
    endif()
    string(APPEND lines "  ${name}: ${reason}\n")
endwhile()

if(lines)
    foreach(entity "&lt;;<" "&gt;;>" "&quot;;\"" "&apos;;'" "&amp;;&")
        list(GET entity 0 from)
        list(GET entity 1 to)
        string(REPLACE "${from}" "${to}" lines "${lines}")
    endforeach()
    string(REGEX REPLACE "\n$" "" lines "${lines}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "\nSkipped, and why:\n${lines}")
endif()
