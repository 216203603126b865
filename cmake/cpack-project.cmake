# Read by cpack for each package it makes (CPACK_PROJECT_CONFIG_FILE), with
# CPACK_GENERATOR naming that package's kind: stops a package that would be
# wrong before it is made.
if(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_ADIFINFO_STATIC)
    message(FATAL_ERROR "The Debian package holds the dynamically linked tool: make it from a "
                        "build configured without -DADIFINFO_STATIC=ON.")
endif()
