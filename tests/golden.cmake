# SPDX-License-Identifier: MIT
# Runs the tool on one input and checks its standard output byte for byte,
# its exit status, and that it wrote nothing to standard error.
#
#   cmake -DTOOL=<adifinfo> -DEXPECTED=<file> -DWORK=<dir> -DNAME=<case>
#         (-DBITS=<description> -DBITPACK=<bitpack> | -DINPUT=<file>)
#         [-DEMULATOR="<command and words>"] -P golden.cmake
#
# A description (see bitpack.cpp) is packed into the input first; its line
# "#! exit N" gives the expected status. Otherwise the status must be 0.
# EMULATOR, in a cross build, runs both programs (wine for Windows).
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

file(MAKE_DIRECTORY "${WORK}")
set(STATUS 0)

if(DEFINED BITS)
    set(INPUT "${WORK}/${NAME}.adif")
    run_program(rc "${BITPACK}" "${BITS}" "${INPUT}")
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "could not pack ${BITS}")
    endif()
    file(STRINGS "${BITS}" directive REGEX "^#! exit [0-9]+$")
    if(directive)
        string(REGEX REPLACE "^#! exit " "" STATUS "${directive}")
    endif()
endif()

if(NOT EXISTS "${INPUT}")
    message(FATAL_ERROR "no input ${INPUT}")
endif()

set(actual "${WORK}/${NAME}.out")
run_program(rc "${TOOL}" "${INPUT}" OUTPUT_FILE "${actual}" ERROR_VARIABLE err)

execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${EXPECTED}" "${actual}"
                RESULT_VARIABLE differ)
if(differ)
    file(READ "${EXPECTED}" want)
    file(READ "${actual}" got)
    message(FATAL_ERROR "standard output differs from ${EXPECTED}\n--- expected\n${want}--- got\n${got}---")
endif()
if(NOT "${rc}" STREQUAL "${STATUS}")
    message(FATAL_ERROR "exit status ${rc}, expected ${STATUS}")
endif()
if(NOT "${err}" STREQUAL "")
    message(FATAL_ERROR "wrote to standard error: ${err}")
endif()
