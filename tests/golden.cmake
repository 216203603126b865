# SPDX-License-Identifier: MIT
# Runs the tool on one input and checks its standard output byte for byte,
# its exit status, and that it wrote nothing to standard error.
#
#   cmake -DTOOL=<adifinfo> -DEXPECTED=<file> -DWORK=<dir> -DNAME=<case>
#         (-DBITS=<description> -DBITPACK=<bitpack> | -DINPUT=<file>) [-DAS=<file name>]
#         [-DEMULATOR="<command and words>"] [-DGROW_TO=<bytes> -DDD=<dd> [-DNATIVE=ON]]
#         [-DNATIVE_BITPACK=ON] -P golden.cmake
#   cmake -DTOOL=<adifinfo> -DWORK=<dir> -DNAME=<case> -DMISSING=<name> [-DSHOWN=<name>]
#         [-DCONSOLE=ON] [-DEMULATOR="<command and words>"] -P golden.cmake
#
# A description (see bitpack.cpp) is packed into the input first; its line
# "#! exit N" gives the expected status. Otherwise the status must be 0.
# EMULATOR, in a cross build, runs both programs (wine for Windows); with
# NATIVE_BITPACK, bitpack is the build machine's own and runs without it (the
# release checks each foreign binary so).
#
# MISSING is a name that nothing has, given to the tool just as it stands: the
# tool must answer "cant open" with it, or with SHOWN when that is given (the
# name as a terminal shows it), and exit 2.
#
# CONSOLE runs the tool on a pseudo-terminal (script(1)), where wine gives a
# Windows program a console. The console is drawn with sequences of its own
# (the cursor hidden and shown around each character, a space as a cursor
# move after the rest of the line is erased) and ends each line in "\r\n":
# they are taken off, and what is compared is the text the console shows.
# Standard error shares the terminal there.
#
# GROW_TO makes the input a copy that a hole extends to that many bytes (a
# sparse file: the size without the disk space), removed after the run. With
# NATIVE the tool runs without the emulator, and the case is skipped where
# this machine cannot run it so: qemu-user opens every file as a large one,
# which would hide a 32-bit build's want of large-file support.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

if(NATIVE)
    set(emulator "")
    # The usage line, and not merely status 2: a program the system cannot
    # execute is handed to the shell, which fails on it with 2 as well.
    execute_process(COMMAND "${TOOL}" RESULT_VARIABLE rc OUTPUT_VARIABLE usage ERROR_QUIET)
    if(NOT rc EQUAL 2 OR NOT usage MATCHES "^usage: [^\n]* <filename>\n$")
        message("SKIPPED: this machine cannot run the build natively, and an emulator would "
                "open the file as a large one whatever the build")
        return()
    endif()
endif()

file(MAKE_DIRECTORY "${WORK}")
set(STATUS 0)

if(DEFINED BITS)
    set(INPUT "${WORK}/${NAME}.adif")
    set(tool_emulator "${emulator}")
    if(NATIVE_BITPACK)
        set(emulator "")
    endif()
    run_program(rc "${BITPACK}" "${BITS}" "${INPUT}")
    set(emulator "${tool_emulator}")
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "could not pack ${BITS}")
    endif()
    file(STRINGS "${BITS}" directive REGEX "^#! exit [0-9]+$")
    if(directive)
        string(REGEX REPLACE "^#! exit " "" STATUS "${directive}")
    endif()
endif()

# The input under another name, in WORK; with no input, a name that nothing
# has, which the tool must echo back byte for byte in "cant open", exit 2.
# A file to grow is such a copy too, under the case's own name.
if(DEFINED GROW_TO AND NOT DEFINED AS)
    set(AS "${NAME}.adif")
endif()
if(DEFINED AS)
    set(named "${WORK}/${AS}")
    file(REMOVE "${named}")
    if(INPUT)
        execute_process(COMMAND "${CMAKE_COMMAND}" -E copy "${INPUT}" "${named}")
        set(INPUT "${named}")
    else()
        set(MISSING "${named}")
    endif()
endif()
if(DEFINED MISSING)
    if(NOT DEFINED SHOWN)
        set(SHOWN "${MISSING}")
    endif()
    set(EXPECTED "${WORK}/${NAME}.expected")
    file(WRITE "${EXPECTED}" "cant open ${SHOWN}\n")
    set(STATUS 2)
    set(INPUT "${MISSING}")
elseif(NOT EXISTS "${INPUT}")
    message(FATAL_ERROR "no input ${INPUT}")
endif()

if(DEFINED GROW_TO)
    # Cut at the seek point, which lies past the end: the file grows by a hole.
    execute_process(COMMAND "${DD}" if=/dev/null "of=${INPUT}" bs=1 "seek=${GROW_TO}"
                    RESULT_VARIABLE rc ERROR_VARIABLE err)
    file(SIZE "${INPUT}" size)
    if(NOT rc EQUAL 0 OR NOT size EQUAL GROW_TO)
        file(REMOVE "${INPUT}")
        message(FATAL_ERROR "could not grow ${INPUT} to ${GROW_TO} bytes: ${err}")
    endif()
endif()

set(actual "${WORK}/${NAME}.out")
if(CONSOLE)
    # util-linux's script, whose -c takes the command (the BSDs' takes it last).
    find_program(SCRIPT script)
    if(SCRIPT)
        execute_process(COMMAND "${SCRIPT}" --version OUTPUT_VARIABLE version ERROR_QUIET)
    endif()
    if(NOT version MATCHES "util-linux")
        message("SKIPPED: no script(1) of util-linux to make a pseudo-terminal with")
        return()
    endif()
    require_program("${TOOL}")
    # script(1) hands its command to the shell: each word quoted.
    set(line "")
    foreach(word IN LISTS emulator ITEMS "${TOOL}" "${INPUT}")
        string(REPLACE "'" "'\\''" word "${word}")
        string(APPEND line " '${word}'")
    endforeach()
    execute_process(COMMAND "${SCRIPT}" -qec "${line}" /dev/null RESULT_VARIABLE rc
                    OUTPUT_VARIABLE shown ERROR_VARIABLE err)
    string(ASCII 27 esc)
    string(REPLACE "${esc}[K${esc}[1C" " " shown "${shown}")
    string(REGEX REPLACE "${esc}\\[[0-9;?]*[A-Za-z]" "" shown "${shown}")
    string(REPLACE "\r" "" shown "${shown}")
    file(WRITE "${actual}" "${shown}")
else()
    run_program(rc "${TOOL}" "${INPUT}" OUTPUT_FILE "${actual}" ERROR_VARIABLE err)
endif()
if(DEFINED GROW_TO)
    file(REMOVE "${INPUT}")
endif()

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
