# SPDX-License-Identifier: MIT
# Run by cpack on the staged files of each package, before it packs them
# (CPACK_PRE_BUILD_SCRIPTS). For the Debian package it adds what Debian's
# policy asks of every package: the manual page gzipped, the copyright file
# in Debian's machine-readable format from LICENSE, and the changelog. With
# SOURCE_DATE_EPOCH set, every staged file takes that time, so that two
# builds of one commit pack the same bytes.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
set(usr "${stage}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(source "${CPACK_ADIFINFO_SOURCE_DIR}")

find_program(GZIP gzip REQUIRED)
# -n: no name and no time stamp inside, so the bytes depend on the page alone.
file(GLOB_RECURSE pages "${usr}/share/man/*.[1-9]")
foreach(page IN LISTS pages)
    execute_process(COMMAND "${GZIP}" -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

set(doc "${usr}/share/doc/${CPACK_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")

# The license's own text is Debian's "Expat": each line indented by one
# space, an empty line written as " .".
file(READ "${source}/LICENSE" license)
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n+(Permission is hereby.*)$")
    message(FATAL_ERROR "LICENSE is not the MIT license text this package expects")
endif()
set(holder "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" text)
string(REPLACE "\n\n" "\n.\n" text "${text}")
string(REPLACE "\n" "\n " text "${text}")
file(WRITE "${doc}/copyright"
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: ${CPACK_PACKAGE_NAME}\n\n"
     "Files: *\nCopyright: ${holder}\nLicense: Expat\n ${text}\n")

# The changelog, in Debian's format, from each released section of
# CHANGELOG.md ("## [x.y.z] - yyyy-mm-dd"); an entry a bullet, wrapped to fit.
# As UTF-8: otherwise file(STRINGS) takes a byte outside ASCII for the end of
# a line, and the words after it were lost.
file(STRINGS "${source}/CHANGELOG.md" lines ENCODING UTF-8)
set(changelog "")
set(entry "")
set(version "")
macro(end_bullet)
    if(NOT bullet STREQUAL "")
        set(line "  *")
        # Split at spaces only: a semicolon of the text stays in its word.
        string(REPLACE ";" "\\;" words "${bullet}")
        string(REPLACE " " ";" words "${words}")
        foreach(word IN LISTS words)
            string(LENGTH "${line} ${word}" width)
            if(width GREATER 78)
                string(APPEND entry "${line}\n")
                set(line "   ")
            endif()
            string(APPEND line " ${word}")
        endforeach()
        string(APPEND entry "${line}\n")
        set(bullet "")
    endif()
endmacro()
# Each entry must be later than the one below it, and CHANGELOG.md gives days
# only: the newest release of a day is stamped 23:59, the one before it on the
# same day a minute earlier, and so on.
set(previous_date "")
set(same_day 0)
macro(end_release)
    end_bullet()
    if(NOT version STREQUAL "")
        if(date STREQUAL previous_date)
            math(EXPR same_day "${same_day} + 1")
        else()
            set(same_day 0)
        endif()
        set(previous_date "${date}")
        math(EXPR minute "59 - ${same_day}")
        execute_process(COMMAND date -u -R -d "${date} 23:${minute}:00" OUTPUT_VARIABLE stamp
                        OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        string(APPEND changelog "${CPACK_PACKAGE_NAME} (${version}) unstable; urgency=medium\n\n"
               "${entry}\n -- ${CPACK_PACKAGE_CONTACT}  ${stamp}\n\n")
    endif()
    set(version "")
    set(entry "")
endmacro()
set(bullet "")
foreach(line IN LISTS lines)
    if(line MATCHES "^## ")
        end_release()
        if(line MATCHES "^## \\[([0-9.]+)\\] - ([0-9-]+)$")
            set(version "${CMAKE_MATCH_1}")
            set(date "${CMAKE_MATCH_2}")
        endif()
    elseif(version STREQUAL "")
        continue()
    elseif(line MATCHES "^- (.*)$")
        end_bullet()
        set(bullet "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^  +(.*)$" AND NOT bullet STREQUAL "")
        string(APPEND bullet " ${CMAKE_MATCH_1}")
    else()
        end_bullet()
    endif()
endforeach()
end_release()
if(NOT changelog MATCHES "^${CPACK_PACKAGE_NAME} \\(${CPACK_PACKAGE_VERSION}\\) ")
    message(FATAL_ERROR "CHANGELOG.md has no released section for ${CPACK_PACKAGE_VERSION} at its top")
endif()
string(REGEX REPLACE "\n\n$" "\n" changelog "${changelog}")
file(WRITE "${doc}/changelog" "${changelog}")
execute_process(COMMAND "${GZIP}" -9nf "${doc}/changelog" COMMAND_ERROR_IS_FATAL ANY)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND find "${stage}" -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
                    COMMAND_ERROR_IS_FATAL ANY)
endif()
