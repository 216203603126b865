// SPDX-License-Identifier: MIT
// The fuzz target: each input is a whole file handed to the tool's entry, with
// the report going to /dev/null. The reader and the records are process-wide,
// so they are put back as a fresh run of the tool finds them before each input.
#include "cli.h"
#include "fresh_run.h"

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
    start_over(in);
    inspect(in);
    fclose(in);
    return 0;
}
