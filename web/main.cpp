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
// page and the library read; and the bytes after an ID3v2 tag that runs past
// it, where the host read them.
static unsigned char file_start[START_SPAN];
static unsigned char file_next[NEXT_SPAN];
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

extern "C" EMSCRIPTEN_KEEPALIVE unsigned char *adifinfo_next(void) {
    return file_next;
}

extern "C" EMSCRIPTEN_KEEPALIVE int adifinfo_next_size(void) {
    return (int)sizeof file_next;
}

// The length of the ID3v2 tag that the first count bytes at
// adifinfo_start() start, or 0: where it is count or more, the host reads
// what follows the tag at this offset into adifinfo_next().
extern "C" EMSCRIPTEN_KEEPALIVE double adifinfo_tag_length(int count) {
    return (double)id3_tag_length(
        file_start, count > 0 && (size_t)count <= sizeof file_start ? (size_t)count : 0);
}

// The summary of the run just made, which ended with status, of a file whose
// first count bytes are at adifinfo_start(), with next_count bytes after its
// tag at adifinfo_next() (0: none read), and whose size is size bytes (-1:
// not known): JSON, ending in a NUL; NULL where it does not fit.
extern "C" EMSCRIPTEN_KEEPALIVE const char *adifinfo_summarize(int status, int count,
                                                               int next_count, double size) {
    bool has_next = next_count > 0 && (size_t)next_count <= sizeof file_next;
    summarize(status, file_start,
              count > 0 && (size_t)count <= sizeof file_start ? (size_t)count : 0,
              has_next ? file_next : NULL, has_next ? (size_t)next_count : 0, (long long)size);
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
