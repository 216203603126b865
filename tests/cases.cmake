# SPDX-License-Identifier: MIT
# The cases of cases.txt, run on a tool as a user runs it: its standard
# output byte for byte, its exit status, and nothing on standard error.
#
#   cmake -DTOOL=<program> -DWORK=<folder> [-DCASE=<case>] [-DBITPACK=<bitpack>]
#         [-DEMULATOR="<command and words>"] [-DNATIVE_BITPACK=ON] [-DNATIVE=ON]
#         -P cases.cmake
#
# With CASE, that case alone: a failure ends the script with its reason, and
# a case that cannot run here prints "SKIPPED: reason". Without, every case,
# each failure named, and then the count. WORK holds a folder for each case.
# BITPACK packs the .bits inputs. EMULATOR, in a cross build, runs the tool
# and bitpack (wine for Windows); with NATIVE_BITPACK, bitpack is the build
# machine's own and runs without it. With NATIVE, a sparse case runs the tool
# without the emulator, and is skipped where this machine cannot: qemu-user
# opens every file as a large one, which would hide a 32-bit build's want of
# large-file support.
#
# A terminal case runs the tool on a pseudo-terminal (util-linux's script),
# where wine gives a Windows program a console. The console is drawn with
# sequences of its own (the cursor hidden and shown around each character, a
# space as a cursor move after the rest of the line is erased) and ends each
# line in "\r\n": they are taken off, and what is compared is the text the
# console shows. Standard error shares the terminal there.
#
# Included (not run), it only defines adifinfo_cases() and adifinfo_case(),
# which read the list for CMakeLists.txt.
cmake_minimum_required(VERSION 3.21)
set(adifinfo_cases_file ${CMAKE_CURRENT_LIST_DIR}/cases.txt)

# adifinfo_cases(<variable>): the names of the cases, in order.
function(adifinfo_cases variable)
    file(STRINGS "${adifinfo_cases_file}" lines ENCODING UTF-8 REGEX "^[^#]")
    set(names "")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE " *\\|.*" "" name "${line}")
        list(APPEND names "${name}")
    endforeach()
    set(${variable} "${names}" PARENT_SCOPE)
endfunction()

# adifinfo_case(<case>): its fields as case_input, case_report (absolute
# paths, or empty), case_status, case_how (empty, as, missing, terminal or
# sparse), case_name (what follows as, missing or terminal), case_shown and
# case_bytes.
function(adifinfo_case case)
    string(REPLACE "." "\\." pattern "${case}")
    file(STRINGS "${adifinfo_cases_file}" lines ENCODING UTF-8 REGEX "^${pattern} *\\|")
    list(LENGTH lines found)
    if(NOT found EQUAL 1)
        message(FATAL_ERROR "no case ${case} in ${adifinfo_cases_file}")
    endif()
    # The columns the runner needs; the word and the summary are the page's
    # and the package's. (A summary holds ";", which a list would split at.)
    if(NOT lines MATCHES "^[^|]*\\|([^|]*)\\|([^|]*)\\|([^|]*)\\|([^|]*)\\|[^|]*\\|[^|]*$")
        message(FATAL_ERROR "case ${case} has not the 7 columns of ${adifinfo_cases_file}")
    endif()
    string(STRIP "${CMAKE_MATCH_1}" input)
    string(STRIP "${CMAKE_MATCH_2}" report)
    string(STRIP "${CMAKE_MATCH_3}" status)
    string(STRIP "${CMAKE_MATCH_4}" how)
    foreach(path input report)
        if(NOT "${${path}}" STREQUAL "")
            get_filename_component(${path} "${${path}}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_FUNCTION_LIST_DIR}")
        endif()
    endforeach()
    set(name "")
    set(shown "")
    set(bytes "")
    if(how MATCHES "^(as|missing) (.+)$")
        set(how ${CMAKE_MATCH_1})
        set(name "${CMAKE_MATCH_2}")
    elseif(how MATCHES "^terminal (.+) shows (.+)$")
        set(how terminal)
        set(name "${CMAKE_MATCH_1}")
        set(shown "${CMAKE_MATCH_2}")
    elseif(how MATCHES "^sparse ([0-9]+)$")
        set(how sparse)
        set(bytes ${CMAKE_MATCH_1})
    elseif(NOT how STREQUAL "")
        message(FATAL_ERROR "case ${case}: no such way to give the file: ${how}")
    endif()
    set(has_input NO)
    if(NOT input STREQUAL "")
        set(has_input YES)
    endif()
    set(needs_input NO)
    if(how MATCHES "^(|as|sparse)$")
        set(needs_input YES)
    endif()
    if(NOT has_input STREQUAL needs_input OR NOT status MATCHES "^[0-9]+$")
        message(FATAL_ERROR "case ${case}: an input goes with its own path, as or sparse, "
                            "and only there; the status is a number")
    endif()
    foreach(field input report status how name shown bytes)
        set(case_${field} "${${field}}" PARENT_SCOPE)
    endforeach()
endfunction()

if(NOT CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

# run_case(<case>): runs it; sets outcome to "" when it passed, to
# "SKIPPED: reason" when it cannot run here, and to the reason it failed.
function(run_case case)
    adifinfo_case(${case})
    set(outcome "" PARENT_SCOPE)
    set(dir "${WORK}/${case}")
    file(REMOVE_RECURSE "${dir}")
    file(MAKE_DIRECTORY "${dir}")
    set(tool_emulator "${emulator}")

    set(input "${case_input}")
    if(input MATCHES "\\.bits$")
        set(input "${dir}/${case}.adif")
        if(NATIVE_BITPACK)
            set(emulator "")
        endif()
        run_program(rc "${BITPACK}" "${case_input}" "${input}")
        set(emulator "${tool_emulator}")
        if(NOT rc EQUAL 0)
            set(outcome "could not pack ${case_input}" PARENT_SCOPE)
            return()
        endif()
    endif()

    set(argument "${input}")
    set(expected "${case_report}")
    if(case_how STREQUAL "as" OR case_how STREQUAL "sparse")
        if(case_how STREQUAL "as")
            set(argument "${case_name}")
        else()
            set(argument "${case}.adif")
        endif()
        file(COPY_FILE "${input}" "${dir}/${argument}")
    elseif(case_how STREQUAL "missing" OR case_how STREQUAL "terminal")
        set(argument "${case_name}")
        set(shown "${case_name}")
        if(case_how STREQUAL "terminal")
            set(shown "${case_shown}")
        endif()
        set(expected "${dir}.expected")
        file(WRITE "${expected}" "cant open ${shown}\n")
    endif()

    if(case_how STREQUAL "sparse")
        if(NOT DD)
            set(outcome "SKIPPED: no dd to make a sparse file with" PARENT_SCOPE)
            return()
        endif()
        if(NATIVE)
            # The usage line, and not merely status 2: a program the system
            # cannot execute is handed to the shell, which fails with 2 too.
            set(emulator "")
            execute_process(COMMAND "${TOOL}" RESULT_VARIABLE rc OUTPUT_VARIABLE usage ERROR_QUIET)
            if(NOT rc EQUAL 2 OR NOT usage MATCHES "^usage: [^\n]* <filename>\n$")
                set(outcome "SKIPPED: this machine cannot run the build natively, and an emulator "
                            "would open the file as a large one whatever the build" PARENT_SCOPE)
                return()
            endif()
        endif()
        # Cut at the seek point, which lies past the end: the file grows by a hole.
        execute_process(COMMAND "${DD}" if=/dev/null "of=${dir}/${argument}" bs=1 "seek=${case_bytes}"
                        RESULT_VARIABLE rc ERROR_VARIABLE err)
        file(SIZE "${dir}/${argument}" size)
        if(NOT rc EQUAL 0 OR NOT size EQUAL case_bytes)
            file(REMOVE_RECURSE "${dir}")
            set(outcome "could not make a sparse file of ${case_bytes} bytes: ${err}" PARENT_SCOPE)
            return()
        endif()
    endif()

    set(actual "${dir}.out")
    set(err "")
    if(case_how STREQUAL "terminal")
        if(NOT script_version MATCHES "util-linux")
            set(outcome "SKIPPED: no script(1) of util-linux to make a pseudo-terminal with" PARENT_SCOPE)
            return()
        endif()
        require_program("${TOOL}")
        # script(1) hands its command to the shell: each word quoted.
        set(line "cd '${dir}' &&")
        foreach(word IN LISTS emulator ITEMS "${TOOL}" "${argument}")
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
        run_program(rc "${TOOL}" "${argument}" WORKING_DIRECTORY "${dir}" OUTPUT_FILE "${actual}"
                    ERROR_VARIABLE err)
    endif()
    if(case_how STREQUAL "sparse")
        file(REMOVE "${dir}/${argument}")
    endif()

    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${expected}" "${actual}"
                    RESULT_VARIABLE differ)
    if(differ)
        file(READ "${expected}" want)
        file(READ "${actual}" got)
        set(outcome "standard output differs from ${expected}\n--- expected\n${want}--- got\n${got}---"
            PARENT_SCOPE)
    elseif(NOT "${rc}" STREQUAL "${case_status}")
        set(outcome "exit status ${rc}, expected ${case_status}" PARENT_SCOPE)
    elseif(NOT "${err}" STREQUAL "")
        set(outcome "wrote to standard error: ${err}" PARENT_SCOPE)
    endif()
endfunction()

find_program(DD dd)
find_program(SCRIPT script)
set(script_version "")
if(SCRIPT)
    execute_process(COMMAND "${SCRIPT}" --version OUTPUT_VARIABLE script_version ERROR_QUIET)
endif()
file(MAKE_DIRECTORY "${WORK}")

if(DEFINED CASE)
    run_case("${CASE}")
    if(outcome MATCHES "^SKIPPED:")
        message("${outcome}")
    elseif(outcome)
        message(FATAL_ERROR "${outcome}")
    endif()
    return()
endif()

adifinfo_cases(cases)
set(failed "")
set(skipped 0)
foreach(case IN LISTS cases)
    run_case("${case}")
    if(outcome MATCHES "^SKIPPED: (.*)")
        message("skipped ${case}: ${CMAKE_MATCH_1}")
        math(EXPR skipped "${skipped} + 1")
    elseif(outcome)
        message("FAILED ${case}: ${outcome}")
        list(APPEND failed "${case}")
    endif()
endforeach()
list(LENGTH cases total)
list(LENGTH failed failures)
math(EXPR passed "${total} - ${failures} - ${skipped}")
message("${passed} of ${total} cases passed, ${skipped} skipped")
if(failed)
    list(JOIN failed " " failed)
    message(FATAL_ERROR "${failures} failed: ${failed}")
endif()
