# SPDX-License-Identifier: MIT
# The cases of cases.txt, run on a tool as a user runs it: its standard
# output byte for byte, its exit status, and nothing on standard error.
#
#   cmake -DTOOL=<program> -DWORK=<folder> [-DCASE=<case>] [-DBITPACK=<bitpack>]
#         [-DEMULATOR="<command and words>"] [-DNATIVE_BITPACK=ON] [-DNATIVE=ON]
#         -P cases.cmake
#   cmake -DJSON=<file> -P cases.cmake
#
# With CASE, that case alone: a failure ends the script with its reason, and
# a case that cannot run here prints "SKIPPED: reason". Without, every case,
# each failure named, and then the count. WORK holds a folder for each case.
# BITPACK packs the .bits inputs. EMULATOR, in a cross build, runs the tool
# and bitpack (wine for Windows); with NATIVE_BITPACK, bitpack is the build
# machine's own and runs without it. With NATIVE, a sparse case runs the tool
# without the emulator, and is skipped where this machine cannot: qemu-user
# opens every file as a large one, which would hide a 32-bit build's want of
# large-file support. With JSON, no tool is run: the list is written to that
# file as JSON, for the runners in other languages.
#
# A terminal case runs the tool on a pseudo-terminal (util-linux's script),
# where wine gives a Windows program a console. The console is drawn with
# sequences of its own (the cursor hidden and shown around each character, a
# space as a cursor move after the rest of the line is erased) and ends each
# line in "\r\n": they are taken off, and what is compared is the text the
# console shows. Standard error shares the terminal there.
#
# This file is where cases.txt is read, for every runner: included (not
# run), it defines adifinfo_cases() and adifinfo_case() for CMakeLists.txt,
# and adifinfo_cases_json() and adifinfo_cases_cpp(), which write the list as
# data for the runners in JavaScript and Python and for the C++ tests.
cmake_minimum_required(VERSION 3.21)
set(adifinfo_cases_file ${CMAKE_CURRENT_LIST_DIR}/cases.txt)

# adifinfo_read_cases(): the list, read once into variables of the caller's
# scope: adifinfo_case_names, and for each case C, adifinfo.C.FIELD for the
# columns of its line (input, report, status, how, word, kind, bitrate,
# duration, with input and report as cases.txt writes them) and
# adifinfo.C.programs, the number of its program lines, each P of them (1, 2
# and so on, listed in adifinfo.C.numbers) in adifinfo.C.P.FIELD (profile,
# hertz, front, side, back, lfe, layout, speakers, comment). A value may hold
# ";": it is no list.
macro(adifinfo_read_cases)
    if(NOT DEFINED adifinfo_case_names)
        file(READ "${adifinfo_cases_file}" _text ENCODING UTF-8)
        # One list element a line: the semicolons of the text, and its square
        # brackets (inside which a list does not split), are kept aside.
        string(ASCII 31 _semicolon)
        string(ASCII 30 _open)
        string(ASCII 29 _close)
        string(REPLACE ";" "${_semicolon}" _text "${_text}")
        string(REPLACE "[" "${_open}" _text "${_text}")
        string(REPLACE "]" "${_close}" _text "${_text}")
        string(REPLACE "\n" ";" _lines "${_text}")
        set(adifinfo_case_names "")
        set(_case "")
        set(_line_number 0)
        foreach(_line IN LISTS _lines)
            math(EXPR _line_number "${_line_number} + 1")
            string(REPLACE "${_semicolon}" ";" _line "${_line}")
            string(REPLACE "${_open}" "[" _line "${_line}")
            string(REPLACE "${_close}" "]" _line "${_line}")
            if(_line MATCHES "^(#.*)?$")
                continue()
            endif()
            if(_line MATCHES "^[ \t]+>")
                # A program: > PROFILE HERTZ FRONT+SIDE+BACK+LFE LAYOUT | SPEAKERS | COMMENT
                set(_int "([0-9]+)")
                if(_case STREQUAL "" OR NOT _line MATCHES
                   "^[ \t]+> *([0-3]) +([0-9]+|index-[0-9]+) +${_int}\\+${_int}\\+${_int}\\+${_int} +([^ |]+) *\\| *([^|]*[^ |]|) *\\| ?(.*)$")
                    message(FATAL_ERROR "${adifinfo_cases_file}:${_line_number}: not a program line "
                                        "(> PROFILE HERTZ F+S+B+L LAYOUT | SPEAKERS | COMMENT) under a case")
                endif()
                math(EXPR _program "${adifinfo.${_case}.programs} + 1")
                set(adifinfo.${_case}.programs ${_program})
                list(APPEND adifinfo.${_case}.numbers ${_program})
                set(_field 0)
                foreach(_name profile hertz front side back lfe layout speakers comment)
                    math(EXPR _field "${_field} + 1")
                    set("adifinfo.${_case}.${_program}.${_name}" "${CMAKE_MATCH_${_field}}")
                endforeach()
                continue()
            endif()
            # A case: CASE | INPUT | REPORT | STATUS | NAME | WORD | KIND | BITRATE | DURATION
            string(REGEX REPLACE "[^|]" "" _bars "${_line}")
            string(LENGTH "${_bars}" _bars)
            if(NOT _bars EQUAL 8)
                message(FATAL_ERROR "${adifinfo_cases_file}:${_line_number}: a case has 9 columns, "
                                    "separated by |")
            endif()
            string(REPLACE "|" ";" _fields "${_line}")
            list(TRANSFORM _fields STRIP)
            list(POP_FRONT _fields _case)
            list(APPEND adifinfo_case_names "${_case}")
            set(adifinfo.${_case}.programs 0)
            set(adifinfo.${_case}.numbers "")
            foreach(_name input report status how word kind bitrate duration)
                list(POP_FRONT _fields "adifinfo.${_case}.${_name}")
            endforeach()
        endforeach()
    endif()
endmacro()

# adifinfo_cases(<variable>): the names of the cases, in order.
function(adifinfo_cases variable)
    adifinfo_read_cases()
    set(${variable} "${adifinfo_case_names}" PARENT_SCOPE)
endfunction()

# adifinfo_case(<case>): the fields the runner needs, as case_input,
# case_report (absolute paths, or empty), case_status, case_how (empty, as,
# missing, terminal or sparse), case_name (what follows as, missing or
# terminal), case_shown and case_bytes.
function(adifinfo_case case)
    adifinfo_read_cases()
    if(NOT DEFINED adifinfo.${case}.status)
        message(FATAL_ERROR "no case ${case} in ${adifinfo_cases_file}")
    endif()
    foreach(field input report status how)
        set(${field} "${adifinfo.${case}.${field}}")
    endforeach()
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

# _adifinfo_quoted(<variable> <text>): text as a string of JSON and of C++
# alike (the list holds no control character).
function(_adifinfo_quoted variable text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    set(${variable} "\"${text}\"" PARENT_SCOPE)
endfunction()

# _adifinfo_write(<file> <content>): written only where it changes, so that
# what is built from it is built again only then.
function(_adifinfo_write file content)
    if(EXISTS "${file}")
        file(READ "${file}" old)
        if(old STREQUAL content)
            return()
        endif()
    endif()
    file(WRITE "${file}" "${content}")
endfunction()

# adifinfo_cases_json(<file>): the list as a JSON array of objects, one a
# case, with the runner's fields (input and report as absolute paths, the
# status a number), the word, kind, bitrate and duration, and its programs,
# each {profile, hertz (null where the index is reserved), samplingRateIndex
# (null where the hertz are given), front, side, back, lfe, layout (null for
# none), speakers (null where not named), comment}.
function(adifinfo_cases_json file)
    adifinfo_read_cases()
    set(names "${adifinfo_case_names}")
    set(json "[\n")
    set(sep "")
    foreach(case IN LISTS names)
        adifinfo_case("${case}")
        string(APPEND json "${sep}{")
        foreach(field name input report how word kind bitrate duration)
            set(value "${adifinfo.${case}.${field}}")
            if(field STREQUAL "name")
                set(value "${case}")
            elseif(field MATCHES "^(input|report)$")
                set(value "${case_${field}}")
            endif()
            _adifinfo_quoted(value "${value}")
            string(APPEND json "\"${field}\": ${value}, ")
        endforeach()
        string(APPEND json "\"status\": ${case_status}, \"programs\": [")
        foreach(p IN LISTS adifinfo.${case}.numbers)
            set(at adifinfo.${case}.${p})
            if(p GREATER 1)
                string(APPEND json ", ")
            endif()
            set(hertz ${${at}.hertz})
            set(index null)
            if(hertz MATCHES "^index-(.*)$")
                set(index ${CMAKE_MATCH_1})
                set(hertz null)
            endif()
            foreach(field layout speakers comment)
                _adifinfo_quoted(${field} "${${at}.${field}}")
            endforeach()
            if(${at}.layout STREQUAL "-")
                set(layout null)
            endif()
            if(${at}.speakers STREQUAL "-")
                set(speakers null)
            endif()
            string(APPEND json "{\"profile\": ${${at}.profile}, \"hertz\": ${hertz}, "
                   "\"samplingRateIndex\": ${index}, \"front\": ${${at}.front}, \"side\": ${${at}.side}, "
                   "\"back\": ${${at}.back}, \"lfe\": ${${at}.lfe}, \"layout\": ${layout}, "
                   "\"speakers\": ${speakers}, \"comment\": ${comment}}")
        endforeach()
        string(APPEND json "]}")
        set(sep ",\n")
    endforeach()
    string(APPEND json "\n]\n")
    _adifinfo_write("${file}" "${json}")
endfunction()

# adifinfo_cases_cpp(<file> <source folder>): the list as C++ initializers of
# the unit tests' struct ListedCase (tests/summary_test.cpp), one a case,
# with the input relative to the source folder, in which the tests run.
function(adifinfo_cases_cpp file source)
    adifinfo_read_cases()
    set(names "${adifinfo_case_names}")
    set(cpp "// Made from tests/cases.txt by tests/cases.cmake: not to be edited.\n")
    foreach(case IN LISTS names)
        adifinfo_case("${case}")
        set(input "")
        if(NOT case_input STREQUAL "")
            file(RELATIVE_PATH input "${source}" "${case_input}")
        endif()
        set(size -1)
        if(case_how STREQUAL "sparse")
            set(size ${case_bytes})
        endif()
        set(line "{")
        foreach(value "${case}" "${input}" "${case_how}" "${adifinfo.${case}.word}" "${adifinfo.${case}.kind}"
                "${adifinfo.${case}.bitrate}" "${adifinfo.${case}.duration}")
            _adifinfo_quoted(value "${value}")
            string(APPEND line "${value}, ")
        endforeach()
        string(APPEND line "${size}LL, ${case_status}, ${adifinfo.${case}.programs}, {")
        foreach(p IN LISTS adifinfo.${case}.numbers)
            set(at adifinfo.${case}.${p})
            string(APPEND line "{${${at}.profile}, ")
            foreach(field hertz layout speakers comment)
                _adifinfo_quoted(value "${${at}.${field}}")
                set(${field} "${value}")
            endforeach()
            string(APPEND line "${hertz}, ${${at}.front}, ${${at}.side}, ${${at}.back}, ${${at}.lfe}, "
                   "${layout}, ${speakers}, ${comment}}, ")
        endforeach()
        string(APPEND cpp "${line}}},\n")
    endforeach()
    _adifinfo_write("${file}" "${cpp}")
endfunction()

if(NOT CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    return()
endif()
if(DEFINED JSON)
    adifinfo_cases_json("${JSON}")
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
