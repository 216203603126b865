// SPDX-License-Identifier: MIT
// The command line: one file name in, the report on standard output, and an
// exit status a script can act on.
//
// A run of the tool ends its reading of the file in one of four ways, and
// the exit status follows from that alone (exit_status), but for a report
// that could not be written, which fails whatever was read. A host that says
// more than the report (the page, the library) takes the reading, not the
// status.
#ifndef ADIFINFO_CLI_H
#define ADIFINFO_CLI_H

#include "adif.h"

#include <stdio.h>

// How the tool's reading of a file ended.
enum {
    READING_WHOLE,      // the whole header came from the file's own bytes
    READING_NOT_ADIF,   // the file does not start with "ADIF"
    READING_CUT_SHORT,  // the header runs past the end of the file
    READING_UNREADABLE, // no file named, or it could not be opened or read
    READING_COUNT
};

enum {
    STATUS_COMPLETE = 0,   // the whole header was in the file and is reported
    STATUS_INCOMPLETE = 1, // not ADIF, or the header runs past the end of the file
    STATUS_FAILED = 2,     // usage, a file that can't be opened or read, or a report not written
};

// The exit status of a reading that ended so.
int exit_status(int reading);

// Reports the ADIF header of the open file in, from a fresh reader
// (reset_tool), and says how the reading ended: READING_UNREADABLE when
// reading the file failed (the report is printed all the same).
int inspect(FILE *in);

// Puts all of a run's state back as a new process finds it: the reader
// (reading in from its first byte), the records zeroed, outside text escaped
// when escape is nonzero, and watch told of each program config element
// (NULL: nothing). A run of the tool starts so; the tests and the fuzz
// target, which run many files in one process, call it before each.
void reset_tool(FILE *in, int escape, ElementWatch watch);

// How a run of the whole tool ended: its reading and its exit status.
struct ToolRun {
    int reading;
    int status;
};

// The whole tool on main's arguments, with watch told of each element.
ToolRun adifinfo_run(int argc, char **argv, ElementWatch watch);

// The command: main's arguments in, its exit status out.
int adifinfo_main(int argc, char **argv);

#endif
