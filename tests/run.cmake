# SPDX-License-Identifier: MIT
# Included by the test scripts: runs one of the build's programs, through
# EMULATOR in a cross build ("<command and words>": qemu-user, or wine), and
# ends the test at once, saying so, when the program cannot be started or
# ends without an exit status (killed by a signal).
#
#   run_program(<result variable> <program> [<argument>...] [<execute_process option>...])
#   require_program(<program>): only the first of those checks, for a script
#   that starts the program its own way.
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")

macro(require_program program)
    if(NOT EXISTS "${program}")
        message(FATAL_ERROR "cannot start ${program}: there is no such file")
    endif()
endmacro()

macro(run_program result program)
    require_program("${program}")
    execute_process(COMMAND ${emulator} "${program}" ${ARGN} RESULT_VARIABLE ${result})
    # A number when it exited; otherwise a message ("No such file or
    # directory", "Segmentation fault", ...).
    if(NOT "${${result}}" MATCHES "^[0-9]+$")
        message(FATAL_ERROR "${program} did not start or did not exit: ${${result}}")
    endif()
endmacro()
