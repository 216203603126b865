// SPDX-License-Identifier: MIT
// The fuzz target of the reader and its report: each input is a whole file
// handed to inspect(), the tool's reading of one open file, twice: printed
// as it is, as to a pipe, and escaped, as to a terminal. The report goes to
// /dev/null. The reader and the records are process-wide: reset_tool puts
// them back as a fresh run of the tool finds them before each pass.
#include "cli.h"
#include "memory_file.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    stdout_to_nowhere();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static char buffer[BUFSIZ];
    FILE *in = memory_file_through(data, size, buffer, sizeof buffer);
    if (in == NULL)
        abort();
    for (int escape = 0; escape <= 1; escape++) {
        rewind(in); // back to the first byte, end of file and error cleared
        reset_tool(in, escape, NULL);
        if (inspect(in) == READING_UNREADABLE)
            abort(); // memory never fails to read
    }
    fclose(in);
    return 0;
}
