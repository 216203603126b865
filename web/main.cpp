// SPDX-License-Identifier: MIT
// The module's entry, in place of the tool's own main: one instance of the
// module runs the tool on file after file, as a process a file would. Each
// run is the tool's whole run (adifinfo_main puts all of its state back
// first), and the file it opened is closed after it, as a process's end
// would close it. Each program config element, as the tool reads it, is
// noted for the summary (src/summary.h) that the page and the library show
// beside the report; the host (web/run.js) asks for it after the run, giving
// the start of the file and its size, and gets it as JSON, by name.
#include "adif.h"
#include "bits.h"
#include "cli.h"
#include "summary.h"

#include <emscripten.h>
#include <stdio.h>

// The start of the file, written here by the host, as much of it as the
// page and the library read.
static unsigned char file_start[65536];
// The summary as JSON: 16 programs, each with a comment of 255 bytes that
// take six characters each, fit with room to spare.
static char summary[49152];

// Where the host writes the start of the file, and how much of it fits.
extern "C" EMSCRIPTEN_KEEPALIVE unsigned char *adifinfo_start(void) {
    return file_start;
}

extern "C" EMSCRIPTEN_KEEPALIVE int adifinfo_start_size(void) {
    return (int)sizeof file_start;
}

// The summary of the run just made, which ended with status, of a file whose
// first count bytes are at adifinfo_start() and whose size is size bytes
// (-1: not known): JSON, ending in a NUL; NULL where it does not fit.
extern "C" EMSCRIPTEN_KEEPALIVE const char *adifinfo_summarize(int status, int count, double size) {
    summarize(status, file_start,
              count > 0 && (size_t)count <= sizeof file_start ? (size_t)count : 0, (long long)size);
    size_t length = summary_json(summary, sizeof summary);
    return length > 0 ? summary : NULL;
}

int main(int argc, char **argv) {
    start_summary();
    int status = adifinfo_main(argc, argv);
    if (bin != NULL)
        fclose(bin); // the next run starts with none open (reset_tool)
    return status;
}
