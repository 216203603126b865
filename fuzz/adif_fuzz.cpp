// SPDX-License-Identifier: MIT
// The fuzz target: each input is a whole file handed to inspect(), the tool's
// reading of one open file, twice: printed as it is, as to a pipe, and escaped,
// as to a terminal, with its summary made as the page makes it. The report
// goes to /dev/null. The reader and the records
// are process-wide, so they are put back as a fresh run of the tool finds them
// before each pass.
#include "adif.h"
#include "cli.h"
#include "memory_file.h"
#include "summary.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
#if defined(_WIN32)
    const char *nowhere = "NUL";
#else
    const char *nowhere = "/dev/null";
#endif
    if (freopen(nowhere, "w", stdout) == NULL)
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FILE *in = memory_file(data, size);
    if (in == NULL)
        abort();
    for (int escape = 0; escape <= 1; escape++) {
        rewind(in); // back to the first byte, end of file and error cleared
        reset_tool(in, escape);
        // The second pass as the page and the library run it: every element
        // noted, and the summary made, in words and as JSON.
        if (escape)
            start_summary();
        int status = inspect(in);
        if (escape) {
            // As much of the file as the page gives; the file larger than
            // the input by an amount its first byte picks, up to 15 GB.
            long long more = size > 0 ? (long long)(data[0] & 0x0f) * 1000000007 : 0;
            size_t count = size < (size_t)START_SPAN ? size : (size_t)START_SPAN;
            size_t tag = id3_tag_length(data, count);
            const unsigned char *next = tag >= count && tag < size ? data + tag : NULL;
            summarize(status, data, count, next, next ? size - tag : 0, (long long)size + more);
            static char json[49152];
            if (summary_json(json, sizeof json) == 0)
                abort(); // the page's buffer holds any summary
        }
    }
    watch_elements(NULL);
    fclose(in);
    return 0;
}
