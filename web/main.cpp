// SPDX-License-Identifier: MIT
// The module's entry, in place of the tool's own main: one instance of the
// module runs the tool on file after file, as a process a file would. Each
// run is the tool's whole run (adifinfo_run puts all of its state back
// first), and the file it opened is closed after it, as a process's end
// would close it.
//
// The command runs main. The page and the library first read what the
// summary wants of the file (src/intake.h), then run adifinfo_inspect,
// which notes each program config element as the tool reads it and makes
// the summary (src/summary.h) as JSON: the library's result, by name.
#include "bits.h"
#include "cli.h"
#include "intake.h"
#include "summary.h"
#include "text.h"

#include <emscripten.h>
#include <stdio.h>

static char summary[SUMMARY_JSON_MOST];

extern "C" EMSCRIPTEN_KEEPALIVE void adifinfo_intake_begin(double size) {
    intake_begin((long long)size);
}

extern "C" EMSCRIPTEN_KEEPALIVE double adifinfo_want_offset(void) {
    return (double)intake_want().offset;
}

extern "C" EMSCRIPTEN_KEEPALIVE int adifinfo_want_count(void) {
    return (int)intake_want().count;
}

extern "C" EMSCRIPTEN_KEEPALIVE unsigned char *adifinfo_intake_buffer(void) {
    return intake_buffer();
}

extern "C" EMSCRIPTEN_KEEPALIVE void adifinfo_intake_took(int count, int ended) {
    intake_took(count > 0 ? (size_t)count : 0, ended);
}

static ToolRun run(int argc, char **argv, ElementWatch watch) {
    ToolRun done = adifinfo_run(argc, argv, watch);
    if (bin != NULL)
        fclose(bin); // the next run starts with none open (reset_tool)
    bin = NULL;
    return done;
}

// The tool's run on a file of which intake holds what the summary wants:
// its exit status; the summary's JSON is then at adifinfo_summary().
extern "C" EMSCRIPTEN_KEEPALIVE int adifinfo_inspect(int argc, char **argv) {
    ToolRun done = run(argc, argv, note_program);
    summarize(done);
    if (summary_json(summary, sizeof summary) == 0)
        summary[0] = '\0'; // cannot be: the buffer holds the largest summary
    return done.status;
}

// The summary of the last adifinfo_inspect, as JSON, ending in a NUL.
extern "C" EMSCRIPTEN_KEEPALIVE const char *adifinfo_summary(void) {
    return summary;
}

// The four words and the kinds, as JSON: what the build gives the library
// and the page.
extern "C" EMSCRIPTEN_KEEPALIVE const char *adifinfo_words(void) {
    static char words[4096];
    return words_json(words, sizeof words) > 0 ? words : "";
}

// The n bytes at in, as written (src/text.h), in the size bytes at out:
// the length, or -1 where they do not fit (n * AS_WRITTEN_PER_BYTE + 1 do).
extern "C" EMSCRIPTEN_KEEPALIVE int adifinfo_as_written(const unsigned char *in, int n, char *out,
                                                        int size) {
    Out o = out_of(out, size > 0 ? (size_t)size : 0);
    put_as_written(&o, in, n > 0 ? (size_t)n : 0);
    return o.full ? -1 : (int)o.length;
}

int main(int argc, char **argv) {
    return run(argc, argv, NULL).status;
}
