// SPDX-License-Identifier: MIT
// The command line: one file name in, the report on standard output, and an
// exit status a script can act on.
#ifndef ADIFINFO_CLI_H
#define ADIFINFO_CLI_H

#include <stdio.h>

enum {
    STATUS_COMPLETE = 0,   // the whole header was in the file and is reported
    STATUS_INCOMPLETE = 1, // not ADIF, or the header runs past the end of the file
    STATUS_FAILED = 2,     // usage, a file that can't be opened or read, or a report not written
};

// Reports the ADIF header of the open file in: STATUS_COMPLETE when it was
// read from the file's own bytes, STATUS_FAILED when reading the file failed
// (the report is printed all the same), STATUS_INCOMPLETE otherwise. Expects
// a fresh reader.
int inspect(FILE *in);

// Puts all of the tool's state back as a new process finds it: the reader
// (reading in from its first byte), the records zeroed, and outside text
// escaped when escape is nonzero. A run of the tool starts so; the tests and
// the fuzz target, which run many files in one process, call it before each.
void reset_tool(FILE *in, int escape);

// The whole tool: main's arguments in, its exit status out.
int adifinfo_main(int argc, char **argv);

#endif
