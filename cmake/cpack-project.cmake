# SPDX-License-Identifier: MIT
# Read by cpack for each package it makes (CPACK_PROJECT_CONFIG_FILE), with
# CPACK_GENERATOR naming that package's kind: stops a package that would be
# wrong before it is made.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
if(CPACK_ADIFINFO_STATIC)
    message(FATAL_ERROR "The Debian package holds the dynamically linked tool: make it from a "
                        "build configured without -DADIFINFO_STATIC=ON.")
endif()
# Whoever builds the package answers for it: no stand-in address.
if(NOT CPACK_PACKAGE_CONTACT MATCHES "^[^<>@]*[^<>@ ] <[^<>@ ]+@[^<>@ ]+\\.[^<>@ ]+>$")
    message(FATAL_ERROR "The Debian package needs a Maintainer, as \"Name <address>\": configure "
                        "with -DADIFINFO_MAINTAINER=\"Your Name <you@example.org>\" (now: "
                        "\"${CPACK_PACKAGE_CONTACT}\").")
endif()
